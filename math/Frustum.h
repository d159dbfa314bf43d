#pragma once

/// @file
/// The view frustum: a convex polytope of planes built from a view and a
/// projection matrix, with the eye and the directions of the side edges, and
/// its point tests. A point is inside a plane when its signed distance is
/// >= 0; the frustum keeps its planes in the order left, top, right, bottom,
/// near, far.

#include "common/Memory.h"
#include "math/BoundingVolume.h"
#include "math/Export.h"
#include "math/Vector.h"

#include <cstdint>

namespace orrery {

/// A convex volume bounded by up to ten planes, of which the first count are
/// in use.
class ORRERY_MATH_API Polytope {
public:
  ORRERY_ALLOCATE_WITH_DONEW

  /// The bounding planes, normals pointing inside; only the first count are
  /// meaningful.
  Plane<double, Vec3d, Vec4d> planes[10];
  /// The number of planes in use, 0 to 10.
  std::int32_t count = 0;

  /// No planes in use.
  Polytope() = default;
  virtual ~Polytope();
};

/// The view frustum: planes left, top, right, bottom, near, far, each with
/// its normal pointing into the frustum, plus the eye and the unit directions
/// of the four side edges.
class ORRERY_MATH_API Frustum : public Polytope {
public:
  /// The eye: the translation of the inverted view matrix.
  Vec3d eye;
  /// The unit directions of the four side edges, from near to far,
  /// counter-clockwise on screen from the bottom left: normalised-device
  /// corners (-1, -1), (1, -1), (1, 1), (-1, 1).
  Vec3d edges[4];

  /// No planes in use; eye and edges uninitialised until build.
  Frustum() = default;
  ~Frustum() override;

  /// Rebuilds the frustum from a view and a projection matrix. eye is written
  /// even when the view matrix is singular.
  /// @param view       world to view space
  /// @param projection view to clip space, the normalised-device cube being
  ///                   [-1, 1]^3 with z = -1 near
  /// @return false, with no planes in use, when view * projection is
  ///         singular, a cube corner maps to infinity (w = 0) or a face
  ///         collapses to a line; true with six planes otherwise
  bool build(const Mat4d &view, const Mat4d &projection);
  /// True when p is on the inner side of every plane in use (zero counts as
  /// inside), and always while no planes are in use. False for NaN points.
  bool isPtInside(const Vec3d &p) const;
  /// True when p is outside the near or the far plane; the side planes are
  /// not consulted. False while no planes are in use; true for NaN points.
  bool isZCulled(const Vec3d &p) const;
};

} // namespace orrery
