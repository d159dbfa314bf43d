#pragma once

/// @file
/// Unit polyhedra as indexed triangle meshes with texture coordinates laid
/// out for a longitude/latitude texture.
///
/// Faces refer to index pairs (vertex index, texture-coordinate index), so a
/// vertex on the texture seam or at a pole appears in several pairs. Faces
/// are wound counter-clockwise seen from outside. Texture u runs round the
/// y axis (u = 0.25 - azimuth / 360 deg, azimuth from +x towards +z, plus 1
/// where negative; seam vertices recur with u + 1), v runs from 0 at y = -1
/// to 1 at y = +1.
///
/// A polyhedron owns its four arrays and releases them when destroyed.

#include "common/Memory.h"
#include "math/Export.h"
#include "math/Vector.h"

#include <cstdint>

namespace orrery {

/// A solid as four arrays, each with the count of its elements in use: a face
/// names three index pairs, an index pair a vertex and a texture coordinate.
/// The arrays are the object's own (allocated by Create, released with it).
class ORRERY_MATH_API Polyhedron {
public:
  ORRERY_ALLOCATE_WITH_DONEW

  Vec3d *vertices = nullptr;               ///< points of the solid
  std::int32_t numVertices = 0;            ///< vertices in use
  std::int32_t (*faces)[3] = nullptr;      ///< index-pair indices
  std::int32_t numFaces = 0;               ///< faces in use
  Vec2d *texCoords = nullptr;              ///< texture coordinates (u, v)
  std::int32_t numTexCoords = 0;           ///< texture coordinates in use
  std::int32_t (*indexPairs)[2] = nullptr; ///< (vertex, texture coordinate)
  std::int32_t numIndexPairs = 0;          ///< index pairs in use

  /// Empty: no arrays, every count 0.
  Polyhedron() = default;
  Polyhedron(const Polyhedron &) = delete;
  Polyhedron &operator=(const Polyhedron &) = delete;
  virtual ~Polyhedron();

  /// Allocates the four arrays with room for the given numbers of elements
  /// (through doNew, never asking for zero bytes). Elements are then appended
  /// at the counts. A failed allocation leaves its pointer null; returns true
  /// when all four succeeded. Arrays of an earlier call are released and the
  /// counts reset to 0.
  bool Create(int vertexCapacity, int faceCapacity, int texCoordCapacity, int indexPairCapacity);
};

/// The six unit axis points: 8 faces, 13 texture coordinates and index pairs.
/// Empty (all counts 0) when an allocation failed.
class ORRERY_MATH_API Octahedron : public Polyhedron {
public:
  Octahedron();
  ~Octahedron() override;
};

/// A unit icosahedron with vertices at both poles of the y axis and two rings
/// of five at y = +-0.447214, stored to six digits: 20 faces, 22 texture
/// coordinates and index pairs. Empty when an allocation failed.
class ORRERY_MATH_API Icosahedron : public Polyhedron {
public:
  Icosahedron();
  ~Icosahedron() override;
};

} // namespace orrery
