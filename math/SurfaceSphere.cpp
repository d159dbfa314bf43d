#include "math/Elementary.h"
#include "math/Surface.h"
#include "math/detail/SurfaceShapes.h"

#include "math/FastMath.h"

#include <cmath>

namespace orrery {

// ---------------------------------------------------------------------------
// Sphere

Sphere::Sphere(const Mat4d &placement, double distance, double topAngle, double bottomAngle,
               double leftAngle, double rightAngle)
    : FovDelimitedSurface(placement, distance, topAngle, bottomAngle, leftAngle, rightAngle) {}

Sphere::~Sphere() = default;

void Sphere::checkValid() {
  // The photograph may reach a pole and may span a full turn.
  if (std::fabs(topAngle) > detail::kHalfPi || std::fabs(bottomAngle) > detail::kHalfPi ||
      std::fabs(leftAngle) > detail::kPi || std::fabs(rightAngle) > detail::kPi ||
      bottomAngle >= topAngle || leftAngle >= rightAngle || distance <= 0) {
    valid = false;
  }
}

namespace {

// The line o + t * d against the sphere: with len = |d|, the roots are
// t0 = (-b - q) / len and t1 = (q - b) / len; false when d is zero or the
// line misses.
struct SphereRoots {
  double len;
  double b;
  double q;

  bool solve(const Vec3d &rayOrigin, const Vec3d &rayDir, const Vec3d &center, double radius) {
    // The roots below take non-negative arguments, where the guarded square
    // root and the plain one agree bit for bit; the plain one inlines.
    len = length(rayDir);
    if (len == 0) {
      return false;
    }
    const Vec3d m = rayOrigin - center;
    b = dot(m, rayDir) / len;
    const double disc = b * b - (dot(m, m) - radius * radius);
    if (disc < 0) {
      return false;
    }
    q = std::sqrt(disc);
    return true;
  }
  double t0() const { return (-b - q) / len; }
  double t1() const { return (q - b) / len; }
};

} // namespace

bool Sphere::IsectSphereParam(const Vec3d &rayOrigin, const Vec3d &rayDir, const Vec3d &center,
                              double radius, double &t0, double &t1) {
  SphereRoots roots;
  if (!roots.solve(rayOrigin, rayDir, center, radius)) {
    return false;
  }
  t0 = roots.t0();
  t1 = roots.t1();
  return true;
}

bool Sphere::IsectRaySphere(const Vec3d &rayOrigin, const Vec3d &rayDir, const Vec3d &center,
                            double radius, RayT which, Vec3d &point) {
  // Each root is divided out only when it is needed.
  SphereRoots roots;
  if (!roots.solve(rayOrigin, rayDir, center, radius)) {
    return false;
  }
  double t = 0;
  if (which == kExit) {
    t = roots.t1();
  } else if (which == kFirstAhead) {
    t = roots.t0();
    if (!(t >= 0)) {
      t = roots.t1();
      if (!(t >= 0)) {
        return false;
      }
    }
  } else {
    t = roots.t0();
  }
  point = rayOrigin + rayDir * t;
  return true;
}

bool Sphere::ClampIsectRayUnitSphere(const Vec3d &rayOrigin, const Vec3d &rayDir, RayT which,
                                     Vec3d &point) {
  const Vec3d &p = rayOrigin;
  const double b = dot(p, rayDir);
  const double pp = dot(p, p);
  if (!(pp > 1 && b > 0)) {
    const double dd = dot(rayDir, rayDir);
    const double tq = -b / dd;
    const Vec3d q = p + rayDir * tq; // the point of the line nearest the centre
    const double q2 = dot(q, q);
    if (q2 <= 1) {
      const double h = std::sqrt((1 - q2) / dd); // q2 <= 1
      const bool ahead = which == kExit || (which == kFirstAhead && pp < 1);
      point = q + rayDir * (ahead ? h : -h);
      return true;
    }
  }
  // The line misses, or the ray moves away from outside: the rim seen from p
  // (the circle where the cone of tangents from p touches the sphere), at the
  // point nearest to where the ray points.
  const double k = 1 / pp;
  Vec3d w = rayDir - p * (b * k);
  if (dot(w, w) == 0) {
    // rayDir is along p: any direction across p picks a rim point; take the
    // axis of p's smallest component.
    const double ax = std::fabs(p.x);
    const double ay = std::fabs(p.y);
    const double az = std::fabs(p.z);
    Vec3d axis;
    if (ay < ax) {
      axis = az < ay ? Vec3d{0, 0, 1} : Vec3d{0, 1, 0};
    } else {
      axis = az >= ax ? Vec3d{1, 0, 0} : Vec3d{0, 0, 1};
    }
    w = axis - p * (dot(axis, p) * k);
  }
  point = p * k + w * FastMath::sqrt((1 - k) / dot(w, w));
  return false;
}

bool Sphere::ClampIsectRaySphere(const Vec3d &rayOrigin, const Vec3d &rayDir, const Vec3d &center,
                                 double radius, RayT which, Vec3d &point) {
  const Vec3d p = (rayOrigin - center) * (1 / radius);
  const bool r = ClampIsectRayUnitSphere(p, rayDir, which, point);
  point = point * radius + center;
  return r;
}

Vec3d Sphere::getNormal(const Vec3d &point) const {
  Vec3d n = origin - point;
  const double len = divideByLength(n);
  return detail::isNear(len, 0) ? Vec3d::zero : n;
}

bool Sphere::isPtOnSurface(const Vec3d &point) const {
  const Vec3d d = point - origin;
  return detail::isNear(dot(d, d), distance * distance);
}

bool detail::sphereIntersectRay(const Sphere &s, const Vec3d &rayOrigin, const Vec3d &rayDir,
                                Vec3d &hit, bool clamp, Vec2d *onPhotograph) {
  double t0 = 0;
  double t1 = 0;
  if (Sphere::IsectSphereParam(rayOrigin, rayDir, s.origin, s.distance, t0, t1) &&
      (t0 >= 0 || t1 >= 0)) {
    // The exit point: from inside the sphere the only intersection ahead.
    const double t = t1 > t0 ? t1 : t0;
    hit = rayOrigin + rayDir * t;
    const bool res = detail::hitOnPhotograph(s, hit, onPhotograph);
    if (!res && clamp) {
      s.projectToSurface(hit);
    }
    return res;
  }
  if (!clamp) {
    return false;
  }
  Sphere::ClampIsectRaySphere(rayOrigin, rayDir, s.origin, s.distance, Sphere::kEntry, hit);
  s.doSnapPoint(hit);
  return false;
}

bool Sphere::intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                          bool clamp) const {
  return detail::sphereIntersectRay(*this, rayOrigin, rayDir, hit, clamp, nullptr);
}

bool Sphere::getRelativeCoords(const Vec3d &point, double &u, double &v) const {
  if (!valid) {
    return false;
  }
  Vec3d d = point - origin;
  divideByLength(d);
  const double e = dot(d, upAxis);
  const double phi = FastMath::asin(e);
  Vec3d h = d - upAxis * e;
  divideByLength(h);
  double theta = FastMath::acos(dot(h, viewDir));
  // Straight behind is +pi; a point on the up axis (h = 0) has theta = pi/2.
  if (dot(h, rightAxis) < 0) {
    theta = -theta;
  }
  theta = detail::seamAzimuth(theta, leftAngle, rightAngle);
  detail::relativeFromFractions((theta - leftAngle) / (rightAngle - leftAngle),
                                (phi - bottomAngle) / (topAngle - bottomAngle), u, v);
  return true;
}

Vec3d Sphere::getPointFromCoords(double u, double v, bool *ok) const {
  double s = 0;
  double t = 0;
  if (!detail::fractionsIfValid(valid, u, v, ok, s, t)) {
    return Vec3d::zero;
  }
  return detail::spherePoint(*this, detail::SinCos::of(leftAngle + (rightAngle - leftAngle) * s),
                             detail::SinCos::of(bottomAngle + (topAngle - bottomAngle) * t));
}

double Sphere::getWidthHeightRatio() const {
  return (rightAngle - leftAngle) / (topAngle - bottomAngle);
}

void Sphere::getWrapping(bool &wrapU, bool &wrapV) const {
  wrapU = rightAngle - leftAngle > detail::kPi;
  wrapV = false;
}

double Sphere::getViewingDistanceImpl(double hFov, double vFov, double fovScale) const {
  const double dH = detail::edgeViewingDistance(distance, leftAngle, rightAngle,
                                                elementary::tan(hFov * fovScale * 0.5));
  const double dV = detail::edgeViewingDistance(distance, topAngle, bottomAngle,
                                                elementary::tan(0.5 * fovScale * vFov));
  return dH > dV ? dH : dV;
}

void Sphere::getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const {
  detail::horizontalViewDirection(*this, requested, result);
}

void Sphere::projectToSurface(Vec3d &point) const {
  Vec3d d = point - origin;
  const double len = divideByLength(d);
  if (detail::isNear(len, 0)) {
    // At the centre every direction is as near: take the middle of the
    // photograph.
    point = getPointFromCoords(0, 0, nullptr);
    return;
  }
  point = origin + d * distance;
  doSnapPoint(point);
}

} // namespace orrery
