#pragma once

// What an invalid surface answers, whatever it is asked: neutral results,
// outputs left as they were. Shared by the unit tests, which probe fixed
// surfaces, and the surface fuzz harness, which probes fuzzed ones.

#include "Support.h"

#include "math/Surface.h"
#include <utility>

namespace orrery::test {

// The first operation of the invalid surface s that breaks its promise for
// the probes point and direction, or nullptr. A rectangle (isRectangle) also
// promises no surface point, a zero viewing distance, an unmoved projection
// and no clamped ray.
inline const char *brokenInvalidAnswer(const FovDelimitedSurface &s, bool isRectangle,
                                       const Vec3d &point, const Vec3d &direction,
                                       const Frustum &frustum, double threshold) {
  Rect<double, Vec2d> rect{{1.25, -2.5}, {-0.5, 3.0}};
  const Rect<double, Vec2d> before = rect;
  s.cullToFrustum(frustum, rect);
  double u = 0.125, v = -0.375;
  bool ok = true;
  Vec3d result{}, snapped = point, hit{}, moved = point;
  s.getViewDirection(direction, result);
  if (isRectangle) {
    s.projectToSurface(moved);
  }
  // Evaluated in order; each entry is a promise kept or not.
  const std::pair<const char *, bool> promises[] = {
      {"valid", !s.valid},
      {"cullToFrustum", sameBits(rect, before)},
      {"getRelativeCoords", !s.getRelativeCoords(point, u, v) && u == 0.125 && v == -0.375},
      {"getPointFromCoords", s.getPointFromCoords(point.x, point.y, &ok) == Vec3d::zero && !ok},
      {"getViewDirection", sameBits(result, direction)},
      {"isViewCloseToSurface",
       !s.isViewCloseToSurface(Mat4d::identity, Mat4d::identity, threshold)},
      {"doSnapPoint", !s.doSnapPoint(snapped) && sameBits(snapped, point)},
      {"isPtOnFiniteSurface", !s.isPtOnFiniteSurface(point)},
      {"intersectRay", !s.intersectRay(point, direction, hit, isRectangle)},
      {"isPtOnSurface", !isRectangle || !s.isPtOnSurface(point)},
      {"getViewingDistance", !isRectangle || s.getViewingDistanceImpl(1.0, 1.0, 1.0) == 0.0},
      {"projectToSurface", sameBits(moved, point)},
  };
  for (const auto &[name, kept] : promises) {
    if (!kept) {
      return name;
    }
  }
  return nullptr;
}

} // namespace orrery::test
