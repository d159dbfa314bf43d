#include "math/Elementary.h"
#include "math/Surface.h"
#include "math/detail/SurfaceShapes.h"

#include <cmath>

namespace orrery {

// ---------------------------------------------------------------------------
// Rectangle

Rectangle::Rectangle(const Mat4d &placement, double distance, double topAngle, double bottomAngle,
                     double leftAngle, double rightAngle)
    : FovDelimitedSurface(placement, distance, topAngle, bottomAngle, leftAngle, rightAngle) {
  normal = -viewDir;
  buildGeometry();
}

Rectangle::~Rectangle() = default;

namespace {

// Every angle's tangent finite, and the ranges not empty.
bool rectangleAnglesUsable(const Rectangle &r) {
  return !(std::fabs(r.rightAngle) >= detail::kHalfPi ||
           std::fabs(r.leftAngle) >= detail::kHalfPi || std::fabs(r.topAngle) >= detail::kHalfPi ||
           std::fabs(r.bottomAngle) >= detail::kHalfPi || r.leftAngle >= r.rightAngle ||
           r.bottomAngle >= r.topAngle);
}

} // namespace

void Rectangle::checkValid() {
  if (!rectangleAnglesUsable(*this)) {
    valid = false;
  }
}

void Rectangle::buildGeometry() {
  if (!rectangleAnglesUsable(*this)) {
    valid = false;
    return;
  }
  const double d = distance;
  const double xL = d * elementary::tan(leftAngle);
  const double xR = d * elementary::tan(rightAngle);
  const double yB = d * elementary::tan(bottomAngle);
  const double yT = d * elementary::tan(topAngle);
  const Vec3d local[4] = {{xL, yB, -d}, {xR, yB, -d}, {xR, yT, -d}, {xL, yT, -d}};
  for (int i = 0; i < 4; ++i) {
    // With the full placement, scale included.
    cornerPoints[i].mul(local[i], 1.0, placement);
  }
  edgeU = cornerPoints[1] - cornerPoints[0];
  lengthU = divideByLength(edgeU);
  edgeV = cornerPoints[3] - cornerPoints[0];
  lengthV = divideByLength(edgeV);
}

Vec3d Rectangle::getNormal(const Vec3d &) const { return normal; }

bool Rectangle::isPtOnSurface(const Vec3d &point) const {
  return valid && detail::isNear(dot(origin - point, normal), distance);
}

bool Rectangle::intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                             bool clamp) const {
  if (!valid) {
    return false;
  }
  // Copies, so that hit may alias either input.
  const Vec3d ro = rayOrigin;
  const Vec3d rd = rayDir;
  const double denom = dot(rd, normal);
  hit = ro;
  if (!detail::isNear(denom, 0)) { // not parallel to the plane
    const double lambda = (-distance - dot(ro - origin, normal)) / denom;
    if (lambda >= 0) {
      hit = ro + rd * lambda;
      if (isPtOnFiniteSurface(hit)) {
        return true;
      }
    }
  }
  if (clamp) {
    projectToSurface(hit);
  }
  return false;
}

bool Rectangle::getRelativeCoords(const Vec3d &point, double &u, double &v) const {
  if (!valid) {
    return false;
  }
  const Vec3d w = point - cornerPoints[0];
  detail::relativeFromFractions(dot(w, edgeU) / lengthU, dot(w, edgeV) / lengthV, u, v);
  return true;
}

Vec3d Rectangle::getPointFromCoords(double u, double v, bool *ok) const {
  double s = 0;
  double t = 0;
  if (!detail::fractionsIfValid(valid, u, v, ok, s, t)) {
    return Vec3d::zero;
  }
  return cornerPoints[0] + edgeU * (s * lengthU) + edgeV * (t * lengthV);
}

double Rectangle::getWidthHeightRatio() const {
  return (elementary::tan(rightAngle) - elementary::tan(leftAngle)) /
         (elementary::tan(topAngle) - elementary::tan(bottomAngle));
}

void Rectangle::getWrapping(bool &wrapU, bool &wrapV) const {
  wrapU = false;
  wrapV = false;
}

double Rectangle::getViewingDistanceImpl(double hFov, double vFov, double fovScale) const {
  if (!valid) {
    return 0.0;
  }
  const double width = distance * (elementary::tan(rightAngle) - elementary::tan(leftAngle));
  const double dH = width / (2 * elementary::tan(0.5 * fovScale * hFov));
  const double height = distance * (elementary::tan(topAngle) - elementary::tan(bottomAngle));
  const double dV = height / (2 * elementary::tan(0.5 * fovScale * vFov));
  return dH > dV ? dH : dV;
}

void Rectangle::getViewDirectionImpl(const Vec3d &, Vec3d &result) const { result = viewDir; }

void Rectangle::projectToSurface(Vec3d &point) const {
  if (!valid) {
    return;
  }
  const double s = dot(cornerPoints[0] - point, normal);
  point = point + normal * s;
  doSnapPoint(point);
}

} // namespace orrery
