#pragma once

// Internal to the library (not installed): the kernels shared by the
// logarithmic and exponential sources (math/ElementaryExpLog.cpp and
// math/ElementaryHyperbolic.cpp). Two double-double kernels serve them all:
// the logarithm (a 512-entry table and a degree-8 series of log(1 + t),
// |t| <= 2^-9) and the exponential (a 128-entry table of 2^(j/128) and a
// degree-7 series of exp(r) - 1, |r| <= ln 2 / 256). Each is templated on
// UseFma: the copies compiled for processors with the fused multiply-add take
// exact products where the others split their operands; both bound their
// error the same way, so the rounding tests decide the same values.

#include "math/detail/DoubleDouble.h"
#include "math/detail/ExpLogTables.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace orrery::detail::explog {

// Relative error bounds of the accurate kernels, each several times the
// largest error measured against MPFR on millions of arguments.
// Measured: logarithm kernel 2^-71.2, exponential kernel 2^-78.3 (2^-70.3
// for e^x - 1), sinh, tanh, asinh, atanh 2^-70.3, pow 2^-78 + 2^-71.2 |y log x|.
constexpr double kLogError = 0x1p-69;
constexpr double kExpm1Error = 0x1p-67;
constexpr double kHyperbolicError = 0x1p-67;
constexpr double kPowError = 0x1p-74;
constexpr double kPowLogError = 0x1p-69; // per unit of |y log x|

#ifdef ORRERY_ELEMENTARY_STATS
// Calls that reached an accurate kernel after the first rounding test failed
// (counted only in the accuracy program's build).
inline thread_local unsigned long long secondStageCalls = 0;
#endif

[[gnu::always_inline]] inline void countSecondStage() {
#ifdef ORRERY_ELEMENTARY_STATS
  ++secondStageCalls;
#endif
}

// x with its low 27 significand bits cleared: 26 bits, whose square and
// products with other numbers of up to 27 bits are exact.
[[gnu::always_inline]] inline double highBits(double x) {
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) & ~std::uint64_t{0x7ffffff});
}

// 2^k for k in [-1074, 1023].
[[gnu::always_inline]] inline double pow2(int k) {
  if (k < -1022) {
    return 0x1p-1022 * std::bit_cast<double>(std::uint64_t(k + 2045) << 52);
  }
  return std::bit_cast<double>(std::uint64_t(k + 1023) << 52);
}

// x^2 as hi + lo: exact with the fused multiply-add; otherwise hi = h^2
// exact for the 26-bit head h of x, and lo = (x - h)(x + h), below 2^-24 x^2,
// within 2^-77 x^2 (cheaper than a twoProduct).
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble square(double x) {
  if constexpr (UseFma) {
    return exactProduct<true>(x, x);
  } else {
    const double h = highBits(x);
    return {h * h, (x - h) * (x + h)};
  }
}

// a b as hi + lo: exact with the fused multiply-add; otherwise hi is the
// exact product of the 26-bit heads and lo the rest, below 2^-24 |ab|,
// rounded: within 2^-77 |ab| (cheaper than a twoProduct).
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble splitProduct(double a, double b) {
  if constexpr (UseFma) {
    return exactProduct<true>(a, b);
  } else {
    const double ah = highBits(a);
    const double bh = highBits(b);
    return {ah * bh, ah * (b - bh) + (a - ah) * b};
  }
}

// x = 2^k z with z in [0.6875, 1.375): the table's buckets start here.
constexpr std::uint64_t kLogOffset = 0x3fe6000000000000;

// x = 2^k z, z r = 1 + th + tl exactly (|tl| at most 2^-53, and at most
// half an ulp of th once normalised), and the table's entry for r.
struct LogReduced {
  double k;
  const LogEntry *e;
  double th;
  double tl;
};

// For finite x > 0, subnormals included.
template <bool UseFma> [[gnu::always_inline]] inline LogReduced logReduce(double x) {
  std::uint64_t ix = std::bit_cast<std::uint64_t>(x);
  std::int64_t scale = 0;
  if (ix < std::uint64_t{0x0010000000000000}) {
    ix = std::bit_cast<std::uint64_t>(x * 0x1p52);
    scale = -52;
  }
  const std::uint64_t tmp = ix - kLogOffset;
  const LogEntry &e = kLogTable[(tmp >> 43) & 511];
  const double k = double((static_cast<std::int64_t>(tmp) >> 52) + scale);
  const double z = std::bit_cast<double>(ix - (tmp & (std::uint64_t{0xfff} << 52)));
  if constexpr (UseFma) {
    // z r lies within 2^-8 of 1, so its rounding less 1 is exact, and a
    // multiple of the ulp of 1 - 2^-9: at least the product's rounding
    // error unless zero, so that a fastTwoSum normalises the two.
    const DoubleDouble p = exactProduct<true>(z, e.r);
    return {k, &e, p.hi - 1.0, p.lo};
  } else {
    // r has 26 bits, so with z split into a 26-bit high part and a 27-bit
    // rest both products are exact, and the first is near 1.
    const double zh = highBits(z);
    const DoubleDouble t = twoSum(zh * e.r - 1.0, (z - zh) * e.r);
    return {k, &e, t.hi, t.lo};
  }
}

// A first approximation of a result: the value lies within err of hi + lo.
struct Approximation {
  double hi;
  double lo;
  double err;
};

// log(2^k z) in plain double but for the exact k ln 2 - log r + th, for the
// rounding test ahead of the accurate kernel:
// log(1 + t) = th + th^2 q(th) + tl (1 - th), q of degree 5.
// The error bound, term by term (u = th^2, |th| <= 2^-9, and |log x| >= 2^-10
// outside the two buckets beside 1, where -log r is 0 and log x ~ th):
// th^2 q(th) within u 2^-51.5 (q to 2^-53, two roundings of 2^-53), the
// truncated th^8/8 below u 2^-57, the tl th^2 left out below u 2^-53
// (|tl| at most 2^-53, 0 beside 1), the sums of the low parts
// within u 2^-52.4 plus 2^-84 |log x|, the tables' and ln 2's roundings below
// 2^-85 |log x|: in all below u 2^-50 + 2^-83 |hi|; taken as u 2^-49 +
// 2^-65 |hi|.
template <bool UseFma> [[gnu::always_inline]] inline Approximation logFirst(const LogReduced &r) {
  const double th = r.th;
  const double u = th * th;
  const double q01 = mulAdd<UseFma>(0x1.5555555555555p-2, th, -0.5);
  const double q23 = mulAdd<UseFma>(0x1.999999999999ap-3, th, -0.25);
  const double q45 = mulAdd<UseFma>(0x1.2492492492492p-3, th, -0x1.5555555555555p-3);
  const double q = mulAdd<UseFma>(u, mulAdd<UseFma>(u, q45, q23), q01);
  const double a = r.k * kLn2Hi + r.e->hi;
  const DoubleDouble s = fastTwoSum(a, th);
  const double small = mulAdd<UseFma>(-th, r.tl, r.tl) + mulAdd<UseFma>(r.k, kLn2Lo, r.e->lo);
  const double lo = s.lo + mulAdd<UseFma>(u, q, small);
  return {s.hi, lo, u * 0x1p-49 + std::fabs(s.hi) * 0x1p-65};
}

// log(h + l) for a double-double with h > 0 normal and |l| <= ulp(h) (and
// 2^-k l normal or zero): l 2^-k r joins tl, which may then reach 2^-51.4.
// The roundings, 2^-104 at most, are below 2^-65 |log| for |log| above
// 2^-39; the tl th^2 left out, below u 2^-51.4, is within the bound's
// margin.
template <bool UseFma> [[gnu::always_inline]] inline Approximation logFirst(DoubleDouble v) {
  LogReduced r = logReduce<UseFma>(v.hi);
  r.tl += (v.lo * pow2(-static_cast<int>(r.k))) * r.e->r;
  return logFirst<UseFma>(r);
}

// log(2^k z) as hi + lo (|lo| below 2^-50 |hi|, not normalised) whose
// relative error stays below 2^-70.
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble logAccurate(const LogReduced &r) {
  const DoubleDouble t = fastTwoSum(r.th, r.tl);
  const double th = t.hi;
  const double tl = t.lo;
  // log(1 + t) = th - th^2/2 + th^3 P(th) + tl (1 - th), |t| <= 2^-9.
  const DoubleDouble sq = square<UseFma>(th);
  const DoubleDouble u = fastTwoSum(th, -0.5 * sq.hi);
  const double t2 = th * th;
  const double p01 = 0x1.5555555555555p-2 - 0.25 * th;
  const double p23 = 0x1.999999999999ap-3 - 0x1.5555555555555p-3 * th;
  const double p45 = 0x1.2492492492492p-3 - 0.125 * th;
  const double poly = (t2 * th) * ((p01 + t2 * p23) + (t2 * t2) * p45);
  // k ln 2 + (-log r): both are multiples of 2^-42 below 2^10, so the sum is
  // exact; the small parts follow.
  const double a = r.k * kLn2Hi + r.e->hi;
  const double small = ((tl - th * tl) - 0.5 * sq.lo) + (r.k * kLn2Lo + r.e->lo);
  const DoubleDouble s = fastTwoSum(a, u.hi);
  return {s.hi, s.lo + ((u.lo + small) + poly)};
}

// log(x) for finite x > 0, subnormals included, as logAccurate.
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble logKernel(double x) {
  return logAccurate<UseFma>(logReduce<UseFma>(x));
}

// log(h + l) for a double-double h + l with h > 0 and |l| <= ulp(h).
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble logKernel(DoubleDouble v) {
  const DoubleDouble l = logKernel<UseFma>(v.hi);
  return fastTwoSum(l.hi, l.lo + v.lo / v.hi);
}

// e^(xh + xl) = 2^k t (1 + p) for |xh| below 746 and |xl| <= ulp(xh), with
// t = 2^(j/128) from the table and p = e^r - 1, |r| <= ln 2 / 256, whose
// relative error stays below 2^-70.
struct ExpReduced {
  int k;
  double th;
  double tl;
  DoubleDouble p;
};

template <bool UseFma> [[gnu::always_inline]] inline ExpReduced expReduce(double xh, double xl) {
  constexpr double kShift = 0x1.8p52;
  const double kd = (xh * kInvLn2By128 + kShift) - kShift;
  const auto ki = static_cast<std::int64_t>(kd);
  // |kd| < 2^18, so kd times the 35-bit high part of ln 2 / 128 is exact, and
  // so is its difference from xh (the two are within a factor of two).
  const double rh = xh - kd * kLn2By128Hi;
  const double rl = xl - kd * kLn2By128Lo;
  const DoubleDouble r = twoSum(rh, rl);
  const double x = r.hi;
  // e^r - 1 = x + x^2/2 + x^3 Q(x) + r.lo (1 + x).
  const DoubleDouble sq = square<UseFma>(x);
  const DoubleDouble h = fastTwoSum(x, 0.5 * sq.hi);
  const double q01 = 0x1.5555555555555p-3 + 0x1.5555555555555p-5 * x;
  const double q23 = 0x1.1111111111111p-7 + 0x1.6c16c16c16c17p-10 * x;
  const double q4 = 0x1.a01a01a01a01ap-13;
  const double x2 = x * x;
  const double poly = (x2 * x) * ((q01 + x2 * q23) + (x2 * x2) * q4);
  const double pl = h.lo + ((0.5 * sq.lo + (r.lo + x * r.lo)) + poly);
  const double *t = kExp2Table[ki & 127];
  return {static_cast<int>(ki >> 7), t[0], t[1], {h.hi, pl}};
}

// e^(xh + xl) = 2^k (m.hi + m.lo), m in [0.99, 2) with relative error below
// 2^-76.
struct ExpParts {
  int k;
  DoubleDouble m;
};

template <bool UseFma> [[gnu::always_inline]] inline ExpParts expKernel(double xh, double xl) {
  const ExpReduced e = expReduce<UseFma>(xh, xl);
  const DoubleDouble tp = splitProduct<UseFma>(e.th, e.p.hi);
  const DoubleDouble m = fastTwoSum(e.th, tp.hi);
  const double ml = m.lo + (tp.lo + (e.tl + (e.th * e.p.lo + e.tl * e.p.hi)));
  return {e.k, {m.hi, ml}};
}

// e^(xh + xl) - c = 2^k (hi + lo) within err, in plain double but for the
// exact t (1 + x) - c, for the rounding test ahead of the accurate kernel:
// t = 2^(j/128) from the table, e^r - 1 = x + x^2 Q(x) + xlo (1 + x), Q of
// degree 4, |x| <= 2^-8.5, and c = 0 (e^x) or 2^-k (e^x - 1, |x| <= 710).
// The error bound on hi + lo, term by term (th in [1, 2)): th x^2 Q within
// x^2 2^-51 (Q to 2^-53.9, three roundings), the truncated x^7/5040 below
// x^2 2^-54, the sums of the low parts within x^2 2^-51.4 + 2^-104 |hi|, the
// last sum x^2 2^-53 + 2^-104 |hi|, the xlo x th left out below |xlo| 2^-6.5,
// the reduction's rounding and ln 2 / 128's below |kd| 2^-94.5, th x split
// without the fused multiply-add within 2^-83.9 (exact when t = 1, that is
// kd = 0): in all below x^2 2^-49.6 + |xlo| 2^-6.5 + |kd| 2^-94.5 +
// 2^-75.3 |hi|, since with c = 2^-k, |t (1 + x) - c| >= 2^-8.6 whenever kd
// is not 0 (the sum carries t - c exactly); taken as x^2 2^-49 +
// |xlo| 2^-6 + |kd| 2^-92 + 2^-74 |hi|.
struct ExpApproximation {
  int k;
  double hi;
  double lo;
  double err;
};

template <bool UseFma, bool MinusOne>
[[gnu::always_inline]] inline ExpApproximation expFirst(double xh, double xl) {
  constexpr double kShift = 0x1.8p52;
  const double kd = mulAdd<UseFma>(xh, kInvLn2By128, kShift) - kShift;
  const auto ki = static_cast<std::int64_t>(kd);
  const DoubleDouble r =
      twoSum(mulAdd<UseFma>(-kd, kLn2By128Hi, xh), mulAdd<UseFma>(-kd, kLn2By128Lo, xl));
  const double x = r.hi;
  const double x2 = x * x;
  const double q01 = mulAdd<UseFma>(0x1.5555555555555p-3, x, 0.5);
  const double q23 = mulAdd<UseFma>(0x1.1111111111111p-7, x, 0x1.5555555555555p-5);
  const double q = mulAdd<UseFma>(x2, mulAdd<UseFma>(x2, 0x1.6c16c16c16c17p-10, q23), q01);
  const double pq = x2 * q;
  const double *t = kExp2Table[ki & 127];
  const int k = static_cast<int>(ki >> 7);
  const double th = t[0];
  const double tl = t[1];
  const DoubleDouble a = splitProduct<UseFma>(th, x);
  const double rest = a.lo + (mulAdd<UseFma>(th, pq, th * r.lo) + mulAdd<UseFma>(tl, x + pq, tl));
  DoubleDouble s{};
  double lo = 0.0;
  if constexpr (MinusOne) {
    const DoubleDouble d = twoSum(th, k == 1024 ? -0x1p-1024 : -pow2(-k));
    s = twoSum(d.hi, a.hi);
    lo = (d.lo + s.lo) + rest;
  } else {
    s = fastTwoSum(th, a.hi);
    lo = s.lo + rest;
  }
  const double err = (x2 * 0x1p-49 + std::fabs(r.lo) * 0x1p-6) +
                     (std::fabs(kd) * 0x1p-92 + std::fabs(s.hi) * 0x1p-74);
  return {k, s.hi, lo, err};
}

// v 2^k for k in [-1074, 1024], rounded once.
[[gnu::always_inline]] inline double scale(double v, int k) {
  if (k > 1000) {
    return (v * 0x1p1000) * pow2(k - 1000);
  }
  return v * pow2(k);
}

// The relative rounding test: hi + lo within rel |hi| of the true value.
[[gnu::always_inline]] inline bool roundsToRelative(DoubleDouble v, double rel, double &out) {
  return roundsTo(v.hi, v.lo, std::fabs(v.hi) * rel, out);
}

// 2^k m rounded to the subnormal grid (2^-1074), when the value is below
// 2^-1022; false when the rounding is undecided.
inline bool roundsToSubnormal(DoubleDouble m, double err, int k, double &out) {
  const double f = pow2(k + 1074);
  const double vh = m.hi * f;
  const double vl = m.lo * f;
  const double e = err * f;
  constexpr double kC = 0x1p52;
  const DoubleDouble s = fastTwoSum(kC, vh);
  const double up = s.lo + (vl + e);
  const double down = s.lo + (vl - e);
  constexpr double kHalf = 0.5 - 0x1p-40;
  if (!(up < kHalf && down > -kHalf)) {
    return false;
  }
  out = (s.hi - kC) * 0x1p-1074;
  return true;
}

// 2^k m correctly rounded, with m within err of its true value; false when
// undecided.
[[gnu::always_inline]] inline bool roundsScaled(int k, DoubleDouble m, double err, double &out) {
  if (k < -1022 || (k == -1022 && m.hi < 1.0)) {
    return roundsToSubnormal(m, err, k, out);
  }
  double v = 0.0;
  if (!roundsTo(m.hi, m.lo, err, v)) {
    return false;
  }
  out = scale(v, k);
  return true;
}

// 2^k m correctly rounded, with m within rel of its true value; false when
// undecided.
[[gnu::always_inline]] inline bool roundsScaled(const ExpParts &p, double rel, double &out) {
  return roundsScaled(p.k, p.m, std::fabs(p.m.hi) * rel, out);
}

// e^x - 1 as 2^k d: d = t (1 + p) - 2^-k, for -38 <= x <= 710.
struct Expm1Parts {
  int k;
  DoubleDouble d;
};

template <bool UseFma> [[gnu::always_inline]] inline Expm1Parts expm1Kernel(double x) {
  const ExpReduced e = expReduce<UseFma>(x, 0.0);
  // t - 2^-k first, so that no part of p is rounded against 1 when k is 0.
  const DoubleDouble d = twoSum(e.th, e.k == 1024 ? -0x1p-1024 : -pow2(-e.k));
  const DoubleDouble tp = splitProduct<UseFma>(e.th, e.p.hi);
  const DoubleDouble s = twoSum(d.hi, tp.hi);
  const double lo = (d.lo + s.lo) + (tp.lo + (e.tl + (e.th * e.p.lo + e.tl * e.p.hi)));
  return {e.k, fastTwoSum(s.hi, lo)};
}

// e^|x| - 1 as a double-double, for |x| <= 44.
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble expm1Small(double x) {
  const Expm1Parts p = expm1Kernel<UseFma>(x);
  const double f = pow2(p.k);
  return {p.d.hi * f, p.d.lo * f};
}

// a / b for double-doubles (b.hi nonzero), to about 2^-100.
template <bool UseFma>
[[gnu::always_inline]] inline DoubleDouble divide(DoubleDouble a, DoubleDouble b) {
  const double q = a.hi / b.hi;
  const DoubleDouble p = exactProduct<UseFma>(q, b.hi);
  const double rest = (((a.hi - p.hi) - p.lo) + a.lo) - q * b.lo;
  return fastTwoSum(q, rest / b.hi);
}

} // namespace orrery::detail::explog
