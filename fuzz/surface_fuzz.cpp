// Each surface (rectangle, cylinder, sphere) built from fuzzed placement and
// angles, then driven through every operation: an invalid surface gives the
// documented neutral answers (cullToFrustum leaves the rectangle untouched),
// a valid one maps relative coordinates to points of the photograph and
// back, its rays land where they aim, and no operation after construction
// allocates. Every surface is released with its last holder.

#include "fuzz/FuzzSupport.h"
#include "math/Surface.h"
#include "tests/support/SurfaceProperties.h"

#include <cmath>

using namespace orrery;

namespace {

using test::kPi;

// A rigid placement (rows right, up, backward, viewpoint), or any matrix.
Mat4d readPlacement(fuzz::Input &in, bool &rigid) {
  Mat4d m;
  rigid = in.byte() % 4 != 0;
  if (!rigid) {
    for (double &e : m.m) {
      e = in.number();
    }
    return m;
  }
  Vec3d back = in.vec3(1.0);
  Vec3d up = in.vec3(1.0);
  if (divideByLength(back) < 0.1) {
    back = {0, 0, 1};
  }
  up = up - back * dot(up, back);
  if (divideByLength(up) < 0.1) {
    up = std::fabs(back.y) < 0.9 ? Vec3d{0, 1, 0} : Vec3d{1, 0, 0};
    up = up - back * dot(up, back);
    divideByLength(up);
  }
  const Vec3d right = cross(up, back);
  const Vec3d o = in.vec3(2.0);
  m.set(right.x, right.y, right.z, 0, up.x, up.y, up.z, 0, back.x, back.y, back.z, 0, o.x, o.y, o.z,
        1);
  return m;
}

struct Angles {
  double distance, top, bottom, left, right;
  bool check = true; // a sphere is checked unless its range crosses the turn
};

Angles readAngles(fuzz::Input &in, int shape) {
  if (in.byte() % 4 == 0) {
    return {in.number(), in.number(), in.number(), in.number(), in.number()};
  }
  const double vLimit = shape == 2 ? kPi / 2 : 1.5;
  const double hLimit = shape == 0 ? 1.5 : kPi;
  const double bottom = in.within(-vLimit, vLimit - 0.02);
  const double top = in.within(bottom + 0.01, vLimit);
  double left = in.within(-hLimit, hLimit - 0.02);
  double right = in.within(left + 0.01, hLimit);
  // Photographs of a few hundred metres to a planet radius.
  const double distance = in.within(1e-4, 1.0);
  if (shape == 0) {
    return {distance, top, bottom, left, right};
  }
  // An edge at the turn (+-pi), or for a sphere that is not checked a range
  // across it, that does not wrap; at least 0.01 wide like the others, as the
  // arc cosine leaves about 1e-8 radians near the turn.
  switch (in.byte() % 4) {
  case 1:
    return {distance, top, bottom, -kPi, -kPi + in.within(0.01, kPi)};
  case 2:
    return {distance, top, bottom, kPi - in.within(0.01, kPi), kPi};
  case 3:
    left = kPi - in.within(0.005, 1.5);
    right = kPi + in.within(0.005, 1.5);
    return {distance, top, bottom, left, right, false}; // the cylinder refuses it
  default:
    return {distance, top, bottom, left, right};
  }
}

FovDelimitedSurface *makeSurface(int shape, const Mat4d &placement, const Angles &a) {
  switch (shape) {
  case 0:
    return new Rectangle(placement, a.distance, a.top, a.bottom, a.left, a.right);
  case 1:
    return new Cylinder(placement, a.distance, a.top, a.bottom, a.left, a.right);
  default: {
    auto *s = new Sphere(placement, a.distance, a.top, a.bottom, a.left, a.right);
    if (s != nullptr && a.check) {
      s->checkValid();
    }
    return s;
  }
  }
}

// How far the photograph's farthest corner lies from the viewpoint, or NaN.
double reach(const FovDelimitedSurface &s) {
  double r = 0;
  for (int k = 0; k < 4; ++k) {
    const double d =
        length(s.getPointFromCoords(k & 1 ? 1 : -1, k & 2 ? 1 : -1, nullptr) - s.origin);
    r = d <= r ? r : d;
  }
  return r;
}

void checkValid(const FovDelimitedSurface &s, fuzz::Input &in) {
  bool wrapU = false, wrapV = false;
  s.getWrapping(wrapU, wrapV);
  const double scale = 1.0 + length(s.origin) + s.distance;
  // Relative coordinates to a point of the photograph and back.
  const double u = in.within(-1.0, 1.0);
  const double v = in.within(-0.999, 0.999);
  bool ok = false;
  const Vec3d p = s.getPointFromCoords(u, v, &ok);
  FUZZ_CHECK(ok);
  double u2 = 7.0, v2 = 7.0;
  FUZZ_CHECK(s.getRelativeCoords(p, u2, v2));
  double du = std::fabs(u2 - u);
  if (wrapU || std::fabs(s.rightAngle - s.leftAngle - 2 * kPi) < 1e-9) {
    du = std::fmin(du, std::fabs(2.0 - du));
  }
  // Arc sines and cosines near their flat ends leave about 1e-8 radians;
  // the rectangle's coordinates are linear. At the sphere's poles u is
  // ambiguous, and straight behind for a photograph that wraps or whose
  // range stops just short of the turn; one that does not wrap and reaches
  // or crosses the turn reads on across it.
  const double angleSpan = s.rightAngle - s.leftAngle;
  const double theta = s.leftAngle + angleSpan * (u + 1) / 2;
  const double phi = s.bottomAngle + (s.topAngle - s.bottomAngle) * (v + 1) / 2;
  const bool acrossTurn = !wrapU && (s.leftAngle <= -kPi || s.rightAngle >= kPi);
  if ((acrossTurn || std::fabs(std::fabs(theta) - kPi) > 1e-6) && std::cos(phi) > 1e-3) {
    FUZZ_CHECK(du * angleSpan * std::cos(phi) < 1e-7);
  }
  FUZZ_CHECK(std::fabs(v2 - v) * (s.topAngle - s.bottomAngle) < 1e-7);
  FUZZ_CHECK(s.isPtOnSurface(p));
  (void)s.getNormal(p);

  // A ray from the viewpoint through a point well inside the photograph
  // lands there.
  const double ui = u * 0.98;
  const double vi = v * 0.98;
  const Vec3d target = s.getPointFromCoords(ui, vi, nullptr);
  Vec3d hit{};
  if (s.intersectRay(s.origin, target - s.origin, hit, false)) {
    FUZZ_CHECK(length(hit - target) < 1e-6 * scale);
  }
  Vec3d clamped{};
  const Vec3d anyDir = in.vec3(1.0);
  if (length(anyDir) > 1e-3) {
    (void)s.intersectRay(s.origin + in.vec3(2.0), anyDir, clamped, true);
  }

  // Snapping keeps a point of the photograph where it is.
  Vec3d snapped = target;
  if (s.doSnapPoint(snapped)) {
    FUZZ_CHECK(length(snapped - target) < 1e-6 * scale);
  }
  Vec3d projected = in.vec3(3.0);
  s.projectToSurface(projected);
  (void)s.getViewingDistance(in.within(0.0, 3.5), in.within(0.0, 3.5), in.within(-0.5, 2.0));
  Vec3d direction{};
  s.getViewDirection(in.vec3(1.0), direction);
}

void checkCull(const FovDelimitedSurface &s, fuzz::Input &in, Frustum &frustum) {
  const Vec3d eye = s.origin + in.vec3(1.0) * s.distance;
  Vec3d forward = in.vec3(1.0);
  if (divideByLength(forward) < 0.1) {
    forward = s.viewDir;
  }
  Vec3d up = Vec3d{0, 1, 0} - forward * forward.y;
  if (divideByLength(up) < 0.1) {
    up = {1, 0, 0};
  }
  Mat4d view;
  view.buildLookAt(eye, eye + forward, up);
  const Mat4d projection = fuzz::perspective(in.within(0.2, 2.0), in.within(0.5, 2.0),
                                             1e-3 * s.distance, 10.0 * s.distance);
  if (!frustum.build(view, projection)) {
    return;
  }
  bool wrapU = false, wrapV = false;
  s.getWrapping(wrapU, wrapV);
  Rect<double, Vec2d> rect{{5.0, 5.0}, {6.0, 6.0}};
  fuzz::NoAllocation none;
  s.cullToFrustum(frustum, rect);
  // A border ray's clamped landing point so far out that rounding defeats
  // the 0.1 m on-surface test is not snapped and keeps its coordinates.
  bool snapped = true;
  for (int k = 0; k < 16; ++k) {
    const double t = 0.25 * (k % 4);
    const Vec3d d = frustum.edges[k / 4] * (1 - t) + frustum.edges[(k / 4 + 1) % 4] * t;
    Vec3d p{};
    snapped = snapped && (s.intersectRay(frustum.eye, d, p, true) || s.isPtOnSurface(p));
  }
  const bool empty = rect.min.x == kEmptyRectBound && rect.max.x == -kEmptyRectBound;
  if (snapped && !empty && !std::isnan(rect.min.x) && !std::isnan(rect.min.y)) {
    FUZZ_CHECK(rect.min.x <= rect.max.x && rect.min.y <= rect.max.y);
    // Arc sines and cosines near their flat ends leave about 1e-8 radians,
    // more than 1e-5 of a photograph a few milliradians across.
    const double uEdge = 1.00001 + 2e-7 / (s.rightAngle - s.leftAngle);
    const double vEdge = 1.00001 + 2e-7 / (s.topAngle - s.bottomAngle);
    FUZZ_CHECK(rect.min.y >= -vEdge && rect.max.y <= vEdge);
    // An edge just short of the turn (within 1e-6 of -pi or pi, not on it)
    // is read back at either end of the turn, whichever side rounding puts
    // it on, so such a photograph is bounded only away from that seam.
    const bool reaches = s.leftAngle <= -kPi || s.rightAngle >= kPi;
    const bool seam = !reaches && (std::fabs(std::fabs(s.leftAngle) - kPi) < 1e-6 ||
                                   std::fabs(std::fabs(s.rightAngle) - kPi) < 1e-6);
    if (wrapU) {
      FUZZ_CHECK(rect.min.x >= -uEdge);
      FUZZ_CHECK(rect.max.x - rect.min.x <= 1.0 || (rect.min.x == -1.0 && rect.max.x == 1.0));
    } else if (!seam) {
      FUZZ_CHECK(rect.min.x >= -uEdge && rect.max.x <= uEdge);
    }
  }
  (void)s.isViewCloseToSurface(view, projection, in.within(0.0, 1.0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  fuzz::Input in(data, size);
  auto &counter = fuzz::AllocationCounter::instance();
  const long liveBefore = counter.live;
  const int shape = in.integer(0, 2);
  bool rigid = false;
  const Mat4d placement = readPlacement(in, rigid);
  const Angles angles = readAngles(in, shape);
  {
    RefPtr<FovDelimitedSurface> surface(makeSurface(shape, placement, angles));
    FUZZ_CHECK(surface);
    Frustum frustum;
    if (!surface->valid) {
      fuzz::NoAllocation none;
      const Vec3d point = in.vec3();
      const Vec3d direction = in.vec3();
      FUZZ_CHECK(test::brokenInvalidAnswer(*surface, shape == 0, point, direction, frustum,
                                           in.number()) == nullptr);
    } else {
      const FovDelimitedSurface &s = *surface;
      fuzz::NoAllocation none;
      // NaN angles pass the checks and propagate (documented) to the
      // corners. The curved shapes test points by squared distances against
      // the fixed 0.1 m threshold, which the rounding of the square exceeds
      // beyond about a thousand planet radii. And the rounding of where a
      // photograph is takes more of its relative coordinates the thinner it
      // is beside its size and position (a rectangle a metre tall and three
      // planet radii wide has no second coordinate): the rounded corners
      // tilt the thin edge by about eps P / W (P the position's size, W the
      // thin extent, distance times the thinner angle), which carries a
      // share eps P r / W^2 of the long extent r into the thin coordinate,
      // and the check weighs it by the thinner angle. There only definedness
      // is checked.
      const double r = reach(s);
      const double thinner = std::fmin(s.topAngle - s.bottomAngle, s.rightAngle - s.leftAngle);
      const double position = 1.0 + length(s.origin) + r;
      if (rigid && s.distance > 1e-6 && r < 1e3 && thinner > 1e-6 &&
          s.distance * thinner > 1e-8 * position * r &&
          s.distance * s.distance * thinner > 1e-8 * position * r) {
        checkValid(s, in);
        checkCull(s, in, frustum);
      } else {
        // Whatever the placement, every operation stays defined.
        Rect<double, Vec2d> rect{};
        frustum.build(Mat4d::identity, fuzz::perspective(1.0, 1.0, 0.1, 10.0));
        s.cullToFrustum(frustum, rect);
        double u = 0, v = 0;
        const Vec3d p{in.number(), in.number(), in.number()};
        (void)s.getRelativeCoords(p, u, v);
        Vec3d q = p;
        s.projectToSurface(q);
        Vec3d hit{};
        (void)s.intersectRay(p, Vec3d{in.number(), in.number(), in.number()}, hit, true);
        (void)s.getViewingDistance(in.number(), in.number(), in.number());
        (void)s.isViewCloseToSurface(Mat4d::identity, Mat4d::identity, 0.5);
      }
    }
  }
  FUZZ_CHECK(counter.live == liveBefore);
  return 0;
}
