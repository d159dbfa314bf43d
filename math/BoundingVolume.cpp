#include "math/BoundingVolume.h"

#include "math/ViewMatrix.h"

#include <algorithm>
#include <utility>

namespace orrery {

BoundingVolume::~BoundingVolume() = default;

template <class S, class V, class B>
bool RayBoxIntersect(const V &o, const V &d, const B &box, S maxDist, S &t) {
  if (box.isect(o) == kIsectInside) {
    t = S(0);
    return true;
  }
  if (box.min.x > box.max.x || box.min.y > box.max.y || box.min.z > box.max.z) {
    return false; // empty: inverted bounds would pass every slab
  }
  S tNear = std::numeric_limits<S>::min();
  S tFar = std::numeric_limits<S>::max();
  const S V::*const axes[3] = {&V::x, &V::y, &V::z};
  for (const S V::*k : axes) {
    const S dk = d.*k;
    const S lo = box.min.*k;
    const S hi = box.max.*k;
    // Components below this are parallel to the slab; the float test widens
    // to double so that both precisions share the threshold.
    if (static_cast<double>(FastMath::fabs(dk)) >= 0.0001) {
      S t1 = (lo - o.*k) / dk;
      S t2 = (hi - o.*k) / dk;
      if (t1 > t2) {
        std::swap(t1, t2);
      }
      // Written so that a NaN slab distance propagates and the ray misses.
      tNear = tNear > t1 ? tNear : t1;
      tFar = tFar < t2 ? tFar : t2;
      if (tNear > tFar || tFar < S(0)) {
        return false;
      }
    } else if (o.*k < lo || o.*k > hi) {
      return false;
    }
  }
  if (!(tNear > S(0) && maxDist > tNear)) {
    return false;
  }
  t = tNear;
  return true;
}

template class Plane<double, Vec3d, Vec4d>;
template class IBoundingVolume<double, Vec3d>;
template class BoundingBox<double, Vec3d>;
template bool RayBoxIntersect<double, Vec3d, BoundingBox<double, Vec3d>>(
    const Vec3d &, const Vec3d &, const BoundingBox<double, Vec3d> &, double, double &);
template bool RayBoxIntersect<float, Vec3f, BoundingBox<float, Vec3f>>(
    const Vec3f &, const Vec3f &, const BoundingBox<float, Vec3f> &, float, float &);

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

// Each side face carries the edge of one screen corner, the difference of
// two of its corners, far minus near: (edge index, far corner, near corner).
constexpr int kFrustumEdgeOfFace[4][3] = {{0, 1, 2}, {3, 0, 1}, {2, 0, 1}, {1, 1, 2}};

// The planes of mask (bit i selects plane i) classify a one-point box:
// outside as soon as one plane says so, partial if any plane straddled it.
IsectResult frustumClassifyPoint(const Polytope &poly, const Vec3d &p, unsigned mask) {
  BoundingBox<double, Vec3d> box;
  box.add(p);
  const int count = std::min(poly.count, 10);
  bool partial = false;
  for (int i = 0; i < count; ++i) {
    if ((mask & (1u << i)) == 0) {
      continue;
    }
    const IsectResult r = box.isect(poly.planes[i]);
    if (r == kIsectOutside) {
      return kIsectOutside;
    }
    partial = partial || r == kIsectPartial;
  }
  return partial ? kIsectPartial : kIsectInside;
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
  for (int i = 0; i < 6; ++i) {
    Vec4d h[3];
    for (int k = 0; k < 3; ++k) {
      const double(&c)[3] = kFrustumFaceCorners[i][k];
      h[k].mul(Vec4d{c[0], c[1], c[2], 1.0}, inv);
    }
    if (h[0].w == 0.0 || h[1].w == 0.0 || h[2].w == 0.0) {
      return false;
    }
    Vec3d w[3];
    for (int k = 0; k < 3; ++k) {
      const Vec4d s = h[k] * (1.0 / h[k].w);
      w[k] = {s.x, s.y, s.z};
    }
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

bool Frustum::isPtInside(const Vec3d &p) const {
  return frustumClassifyPoint(*this, p, kFrustumAllPlanes) == kIsectInside;
}

bool Frustum::isZCulled(const Vec3d &p) const {
  return frustumClassifyPoint(*this, p, kFrustumNearFarPlanes) != kIsectInside;
}

} // namespace orrery
