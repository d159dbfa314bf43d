#include "math/Frustum.h"

#include "math/ViewMatrix.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orrery {

// The frustum's planes are compiled here, with the polytope that holds them.
template class Plane<double, Vec3d, Vec4d>;

Polytope::~Polytope() = default;

Frustum::~Frustum() = default;

namespace {

// The three normalised-device corners of each face, wound so that the
// normal (W0 - W1) x (W2 - W1) points out of the cube; the map back to a
// right-handed view space reverses orientation, so in world space every
// normal points into the frustum. Faces: x = -1, y = 1, x = 1, y = -1,
// z = -1, z = 1.
constexpr double kFrustumFaceCorners[6][3][3] = {
    {{-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}},  {{-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}},
    {{1, 1, 1}, {1, 1, -1}, {1, -1, -1}},     {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
    {{-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}}, {{1, 1, 1}, {1, -1, 1}, {-1, -1, 1}}};

// The index of a corner of the cube: 4 for x = 1, plus 2 for y = 1, plus 1
// for z = 1.
constexpr int frustumCornerIndex(const double (&c)[3]) {
  return (c[0] > 0 ? 4 : 0) + (c[1] > 0 ? 2 : 0) + (c[2] > 0 ? 1 : 0);
}

// kFrustumFaceCorners as corner indices.
constexpr std::array<std::array<int, 3>, 6> kFrustumFaceCornerIndex = [] {
  std::array<std::array<int, 3>, 6> t{};
  for (int i = 0; i < 6; ++i) {
    for (int k = 0; k < 3; ++k) {
      t[i][k] = frustumCornerIndex(kFrustumFaceCorners[i][k]);
    }
  }
  return t;
}();

// Each side face carries the edge of one screen corner, the difference of
// two of its corners, far minus near: (edge index, far corner, near corner).
constexpr int kFrustumEdgeOfFace[4][3] = {{0, 1, 2}, {3, 0, 1}, {2, 0, 1}, {1, 1, 2}};

// The planes of mask (bit i selects plane i) classify a one-point box:
// outside as soon as one plane says so, partial if any plane straddled it.
IsectResult frustumClassifyPoint(const Polytope &poly, const Vec3d &p, unsigned mask) {
  BoundingBox<double, Vec3d> box;
  box.add(p);
  const int count = std::min(poly.count, 10);
  auto walk = [&](auto planeTest) {
    bool partial = false;
    for (int i = 0; i < count; ++i) {
      if ((mask & (1u << i)) == 0) {
        continue;
      }
      const IsectResult r = planeTest(poly.planes[i]);
      if (r == kIsectOutside) {
        return kIsectOutside;
      }
      partial = partial || r == kIsectPartial;
    }
    return partial ? kIsectPartial : kIsectInside;
  };
  if (box.min == box.max) {
    // The usual case: both corners the plane test picks are p itself, so
    // the test comes down to the sign of one distance (NaN: partial). Only
    // coordinates beyond the empty-box bounds make a box that is not a point.
    return walk([&](const Plane<double, Vec3d, Vec4d> &plane) {
      const double dist = plane.signedDistance(box.min);
      return dist < 0 ? kIsectOutside : (dist >= 0 ? kIsectInside : kIsectPartial);
    });
  }
  return walk([&](const Plane<double, Vec3d, Vec4d> &plane) { return box.isect(plane); });
}

constexpr unsigned kFrustumAllPlanes = 0x3F;
constexpr unsigned kFrustumNearFarPlanes = 0x30;

} // namespace

bool Frustum::build(const Mat4d &view, const Mat4d &projection) {
  Mat4d invView = view;
  math::invertFullPivot(invView);
  eye = {invView.m[12], invView.m[13], invView.m[14]};
  count = 0;

  Mat4d inv;
  inv.mul(view, projection);
  if (!math::invertFullPivot(inv)) {
    return false;
  }
  // Each of the cube's eight corners serves three faces: map each once.
  Vec3d corner[8];
  bool atInfinity[8];
  for (int j = 0; j < 8; ++j) {
    Vec4d h;
    h.mul(Vec4d{j & 4 ? 1.0 : -1.0, j & 2 ? 1.0 : -1.0, j & 1 ? 1.0 : -1.0, 1.0}, inv);
    atInfinity[j] = h.w == 0.0;
    if (!atInfinity[j]) {
      const Vec4d s = h * (1.0 / h.w);
      corner[j] = {s.x, s.y, s.z};
    }
  }
  for (int i = 0; i < 6; ++i) {
    const std::array<int, 3> &c = kFrustumFaceCornerIndex[i];
    if (atInfinity[c[0]] || atInfinity[c[1]] || atInfinity[c[2]]) {
      return false;
    }
    const Vec3d w[3] = {corner[c[0]], corner[c[1]], corner[c[2]]};
    if (i < 4) {
      Vec3d &edge = edges[kFrustumEdgeOfFace[i][0]];
      edge = w[kFrustumEdgeOfFace[i][1]] - w[kFrustumEdgeOfFace[i][2]];
      divideByLength(edge); // a zero edge stays zero
    }
    Vec3d n = cross(w[0] - w[1], w[2] - w[1]);
    if (divideByLength(n) == 0.0) {
      return false;
    }
    planes[i].set(n.x, n.y, n.z, -dot(n, w[1]));
  }
  count = 6;
  return true;
}

namespace {

// frustumClassifyPoint answering inside, kept out of the hot path below.
[[gnu::noinline, gnu::cold]] bool frustumBoxPointInside(const Polytope &poly, const Vec3d &p,
                                                        unsigned mask) {
  return frustumClassifyPoint(poly, p, mask) == kIsectInside;
}

// Whether the planes of mask all have p on their inner side. For a point
// the one-point box of frustumClassifyPoint is p itself, and its answer is
// inside exactly when no distance is negative or NaN; that box is left to
// the coordinates beyond the empty-box bounds (and NaN), where it is not.
[[gnu::always_inline]] inline bool frustumPointInside(const Polytope &poly, const Vec3d &p,
                                                      unsigned mask) {
  constexpr double kBound = BoundingBox<double, Vec3d>::kEmptyBound;
  if (!((std::fabs(p.x) <= kBound) & (std::fabs(p.y) <= kBound) & (std::fabs(p.z) <= kBound))) {
    return frustumBoxPointInside(poly, p, mask);
  }
  // The frustum's six planes unrolled, so that each plane's exit has a
  // branch of its own to predict.
  if (poly.count == 6) {
#pragma GCC unroll 6
    for (int i = 0; i < 6; ++i) {
      if ((mask & (1u << i)) != 0 && !(poly.planes[i].signedDistance(p) >= 0)) {
        return false;
      }
    }
    return true;
  }
  const int count = std::min(poly.count, 10);
  for (int i = 0; i < count; ++i) {
    if ((mask & (1u << i)) != 0 && !(poly.planes[i].signedDistance(p) >= 0)) {
      return false;
    }
  }
  return true;
}

} // namespace

bool Frustum::isPtInside(const Vec3d &p) const {
  return frustumPointInside(*this, p, kFrustumAllPlanes);
}

bool Frustum::isZCulled(const Vec3d &p) const {
  return !frustumPointInside(*this, p, kFrustumNearFarPlanes);
}

} // namespace orrery
