#pragma once

/// @file
/// Free-standing ray, triangle and point queries. None allocates or keeps
/// state. The ray against an axis-aligned box is RayBoxIntersect in
/// math/BoundingVolume.h.

#include "math/Export.h"
#include "math/Vector.h"

#include <utility>

namespace orrery {

namespace geometry {

/// Distance from p to the ray o + t*d (t >= 0), d of unit length, paired with
/// whether p lies behind the origin ((p - o) . d < 0). Behind points measure
/// to the origin, the others to the ray's line.
ORRERY_MATH_API std::pair<double, bool> RayPointDistance(const Vec3d &o, const Vec3d &d,
                                                         const Vec3d &p);

/// Squared distance from p to the triangle v0 v1 v2, in float. closest gets
/// the nearest point of the triangle. normal gets the triangle's unit normal
/// (v1 - v0) x (v2 - v0) direction when the nearest point is off the edges
/// v0-v1 and v0-v2, and the zero vector when it lies on either of them. A
/// zero-area triangle answers for its longest edge, with a zero normal; so
/// does one whose area is below float rounding (a*c - b*b within 2^-20 of
/// a*c, in the products of its edge vectors from v0: collinear vertices, or
/// a sliver whose angle at v0 is within about 0.001 rad of 0 or a half turn).
ORRERY_MATH_API float PtTriSqrDistance(const Vec3f &p, const Vec3f &v0, const Vec3f &v1,
                                       const Vec3f &v2, Vec3f &closest, Vec3f &normal);

} // namespace geometry

namespace detail {

/// The signed weights w0, w1, w2 of the three vertices must not have opposite
/// signs (a zero weight agrees with either), which accepts both windings;
/// w1 is computed only once w2 and w0 agree. On success the weights are
/// normalised by one reciprocal of their sum. A zero sum (every weight zero:
/// a zero-area triangle or, for a ray, one in the triangle's plane) and NaN
/// weights are rejected.
template <class S, class Weight1>
inline bool triWeights(S w2, S w0, Weight1 weight1, S zero, S one, S (&b)[3]) {
  if (w2 * w0 < zero) {
    return false;
  }
  const S w1 = weight1();
  const S r = w2 == zero ? w0 : w2;
  if (r * w1 < zero) {
    return false;
  }
  const S sum = w2 + w0 + w1;
  if (!(sum < zero || sum > zero)) {
    return false;
  }
  const S inv = one / sum;
  b[0] = w0 * inv;
  b[1] = w1 * inv;
  b[2] = w2 * inv;
  return true;
}

} // namespace detail

/// Whether p lies in the triangle's projection onto the x-y plane (either
/// winding; edges and vertices count as inside), and z of the triangle's
/// plane over p. False for a zero-area triangle.
template <class S, class V2, class V3>
inline bool Pt2dTriIntersect(const V2 &p, const V3 &v0, const V3 &v1, const V3 &v2, S &z) {
  static constexpr S zero = 0;
  static constexpr S one = 1;
  const V2 r0{v0.x - p.x, v0.y - p.y};
  const V2 r1{v1.x - p.x, v1.y - p.y};
  const V2 r2{v2.x - p.x, v2.y - p.y};
  const S w2 = r0.x * r1.y - r0.y * r1.x;
  const S w0 = r1.x * r2.y - r1.y * r2.x;
  S b[3];
  if (!detail::triWeights(
          w2, w0, [&] { return r0.y * r2.x - r0.x * r2.y; }, zero, one, b)) {
    return false;
  }
  z = b[0] * v0.z + b[1] * v1.z + b[2] * v2.z;
  return true;
}

/// Whether the ray o + t*d (t >= 0) meets the triangle, seen from either
/// side. On a hit, hit is the point, t its parameter (in multiples of d) and,
/// when bary is not null, bary the weights of v0, v1, v2. False for a ray in
/// the triangle's plane and for a zero-area triangle. Outputs may be written
/// on a miss as well.
template <class S, class V>
inline bool RayTriIntersect(const V &o, const V &d, const V &v0, const V &v1, const V &v2, V &hit,
                            S &t, V *bary) {
  static constexpr S zero = 0;
  static constexpr S one = 1;
  const V r0 = v0 - o;
  const V r1 = v1 - o;
  const V r2 = v2 - o;
  const S w2 = dot(d, cross(r0, r1));
  const S w0 = dot(d, cross(r1, r2));
  S b[3];
  if (!detail::triWeights(
          w2, w0, [&] { return dot(d, cross(r2, r0)); }, zero, one, b)) {
    return false;
  }
  if (bary != nullptr) {
    *bary = {b[0], b[1], b[2]};
  }
  hit = v0 * b[0] + v1 * b[1] + v2 * b[2];
  t = dot(hit - o, d);
  if (!(t >= zero)) { // behind the origin, or NaN
    return false;
  }
  t = t / dot(d, d);
  return true;
}

/// @cond
// The instantiations the library exports.
extern template ORRERY_MATH_API bool
Pt2dTriIntersect<double, Vec2d, Vec3d>(const Vec2d &, const Vec3d &, const Vec3d &, const Vec3d &,
                                       double &);
extern template ORRERY_MATH_API bool RayTriIntersect<float, Vec3f>(const Vec3f &, const Vec3f &,
                                                                   const Vec3f &, const Vec3f &,
                                                                   const Vec3f &, Vec3f &, float &,
                                                                   Vec3f *);
extern template ORRERY_MATH_API bool RayTriIntersect<double, Vec3d>(const Vec3d &, const Vec3d &,
                                                                    const Vec3d &, const Vec3d &,
                                                                    const Vec3d &, Vec3d &,
                                                                    double &, Vec3d *);
/// @endcond

} // namespace orrery
