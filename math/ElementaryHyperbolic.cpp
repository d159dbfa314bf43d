// The hyperbolic functions and e^x - 1, on the exponential and logarithm
// kernels of math/detail/ExpLogKernels.h. Each rounds its kernel's
// double-double result with the rounding test and leaves undecided roundings
// to the slow path.

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"
#include "math/detail/ExpLogKernels.h"

#include <cmath>
#include <limits>

namespace orrery::elementary {
namespace {

using detail::DoubleDouble;
using detail::exactProduct;
using detail::fastTwoSum;
using detail::kProcessorHasFma;
using detail::mulAdd;
using detail::roundsTo;
using detail::Slow;
using detail::twoSum;
using namespace detail::explog;

template <bool UseFma> [[gnu::always_inline]] inline double expm1Impl(double x) {
  if (!(x <= 709.79)) {
    return x + HUGE_VAL; // +inf, or NaN
  }
  if (x < -38.0) {
    return -1.0;
  }
  if (std::fabs(x) < 0x1p-54) {
    return x;
  }
  double out = 0.0;
  const ExpApproximation f = expFirst<UseFma, true>(x, 0.0);
  if (roundsTo(f.hi, f.lo, f.err, out)) {
    return scale(out, f.k);
  }
  countSecondStage();
  const Expm1Parts p = expm1Kernel<UseFma>(x);
  if (roundsToRelative(p.d, kExpm1Error, out)) {
    return scale(out, p.k);
  }
  return detail::correctlyRounded(Slow::Expm1, x);
}

// The odd series of a small a > 0 split for the rounding test: the square
// z = a^2 (exact, as a pair), the cube a^3 rounded, and a^3/6 as a
// double-double from the exact square and cube, within 2^-100 of itself.
struct OddSeriesHead {
  DoubleDouble z;
  double cube;
  DoubleDouble cubeSixth;
};

template <bool UseFma> [[gnu::always_inline]] inline OddSeriesHead oddSeriesHead(double a) {
  constexpr double kSixthHi = 0x1.5555555555555p-3;
  constexpr double kSixthLo = 0x1.5555555555555p-57; // 1/6 - kSixthHi
  const DoubleDouble z = exactProduct<UseFma>(a, a);
  const DoubleDouble cube = exactProduct<UseFma>(a, z.hi);
  const double cubeLo = cube.lo + a * z.lo;
  const DoubleDouble t = exactProduct<UseFma>(cube.hi, kSixthHi);
  return {z, cube.hi, {t.hi, t.lo + (cube.hi * kSixthLo + cubeLo * kSixthHi)}};
}

// a + sign a^3/6 + r rounded, when that is certain, for r = a^5 q the rest of
// the series in plain double. In both series below the terms shrink from one
// to the next by a factor below 1/100 (a^2/42 for sinh, 0.6 a^2 for asinh),
// so r is within 12 roundings of its terms, 2^-49.4 |r|, and below 2^-14.9 a;
// the two sums add at most 2^-66.9 a. Taken as 2^-47 |r| + 2^-65 a, which
// also holds each series' truncation. The share left to the general path,
// measured: one rounding in 600 (sinh) to 850 (asinh) over the top octave of
// each range, one in 2,200 to 2,700 below it.
[[gnu::always_inline]] inline bool roundsOddSeries(double a, const OddSeriesHead &h, double sign,
                                                   double q, double &out) {
  const double r = (h.cube * h.z.hi) * q;
  const DoubleDouble sum = fastTwoSum(a, sign * h.cubeSixth.hi);
  const double lo = sum.lo + (sign * h.cubeSixth.lo + r);
  return roundsTo(sum.hi, lo, std::fabs(r) * 0x1p-47 + sum.hi * 0x1p-65, out);
}

// sinh a for 2^-26 <= a <= 1/4: a + a^3/6 + a^5 q(a^2), q the Taylor series
// 1/5! + a^2/7! + ... + a^10/15! (the rest below 2^-80 a).
template <bool UseFma> [[gnu::always_inline]] inline bool sinhSmall(double a, double &out) {
  const OddSeriesHead h = oddSeriesHead<UseFma>(a);
  const double z = h.z.hi;
  const double z2 = z * z;
  const double q = (mulAdd<UseFma>(z, 0x1.a01a01a01a01ap-13, 0x1.1111111111111p-7) +
                    z2 * mulAdd<UseFma>(z, 0x1.ae64567f544e4p-26, 0x1.71de3a556c734p-19)) +
                   (z2 * z2) * mulAdd<UseFma>(z, 0x1.ae7f3e733b81fp-41, 0x1.6124613a86d09p-33);
  return roundsOddSeries(a, h, 1.0, q, out);
}

// asinh a for 2^-27 <= a <= 1/8: a - a^3/6 + a^5 q(a^2), q the Taylor series
// 3/40 - 5/112 a^2 + ... + 676039/104857600 a^20 (the rest below 2^-85 a).
template <bool UseFma> [[gnu::always_inline]] inline bool asinhSmall(double a, double &out) {
  const OddSeriesHead h = oddSeriesHead<UseFma>(a);
  const double z = h.z.hi;
  const double z2 = z * z;
  const double z4 = z2 * z2;
  const double low = mulAdd<UseFma>(z, -0x1.6db6db6db6db7p-5, 0x1.3333333333333p-4) +
                     z2 * mulAdd<UseFma>(z, -0x1.6e8ba2e8ba2e9p-6, 0x1.f1c71c71c71c7p-6);
  const double mid = mulAdd<UseFma>(z, -0x1.c99999999999ap-7, 0x1.1c4ec4ec4ec4fp-6) +
                     z2 * mulAdd<UseFma>(z, -0x1.3fde50d79435ep-7, 0x1.7a87878787878p-7);
  const double high =
      mulAdd<UseFma>(z, -0x1.df3bd37a6f4dfp-8, 0x1.12ef3cf3cf3cfp-7) + z2 * 0x1.a6863d70a3d71p-8;
  const double q = low + z4 * (mid + z4 * high);
  return roundsOddSeries(a, h, -1.0, q, out);
}

template <bool UseFma> [[gnu::always_inline]] inline double sinhImpl(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-26) || a == HUGE_VAL) {
    return a == HUGE_VAL ? x : x + x * 0.0; // x itself for tiny x and infinities; NaN
  }
  double out = 0.0;
  if (a > 36.0) {
    if (a > 710.5) {
      return std::copysign(HUGE_VAL, x);
    }
    // e^-a is below 2^-103 of e^a: sinh a = e^a / 2 within the bound.
    ExpParts p = expKernel<UseFma>(a, 0.0);
    p.k -= 1;
    if (roundsScaled(p, kHyperbolicError, out)) {
      return std::copysign(out, x);
    }
  } else {
    if (a <= 0.25 && sinhSmall<UseFma>(a, out)) {
      return std::copysign(out, x);
    }
    // (e^a - 1) - (e^-a - 1), without cancellation for small a; first in
    // plain double, the sums' roundings within the margins of the two bounds
    // but for 2^-100 |d|.
    const ExpApproximation fu = expFirst<UseFma, true>(a, 0.0);
    const ExpApproximation fv = expFirst<UseFma, true>(-a, 0.0);
    const double su = pow2(fu.k);
    const double sv = pow2(fv.k);
    const DoubleDouble fd = twoSum(fu.hi * su, -(fv.hi * sv));
    const double lo = fd.lo + (fu.lo * su - fv.lo * sv);
    const double err = (fu.err * su + fv.err * sv) + std::fabs(fd.hi) * 0x1p-100;
    if (roundsTo(0.5 * fd.hi, 0.5 * lo, 0.5 * err, out)) {
      return std::copysign(out, x);
    }
    countSecondStage();
    const DoubleDouble u = expm1Small<UseFma>(a);
    const DoubleDouble v = expm1Small<UseFma>(-a);
    const DoubleDouble d = twoSum(u.hi, -v.hi);
    const DoubleDouble s = fastTwoSum(d.hi, d.lo + (u.lo - v.lo));
    if (roundsToRelative({0.5 * s.hi, 0.5 * s.lo}, kHyperbolicError, out)) {
      return std::copysign(out, x);
    }
  }
  return detail::correctlyRounded(Slow::Sinh, x);
}

template <bool UseFma> [[gnu::always_inline]] inline double tanhImpl(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-27)) {
    return x + x * 0.0; // x itself for tiny x; NaN
  }
  if (a > 22.0) {
    return std::copysign(1.0, x);
  }
  // tanh a = E / (E + 2) with E = e^(2a) - 1, first in plain double with
  // one division: E normalised, q0 = E / D to an ulp, q1 the rest's quotient
  // (within 2^-104 |q|). The relative error of E becomes at most the
  // relative error of the quotient (dq/dE = 2 / (E + 2)^2 <= q / E), below
  // err(E) / D plus 2^-96 |q| for the roundings.
  double out = 0.0;
  const ExpApproximation f = expFirst<UseFma, true>(2.0 * a, 0.0);
  const double sf = pow2(f.k);
  const DoubleDouble fe = fastTwoSum(f.hi * sf, f.lo * sf);
  const DoubleDouble fd = twoSum(fe.hi, 2.0);
  const DoubleDouble dd = fastTwoSum(fd.hi, fd.lo + fe.lo);
  const double inv = 1.0 / dd.hi;
  const double q0 = fe.hi * inv;
  const DoubleDouble qd = exactProduct<UseFma>(q0, dd.hi);
  const double rest = (((fe.hi - qd.hi) - qd.lo) + fe.lo) - q0 * dd.lo;
  const double ferr = f.err * sf * inv + std::fabs(q0) * 0x1p-96;
  if (roundsTo(q0, rest * inv, ferr, out)) {
    return std::copysign(out, x);
  }
  countSecondStage();
  const DoubleDouble e = expm1Small<UseFma>(2.0 * a);
  const DoubleDouble d = twoSum(e.hi, 2.0);
  const DoubleDouble q = divide<UseFma>(e, fastTwoSum(d.hi, d.lo + e.lo));
  if (roundsToRelative(q, kHyperbolicError, out)) {
    return std::copysign(out, x);
  }
  return detail::correctlyRounded(Slow::Tanh, x);
}

template <bool UseFma> [[gnu::always_inline]] inline double asinhImpl(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-27) || a == HUGE_VAL) {
    return a == HUGE_VAL ? x : x + x * 0.0; // x itself for tiny x and infinities; NaN
  }
  if (a <= 0.125) {
    double out = 0.0;
    if (asinhSmall<UseFma>(a, out)) {
      return std::copysign(out, x);
    }
  }
  DoubleDouble l{};
  if (a > 0x1p28) {
    // log(2a) + 1 / (4 a^2), the rest below 2^-112 of the result.
    const DoubleDouble la = logKernel<UseFma>(a);
    const DoubleDouble s = fastTwoSum(la.hi, detail::kLn2Hi);
    const double tail = a < 0x1p500 ? 0.25 / (a * a) : 0.0;
    l = fastTwoSum(s.hi, s.lo + (la.lo + (detail::kLn2Lo + tail)));
  } else {
    // log(a + sqrt(a^2 + 1)) with the argument as a double-double: the sum
    // 1 + a^2 as s.hi + sl, the root rh one Newton step from it. With the
    // exact square, sl is left unnormalised (within two ulps of s.hi); the
    // split square's low part reaches 2^-24 a^2, and is added into s.hi
    // ahead of the root. rh is at least a (s.hi is at least a^2 rounded,
    // whose rounded root is a), so a + rh is a fastTwoSum.
    const DoubleDouble sq = square<UseFma>(a);
    DoubleDouble s = twoSum(1.0, sq.hi);
    if constexpr (!UseFma) {
      s = fastTwoSum(s.hi, s.lo + sq.lo);
    }
    const double sl = UseFma ? s.lo + sq.lo : s.lo;
    const double rh = std::sqrt(s.hi);
    const DoubleDouble rr = exactProduct<UseFma>(rh, rh);
    const double rl = (((s.hi - rr.hi) - rr.lo) + sl) / (2.0 * rh);
    const DoubleDouble w = fastTwoSum(rh, a);
    const DoubleDouble v = fastTwoSum(w.hi, w.lo + rl);
    // v within 2^-100 of itself: below 2^-73 |log v|, in the first bound's
    // margin.
    const Approximation f = logFirst<UseFma>(v);
    double out = 0.0;
    if (roundsTo(f.hi, f.lo, f.err, out)) {
      return std::copysign(out, x);
    }
    countSecondStage();
    l = logKernel<UseFma>(v);
  }
  double out = 0.0;
  if (roundsToRelative(l, kHyperbolicError, out)) {
    return std::copysign(out, x);
  }
  return detail::correctlyRounded(Slow::Asinh, x);
}

template <bool UseFma> [[gnu::always_inline]] inline double atanhImpl(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-27)) {
    return x + x * 0.0; // x itself for tiny x; NaN
  }
  if (a >= 1.0) {
    return a == 1.0 ? std::copysign(HUGE_VAL, x) : std::numeric_limits<double>::quiet_NaN();
  }
  // atanh a = log((1 + a) / (1 - a)) / 2: first as log(1 + a) - log(1 - a)
  // in plain double, whose terms have opposite signs, so that their bounds
  // add up to the same share of the difference; the sums' roundings are
  // within the margins but for 2^-100 |d|.
  const DoubleDouble n = twoSum(1.0, a);
  const DoubleDouble d = twoSum(1.0, -a);
  const Approximation fn = logFirst<UseFma>(n);
  const Approximation fd = logFirst<UseFma>(d);
  const DoubleDouble fs = twoSum(fn.hi, -fd.hi);
  const double lo = fs.lo + (fn.lo - fd.lo);
  const double err = (fn.err + fd.err) + std::fabs(fs.hi) * 0x1p-100;
  double out = 0.0;
  if (roundsTo(0.5 * fs.hi, 0.5 * lo, 0.5 * err, out)) {
    return std::copysign(out, x);
  }
  countSecondStage();
  const DoubleDouble l = logKernel<UseFma>(divide<UseFma>(n, d));
  if (roundsToRelative({0.5 * l.hi, 0.5 * l.lo}, kHyperbolicError, out)) {
    return std::copysign(out, x);
  }
  return detail::correctlyRounded(Slow::Atanh, x);
}

#ifdef ORRERY_FMA_COPIES
[[gnu::target("fma")]] double expm1Fma(double x) { return expm1Impl<true>(x); }
[[gnu::target("fma")]] double sinhFma(double x) { return sinhImpl<true>(x); }
[[gnu::target("fma")]] double tanhFma(double x) { return tanhImpl<true>(x); }
[[gnu::target("fma")]] double asinhFma(double x) { return asinhImpl<true>(x); }
[[gnu::target("fma")]] double atanhFma(double x) { return atanhImpl<true>(x); }
#else
double expm1Fma(double x) { return expm1Impl<false>(x); }
double sinhFma(double x) { return sinhImpl<false>(x); }
double tanhFma(double x) { return tanhImpl<false>(x); }
double asinhFma(double x) { return asinhImpl<false>(x); }
double atanhFma(double x) { return atanhImpl<false>(x); }
#endif

} // namespace

double expm1(double x) { return kProcessorHasFma ? expm1Fma(x) : expm1Impl<false>(x); }
double sinh(double x) { return kProcessorHasFma ? sinhFma(x) : sinhImpl<false>(x); }
double tanh(double x) { return kProcessorHasFma ? tanhFma(x) : tanhImpl<false>(x); }
double asinh(double x) { return kProcessorHasFma ? asinhFma(x) : asinhImpl<false>(x); }
double atanh(double x) { return kProcessorHasFma ? atanhFma(x) : atanhImpl<false>(x); }

} // namespace orrery::elementary
