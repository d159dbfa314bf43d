#include "math/Surface.h"
#include "math/detail/SurfaceShapes.h"

#include <cmath>

// The base of the shapes: what FovDelimitedSurface writes once on top of the
// shape mapping. The culling is in math/SurfaceCull.cpp, each shape in its own
// source.

namespace orrery {

namespace {

// Clamps x into [-1, 1]; NaN stays NaN.
double clampUnit(double x) {
  if (x > 1) {
    return 1;
  }
  if (x < -1) {
    return -1;
  }
  return x;
}

} // namespace

template struct Rect<double, Vec2d>;

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

bool FovDelimitedSurface::IsNear(double a, double b) { return detail::isNear(a, b); }

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
  return detail::onFiniteSurface(*this, point, u, v);
}

bool FovDelimitedSurface::doSnapPoint(Vec3d &point) const {
  double u = 0;
  double v = 0;
  if (!isPtOnSurface(point) || !getRelativeCoords(point, u, v)) {
    return false;
  }
  point = getPointFromCoords(clampUnit(u), clampUnit(v), nullptr);
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
  detail::OutlinePoints outline(*this);
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 10; ++i) {
      const Vec2d c = detail::lerp(corners[k], corners[(k + 1) % 4], i / 9.0);
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

} // namespace orrery
