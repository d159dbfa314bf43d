// Arcsine and arccosine, double and float.
//
// First stage, |x| <= 7/8: with c the nearest of the points i / 128 to |x|
// and t = |x| - c (exact), asin |x| is a polynomial of degree 9 in t from a
// table, its value and slope as double-doubles and the exact product of the
// slope and t, so the plain double arithmetic of the remaining terms, of size
// below 2^-13 of the result, leaves an error near 2^-66 of it; no division
// and no root. Above 7/8, asin |x| = pi/2 - 2 asin(sqrt z), z = (1 - |x|) / 2
// exact, with asin s = s (1 + z P(z)), the root as a double-double and the
// products by z/6 and s exact. acos adds the quadrant offsets.
//
// Second stage, when the first one cannot decide the rounding: with
// p = sin a, q = cos a = sqrt(1 - p^2) (p <= q, one of them the argument, the
// other a double-double root) and c the nearest of the table points i / 128
// to p, asin p = asin c + asin d, d = p sqrt(1 - c^2) - c q, |d| < 2^-7.5,
// to about 2^-93. When that fails too, the slow path decides.
//
// The float functions evaluate the first stage in plain double and round it
// to float with a rounding test on the float grid.

#include "math/Elementary.h"
#include "math/detail/ArcCommon.h"
#include "math/detail/ArcSineTables.h"
#include "math/detail/DoubleDouble.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace orrery::elementary {
namespace {

using detail::correctlyRounded;
using detail::DoubleDouble;
using detail::exactProduct;
using detail::fastTwoSum;
using detail::kProcessorHasFma;
using detail::mulAdd;
using detail::roundsTo;
using detail::Slow;
using detail::twoSum;
using detail::arc::Approx;
using detail::arc::ArcSinePiece;
using detail::arc::ArcSinePoint;
using detail::arc::kAsinNearOne;
using detail::arc::kAsinPieces;
using detail::arc::kAsinTable;
using detail::arc::kHalfPi;
using detail::arc::kOffsets;
using detail::arc::kPi;
using detail::arc::nearestPoint;
using detail::arc::offsetBy;
using detail::arc::productBySmall;
using detail::arc::roundsToFloat;

// Up to here the first stage works piecewise; above, from the root.
constexpr double kPiecewiseEnd = 0.875;

// The piece around the point i / 128 nearest to ax in [0, 7/8], and
// t = ax - i / 128 (exact): adding 2^45 rounds ax to a multiple of 1/128
// and leaves i in the last bits.
struct PiecePoint {
  const ArcSinePiece *piece;
  double t;
};
[[gnu::always_inline]] inline PiecePoint piecePoint(double ax) {
  constexpr double kShift = 0x1p45;
  const double r = ax + kShift;
  const auto i = std::bit_cast<std::uint64_t>(r) - std::bit_cast<std::uint64_t>(kShift);
  return {&kAsinPieces[i], ax - (r - kShift)};
}

// The polynomial of piece e in t without its value and slope terms:
// t^2 (c0 + c1 t + ... + c7 t^7), by Estrin's scheme.
template <bool UseFma>
[[gnu::always_inline]] inline double pieceTail(const ArcSinePiece &e, double t) {
  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double *c = e.c;
  const double low =
      mulAdd<UseFma>(t2, mulAdd<UseFma>(t, c[3], c[2]), mulAdd<UseFma>(t, c[1], c[0]));
  const double high =
      mulAdd<UseFma>(t2, mulAdd<UseFma>(t, c[7], c[6]), mulAdd<UseFma>(t, c[5], c[4]));
  return t2 * mulAdd<UseFma>(t4, high, low);
}

// P(z) - P(0) over z: c1 + c2 z + ... + c9 z^8.
template <bool UseFma> [[gnu::always_inline]] inline double nearOneTail(double z) {
  const double z2 = z * z;
  const double z4 = z2 * z2;
  const double *c = kAsinNearOne;
  const double low =
      mulAdd<UseFma>(z2, mulAdd<UseFma>(z, c[4], c[3]), mulAdd<UseFma>(z, c[2], c[1]));
  const double high = mulAdd<UseFma>(
      z4, c[9], mulAdd<UseFma>(z2, mulAdd<UseFma>(z, c[8], c[7]), mulAdd<UseFma>(z, c[6], c[5])));
  return mulAdd<UseFma>(z4, high, low);
}

// asin ax for 2^-26 <= ax <= 7/8.
//
// Error: the table's polynomial is within 2^-66.4 of asin, relative; the
// tail (the terms from t^2 on, at most 2^-13 of the result) is evaluated with
// about six roundings and no cancellation (its terms share the sign of t or
// shrink by 1/32 from one to the next), so within 2^-50 of itself, and the
// sums of the low parts add 2^-53 of the tail and 2^-104 of the result. The
// bound: 2^-48 of the tail and 2^-65.4 of the result.
template <bool UseFma> [[gnu::always_inline]] inline Approx piecewise(double ax) {
  const auto [piece, t] = piecePoint(ax);
  const ArcSinePiece &e = *piece;
  const double tail = pieceTail<UseFma>(e, t);
  const DoubleDouble p = exactProduct<UseFma>(e.slope, t);
  const DoubleDouble s = fastTwoSum(e.value, p.hi);
  const double lo = s.lo + ((p.lo + (e.valueLo + e.slopeLo * t)) + tail);
  return {s.hi, lo, std::fabs(tail) * 0x1p-48 + s.hi * 0x1.8p-66};
}

// offset + sign 2 asin(sqrt z), z = (1 - ax) / 2, for 7/8 < ax < 1: offset
// pi/2 and sign -1 for asin ax, 0 and 1 or pi and -1 for acos +-ax.
//
// The root's low part sl = (z - sh^2) / (2 sh) is taken as
// (z - sh^2) sh / (1 - ax): the division then runs beside the root instead
// of after it. sh^2 / z is within 2^-52 of 1 and the four roundings add
// 2^-51, so sl is within 2^-50 of itself, 2^-103 of s.
//
// Error: s = sqrt z as sh + sl to 2^-102; z P(z) as the exact product z c0
// plus w = z (c0lo + z (P(z) - c0) / z), w within 2^-49 of itself (positive
// terms); s times it with an exact leading product. asin s is then within
// s (2^-67.2 + 2^-49 w) of the sum, twice that for the result; the sums of
// the low parts add less than 2^-104 of it (four roundings of the size of
// the low part, one fewer than with sl inside rest). The bound:
// s (2^-65 + 2^-48 w).
template <bool UseFma, int Sign>
[[gnu::always_inline]] inline Approx nearOne(double ax, const DoubleDouble &offset) {
  constexpr double sign = Sign;
  // z is exact either way, and so is z - sh^2.
  const double d = 1.0 - ax;
  double z = 0.0;
  if constexpr (UseFma) {
    z = __builtin_fma(-0.5, ax, 0.5);
  } else {
    z = d * 0.5;
  }
  const double sh = std::sqrt(z);
  const double halfInverse = 1.0 / d;
  double residual = 0.0;
  if constexpr (UseFma) {
    residual = __builtin_fma(-sh, sh, z);
  } else {
    const DoubleDouble sq = exactProduct<false>(sh, sh);
    residual = (z - sq.hi) - sq.lo;
  }
  const double sl = residual * (sh * halfInverse);
  const DoubleDouble a = exactProduct<UseFma>(z, kAsinNearOne[0]);
  const double w = z * mulAdd<UseFma>(z, nearOneTail<UseFma>(z), kAsinNearOne[10]);
  const DoubleDouble m = exactProduct<UseFma>(sh, a.hi);
  const DoubleDouble h1 = fastTwoSum(offset.hi, sign * (sh + sh));
  const DoubleDouble h2 = fastTwoSum(h1.hi, sign * (m.hi + m.hi));
  // The root's low part joins last: it is ready last.
  const double rest = m.lo + sh * (a.lo + w);
  const double rootLo = sl + sl * a.hi;
  const double lo =
      (h2.lo + (h1.lo + (offset.lo + sign * (rest + rest)))) + sign * (rootLo + rootLo);
  return {h2.hi, lo, sh * (0x1p-65 + w * 0x1p-48)};
}

// offset + sign * asin p for p = ph + pl and q = qh + ql = sqrt(1 - p^2),
// 0 <= p <= q; offset 0 (sign 1), pi/2 or pi.
//
// Error: the cubic and higher terms dp of asin d carry a relative error below
// 2^-50.5 as those of the arctangent do, the truncation after d^11 stays
// below 2^-70 |dp|; the low parts of d, the table, the offset and the sums
// stay below 2^-96 of the result. Measured: at most a third of the bound.
template <bool UseFma>
[[gnu::always_inline]] inline Approx asinCore(double ph, double pl, double qh, double ql,
                                              const DoubleDouble &offset, double sign) {
  const int i = nearestPoint(ph);
  const ArcSinePoint &e = kAsinTable[i];
  const DoubleDouble base = fastTwoSum(offset.hi, sign * e.angle.hi);
  const double baseLo = base.lo + (offset.lo + sign * e.angle.lo);
  DoubleDouble d{ph, pl};
  if (i != 0) {
    // d = sin(asin p - asin c) = p cos(asin c) - c q.
    const double c = i * 0x1p-7;
    const DoubleDouble pc = exactProduct<UseFma>(ph, e.cosine.hi);
    const DoubleDouble cq = productBySmall<UseFma>(c, qh);
    const DoubleDouble head = twoSum(pc.hi, -cq.hi);
    d = {head.hi, head.lo + ((((pc.lo - cq.lo) + ph * e.cosine.lo) + pl * e.cosine.hi) - c * ql)};
  }
  const double d2 = d.hi * d.hi;
  const double d4 = d2 * d2;
  const double poly =
      d2 * ((0x1.5555555555555p-3 + d2 * 0x1.3333333333333p-4) +
            d4 * ((0x1.6db6db6db6db7p-5 + d2 * 0x1.f1c71c71c71c7p-6) + d4 * 0x1.6e8ba2e8ba2e9p-6));
  const double dp = d.hi * poly;
  const DoubleDouble s = fastTwoSum(base.hi, sign * d.hi);
  const double lo = s.lo + (baseLo + sign * ((d.lo + d.lo * (0.5 * d2)) + dp));
  return {s.hi, lo, std::fabs(dp) * 0x1p-49 + s.hi * 0x1p-93};
}

// sqrt(1 - x^2) for |x| < 1 as a double-double, to 2^-104 of it. 1 - x^2 is
// exact when x^2 >= 1/2 (a.lo is zero then), to 2^-106 otherwise.
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble cosineOf(double x) {
  const DoubleDouble sq = exactProduct<UseFma>(x, x);
  const DoubleDouble a = fastTwoSum(1.0, -sq.hi);
  const DoubleDouble w = fastTwoSum(a.hi, a.lo - sq.lo);
  const double sh = std::sqrt(w.hi);
  const DoubleDouble s2 = exactProduct<UseFma>(sh, sh);
  return {sh, (((w.hi - s2.hi) - s2.lo) + w.lo) / (sh + sh)};
}

// sqrt(1/2) rounded: above it the argument of the arcsine is the cosine.
// Deciding on x alone lets the table look-up start before the root is known.
constexpr double kRootHalf = 0x1.6a09e667f3bcdp-1;

// asin x for 2^-26 <= x < 1: asin x, or pi/2 - asin sqrt(1 - x^2) above
// sqrt(1/2).
template <bool UseFma> [[gnu::always_inline]] inline Approx arcSine(double x) {
  const DoubleDouble q = cosineOf<UseFma>(x);
  if (x > kRootHalf) {
    return asinCore<UseFma>(q.hi, q.lo, x, 0.0, kHalfPi, -1.0);
  }
  return asinCore<UseFma>(x, 0.0, q.hi, q.lo, kOffsets[0], 1.0);
}

// acos x for 2^-55 <= |x| < 1: pi/2 -+ asin |x|, or asin sqrt(1 - x^2)
// (pi minus it for negative x) above sqrt(1/2).
template <bool UseFma> [[gnu::always_inline]] inline Approx arcCosine(double x) {
  const double ax = std::fabs(x);
  const DoubleDouble q = cosineOf<UseFma>(ax);
  const bool positive = x > 0.0;
  if (ax > kRootHalf) {
    return asinCore<UseFma>(q.hi, q.lo, ax, 0.0, kOffsets[positive ? 0 : 2], positive ? 1.0 : -1.0);
  }
  return asinCore<UseFma>(ax, 0.0, q.hi, q.lo, kHalfPi, positive ? -1.0 : 1.0);
}

template <bool UseFma> [[gnu::always_inline]] inline double asinImpl(double x) {
  const double ax = std::fabs(x);
  if (ax < 0x1p-26) {
    // asin x = x + x^3/6 rounds to x.
    return x;
  }
  if (!(ax < 1.0)) {
    if (ax == 1.0) {
      return std::copysign(kHalfPi.hi, x);
    }
    return std::isnan(x) ? x + x : std::numeric_limits<double>::quiet_NaN();
  }
  const Approx f = ax <= kPiecewiseEnd ? piecewise<UseFma>(ax) : nearOne<UseFma, -1>(ax, kHalfPi);
  double out = 0.0;
  if (roundsTo(f.hi, f.lo, f.err, out)) {
    return std::copysign(out, x);
  }
  const Approx v = arcSine<UseFma>(ax);
  if (roundsTo(v.hi, v.lo, v.err, out)) {
    return std::copysign(out, x);
  }
  return correctlyRounded(Slow::Asin, x);
}

template <bool UseFma> [[gnu::always_inline]] inline double acosImpl(double x) {
  const double ax = std::fabs(x);
  if (ax < 0x1p-55) {
    // pi/2 - x rounds to pi/2.
    return kHalfPi.hi;
  }
  if (!(ax < 1.0)) {
    if (x == 1.0) {
      return 0.0;
    }
    if (x == -1.0) {
      return kPi.hi;
    }
    return std::isnan(x) ? x + x : std::numeric_limits<double>::quiet_NaN();
  }
  const bool positive = x > 0.0;
  // Each sign its own code, so that the signs fold into the operations.
  Approx f{};
  if (ax <= kPiecewiseEnd) {
    const Approx r = piecewise<UseFma>(ax);
    f = positive ? offsetBy(kHalfPi, -1.0, r) : offsetBy(kHalfPi, 1.0, r);
  } else {
    f = positive ? nearOne<UseFma, 1>(ax, kOffsets[0]) : nearOne<UseFma, -1>(ax, kOffsets[2]);
  }
  double out = 0.0;
  if (roundsTo(f.hi, f.lo, f.err, out)) {
    return out;
  }
  const Approx v = arcCosine<UseFma>(x);
  if (roundsTo(v.hi, v.lo, v.err, out)) {
    return out;
  }
  return correctlyRounded(Slow::Acos, x);
}

#ifdef ORRERY_FMA_COPIES
[[gnu::target("fma")]] double asinFma(double x) { return asinImpl<true>(x); }
[[gnu::target("fma")]] double acosFma(double x) { return acosImpl<true>(x); }
#else
double asinFma(double x) { return asinImpl<false>(x); }
double acosFma(double x) { return acosImpl<false>(x); }
#endif

// The first stage of the float functions, in plain double with the
// polynomials cut short. asin ax for 2^-12 <= ax <= 7/8: the terms dropped
// from t^6 on sum to at most 2^-36.6 of asin ax (the largest sum of their
// bounds over the pieces, at |t| = 1/256), the rest adds 2^-50.
template <bool UseFma> [[gnu::always_inline]] inline double piecewiseSingle(double ax) {
  const auto [piece, t] = piecePoint(ax);
  const ArcSinePiece &e = *piece;
  const double *c = e.c;
  const double t2 = t * t;
  const double poly =
      mulAdd<UseFma>(t2, mulAdd<UseFma>(t, c[3], c[2]), mulAdd<UseFma>(t, c[1], c[0]));
  return e.value + mulAdd<UseFma>(t2, poly, e.slope * t);
}

// 2 asin(sqrt z), z = (1 - ax) / 2, for 7/8 < ax < 1 in plain double: the
// terms dropped from z^7 P's on sum to at most 2^-38.3 of it, the root, the
// polynomial and the products add 2^-50.
template <bool UseFma> [[gnu::always_inline]] inline double nearOneSingle(double ax) {
  const double z = (1.0 - ax) * 0.5;
  const double s = std::sqrt(z);
  const double z2 = z * z;
  const double *c = kAsinNearOne;
  const double low =
      mulAdd<UseFma>(z2, mulAdd<UseFma>(z, c[3], c[2]), mulAdd<UseFma>(z, c[1], c[0]));
  const double high = mulAdd<UseFma>(z2, c[6], mulAdd<UseFma>(z, c[5], c[4]));
  const double r = mulAdd<UseFma>(s, z * mulAdd<UseFma>(z2 * z2, high, low), s);
  return r + r;
}

// The bound of the float first stage, relative to its result r: 2^-36.6 of
// asin |x| is at most 2^-35.6 of acos x (at least 1/2 there), and the
// offset's rounding and the subtraction add 2^-52 of it. Measured: at most
// 0.31 of the bound on 10^5 arguments.
constexpr double kSingleError = 0x1p-34;

// When the float first stage cannot decide, the double one (with its error
// near 2^-65; its low part, up to 2^-13 of the high one, gathered into a
// normalized pair first) rounded to float, and then the slow path.
float asinSingleAgain(float x) {
  const double ax = std::fabs(static_cast<double>(x));
  const Approx f = ax <= kPiecewiseEnd ? piecewise<false>(ax) : nearOne<false, -1>(ax, kHalfPi);
  const DoubleDouble v = fastTwoSum(f.hi, f.lo);
  float out = 0.0f;
  if (roundsToFloat(v.hi, v.lo, f.err, out)) {
    return std::copysign(out, x);
  }
  return correctlyRounded(Slow::Asin, x);
}

float acosSingleAgain(float x) {
  const double ax = std::fabs(static_cast<double>(x));
  const bool positive = x > 0.0f;
  const Approx f =
      ax <= kPiecewiseEnd
          ? offsetBy(kHalfPi, positive ? -1.0 : 1.0, piecewise<false>(ax))
          : (positive ? nearOne<false, 1>(ax, kOffsets[0]) : nearOne<false, -1>(ax, kOffsets[2]));
  const DoubleDouble v = fastTwoSum(f.hi, f.lo);
  float out = 0.0f;
  if (roundsToFloat(v.hi, v.lo, f.err, out)) {
    return out;
  }
  return correctlyRounded(Slow::Acos, x);
}

} // namespace

double asin(double x) { return kProcessorHasFma ? asinFma(x) : asinImpl<false>(x); }
double acos(double x) { return kProcessorHasFma ? acosFma(x) : acosImpl<false>(x); }

namespace {

template <bool UseFma> [[gnu::always_inline]] inline float asinSingle(float x) {
  const double ax = std::fabs(static_cast<double>(x));
  if (ax < 0x1p-12) {
    // asin x = x + x^3/6 rounds to x in float.
    return x;
  }
  if (!(ax < 1.0)) {
    if (ax == 1.0) {
      return std::copysign(0x1.921fb6p+0f, x);
    }
    return std::isnan(x) ? x + x : std::numeric_limits<float>::quiet_NaN();
  }
  const double r =
      ax <= kPiecewiseEnd ? piecewiseSingle<UseFma>(ax) : kHalfPi.hi - nearOneSingle<UseFma>(ax);
  float out = 0.0f;
  if (roundsToFloat(r, 0.0, r * kSingleError, out)) {
    return std::copysign(out, x);
  }
  return asinSingleAgain(x);
}

template <bool UseFma> [[gnu::always_inline]] inline float acosSingle(float x) {
  const double xd = x;
  const double ax = std::fabs(xd);
  if (ax < 0x1p-26) {
    // pi/2 - x rounds to pi/2 in float.
    return 0x1.921fb6p+0f;
  }
  if (!(ax < 1.0)) {
    if (x == 1.0f) {
      return 0.0f;
    }
    if (x == -1.0f) {
      return 0x1.921fb6p+1f;
    }
    return std::isnan(x) ? x + x : std::numeric_limits<float>::quiet_NaN();
  }
  double r = 0.0;
  if (ax <= kPiecewiseEnd) {
    r = kHalfPi.hi - std::copysign(piecewiseSingle<UseFma>(ax), xd);
  } else {
    const double n = nearOneSingle<UseFma>(ax);
    r = xd > 0.0 ? n : kPi.hi - n;
  }
  float out = 0.0f;
  if (roundsToFloat(r, 0.0, r * kSingleError, out)) {
    return out;
  }
  return acosSingleAgain(x);
}

#ifdef ORRERY_FMA_COPIES
[[gnu::target("fma")]] float asinSingleFma(float x) { return asinSingle<true>(x); }
[[gnu::target("fma")]] float acosSingleFma(float x) { return acosSingle<true>(x); }
#else
float asinSingleFma(float x) { return asinSingle<false>(x); }
float acosSingleFma(float x) { return acosSingle<false>(x); }
#endif

} // namespace

float asin(float x) { return kProcessorHasFma ? asinSingleFma(x) : asinSingle<false>(x); }
float acos(float x) { return kProcessorHasFma ? acosSingleFma(x) : acosSingle<false>(x); }

} // namespace orrery::elementary
