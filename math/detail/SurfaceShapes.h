#pragma once

// Internal to the library (not installed): what the sources of the surfaces
// share. math/Surface.cpp holds the base class, math/SurfaceCull.cpp the
// culling, and one source a shape its own code (math/SurfaceRectangle.cpp,
// math/SurfaceCylinder.cpp, math/SurfaceSphere.cpp). The small helpers here
// are inline, so that each source's hot paths inline them as they would their
// own.

#include "math/Elementary.h"
#include "math/Surface.h"

#include "math/FastMath.h"
#include "math/Units.h"
#include "math/detail/Angles.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <typeinfo>

namespace orrery::detail {

// ---------------------------------------------------------------------------
// The library's shapes
//
// The base class's outline sampling (isViewCloseToSurface, cullToFrustum) and
// the cull's ray casts take faster paths for the library's curved shapes: the
// sine and cosine of an angle that stays the same along an edge are kept from
// one point to the next, and a ray's hit keeps the relative coordinates its
// photograph test found instead of computing them again. They pick those
// paths by the object's exact type (typeid), not by a virtual call:
// - a new virtual member would add an entry to the virtual tables of the
//   exported classes, whose layout a subclass outside the library was
//   compiled against (the exported interface may only gain entries, never
//   move them);
// - the exact type, not dynamic_cast: a subclass outside the library that
//   overrides getPointFromCoords or intersectRay must be reached through its
//   own override, so only an object whose type is the library's own shape
//   takes its fast path.
//
// Every shape of the library is in kLibraryShapes, with the kind the two
// places switch on; a switch without a default fails to compile when a kind
// is added and not handled, and the Surface tests fail when a class of the
// library derives from ISurface and is not in the table.

enum class ShapeKind {
  kRectangle, // linear mapping: the virtual calls are already cheap
  kCylinder,
  kSphere,
  kOther, // a shape defined outside the library: its virtual calls
};

struct LibraryShape {
  const std::type_info &type;
  const char *name;
  ShapeKind kind;
};

// Most used first: each comparison that fails compares the type names.
inline constexpr LibraryShape kLibraryShapes[] = {
    {typeid(Sphere), "Sphere", ShapeKind::kSphere},
    {typeid(Cylinder), "Cylinder", ShapeKind::kCylinder},
    {typeid(Rectangle), "Rectangle", ShapeKind::kRectangle},
};

// The kind of s by its exact type; kOther for a type not of the library
// (a subclass of one of its shapes included).
inline ShapeKind shapeOf(const ISurface &s) {
  const std::type_info &type = typeid(s);
  for (const LibraryShape &shape : kLibraryShapes) {
    if (type == shape.type) {
      return shape.kind;
    }
  }
  return ShapeKind::kOther;
}

// ---------------------------------------------------------------------------
// Shared arithmetic

// Relative coordinates a point may exceed +-1 by and still be on the
// photograph.
constexpr double kEdgeSlack = 1.000001;

// FovDelimitedSurface::IsNear, inline for the shapes' hot paths: |a - b|
// below 0.1 metre in planet radii. The threshold is one for the whole
// library (the static of an inline function is), fixed by the radius in
// force at the first call of either.
inline bool isNear(double a, double b) {
  static const double kDistanceThreshold = 0.1 * Units::sInvPlanetRadius;
  return std::fabs(a - b) < kDistanceThreshold;
}

// (1 - t) * a + t * b.
inline Vec2d lerp(const Vec2d &a, const Vec2d &b, double t) { return a * (1 - t) + b * t; }
inline Vec3d lerp(const Vec3d &a, const Vec3d &b, double t) { return a * (1 - t) + b * t; }

// The fractions s = (u + 1) / 2 and t = (v + 1) / 2 across the photograph
// for getPointFromCoords, which reports validity through ok; false when the
// surface is invalid.
inline bool fractionsIfValid(bool valid, double u, double v, bool *ok, double &s, double &t) {
  if (ok != nullptr) {
    *ok = valid;
  }
  s = (u + 1) * 0.5;
  t = (v + 1) * 0.5;
  return valid;
}

// Relative coordinates from the fractions s and t.
inline void relativeFromFractions(double s, double t, double &u, double &v) {
  u = 2 * s - 1;
  v = 2 * t - 1;
}

// The azimuth of a point as getRelativeCoords reads it. theta in [-pi, pi]
// comes from the shape's fixed sign rule; a photograph that does not wrap but
// whose range reaches or crosses +-pi takes, of theta and theta -+ 2 pi, the
// one nearest the middle of its range (the first of theta, theta - 2 pi,
// theta + 2 pi on a tie), so that its points on both sides of the turn read
// as one interval. Every other photograph keeps theta (NaN angles too).
inline double seamAzimuth(double theta, double left, double right) {
  if (right - left > kPi || !(left <= -kPi || right >= kPi)) {
    return theta;
  }
  const double middle = (left + right) * 0.5;
  const double below = theta - 2 * kPi;
  const double above = theta + 2 * kPi;
  double best = theta;
  if (std::fabs(below - middle) < std::fabs(best - middle)) {
    best = below;
  }
  if (std::fabs(above - middle) < std::fabs(best - middle)) {
    best = above;
  }
  return best;
}

// The distance behind the centre, along -viewDir, from which a half field of
// view whose tangent is tanHalfFov just reaches the nearer of two edges at the
// angles a0 and a1 on a circle of radius r.
inline double edgeViewingDistance(double r, double a0, double a1, double tanHalfFov) {
  double a = std::fmin(std::fabs(a0), std::fabs(a1));
  if (a > kHalfPi) {
    a = kHalfPi;
  }
  return r * (elementary::sin(a) / tanHalfFov - elementary::cos(a));
}

// The view direction of a wrapping surface: requested made horizontal when it
// meets the photograph from the viewpoint, else viewDir.
inline void horizontalViewDirection(const FovDelimitedSurface &s, const Vec3d &requested,
                                    Vec3d &result) {
  result = requested - s.upAxis * dot(requested, s.upAxis);
  Vec3d scratch;
  if (length(result) < kAlmostEqualTolerance || !s.intersectRay(s.origin, result, scratch, false)) {
    result = s.viewDir;
  }
}

// The sine and cosine of an angle.
struct SinCos {
  double sin = 0;
  double cos = 0;

  static SinCos of(double angle) {
    SinCos r;
    elementary::sincos(angle, r.sin, r.cos);
    return r;
  }
};

// The sines and cosines of the last angles asked for, kept by the angle's
// bits (-0 and +0 have sines of either sign). An outline comes back to each
// of its sample angles: the edges along one direction share them, and the
// ends of the edges across it.
class SinCosMemo {
public:
  const SinCos &of(double angle) {
    const auto b = std::bit_cast<std::uint64_t>(angle);
    for (int i = 0; i < count; ++i) {
      if (bits[i] == b) {
        return values[i];
      }
    }
    // Past kKept angles the last entry takes each new one.
    const int slot = count < kKept ? count++ : kKept - 1;
    bits[slot] = b;
    values[slot] = SinCos::of(angle);
    return values[slot];
  }

private:
  // The sample angles of the longest outline the library walks, along one
  // direction.
  static constexpr int kKept = 10;
  std::uint64_t bits[kKept] = {};
  SinCos values[kKept];
  int count = 0;
};

// Cylinder::getPointFromCoords at the azimuth theta and the height fraction t.
inline Vec3d cylinderPoint(const Cylinder &c, const SinCos &theta, double t) {
  const double h = c.height * t + c.bottomHeight;
  return c.origin + c.viewDir * (c.distance * theta.cos) + c.rightAxis * (c.distance * theta.sin) +
         c.upAxis * h;
}

// Sphere::getPointFromCoords at the azimuth theta and the elevation phi.
inline Vec3d spherePoint(const Sphere &s, const SinCos &theta, const SinCos &phi) {
  const double cosPhi = phi.cos;
  const Vec3d dir =
      s.viewDir * (cosPhi * theta.cos) + s.rightAxis * (cosPhi * theta.sin) + s.upAxis * phi.sin;
  return s.origin + dir * s.distance;
}

// getPointFromCoords(u, v, nullptr) for a run of points along the outline
// of the photograph. For the library's curved shapes the sines and cosines
// of the sample angles are taken once each.
class OutlinePoints {
public:
  explicit OutlinePoints(const FovDelimitedSurface &s) : surface(s) {
    switch (shapeOf(s)) {
    case ShapeKind::kSphere:
      sphere = static_cast<const Sphere *>(&s);
      break;
    case ShapeKind::kCylinder:
      cylinder = static_cast<const Cylinder *>(&s);
      break;
    case ShapeKind::kRectangle:
    case ShapeKind::kOther:
      break;
    }
  }

  Vec3d at(double u, double v) {
    double s = 0;
    double t = 0;
    if ((sphere == nullptr && cylinder == nullptr) ||
        !fractionsIfValid(surface.valid, u, v, nullptr, s, t)) {
      return surface.getPointFromCoords(u, v, nullptr);
    }
    const FovDelimitedSurface &f = surface;
    const SinCos &azimuth = theta.of(f.leftAngle + (f.rightAngle - f.leftAngle) * s);
    if (cylinder != nullptr) {
      return cylinderPoint(*cylinder, azimuth, t);
    }
    return spherePoint(*sphere, azimuth, phi.of(f.bottomAngle + (f.topAngle - f.bottomAngle) * t));
  }

private:
  const FovDelimitedSurface &surface;
  const Sphere *sphere = nullptr;
  const Cylinder *cylinder = nullptr;
  SinCosMemo theta;
  SinCosMemo phi;
};

// FovDelimitedSurface::isPtOnFiniteSurface, also giving the relative
// coordinates it finds.
inline bool onFiniteSurface(const FovDelimitedSurface &s, const Vec3d &point, double &u,
                            double &v) {
  u = 0;
  v = 0;
  if (!s.isPtOnSurface(point) || !s.getRelativeCoords(point, u, v)) {
    return false;
  }
  return std::fabs(u) < kEdgeSlack && std::fabs(v) < kEdgeSlack;
}

// The photograph test of a shape's hit: with onPhotograph given,
// onFiniteSurface, whose relative coordinates are kept there; without it,
// the virtual isPtOnFiniteSurface, as intersectRay has it.
inline bool hitOnPhotograph(const FovDelimitedSurface &s, const Vec3d &hit, Vec2d *onPhotograph) {
  if (onPhotograph != nullptr) {
    return onFiniteSurface(s, hit, onPhotograph->x, onPhotograph->y);
  }
  return s.isPtOnFiniteSurface(hit);
}

// The curved shapes' intersectRay, with the photograph test of the hit as
// hitOnPhotograph has it.
bool sphereIntersectRay(const Sphere &s, const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                        bool clamp, Vec2d *onPhotograph);
bool cylinderIntersectRay(const Cylinder &cyl, const Vec3d &rayOrigin, const Vec3d &rayDir,
                          Vec3d &hit, bool clamp, Vec2d *onPhotograph);

} // namespace orrery::detail
