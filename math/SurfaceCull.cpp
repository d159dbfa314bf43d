#include "math/Surface.h"
#include "math/detail/SurfaceShapes.h"

#include <cmath>

// Culling a photograph to a view frustum: the periodic rectangle that
// collects relative coordinates, and FovDelimitedSurface::cullToFrustum.

namespace orrery {

namespace {

// The alias of the periodic coordinate c (itself or one period away) that
// keeps the interval [lo, hi] shortest once c is added; a tie goes to the
// alias.
double periodicAlias(double c, double lo, double hi) {
  if (!(std::fabs(c) <= 1.0000000000000002)) {
    return c;
  }
  const double alt = c > 0 ? c - 2 : c + 2;
  const double spanDirect = std::fmax(hi, c) - std::fmin(lo, c);
  const double spanAlt = std::fmax(hi, alt) - std::fmin(lo, alt);
  return spanAlt > spanDirect ? c : alt;
}

bool hasArea(const Rect<double, Vec2d> &r) { return r.min.x < r.max.x && r.min.y < r.max.y; }

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
  // A hit on a curved shape has its coordinates in found already.
  bool known = false;
  switch (detail::shapeOf(*surface)) {
  case detail::ShapeKind::kSphere:
    hit = detail::sphereIntersectRay(static_cast<const Sphere &>(*surface), rayOrigin, rayDir,
                                     point, true, &found);
    known = hit;
    break;
  case detail::ShapeKind::kCylinder:
    hit = detail::cylinderIntersectRay(static_cast<const Cylinder &>(*surface), rayOrigin, rayDir,
                                       point, true, &found);
    known = hit;
    break;
  case detail::ShapeKind::kRectangle:
  case detail::ShapeKind::kOther:
    hit = surface->intersectRay(rayOrigin, rayDir, point, true);
    break;
  }
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

// ---------------------------------------------------------------------------
// CullRect

void CullRect::extend(const Vec2d &p) {
  // Lowest lower bound a periodic coordinate keeps before the interval is
  // shifted up by one period.
  static constexpr double kMinThreshold = -1.000001;

  Vec2d q = p;
  if (!isEmpty()) {
    if (wrapX) {
      q.x = periodicAlias(q.x, min.x, max.x);
    }
    if (wrapY) {
      q.y = periodicAlias(q.y, min.y, max.y);
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
  detail::OutlinePoints outline(*this);
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 4; ++i) {
      const Vec2d c = detail::lerp(corners[k], corners[(k + 1) % 4], 0.25 * i);
      if (frustum.isPtInside(outline.at(c.x, c.y))) {
        inRect.extend(c);
        anyInside = true;
      }
    }
  }
  // The frustum's border on the photograph: 16 rays from the eye.
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 4; ++i) {
      const Vec3d d = detail::lerp(frustum.edges[k], frustum.edges[(k + 1) % 4], 0.25 * i);
      extendCullBox(this, anyInside, frustum.eye, d, inRect, allRect);
    }
  }

  Rect<double, Vec2d> r = inRect;
  if (hasArea(inRect)) {
    if (!allRect.isEmpty()) {
      r.min = {std::fmin(inRect.min.x, allRect.min.x), std::fmin(inRect.min.y, allRect.min.y)};
      r.max = {std::fmax(inRect.max.x, allRect.max.x), std::fmax(inRect.max.y, allRect.max.y)};
    }
  } else if (hasArea(allRect)) {
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

} // namespace orrery
