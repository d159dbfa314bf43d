#pragma once

/// @file
/// Culling volumes: axis-aligned boxes with a three-valued intersection
/// result, and planes. The view frustum built from such planes is in
/// math/Frustum.h, included at the end of this header.
///
/// Boxes answer containment and overlap questions against points, segments,
/// other boxes and planes. Bounds are closed (a point on a face is inside).
/// For regions given in longitude and latitude, x is longitude normalised so
/// that the date line lies at x = -1 and x = +1 (a full turn is 2.0) and y is
/// latitude; a box whose x range runs below -1 or above +1 crosses the date
/// line, and the box-against-box test wraps it round the globe.
///
/// A plane (a, b, c, d) has the unit normal (a, b, c); the signed distance of
/// p is a*p.x + b*p.y + c*p.z + d and the positive side is inside.

#include "common/Memory.h"
#include "math/Export.h"
#include "math/Vector.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace orrery {

/// Answers of the intersection tests.
enum IsectResult : int {
  /// Wholly inside; for a plane, wholly on its positive side; for two boxes,
  /// they overlap.
  kIsectInside = 0,
  /// No overlap; also the answer of every test on an empty box.
  kIsectOutside = 1,
  /// The segment enters the box, or the box straddles the plane.
  kIsectPartial = 2
};

/// The root of all bounding volumes; allocated through the library's heap.
class ORRERY_MATH_API BoundingVolume {
public:
  ORRERY_ALLOCATE_WITH_DONEW

  virtual ~BoundingVolume();
};

/// The plane a*x + b*y + c*z + d = 0 stored as (x, y, z, w) = (a, b, c, d).
/// @tparam S  the scalar, double or float
/// @tparam V3 the point type, with fields x, y, z
/// @tparam V4 the four-component vector the plane is stored as
template <class S, class V3, class V4> class Plane : public V4 {
public:
  ORRERY_ALLOCATE_WITH_DONEW

  /// Uninitialised coefficients.
  Plane() = default;
  /// The plane a*x + b*y + c*z + d = 0; (a, b, c) should be a unit normal for
  /// signedDistance to be a distance.
  Plane(S a, S b, S c, S d) : V4{a, b, c, d} {}
  virtual ~Plane();

  /// a*p.x + b*p.y + c*p.z + d, evaluated in that order: positive on the
  /// side the normal points to.
  S signedDistance(const V3 &p) const {
    return this->x * p.x + this->y * p.y + this->z * p.z + this->w;
  }
};

template <class S, class V3, class V4> Plane<S, V3, V4>::~Plane() = default;

template <class S, class V> class BoundingBox;

namespace detail {
// The box [min, max] contains p, closed on every face. Early exits, which
// measured faster than all six comparisons combined without branches. False
// for a NaN coordinate, and for every p when the box is empty.
template <class V> constexpr bool boundsContain(const V &min, const V &max, const V &p) {
  return (min.x <= p.x) && (p.x <= max.x) && (min.y <= p.y) && (p.y <= max.y) && (min.z <= p.z) &&
         (p.z <= max.z);
}

// Some min exceeds its max: the emptiness of a box read from its bounds.
template <class V> constexpr bool boundsInverted(const V &min, const V &max) {
  return (min.x > max.x) | (min.y > max.y) | (min.z > max.z);
}

// For one axis of two boxes [lo, hi] and [otherLo, otherHi]: each starts
// before the other ends. False when a bound is NaN.
template <class S> constexpr bool boundsMeet(S lo, S hi, S otherLo, S otherHi) {
  return lo <= otherHi && otherLo <= hi;
}
// For one axis: the componentwise intersection of the two intervals,
// max(lo, otherLo) .. min(hi, otherHi) with this box's bound kept where a
// comparison fails on NaN, is empty. Exact only when it answers true: one
// interval starts after the other ends and the bound that the intersection
// would take from this box beside it is not NaN.
template <class S> constexpr bool boundsApart(S lo, S hi, S otherLo, S otherHi) {
  return (otherLo > hi && !std::isnan(lo)) || (lo > otherHi && !std::isnan(hi));
}

// A longitude/latitude box whose x interval runs past -1 or +1 wraps round
// the date line.
template <class S, class V> constexpr bool crossesDateline(const V &min, const V &max) {
  return (min.x < S(-1)) | (max.x > S(1));
}

// Whether box is an object of exactly the library's double box, not of a
// class derived from it. Its virtual tests are then the library's own, and
// calling them inline answers exactly as the call through the table would;
// any other box has them called through the table. Always false for the
// float box, whose tests are its user's. The type_info objects are compared
// by address, two loads and one comparison: a copy of the type_info that the
// loader did not merge only sends the library's box through the table; a
// derived class never passes. The library's box is the common case, so its
// inline path is laid out straight and a derived box's call jumps.
template <class B> bool isLibraryBox(const B &box) {
  if constexpr (std::is_same_v<B, BoundingBox<double, Vec3d>>) {
    return __builtin_expect(&typeid(box) == &typeid(B), 1) != 0;
  } else {
    static_cast<void>(box);
    return false;
  }
}
} // namespace detail

/// @name The calls a box makes through its table
/// Applications derive from BoundingBox<double, Vec3d> and replace its
/// virtual tests. The library calls these operations through the table, in
/// this order and this often, and a derived class may rely on it:
/// - `isect(p)`: `isEmpty()`, once; inside when it answers false and p lies
///   within the bounds (the comparisons may run before the call).
/// - `isectLatLon(p)`: `isEmpty()`; then the comparisons of x and y.
/// - `isect(a, b)`: `isEmpty()`; when it answers false, `isect(a)` and, only
///   when that answers inside, `isect(b)`; when they do not both answer
///   inside, `RayBoxIntersect` from a on this box, which calls `isect(a)`
///   once more.
/// - `isect(plane)`: `isEmpty()`; then the two corners against the plane.
/// - `isect(other)`: `other.isEmpty()`, once, and only when other crosses the
///   date line while this box does not or is empty (the test of whether to
///   wrap other round the globe); nothing else through the table. Every
///   other emptiness it decides is read from the bounds (a box is empty when
///   some min exceeds its max), and it answers outside for a box so empty.
/// - `RayBoxIntersect(o, d, box, ...)`: `box.isect(o)`, once, first; the slab
///   steps then read `box.min` and `box.max`.
/// - The frustum's point tests use a box of their own, never the caller's.
///
/// A box whose dynamic type is exactly BoundingBox<double, Vec3d> has its
/// tests run directly, inline, without the calls their answers do not need
/// (its point test skips the emptiness that the comparisons already rule
/// out): its tests are the library's, so the answers are the same.
///
/// The float box, BoundingBox<float, Vec3f>, has the same layout and table;
/// the library defines none of its operations (the definitions below serve a
/// user who instantiates them from this header) and its float
/// `RayBoxIntersect` calls the box's `isect(o)` through the table always.
/// @{

/// A volume that answers containment and overlap questions.
/// @tparam S the scalar, double or float
/// @tparam V the point type, with fields x, y, z
template <class S, class V> class IBoundingVolume : public BoundingVolume {
public:
  ~IBoundingVolume() override = default;

  /// Where the point p lies.
  virtual IsectResult isect(const V &p) const = 0;
  /// Where the segment from a to b lies.
  virtual IsectResult isect(const V &a, const V &b) const = 0;
  /// Whether the volume meets the box other.
  virtual IsectResult isect(const BoundingBox<S, V> &other) const = 0;
  /// Whether the volume holds no point.
  virtual bool isEmpty() const = 0;
  /// Makes the volume empty. @return this volume
  virtual IBoundingVolume &makeEmpty() = 0;
  /// The centre of the volume.
  virtual V getCenter() const = 0;
  /// A copy on the heap (allocated with doNew), owned by the caller; null when
  /// the allocation fails.
  virtual IBoundingVolume *clone() const = 0;
};

/// An axis-aligned box [min, max], closed on every face.
///
/// Visible in every build, so that the table and type_info a caller
/// instantiates are merged with the library's at load time and the library
/// knows its own box when a caller passes one.
/// @tparam S the scalar: double (compiled into the library) or float
/// @tparam V the point type, Vec3d or Vec3f
template <class S, class V>
class __attribute__((visibility("default"))) BoundingBox : public IBoundingVolume<S, V> {
public:
  /// The plane coefficients' vector type of this precision.
  using Vec4 = std::conditional_t<std::is_same_v<S, float>, Vec4f, Vec4d>;

  /// Half the largest finite value: the bounds of the canonical empty box.
  static constexpr S kEmptyBound = std::numeric_limits<S>::max() * S(0.5);

  V min; ///< the lower corner
  V max; ///< the upper corner

  /// The canonical empty box: min = (M, M, M), max = -min with M = kEmptyBound.
  BoundingBox() : min{kEmptyBound, kEmptyBound, kEmptyBound}, max{-min} {}
  /// The box [lo, hi] as given; it is empty when some lo exceeds its hi.
  BoundingBox(const V &lo, const V &hi) : min(lo), max(hi) {}
  ~BoundingBox() override = default;

  /// @name Intersection tests
  /// @{

  /// Closed bounds; never partial. Outside for an empty box.
  IsectResult isect(const V &p) const override;
  /// Inside when both ends are inside; partial when the segment from a enters
  /// the box strictly before reaching b (or a alone is inside); else outside.
  IsectResult isect(const V &a, const V &b) const override;
  /// Inside when the boxes overlap, with date-line wrapping; never partial.
  /// When both cross the date line only this box is wrapped. Outside when
  /// either box is empty; a box with NaN bounds overlaps every non-empty box.
  IsectResult isect(const BoundingBox &other) const override;
  /// Empty when some min exceeds its max (equal bounds are a degenerate box).
  /// A NaN bound leaves the box not empty.
  bool isEmpty() const override;
  /// Makes this the canonical empty box. @return this box
  BoundingBox &makeEmpty() override;
  /// The midpoint of the corners, (min + max) * 0.5 per axis; no emptiness
  /// check.
  V getCenter() const override;
  /// A new box with the same bounds (doNew), owned by the caller; null when
  /// the allocation fails.
  IBoundingVolume<S, V> *clone() const override;
  /// The point test on x and y only (longitude and latitude), closed bounds;
  /// outside for an empty box.
  virtual IsectResult isectLatLon(const V &p) const;
  /// @}

  /// @name Building and combining boxes
  /// @{

  /// Grows the box to contain p. A NaN coordinate becomes a bound, and the
  /// box then answers partial to every plane test.
  void add(const V &p);
  /// The box spanned by a and b, given in any order.
  void build(const V &a, const V &b);
  /// @}

  /// Inside when the box lies wholly on the positive side (touching counts),
  /// outside when wholly on the negative side, else partial. Outside for an
  /// empty box.
  IsectResult isect(const Plane<S, V, Vec4> &plane) const;

  /// @name Building and combining boxes
  /// @{

  /// Componentwise intersection with other, without wrapping; may be empty.
  void intersectBoxSimple(const BoundingBox &other);
  /// Writes to out the intersection of dl, a box crossing the date line, with
  /// other. out may be either input. When other meets dl on both sides of the
  /// date line, out is the narrower of the two whole boxes in x.
  static void intersectDatelineBox(BoundingBox &out, const BoundingBox &dl,
                                   const BoundingBox &other);
  /// @}
};

/// Slab test of the ray o + t*d against box; t counts in multiples of d.
/// A ray starting inside the box hits at t = 0. Otherwise the hit is the
/// entry into the box, which must satisfy 0 < t < maxDist; components of d
/// below 0.0001 in magnitude are treated as parallel to their slabs. An empty
/// box and a ray with a NaN component miss.
template <class S, class V, class B>
/// @param o       the ray's origin
/// @param d       the ray's direction, any length
/// @param box     the box, asked its point test once
/// @param maxDist the exclusive upper limit of t
/// @param[out] t  the parameter of the hit; unchanged on a miss
/// @return whether the ray hits the box
bool RayBoxIntersect(const V &o, const V &d, const B &box, S maxDist, S &t);

/// @}

namespace detail {
// The emptiness of box as its table answers it; read from the bounds for
// the library's own box.
template <class S, class V> bool boxIsEmpty(const BoundingBox<S, V> &box) {
  return isLibraryBox(box) ? boundsInverted(box.min, box.max) : box.isEmpty();
}

// The point test of box as its table answers it, inline for the library's
// own box.
template <class V, class B> IsectResult boxPointTest(const B &box, const V &p) {
  if (isLibraryBox(box)) {
    return boundsContain(box.min, box.max, p) ? kIsectInside : kIsectOutside;
  }
  return box.isect(p);
}
} // namespace detail

// Point classification in the order of the box's fields.

template <class S, class V> inline IsectResult BoundingBox<S, V>::isect(const V &p) const {
  // isEmpty() is called once on either path, through the table. A point
  // outside the bounds is outside whatever it answers, so the comparisons go
  // first: where the compiler knows the box is the library's own, the call
  // is inlined, its unused answer vanishes from that path and only a point
  // inside pays for the emptiness test.
  if (!detail::boundsContain(min, max, p)) {
    static_cast<void>(this->isEmpty());
    return kIsectOutside;
  }
  // Outside is 1 and inside 0: the answer is the emptiness itself, without a
  // branch.
  static_assert(kIsectInside == 0 && kIsectOutside == 1);
  return static_cast<IsectResult>(this->isEmpty());
}

template <class S, class V> inline IsectResult BoundingBox<S, V>::isectLatLon(const V &p) const {
  if (detail::boxIsEmpty(*this)) {
    return kIsectOutside;
  }
  if (min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y) {
    return kIsectInside;
  }
  return kIsectOutside;
}

template <class S, class V>
inline IsectResult BoundingBox<S, V>::isect(const V &a, const V &b) const {
  if (detail::boxIsEmpty(*this)) {
    return kIsectOutside;
  }
  if (detail::boxPointTest(*this, a) == kIsectInside &&
      detail::boxPointTest(*this, b) == kIsectInside) {
    return kIsectInside;
  }
  V dir = b - a;
  const S len = divideByLength(dir);
  S t;
  return RayBoxIntersect<S, V, BoundingBox>(a, dir, *this, len, t) ? kIsectPartial : kIsectOutside;
}

namespace detail {
// BoundingBox::isect(other) on a temporary box, for the cases off its usual
// path (a box crossing the date line, a NaN bound), out of line so that the
// usual case keeps no frame for it.
template <class S, class V>
[[gnu::noinline]] IsectResult isectOffUsualPath(const BoundingBox<S, V> &self,
                                                const BoundingBox<S, V> &other) {
  const bool selfEmpty = boundsInverted(self.min, self.max);
  const bool selfWraps = crossesDateline<S>(self.min, self.max) && !selfEmpty;
  // The one question asked through the table, in the order of the steps:
  // whether other, crossing the date line, is to be wrapped.
  const bool otherWraps =
      !selfWraps && crossesDateline<S>(other.min, other.max) && !boxIsEmpty(other);
  if (selfEmpty || boundsInverted(other.min, other.max)) {
    return kIsectOutside;
  }
  BoundingBox<S, V> r(self.min, self.max);
  if (selfWraps) {
    BoundingBox<S, V>::intersectDatelineBox(r, r, other);
  } else if (otherWraps) {
    BoundingBox<S, V>::intersectDatelineBox(r, other, r);
  } else {
    r.intersectBoxSimple(other);
  }
  return boundsInverted(r.min, r.max) ? kIsectOutside : kIsectInside;
}
} // namespace detail

template <class S, class V>
inline IsectResult BoundingBox<S, V>::isect(const BoundingBox &other) const {
  // The usual case, neither box crossing the date line, decided as
  // intersectBoxSimple followed by the emptiness of the result would decide
  // it, without the temporary box: axis by axis, where min <= other.max and
  // other.min <= max no bound is NaN and the overlap is max(min, other.min)
  // .. min(max, other.max), empty exactly when one of the boxes is; where
  // they fail, the boxes are apart unless a NaN bound leaves the temporary
  // box to decide. Short-circuit tests throughout: each branch predicts.
  // Nothing here goes through the table, whatever the boxes' types.
  if (min.x < S(-1) || max.x > S(1) || other.min.x < S(-1) || other.max.x > S(1)) {
    return detail::isectOffUsualPath(*this, other);
  }
  if (!detail::boundsMeet(min.x, max.x, other.min.x, other.max.x)) {
    return detail::boundsApart(min.x, max.x, other.min.x, other.max.x)
               ? kIsectOutside
               : detail::isectOffUsualPath(*this, other);
  }
  if (!detail::boundsMeet(min.y, max.y, other.min.y, other.max.y)) {
    return detail::boundsApart(min.y, max.y, other.min.y, other.max.y)
               ? kIsectOutside
               : detail::isectOffUsualPath(*this, other);
  }
  if (!detail::boundsMeet(min.z, max.z, other.min.z, other.max.z)) {
    return detail::boundsApart(min.z, max.z, other.min.z, other.max.z)
               ? kIsectOutside
               : detail::isectOffUsualPath(*this, other);
  }
  return detail::boundsInverted(min, max) || detail::boundsInverted(other.min, other.max)
             ? kIsectOutside
             : kIsectInside;
}

template <class S, class V> inline bool BoundingBox<S, V>::isEmpty() const {
  return detail::boundsInverted(min, max);
}

template <class S, class V> inline BoundingBox<S, V> &BoundingBox<S, V>::makeEmpty() {
  min = {kEmptyBound, kEmptyBound, kEmptyBound};
  max = -min;
  return *this;
}

template <class S, class V> inline V BoundingBox<S, V>::getCenter() const {
  return {(min.x + max.x) * S(0.5), (min.y + max.y) * S(0.5), (min.z + max.z) * S(0.5)};
}

template <class S, class V> IBoundingVolume<S, V> *BoundingBox<S, V>::clone() const {
  return new BoundingBox(min, max);
}

template <class S, class V> inline void BoundingBox<S, V>::add(const V &p) {
  // Written so that a NaN coordinate of p wins: the box then has NaN bounds,
  // is not empty, and every plane test on it answers partial.
  min = {min.x < p.x ? min.x : p.x, min.y < p.y ? min.y : p.y, min.z < p.z ? min.z : p.z};
  max = {max.x > p.x ? max.x : p.x, max.y > p.y ? max.y : p.y, max.z > p.z ? max.z : p.z};
}

template <class S, class V> inline void BoundingBox<S, V>::build(const V &a, const V &b) {
  min = {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.z < b.z ? a.z : b.z};
  max = {a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y, a.z > b.z ? a.z : b.z};
}

template <class S, class V>
inline IsectResult BoundingBox<S, V>::isect(const Plane<S, V, Vec4> &plane) const {
  if (detail::boxIsEmpty(*this)) {
    return kIsectOutside;
  }
  // The corners furthest along and against the normal decide; a zero
  // component of the normal takes min as the positive corner.
  const V pos{plane.x > 0 ? max.x : min.x, plane.y > 0 ? max.y : min.y,
              plane.z > 0 ? max.z : min.z};
  if (plane.signedDistance(pos) < 0) {
    return kIsectOutside;
  }
  const V neg{plane.x > 0 ? min.x : max.x, plane.y > 0 ? min.y : max.y,
              plane.z > 0 ? min.z : max.z};
  if (plane.signedDistance(neg) >= 0) {
    return kIsectInside;
  }
  return kIsectPartial;
}

template <class S, class V>
inline void BoundingBox<S, V>::intersectBoxSimple(const BoundingBox &other) {
  min = {min.x < other.min.x ? other.min.x : min.x, min.y < other.min.y ? other.min.y : min.y,
         min.z < other.min.z ? other.min.z : min.z};
  max = {other.max.x < max.x ? other.max.x : max.x, other.max.y < max.y ? other.max.y : max.y,
         other.max.z < max.z ? other.max.z : max.z};
}

template <class S, class V>
inline void BoundingBox<S, V>::intersectDatelineBox(BoundingBox &out, const BoundingBox &dl,
                                                    const BoundingBox &other) {
  // out may alias an input: work on copies.
  const BoundingBox line(dl.min, dl.max);
  const BoundingBox box(other.min, other.max);
  if (box.max.x == S(1) && box.min.x == S(-1)) {
    // other spans the whole turn: dl keeps its x range.
    BoundingBox r(line.min, line.max);
    r.intersectBoxSimple(box);
    r.min.x = line.min.x;
    r.max.x = line.max.x;
    out.min = r.min;
    out.max = r.max;
    return;
  }
  BoundingBox direct(line.min, line.max);
  direct.intersectBoxSimple(box);
  BoundingBox shifted(line.min, line.max);
  if (line.min.x < S(-1)) {
    shifted.min.x += S(2);
    shifted.max.x += S(2);
  } else if (line.max.x > S(1)) {
    shifted.min.x -= S(2);
    shifted.max.x -= S(2);
  }
  shifted.intersectBoxSimple(box);
  const BoundingBox *result = &direct;
  if (direct.isEmpty()) {
    result = &shifted;
  } else if (!shifted.isEmpty()) {
    // other meets dl on both sides of the date line.
    result = (box.max.x - box.min.x) > (line.max.x - line.min.x) ? &line : &box;
  }
  out.min = result->min;
  out.max = result->max;
}

template <class S, class V, class B>
inline bool RayBoxIntersect(const V &o, const V &d, const B &box, S maxDist, S &t) {
  if (detail::boxPointTest(box, o) == kIsectInside) {
    t = S(0);
    return true;
  }
  if (box.min.x > box.max.x || box.min.y > box.max.y || box.min.z > box.max.z) {
    return false; // empty: inverted bounds would pass every slab
  }
  S tNear = std::numeric_limits<S>::min();
  S tFar = std::numeric_limits<S>::max();
  // Narrows [tNear, tFar] to one slab; false when the ray misses it.
  auto slab = [&](S ok, S dk, S lo, S hi) {
    // Components below this are parallel to the slab; the float test widens
    // to double so that both precisions share the threshold. A NaN component
    // takes the slab branch and misses there.
    if (!(static_cast<double>(std::fabs(dk)) < 0.0001)) {
      S t1 = (lo - ok) / dk;
      S t2 = (hi - ok) / dk;
      if (t1 > t2) {
        std::swap(t1, t2);
      } else if (!(t1 <= t2)) {
        return false; // NaN from the ray or the box
      }
      tNear = std::max(tNear, t1);
      tFar = std::min(tFar, t2);
      return !(tNear > tFar || tFar < S(0));
    }
    return lo <= ok && ok <= hi; // false for a NaN origin
  };
  if (!slab(o.x, d.x, box.min.x, box.max.x) || !slab(o.y, d.y, box.min.y, box.max.y) ||
      !slab(o.z, d.z, box.min.z, box.max.z)) {
    return false;
  }
  if (!(tNear > S(0) && maxDist > tNear)) {
    return false;
  }
  t = tNear;
  return true;
}

extern template class ORRERY_MATH_API Plane<double, Vec3d, Vec4d>;
extern template class ORRERY_MATH_API IBoundingVolume<double, Vec3d>;
// BoundingBox<double, Vec3d> is compiled into the library and exported from
// it, but declared extern to the library's own sources only: a caller
// instantiates its table and its tests from this header (the dynamic linker
// keeps the library's), so the compiler calls them inline on a box whose
// type it knows.
#if defined(ORRERY_MATH_BUILDING)
extern template class ORRERY_MATH_API BoundingBox<double, Vec3d>;
#endif
/// The double ray test, compiled into the library.
extern template ORRERY_MATH_API bool RayBoxIntersect<double, Vec3d, BoundingBox<double, Vec3d>>(
    const Vec3d &, const Vec3d &, const BoundingBox<double, Vec3d> &, double, double &);
/// The float ray test, compiled into the library; it asks the box's point
/// test through the table always.
extern template ORRERY_MATH_API bool RayBoxIntersect<float, Vec3f, BoundingBox<float, Vec3f>>(
    const Vec3f &, const Vec3f &, const BoundingBox<float, Vec3f> &, float, float &);

} // namespace orrery

// The frustum, built of the planes above, for consumers who reach it through
// this header.
#include "math/Frustum.h"
