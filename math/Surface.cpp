#include "math/Surface.h"
#include "math/Elementary.h"
#include "math/detail/Angles.h"

#include "math/FastMath.h"
#include "math/Units.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <typeinfo>

namespace orrery {

namespace {

// Relative coordinates a point may exceed +-1 by and still be on the
// photograph.
constexpr double kSurfEdgeSlack = 1.000001;

// The azimuth of a point as getRelativeCoords reads it. theta in [-pi, pi]
// comes from the shape's fixed sign rule; a photograph that does not wrap but
// whose range reaches or crosses +-pi takes, of theta and theta -+ 2 pi, the
// one nearest the middle of its range (the first of theta, theta - 2 pi,
// theta + 2 pi on a tie), so that its points on both sides of the turn read
// as one interval. Every other photograph keeps theta (NaN angles too).
double surfSeamAzimuth(double theta, double left, double right) {
  if (right - left > detail::kPi || !(left <= -detail::kPi || right >= detail::kPi)) {
    return theta;
  }
  const double middle = (left + right) * 0.5;
  const double below = theta - 2 * detail::kPi;
  const double above = theta + 2 * detail::kPi;
  double best = theta;
  if (std::fabs(below - middle) < std::fabs(best - middle)) {
    best = below;
  }
  if (std::fabs(above - middle) < std::fabs(best - middle)) {
    best = above;
  }
  return best;
}

// (1 - t) * a + t * b.
Vec2d surfLerp(const Vec2d &a, const Vec2d &b, double t) { return a * (1 - t) + b * t; }
Vec3d surfLerp(const Vec3d &a, const Vec3d &b, double t) { return a * (1 - t) + b * t; }

// The distance behind the centre, along -viewDir, from which a half field of
// view whose tangent is tanHalfFov just reaches the nearer of two edges at the
// angles a0 and a1 on a circle of radius r.
double surfEdgeViewingDistance(double r, double a0, double a1, double tanHalfFov) {
  double a = std::fmin(std::fabs(a0), std::fabs(a1));
  if (a > detail::kHalfPi) {
    a = detail::kHalfPi;
  }
  return r * (elementary::sin(a) / tanHalfFov - elementary::cos(a));
}

// The view direction of a wrapping surface: requested made horizontal when it
// meets the photograph from the viewpoint, else viewDir.
void surfHorizontalViewDirection(const FovDelimitedSurface &s, const Vec3d &requested,
                                 Vec3d &result) {
  result = requested - s.upAxis * dot(requested, s.upAxis);
  Vec3d scratch;
  if (length(result) < kAlmostEqualTolerance || !s.intersectRay(s.origin, result, scratch, false)) {
    result = s.viewDir;
  }
}

// The fractions s = (u + 1) / 2 and t = (v + 1) / 2 across the photograph
// for getPointFromCoords, which reports validity through ok; false when the
// surface is invalid.
bool surfFractions(bool valid, double u, double v, bool *ok, double &s, double &t) {
  if (ok != nullptr) {
    *ok = valid;
  }
  s = (u + 1) * 0.5;
  t = (v + 1) * 0.5;
  return valid;
}

// Relative coordinates from the fractions s and t.
void surfRelative(double s, double t, double &u, double &v) {
  u = 2 * s - 1;
  v = 2 * t - 1;
}

// Clamps x into [-1, 1]; NaN stays NaN.
double surfClampUnit(double x) {
  if (x > 1) {
    return 1;
  }
  if (x < -1) {
    return -1;
  }
  return x;
}

// The alias of the periodic coordinate c (itself or one period away) that
// keeps the interval [lo, hi] shortest once c is added; a tie goes to the
// alias.
double surfPeriodicAlias(double c, double lo, double hi) {
  if (!(std::fabs(c) <= 1.0000000000000002)) {
    return c;
  }
  const double alt = c > 0 ? c - 2 : c + 2;
  const double spanDirect = std::fmax(hi, c) - std::fmin(lo, c);
  const double spanAlt = std::fmax(hi, alt) - std::fmin(lo, alt);
  return spanAlt > spanDirect ? c : alt;
}

bool surfHasArea(const Rect<double, Vec2d> &r) { return r.min.x < r.max.x && r.min.y < r.max.y; }

// An angle with its sine and cosine, which set takes only for an angle not
// already held (compared bit for bit: -0 and +0 have sines of either sign).
struct SurfSinCos {
  std::uint64_t bits = 0;
  bool held = false;
  double sin = 0;
  double cos = 0;

  void set(double angle) {
    const auto b = std::bit_cast<std::uint64_t>(angle);
    if (held && b == bits) {
      return;
    }
    bits = b;
    held = true;
    sin = elementary::sin(angle);
    cos = elementary::cos(angle);
  }
};

// Cylinder::getPointFromCoords at the azimuth theta and the height fraction t.
Vec3d cylinderPoint(const Cylinder &c, const SurfSinCos &theta, double t) {
  const double h = c.height * t + c.bottomHeight;
  return c.origin + c.viewDir * (c.distance * theta.cos) + c.rightAxis * (c.distance * theta.sin) +
         c.upAxis * h;
}

// Sphere::getPointFromCoords at the azimuth theta and the elevation phi.
Vec3d spherePoint(const Sphere &s, const SurfSinCos &theta, const SurfSinCos &phi) {
  const double cosPhi = phi.cos;
  const Vec3d dir =
      s.viewDir * (cosPhi * theta.cos) + s.rightAxis * (cosPhi * theta.sin) + s.upAxis * phi.sin;
  return s.origin + dir * s.distance;
}

// getPointFromCoords(u, v, nullptr) for a run of points along the outline
// of the photograph: along an edge one angle stays the same, and for the
// library's curved shapes its sine and cosine are kept from the point before.
class SurfOutlinePoints {
public:
  explicit SurfOutlinePoints(const FovDelimitedSurface &s)
      : surface(s), sphere(typeid(s) == typeid(Sphere) ? static_cast<const Sphere *>(&s) : nullptr),
        cylinder(typeid(s) == typeid(Cylinder) ? static_cast<const Cylinder *>(&s) : nullptr) {}

  Vec3d at(double u, double v) {
    double s = 0;
    double t = 0;
    if ((sphere == nullptr && cylinder == nullptr) ||
        !surfFractions(surface.valid, u, v, nullptr, s, t)) {
      return surface.getPointFromCoords(u, v, nullptr);
    }
    const FovDelimitedSurface &f = surface;
    theta.set(f.leftAngle + (f.rightAngle - f.leftAngle) * s);
    if (cylinder != nullptr) {
      return cylinderPoint(*cylinder, theta, t);
    }
    phi.set(f.bottomAngle + (f.topAngle - f.bottomAngle) * t);
    return spherePoint(*sphere, theta, phi);
  }

private:
  const FovDelimitedSurface &surface;
  const Sphere *sphere;
  const Cylinder *cylinder;
  SurfSinCos theta;
  SurfSinCos phi;
};

// FovDelimitedSurface::isPtOnFiniteSurface, also giving the relative
// coordinates it finds.
bool surfOnFiniteSurface(const FovDelimitedSurface &s, const Vec3d &point, double &u, double &v) {
  u = 0;
  v = 0;
  if (!s.isPtOnSurface(point) || !s.getRelativeCoords(point, u, v)) {
    return false;
  }
  return std::fabs(u) < kSurfEdgeSlack && std::fabs(v) < kSurfEdgeSlack;
}

// The shapes' intersectRay. With onPhotograph given, the photograph test of
// the hit is surfOnFiniteSurface, whose relative coordinates are kept there;
// without it, the virtual isPtOnFiniteSurface, as intersectRay has it.
bool sphereIntersectRay(const Sphere &s, const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                        bool clamp, Vec2d *onPhotograph);
bool cylinderIntersectRay(const Cylinder &cyl, const Vec3d &rayOrigin, const Vec3d &rayDir,
                          Vec3d &hit, bool clamp, Vec2d *onPhotograph);

// The photograph test of a shape's hit.
bool surfHitOnPhotograph(const FovDelimitedSurface &s, const Vec3d &hit, Vec2d *onPhotograph) {
  if (onPhotograph != nullptr) {
    return surfOnFiniteSurface(s, hit, onPhotograph->x, onPhotograph->y);
  }
  return s.isPtOnFiniteSurface(hit);
}

// Casts one ray at the surface and extends allRect, and hitRect when the ray
// meets the photograph or always is set, with the relative coordinates of
// where it lands (clamped onto the photograph on a miss). For the library's
// own curved shapes the coordinates of a hit are those its photograph test
// found, not taken a second time.
void extendCullBox(const FovDelimitedSurface *surface, bool always, const Vec3d &rayOrigin,
                   const Vec3d &rayDir, CullRect &hitRect, CullRect &allRect) {
  Vec3d point = rayOrigin;
  Vec2d found = {};
  bool hit = false;
  const std::type_info &type = typeid(*surface);
  if (type == typeid(Sphere)) {
    hit = sphereIntersectRay(static_cast<const Sphere &>(*surface), rayOrigin, rayDir, point, true,
                             &found);
  } else if (type == typeid(Cylinder)) {
    hit = cylinderIntersectRay(static_cast<const Cylinder &>(*surface), rayOrigin, rayDir, point,
                               true, &found);
  } else {
    hit = surface->intersectRay(rayOrigin, rayDir, point, true);
  }
  // A hit on a curved shape has its coordinates in found already.
  const bool known = hit && (type == typeid(Sphere) || type == typeid(Cylinder));
  double u = found.x;
  double v = found.y;
  if (!known && !surface->getRelativeCoords(point, u, v)) {
    return;
  }
  if (hit || always) {
    hitRect.extend({u, v});
  }
  allRect.extend({u, v});
}

} // namespace

template struct Rect<double, Vec2d>;

// ---------------------------------------------------------------------------
// CullRect

void CullRect::extend(const Vec2d &p) {
  // Lowest lower bound a periodic coordinate keeps before the interval is
  // shifted up by one period.
  static constexpr double kMinThreshold = -1.000001;

  Vec2d q = p;
  if (!isEmpty()) {
    if (wrapX) {
      q.x = surfPeriodicAlias(q.x, min.x, max.x);
    }
    if (wrapY) {
      q.y = surfPeriodicAlias(q.y, min.y, max.y);
    }
  }
  if (q.x < min.x) {
    min.x = q.x;
  }
  if (q.x > max.x) {
    max.x = q.x;
  }
  if (q.y < min.y) {
    min.y = q.y;
  }
  if (q.y > max.y) {
    max.y = q.y;
  }
  if (wrapX && min.x < kMinThreshold) {
    min.x += 2;
    max.x += 2;
  }
  if (wrapY && min.y < kMinThreshold) {
    min.y += 2;
    max.y += 2;
  }
}

// ---------------------------------------------------------------------------
// ISurface and FovDelimitedSurface

ISurface::~ISurface() = default;

FovDelimitedSurface::FovDelimitedSurface(const Mat4d &placement, double distance, double topAngle,
                                         double bottomAngle, double leftAngle, double rightAngle)
    : placement(placement), origin(), viewDir(), upAxis(), rightAxis(), distance(distance),
      valid(true), topAngle(topAngle), bottomAngle(bottomAngle), leftAngle(leftAngle),
      rightAngle(rightAngle) {
  buildVectors();
}

FovDelimitedSurface::~FovDelimitedSurface() = default;

bool FovDelimitedSurface::IsNear(double a, double b) {
  // 0.1 metre in planet radii, fixed by the radius in force at the first call.
  static const double kDistanceThreshold = 0.1 * Units::sInvPlanetRadius;
  return std::fabs(a - b) < kDistanceThreshold;
}

void FovDelimitedSurface::buildVectors() {
  const double *m = placement.m;
  rightAxis = {m[0], m[1], m[2]};
  upAxis = {m[4], m[5], m[6]};
  viewDir = {-m[8], -m[9], -m[10]};
  divideByLength(rightAxis);
  divideByLength(upAxis);
  divideByLength(viewDir);
  origin = {m[12], m[13], m[14]};
}

bool FovDelimitedSurface::isPtOnFiniteSurface(const Vec3d &point) const {
  double u = 0;
  double v = 0;
  return surfOnFiniteSurface(*this, point, u, v);
}

bool FovDelimitedSurface::doSnapPoint(Vec3d &point) const {
  double u = 0;
  double v = 0;
  if (!isPtOnSurface(point) || !getRelativeCoords(point, u, v)) {
    return false;
  }
  point = getPointFromCoords(surfClampUnit(u), surfClampUnit(v), nullptr);
  return true;
}

Vec2d FovDelimitedSurface::wrapCoords(const Vec2d &coords) const {
  bool wrapU = false;
  bool wrapV = false;
  getWrapping(wrapU, wrapV);
  Vec2d c = coords;
  if (wrapV) {
    if (c.y > 1) {
      c.y -= 2;
    } else if (c.y < -1) {
      c.y += 2;
    }
  }
  if (wrapU) {
    if (c.x > 1) {
      c.x -= 2;
    } else if (c.x < -1) {
      c.x += 2;
    }
  }
  return c;
}

double FovDelimitedSurface::getViewingDistance(double hFov, double vFov, double fovScale) const {
  if (hFov <= 0 || hFov >= detail::kPi || vFov <= 0 || vFov >= detail::kPi || fovScale <= 0) {
    return distance;
  }
  const double r = getViewingDistanceImpl(hFov, vFov, fovScale);
  return r < 0 ? 0.0 : r;
}

void FovDelimitedSurface::getViewDirection(const Vec3d &requested, Vec3d &result) const {
  if (!valid) {
    result = requested;
    return;
  }
  bool wrapU = false;
  bool wrapV = false;
  getWrapping(wrapU, wrapV);
  if (wrapU || wrapV) {
    getViewDirectionImpl(requested, result);
    return;
  }
  result = viewDir;
  divideByLength(result);
}

bool FovDelimitedSurface::isViewCloseToSurface(const Mat4d &view, const Mat4d &projection,
                                               double threshold) const {
  // The photograph's outline, counter-clockwise from the bottom-left corner.
  static const Vec2d corners[4] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  if (!valid) {
    return false;
  }
  double minX = kEmptyRectBound;
  double minY = kEmptyRectBound;
  double maxX = -kEmptyRectBound;
  double maxY = -kEmptyRectBound;
  SurfOutlinePoints outline(*this);
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 10; ++i) {
      const Vec2d c = surfLerp(corners[k], corners[(k + 1) % 4], i / 9.0);
      Vec3d p = outline.at(c.x, c.y);
      p *= view;
      p.project(projection);
      if (p.z >= -1 && p.z <= 1) {
        minX = std::fmin(minX, p.x);
        maxX = std::fmax(maxX, p.x);
        minY = std::fmin(minY, p.y);
        maxY = std::fmax(maxY, p.y);
      }
    }
  }
  if (minX < maxX && minY < maxY) {
    return 0.5 * std::fmax(maxX - minX, maxY - minY) > threshold;
  }
  return false;
}

void FovDelimitedSurface::cullToFrustum(const Frustum &frustum, Rect<double, Vec2d> &rect) const {
  // The photograph's outline, counter-clockwise from the bottom-left corner.
  static const Vec2d corners[4] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  if (!valid) {
    return;
  }
  bool wrapU = false;
  bool wrapV = false;
  getWrapping(wrapU, wrapV);
  CullRect inRect = {kEmptyRect, wrapU, wrapV};
  CullRect allRect = inRect;
  bool anyInside = false;

  // The photograph's outline inside the frustum: 16 samples, each corner once.
  SurfOutlinePoints outline(*this);
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 4; ++i) {
      const Vec2d c = surfLerp(corners[k], corners[(k + 1) % 4], 0.25 * i);
      if (frustum.isPtInside(outline.at(c.x, c.y))) {
        inRect.extend(c);
        anyInside = true;
      }
    }
  }
  // The frustum's border on the photograph: 16 rays from the eye.
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 4; ++i) {
      const Vec3d d = surfLerp(frustum.edges[k], frustum.edges[(k + 1) % 4], 0.25 * i);
      extendCullBox(this, anyInside, frustum.eye, d, inRect, allRect);
    }
  }

  Rect<double, Vec2d> r = inRect;
  if (surfHasArea(inRect)) {
    if (!allRect.isEmpty()) {
      r.min = {std::fmin(inRect.min.x, allRect.min.x), std::fmin(inRect.min.y, allRect.min.y)};
      r.max = {std::fmax(inRect.max.x, allRect.max.x), std::fmax(inRect.max.y, allRect.max.y)};
    }
  } else if (surfHasArea(allRect)) {
    // The samples found no area, but the middle of the view may still meet
    // the photograph (a view well inside a large photograph).
    Vec3d scratch;
    if (intersectRay(frustum.eye, (frustum.edges[1] + frustum.edges[3]) * 0.5, scratch, false)) {
      r = allRect;
    }
  }
  // More than half a period of a periodic coordinate: take all of it.
  if (wrapU && r.max.x - r.min.x > 1) {
    r.min.x = -1;
    r.max.x = 1;
  }
  if (wrapV && r.max.y - r.min.y > 1) {
    r.min.y = -1;
    r.max.y = 1;
  }
  rect.min = r.min;
  rect.max = r.max;
}

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
  return valid && IsNear(dot(origin - point, normal), distance);
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
  if (!IsNear(denom, 0)) { // not parallel to the plane
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
  surfRelative(dot(w, edgeU) / lengthU, dot(w, edgeV) / lengthV, u, v);
  return true;
}

Vec3d Rectangle::getPointFromCoords(double u, double v, bool *ok) const {
  double s = 0;
  double t = 0;
  if (!surfFractions(valid, u, v, ok, s, t)) {
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
  return IsNear(dot(w, w) - a * a, distance * distance);
}

namespace {

bool cylinderIntersectRay(const Cylinder &cyl, const Vec3d &rayOrigin, const Vec3d &rayDir,
                          Vec3d &hit, bool clamp, Vec2d *onPhotograph) {
  const Vec3d rc = rayOrigin - cyl.origin;
  Vec3d dn = rayDir;
  divideByLength(dn);
  Vec3d n = cross(dn, cyl.upAxis);
  const double ln = divideByLength(n);
  if (Cylinder::IsNear(ln, 0)) {
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
    const bool res = surfHitOnPhotograph(cyl, hit, onPhotograph);
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

} // namespace

bool Cylinder::intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                            bool clamp) const {
  return cylinderIntersectRay(*this, rayOrigin, rayDir, hit, clamp, nullptr);
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
  theta = surfSeamAzimuth(theta, leftAngle, rightAngle);
  const double h = dot(point - origin, upAxis);
  surfRelative((theta - leftAngle) / (rightAngle - leftAngle), (h - bottomHeight) / height, u, v);
  return true;
}

Vec3d Cylinder::getPointFromCoords(double u, double v, bool *ok) const {
  double s = 0;
  double t = 0;
  if (!surfFractions(valid, u, v, ok, s, t)) {
    return Vec3d::zero;
  }
  SurfSinCos theta;
  theta.set(leftAngle + (rightAngle - leftAngle) * s);
  return cylinderPoint(*this, theta, t);
}

double Cylinder::getWidthHeightRatio() const {
  return (rightAngle - leftAngle) / (elementary::tan(topAngle) - elementary::tan(bottomAngle));
}

void Cylinder::getWrapping(bool &wrapU, bool &wrapV) const {
  wrapU = rightAngle - leftAngle > detail::kPi;
  wrapV = false;
}

double Cylinder::getViewingDistanceImpl(double hFov, double vFov, double fovScale) const {
  const double dH = surfEdgeViewingDistance(distance, leftAngle, rightAngle,
                                            elementary::tan(hFov * fovScale * 0.5));
  const double dV = distance * (elementary::tan(topAngle) - elementary::tan(bottomAngle)) /
                    (2 * elementary::tan(0.5 * fovScale * vFov));
  return dH > dV ? dH : dV;
}

void Cylinder::getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const {
  surfHorizontalViewDirection(*this, requested, result);
}

void Cylinder::projectToSurface(Vec3d &point) const {
  const Vec3d w = point - origin;
  const double a = dot(w, upAxis);
  Vec3d r = w - upAxis * a;
  if (IsNear(length(r), 0)) {
    r = viewDir; // on the axis: move along the viewing direction
  }
  divideByLength(r);
  point = origin + upAxis * a + r * distance;
  doSnapPoint(point);
}

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
struct SurfSphereRoots {
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
  SurfSphereRoots roots;
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
  SurfSphereRoots roots;
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
  return IsNear(len, 0) ? Vec3d::zero : n;
}

bool Sphere::isPtOnSurface(const Vec3d &point) const {
  const Vec3d d = point - origin;
  return IsNear(dot(d, d), distance * distance);
}

namespace {

bool sphereIntersectRay(const Sphere &s, const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                        bool clamp, Vec2d *onPhotograph) {
  double t0 = 0;
  double t1 = 0;
  if (Sphere::IsectSphereParam(rayOrigin, rayDir, s.origin, s.distance, t0, t1) &&
      (t0 >= 0 || t1 >= 0)) {
    // The exit point: from inside the sphere the only intersection ahead.
    const double t = t1 > t0 ? t1 : t0;
    hit = rayOrigin + rayDir * t;
    const bool res = surfHitOnPhotograph(s, hit, onPhotograph);
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

} // namespace

bool Sphere::intersectRay(const Vec3d &rayOrigin, const Vec3d &rayDir, Vec3d &hit,
                          bool clamp) const {
  return sphereIntersectRay(*this, rayOrigin, rayDir, hit, clamp, nullptr);
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
  theta = surfSeamAzimuth(theta, leftAngle, rightAngle);
  surfRelative((theta - leftAngle) / (rightAngle - leftAngle),
               (phi - bottomAngle) / (topAngle - bottomAngle), u, v);
  return true;
}

Vec3d Sphere::getPointFromCoords(double u, double v, bool *ok) const {
  double s = 0;
  double t = 0;
  if (!surfFractions(valid, u, v, ok, s, t)) {
    return Vec3d::zero;
  }
  SurfSinCos theta;
  SurfSinCos phi;
  theta.set(leftAngle + (rightAngle - leftAngle) * s);
  phi.set(bottomAngle + (topAngle - bottomAngle) * t);
  return spherePoint(*this, theta, phi);
}

double Sphere::getWidthHeightRatio() const {
  return (rightAngle - leftAngle) / (topAngle - bottomAngle);
}

void Sphere::getWrapping(bool &wrapU, bool &wrapV) const {
  wrapU = rightAngle - leftAngle > detail::kPi;
  wrapV = false;
}

double Sphere::getViewingDistanceImpl(double hFov, double vFov, double fovScale) const {
  const double dH = surfEdgeViewingDistance(distance, leftAngle, rightAngle,
                                            elementary::tan(hFov * fovScale * 0.5));
  const double dV = surfEdgeViewingDistance(distance, topAngle, bottomAngle,
                                            elementary::tan(0.5 * fovScale * vFov));
  return dH > dV ? dH : dV;
}

void Sphere::getViewDirectionImpl(const Vec3d &requested, Vec3d &result) const {
  surfHorizontalViewDirection(*this, requested, result);
}

void Sphere::projectToSurface(Vec3d &point) const {
  Vec3d d = point - origin;
  const double len = divideByLength(d);
  if (IsNear(len, 0)) {
    // At the centre every direction is as near: take the middle of the
    // photograph.
    point = getPointFromCoords(0, 0, nullptr);
    return;
  }
  point = origin + d * distance;
  doSnapPoint(point);
}

} // namespace orrery
