#pragma once

// Free-standing ray, triangle and point queries. None allocates or keeps
// state. The ray against an axis-aligned box is RayBoxIntersect in
// math/BoundingVolume.h.

#include "math/Export.h"
#include "math/Vector.h"

#include <utility>

namespace orrery {

namespace geometry {

// Distance from p to the ray o + t*d (t >= 0), d of unit length, paired with
// whether p lies behind the origin ((p - o) . d < 0). Behind points measure
// to the origin, the others to the ray's line.
ORRERY_MATH_API std::pair<double, bool> RayPointDistance(const Vec3d &o, const Vec3d &d,
                                                         const Vec3d &p);

// Squared distance from p to the triangle v0 v1 v2, in float. closest gets
// the nearest point of the triangle. normal gets the triangle's unit normal
// (v1 - v0) x (v2 - v0) direction when the nearest point is off the edges
// v0-v1 and v0-v2, and the zero vector when it lies on either of them. A
// zero-area triangle answers for its longest edge, with a zero normal.
ORRERY_MATH_API float PtTriSqrDistance(const Vec3f &p, const Vec3f &v0, const Vec3f &v1,
                                       const Vec3f &v2, Vec3f &closest, Vec3f &normal);

} // namespace geometry

// Whether p lies in the triangle's projection onto the x-y plane (either
// winding; edges and vertices count as inside), and z of the triangle's
// plane over p. False for a zero-area triangle.
template <class S, class V2, class V3>
bool Pt2dTriIntersect(const V2 &p, const V3 &v0, const V3 &v1, const V3 &v2, S &z);

// Whether the ray o + t*d (t >= 0) meets the triangle, seen from either
// side. On a hit, hit is the point, t its parameter (in multiples of d) and,
// when bary is not null, bary the weights of v0, v1, v2. False for a ray in
// the triangle's plane and for a zero-area triangle. Outputs may be written
// on a miss as well.
template <class S, class V>
bool RayTriIntersect(const V &o, const V &d, const V &v0, const V &v1, const V &v2, V &hit, S &t,
                     V *bary);

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

} // namespace orrery
