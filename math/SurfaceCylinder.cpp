#include "math/Elementary.h"
#include "math/Surface.h"
#include "math/detail/SurfaceShapes.h"

#include "math/FastMath.h"

#include <cmath>

namespace orrery {

// ---------------------------------------------------------------------------
// Cylinder

Cylinder::Cylinder(const Mat4d &placement, double distance, double topAngle, double bottomAngle,
                   double leftAngle, double rightAngle)
    : FovDelimitedSurface(placement, distance, topAngle, bottomAngle, leftAngle, rightAngle) {
  checkValid();
  if (valid) {
    bottomHeight = elementary::tan(bottomAngle) * distance;
    height = elementary::tan(topAngle) * distance - bottomHeight;
  }
}

Cylinder::~Cylinder() = default;

void Cylinder::checkValid() {
  // The tangent of a vertical angle must stay finite; a full turn is allowed.
  if (std::fabs(topAngle) >= detail::kHalfPi || std::fabs(bottomAngle) >= detail::kHalfPi ||
      std::fabs(leftAngle) > detail::kPi || std::fabs(rightAngle) > detail::kPi ||
      bottomAngle >= topAngle || leftAngle >= rightAngle || distance <= 0) {
    valid = false;
  }
}

Vec3d Cylinder::getNormal(const Vec3d &point) const {
  const Vec3d w = origin - point;
  Vec3d n = w - upAxis * dot(w, upAxis);
  divideByLength(n);
  return n;
}

bool Cylinder::isPtOnSurface(const Vec3d &point) const {
  const Vec3d w = point - origin;
  const double a = dot(w, upAxis);
  return detail::isNear(dot(w, w) - a * a, distance * distance);
}

bool detail::cylinderIntersectRay(const Cylinder &cyl, const Vec3d &rayOrigin, const Vec3d &rayDir,
                                  Vec3d &hit, bool clamp, Vec2d *onPhotograph) {
  const Vec3d rc = rayOrigin - cyl.origin;
  Vec3d dn = rayDir;
  divideByLength(dn);
  Vec3d n = cross(dn, cyl.upAxis);
  const double ln = divideByLength(n);
  if (detail::isNear(ln, 0)) {
    // Parallel to the axis: the line never meets the side of the cylinder.
    if (clamp) {
      hit = rayOrigin;
      cyl.projectToSurface(hit);
    }
    return false;
  }
  // Distance between the ray's line and the axis.
  const double dist = std::fabs(dot(rc, n));
  if (dist > cyl.distance && !clamp) {
    return false;
  }
  Vec3d o = cross(rc, cyl.upAxis);
  const double t = -dot(o, n) / ln;
  o = cross(n, cyl.upAxis);
  divideByLength(o);
  if (dist <= cyl.distance) {
    // dist <= distance keeps the root's argument non-negative.
    const double s = std::fabs(std::sqrt(cyl.distance * cyl.distance - dist * dist) / dot(dn, o));
    hit = rayOrigin + dn * (t + s);
    const bool res = detail::hitOnPhotograph(cyl, hit, onPhotograph);
    if (!res && clamp) {
      cyl.projectToSurface(hit);
    }
    return res;
  }
  if (clamp) { // a NaN distance reaches here too; without clamp it is a miss
    hit = rayOrigin + dn * t;
    cyl.projectToSurface(hit);
  }
  return false;
}

bool Cylinder::intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                            bool clamp) const {
  return detail::cylinderIntersectRay(*this, rayOrigin, rayDir, hit, clamp, nullptr);
}

bool Cylinder::getRelativeCoords(const Vec3d &point, double &u, double &v) const {
  if (!valid) {
    return false;
  }
  const Vec3d n = getNormal(point);
  double theta = FastMath::acos(-dot(n, viewDir));
  // Straight ahead and straight behind count as left: behind is -pi.
  if (dot(origin - point, rightAxis) >= 0) {
    theta = -theta;
  }
  theta = detail::seamAzimuth(theta, leftAngle, rightAngle);
  const double h = dot(point - origin, upAxis);
  detail::relativeFromFractions((theta - leftAngle) / (rightAngle - leftAngle),
                                (h - bottomHeight) / height, u, v);
  return true;
}

Vec3d Cylinder::getPointFromCoords(double u, double v, bool *ok) const {
  double s = 0;
  double t = 0;
  if (!detail::fractionsIfValid(valid, u, v, ok, s, t)) {
    return Vec3d::zero;
  }
  return detail::cylinderPoint(*this, detail::SinCos::of(leftAngle + (rightAngle - leftAngle) * s),
                               t);
}

double Cylinder::getWidthHeightRatio() const {
  return (rightAngle - leftAngle) / (elementary::tan(topAngle) - elementary::tan(bottomAngle));
}

void Cylinder::getWrapping(bool &wrapU, bool &wrapV) const {
  wrapU = rightAngle - leftAngle > detail::kPi;
  wrapV = false;
}

double Cylinder::getViewingDistanceImpl(double hFov, double vFov, double fovScale) const {
  const double dH = detail::edgeViewingDistance(distance, leftAngle, rightAngle,
                                                elementary::tan(hFov * fovScale * 0.5));
  const double dV = distance * (elementary::tan(topAngle) - elementary::tan(bottomAngle)) /
                    (2 * elementary::tan(0.5 * fovScale * vFov));
  return dH > dV ? dH : dV;
}

void Cylinder::getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const {
  detail::horizontalViewDirection(*this, requested, result);
}

void Cylinder::projectToSurface(Vec3d &point) const {
  const Vec3d w = point - origin;
  const double a = dot(w, upAxis);
  Vec3d r = w - upAxis * a;
  if (detail::isNear(length(r), 0)) {
    r = viewDir; // on the axis: move along the viewing direction
  }
  divideByLength(r);
  point = origin + upAxis * a + r * distance;
  doSnapPoint(point);
}

} // namespace orrery
