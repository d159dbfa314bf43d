#pragma once

// What an invalid surface answers, whatever it is asked: neutral results,
// outputs left as they were. Shared by the unit tests, which probe fixed
// surfaces, and the surface fuzz harness, which probes fuzzed ones.

#include "Support.h"
#include "math/Surface.h"

namespace orrery::test {

// The first operation of the invalid surface s that breaks its promise for
// the probes point and direction, or nullptr. A rectangle (isRectangle) also
// promises no surface point, a zero viewing distance, an unmoved projection
// and no clamped ray.
inline const char *brokenInvalidAnswer(const FovDelimitedSurface &s, bool isRectangle,
                                       const Vec3d &point, const Vec3d &direction,
                                       const Frustum &frustum, double threshold) {
  if (s.valid) {
    return "valid";
  }
  Rect<double, Vec2d> rect{{1.25, -2.5}, {-0.5, 3.0}};
  const Rect<double, Vec2d> before = rect;
  s.cullToFrustum(frustum, rect);
  if (!sameBits(rect, before)) {
    return "cullToFrustum";
  }
  double u = 0.125, v = -0.375;
  if (s.getRelativeCoords(point, u, v) || u != 0.125 || v != -0.375) {
    return "getRelativeCoords";
  }
  bool ok = true;
  if (!(s.getPointFromCoords(point.x, point.y, &ok) == Vec3d::zero) || ok) {
    return "getPointFromCoords";
  }
  Vec3d result{};
  s.getViewDirection(direction, result);
  if (!sameBits(result, direction)) {
    return "getViewDirection";
  }
  if (s.isViewCloseToSurface(Mat4d::identity, Mat4d::identity, threshold)) {
    return "isViewCloseToSurface";
  }
  Vec3d snapped = point;
  if (s.doSnapPoint(snapped) || !sameBits(snapped, point)) {
    return "doSnapPoint";
  }
  Vec3d hit{};
  if (s.isPtOnFiniteSurface(point) || s.intersectRay(point, direction, hit, isRectangle)) {
    return "isPtOnFiniteSurface or intersectRay";
  }
  Vec3d moved = point;
  if (isRectangle) {
    s.projectToSurface(moved);
    if (s.isPtOnSurface(point) || s.getViewingDistanceImpl(1.0, 1.0, 1.0) != 0.0 ||
        !sameBits(moved, point)) {
      return "isPtOnSurface, getViewingDistance or projectToSurface";
    }
  }
  return nullptr;
}

} // namespace orrery::test
