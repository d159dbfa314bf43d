// Exponential and logarithmic functions, and the hyperbolic functions built on
// them. Two double-double kernels serve them all: the logarithm (a 512-entry
// table and a degree-8 series of log(1 + t), |t| <= 2^-9) and the exponential
// (a 128-entry table of 2^(j/128) and a degree-7 series of exp(r) - 1,
// |r| <= ln 2 / 256). Each function rounds the kernel's double-double result
// with the rounding test and leaves undecided roundings to the slow path.

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"
#include "math/detail/ExpLogTables.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace orrery::elementary {
namespace {

using detail::DoubleDouble;
using detail::fastTwoSum;
using detail::roundsTo;
using detail::Slow;
using detail::twoProduct;
using detail::twoSum;

// Relative error bounds of the fast paths, each several times the largest
// error measured against MPFR on millions of arguments.
// Measured: logarithm kernel 2^-71.2, exponential kernel 2^-78.3 (2^-70.3
// for e^x - 1), sinh, tanh, asinh, atanh 2^-70.3, pow 2^-78 + 2^-71.2 |y log x|.
constexpr double kLogError = 0x1p-69;
constexpr double kExpm1Error = 0x1p-67;
constexpr double kHyperbolicError = 0x1p-67;
constexpr double kPowError = 0x1p-74;
constexpr double kPowLogError = 0x1p-69; // per unit of |y log x|
// The float functions in plain double: 2^-51 measured (pow: per unit of
// 1 + |y log x|).
constexpr double kFloatError = 0x1p-47;

// x with its low 27 significand bits cleared: 26 bits, whose square and
// products with other numbers of up to 27 bits are exact.
[[gnu::always_inline]] inline double highBits(double x) {
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) & ~std::uint64_t{0x7ffffff});
}

// x^2 as hi + lo with hi = h^2 exact for the 26-bit head h of x, and lo
// = (x - h)(x + h), below 2^-24 x^2, within 2^-77 x^2 (cheaper than a
// twoProduct where the fused multiply-add is missing).
[[gnu::always_inline]] inline DoubleDouble square(double x) {
  const double h = highBits(x);
  return {h * h, (x - h) * (x + h)};
}

// a b as hi + lo with hi the exact product of the 26-bit heads and lo the
// rest, below 2^-24 |ab|, rounded: within 2^-77 |ab| (cheaper than a
// twoProduct where the fused multiply-add is missing).
[[gnu::always_inline]] inline DoubleDouble splitProduct(double a, double b) {
  const double ah = highBits(a);
  const double bh = highBits(b);
  return {ah * bh, ah * (b - bh) + (a - ah) * b};
}

// x = 2^k z with z in [0.6875, 1.375): the table's buckets start here.
constexpr std::uint64_t kLogOffset = 0x3fe6000000000000;

// log(x) for finite x > 0, subnormals included, as hi + lo (|lo| below 2^-50
// |hi|, not normalised) whose relative error stays below 2^-70.
[[gnu::always_inline]] inline DoubleDouble logKernel(double x) {
  std::uint64_t ix = std::bit_cast<std::uint64_t>(x);
  std::int64_t scale = 0;
  if (ix < std::uint64_t{0x0010000000000000}) {
    ix = std::bit_cast<std::uint64_t>(x * 0x1p52);
    scale = -52;
  }
  const std::uint64_t tmp = ix - kLogOffset;
  const detail::LogEntry &e = detail::kLogTable[(tmp >> 43) & 511];
  const double k = double((static_cast<std::int64_t>(tmp) >> 52) + scale);
  const double z = std::bit_cast<double>(ix - (tmp & (std::uint64_t{0xfff} << 52)));
  // t = z r - 1 exactly: r has 26 bits, so with z split into a 26-bit high
  // part and a 27-bit rest both products are exact, and the first is near 1.
  const double zh = highBits(z);
  const DoubleDouble t = twoSum(zh * e.r - 1.0, (z - zh) * e.r);
  const double th = t.hi;
  // log(1 + t) = th - th^2/2 + th^3 P(th) + tl (1 - th), |t| <= 2^-9.
  const DoubleDouble sq = square(th);
  const DoubleDouble u = fastTwoSum(th, -0.5 * sq.hi);
  const double t2 = th * th;
  const double p01 = 0x1.5555555555555p-2 - 0.25 * th;
  const double p23 = 0x1.999999999999ap-3 - 0x1.5555555555555p-3 * th;
  const double p45 = 0x1.2492492492492p-3 - 0.125 * th;
  const double poly = (t2 * th) * ((p01 + t2 * p23) + (t2 * t2) * p45);
  // k ln 2 + (-log r): both are multiples of 2^-42 below 2^10, so the sum is
  // exact; the small parts follow.
  const double a = k * detail::kLn2Hi + e.hi;
  const double small = ((t.lo - th * t.lo) - 0.5 * sq.lo) + (k * detail::kLn2Lo + e.lo);
  const DoubleDouble s = fastTwoSum(a, u.hi);
  return {s.hi, s.lo + ((u.lo + small) + poly)};
}

// log(h + l) for a double-double h + l with h > 0 and |l| <= ulp(h).
[[gnu::always_inline]] inline DoubleDouble logKernel(DoubleDouble v) {
  const DoubleDouble l = logKernel(v.hi);
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

[[gnu::always_inline]] inline ExpReduced expReduce(double xh, double xl) {
  constexpr double kShift = 0x1.8p52;
  const double kd = (xh * detail::kInvLn2By128 + kShift) - kShift;
  const auto ki = static_cast<std::int64_t>(kd);
  // |kd| < 2^18, so kd times the 35-bit high part of ln 2 / 128 is exact, and
  // so is its difference from xh (the two are within a factor of two).
  const double rh = xh - kd * detail::kLn2By128Hi;
  const double rl = xl - kd * detail::kLn2By128Lo;
  const DoubleDouble r = twoSum(rh, rl);
  const double x = r.hi;
  // e^r - 1 = x + x^2/2 + x^3 Q(x) + r.lo (1 + x).
  const DoubleDouble sq = square(x);
  const DoubleDouble h = fastTwoSum(x, 0.5 * sq.hi);
  const double q01 = 0x1.5555555555555p-3 + 0x1.5555555555555p-5 * x;
  const double q23 = 0x1.1111111111111p-7 + 0x1.6c16c16c16c17p-10 * x;
  const double q4 = 0x1.a01a01a01a01ap-13;
  const double x2 = x * x;
  const double poly = (x2 * x) * ((q01 + x2 * q23) + (x2 * x2) * q4);
  const double pl = h.lo + ((0.5 * sq.lo + (r.lo + x * r.lo)) + poly);
  const double *t = detail::kExp2Table[ki & 127];
  return {static_cast<int>(ki >> 7), t[0], t[1], {h.hi, pl}};
}

// e^(xh + xl) = 2^k (m.hi + m.lo), m in [0.99, 2) with relative error below
// 2^-76.
struct ExpParts {
  int k;
  DoubleDouble m;
};

[[gnu::always_inline]] inline ExpParts expKernel(double xh, double xl) {
  const ExpReduced e = expReduce(xh, xl);
  const DoubleDouble tp = splitProduct(e.th, e.p.hi);
  const DoubleDouble m = fastTwoSum(e.th, tp.hi);
  const double ml = m.lo + (tp.lo + (e.tl + (e.th * e.p.lo + e.tl * e.p.hi)));
  return {e.k, {m.hi, ml}};
}

// 2^k for k in [-1074, 1023].
[[gnu::always_inline]] inline double pow2(int k) {
  if (k < -1022) {
    return 0x1p-1022 * std::bit_cast<double>(std::uint64_t(k + 2045) << 52);
  }
  return std::bit_cast<double>(std::uint64_t(k + 1023) << 52);
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
bool roundsToSubnormal(DoubleDouble m, double err, int k, double &out) {
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

// 2^k m correctly rounded, with m within rel of its true value; false when
// undecided.
[[gnu::always_inline]] inline bool roundsScaled(const ExpParts &p, double rel, double &out) {
  const double err = std::fabs(p.m.hi) * rel;
  if (p.k < -1022 || (p.k == -1022 && p.m.hi < 1.0)) {
    return roundsToSubnormal(p.m, err, p.k, out);
  }
  double v = 0.0;
  if (!roundsTo(p.m.hi, p.m.lo, err, v)) {
    return false;
  }
  out = scale(v, p.k);
  return true;
}

// e^x - 1 as 2^k d: d = t (1 + p) - 2^-k, for -38 <= x <= 710.
struct Expm1Parts {
  int k;
  DoubleDouble d;
};

[[gnu::always_inline]] inline Expm1Parts expm1Kernel(double x) {
  const ExpReduced e = expReduce(x, 0.0);
  // t - 2^-k first, so that no part of p is rounded against 1 when k is 0.
  const DoubleDouble d = twoSum(e.th, e.k == 1024 ? -0x1p-1024 : -pow2(-e.k));
  const DoubleDouble tp = splitProduct(e.th, e.p.hi);
  const DoubleDouble s = twoSum(d.hi, tp.hi);
  const double lo = (d.lo + s.lo) + (tp.lo + (e.tl + (e.th * e.p.lo + e.tl * e.p.hi)));
  return {e.k, fastTwoSum(s.hi, lo)};
}

// e^|x| - 1 as a double-double, for |x| <= 44.
[[gnu::always_inline]] inline DoubleDouble expm1Small(double x) {
  const Expm1Parts p = expm1Kernel(x);
  const double f = pow2(p.k);
  return {p.d.hi * f, p.d.lo * f};
}

// a / b for double-doubles (b.hi nonzero), to about 2^-100.
[[gnu::always_inline]] inline DoubleDouble divide(DoubleDouble a, DoubleDouble b) {
  const double q = a.hi / b.hi;
  const DoubleDouble p = twoProduct(q, b.hi);
  const double rest = (((a.hi - p.hi) - p.lo) + a.lo) - q * b.lo;
  return fastTwoSum(q, rest / b.hi);
}

// For finite y: the bits of y's significand below its units place (none
// from 2^52 on), with the implicit bit.
bool isInteger(double y) {
  const auto u = std::bit_cast<std::uint64_t>(y);
  const int e = int((u >> 52) & 0x7ff) - 1023;
  if (e < 0) {
    return y == 0.0;
  }
  return e >= 52 || (u & ((std::uint64_t{1} << (52 - e)) - 1)) == 0;
}

// y an odd integer (|y| >= 2^53 are all even).
bool isOdd(double y) {
  const auto u = std::bit_cast<std::uint64_t>(y);
  const int e = int((u >> 52) & 0x7ff) - 1023;
  const std::uint64_t m = (u & 0xfffffffffffff) | (std::uint64_t{1} << 52);
  return e >= 0 && e <= 52 && isInteger(y) && ((m >> (52 - e)) & 1) != 0;
}

// d lies halfway between two floats (or on the overflow threshold).
bool onFloatMidpoint(double d) {
  const auto f = double(static_cast<float>(d));
  if (std::isinf(f)) {
    return std::fabs(d) == 0x1.ffffffp127;
  }
  const double g = 2.0 * d - f;
  return g != f && double(static_cast<float>(g)) == g;
}

// The rounding test on the float grid.
[[gnu::always_inline]] inline bool roundsToFloat(DoubleDouble v, double err, float &out) {
  const double up = v.hi + (v.lo + err);
  const double down = v.hi + (v.lo - err);
  out = static_cast<float>(up);
  return out == static_cast<float>(down) && !onFloatMidpoint(up) && !onFloatMidpoint(down);
}

// v rounded to float, when v lies within rel |v| of the true value, rel below
// 2^-30: decided by the distance of v from the nearest midpoint between
// floats, read off its 29 low significand bits for results in the normal
// float range.
[[gnu::always_inline]] inline bool roundsToFloat(double v, double rel, float &out) {
  const double a = std::fabs(v);
  if (a >= 0x1p-126 && a < 0x1.fffffep127) {
    const std::uint64_t low = std::bit_cast<std::uint64_t>(v) & 0x1fffffff;
    const std::uint64_t d = low > 0x10000000 ? low - 0x10000000 : 0x10000000 - low;
    out = static_cast<float>(v);
    // rel |v| is at most rel 2^53 double ulps of v; one more for v's rounding.
    return double(d) > rel * 0x1p53 + 1.0;
  }
  return roundsToFloat({v, 0.0}, a * rel, out);
}

// log(x) for a float x > 0 in plain double, within 2^-50 of its value: the
// 24-bit significand times the 26-bit reciprocal is exact.
[[gnu::always_inline]] inline double logOfFloat(double x) {
  const auto ix = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t tmp = ix - kLogOffset;
  const detail::LogEntry &e = detail::kLogTable[(tmp >> 43) & 511];
  const double k = double(static_cast<std::int64_t>(tmp) >> 52);
  const double t = std::bit_cast<double>(ix - (tmp & (std::uint64_t{0xfff} << 52))) * e.r - 1.0;
  const double t2 = t * t;
  const double p01 = -0.5 + 0x1.5555555555555p-2 * t;
  const double p23 = -0.25 + 0.2 * t;
  const double p = t + t2 * ((p01 + t2 * p23) + (t2 * t2) * -0x1.5555555555555p-3);
  return (k * detail::kLn2Hi + e.hi) + (p + (k * detail::kLn2Lo + e.lo));
}

// e^y for |y| < 120 in plain double, within 2^-50 of its value.
[[gnu::always_inline]] inline double expForFloat(double y) {
  constexpr double kShift = 0x1.8p52;
  const double kd = (y * detail::kInvLn2By128 + kShift) - kShift;
  const auto ki = static_cast<std::int64_t>(kd);
  const double r = (y - kd * detail::kLn2By128Hi) - kd * detail::kLn2By128Lo;
  const double r2 = r * r;
  const double p = r + r2 * ((0.5 + 0x1.5555555555555p-3 * r) +
                             r2 * (0x1.5555555555555p-5 + 0x1.1111111111111p-7 * r));
  const double *t = detail::kExp2Table[ki & 127];
  return (t[0] + (t[0] * p + t[1])) * pow2(static_cast<int>(ki >> 7));
}

} // namespace

double log(double x) {
  if (!(x > 0.0) || x == HUGE_VAL) {
    if (x == 0.0) {
      return -HUGE_VAL;
    }
    return x < 0.0 ? std::numeric_limits<double>::quiet_NaN() : x + x;
  }
  double out = 0.0;
  const double t = x - 1.0;
  if (std::fabs(t) < 0x1p-20) {
    // Near 1, t - t^2/2 is exact in two doubles and the rest, t^3/3 - ...,
    // is known to 2^-49 of itself: enough to decide the arguments a few ulps
    // from 1, whose logarithm lies within t^3/3 of a midpoint.
    const DoubleDouble sq = twoProduct(t, t);
    const DoubleDouble s = fastTwoSum(t, -0.5 * sq.hi);
    const double t3 = t * sq.hi;
    const double rest = t3 * (0x1.5555555555555p-2 - 0.25 * t + 0.2 * sq.hi) - 0.5 * sq.lo;
    const double err = std::fabs(t3) * 0x1p-49;
    const double up = s.hi + (s.lo + (rest + err));
    if (up == s.hi + (s.lo + (rest - err))) {
      return up;
    }
  } else if (roundsToRelative(logKernel(x), kLogError, out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Log, x);
}

double log10(double x) {
  if (!(x > 0.0) || x == HUGE_VAL) {
    if (x == 0.0) {
      return -HUGE_VAL;
    }
    return x < 0.0 ? std::numeric_limits<double>::quiet_NaN() : x + x;
  }
  const DoubleDouble l = logKernel(x);
  const DoubleDouble p = splitProduct(l.hi, detail::kInvLn10Hi);
  const double lo = p.lo + (l.hi * detail::kInvLn10Lo + l.lo * detail::kInvLn10Hi);
  double out = 0.0;
  if (roundsToRelative(fastTwoSum(p.hi, lo), kLogError, out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Log10, x);
}

double expm1(double x) {
  if (!(x <= 709.79)) {
    return x + HUGE_VAL; // +inf, or NaN
  }
  if (x < -38.0) {
    return -1.0;
  }
  if (std::fabs(x) < 0x1p-54) {
    return x;
  }
  const Expm1Parts p = expm1Kernel(x);
  double out = 0.0;
  if (roundsToRelative(p.d, kExpm1Error, out)) {
    return scale(out, p.k);
  }
  return detail::correctlyRounded(Slow::Expm1, x);
}

double sinh(double x) {
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
    ExpParts p = expKernel(a, 0.0);
    p.k -= 1;
    if (roundsScaled(p, kHyperbolicError, out)) {
      return std::copysign(out, x);
    }
  } else {
    // (e^a - 1) - (e^-a - 1), without cancellation for small a.
    const DoubleDouble u = expm1Small(a);
    const DoubleDouble v = expm1Small(-a);
    const DoubleDouble d = twoSum(u.hi, -v.hi);
    const DoubleDouble s = fastTwoSum(d.hi, d.lo + (u.lo - v.lo));
    if (roundsToRelative({0.5 * s.hi, 0.5 * s.lo}, kHyperbolicError, out)) {
      return std::copysign(out, x);
    }
  }
  return detail::correctlyRounded(Slow::Sinh, x);
}

double tanh(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-27)) {
    return x + x * 0.0; // x itself for tiny x; NaN
  }
  if (a > 22.0) {
    return std::copysign(1.0, x);
  }
  // tanh a = E / (E + 2) with E = e^(2a) - 1.
  const DoubleDouble e = expm1Small(2.0 * a);
  const DoubleDouble d = twoSum(e.hi, 2.0);
  const DoubleDouble q = divide(e, fastTwoSum(d.hi, d.lo + e.lo));
  double out = 0.0;
  if (roundsToRelative(q, kHyperbolicError, out)) {
    return std::copysign(out, x);
  }
  return detail::correctlyRounded(Slow::Tanh, x);
}

double asinh(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-27) || a == HUGE_VAL) {
    return a == HUGE_VAL ? x : x + x * 0.0; // x itself for tiny x and infinities; NaN
  }
  DoubleDouble l{};
  if (a > 0x1p28) {
    // log(2a) + 1 / (4 a^2), the rest below 2^-112 of the result.
    const DoubleDouble la = logKernel(a);
    const DoubleDouble s = fastTwoSum(la.hi, detail::kLn2Hi);
    const double tail = a < 0x1p500 ? 0.25 / (a * a) : 0.0;
    l = fastTwoSum(s.hi, s.lo + (la.lo + (detail::kLn2Lo + tail)));
  } else {
    // log(a + sqrt(a^2 + 1)) with the argument as a double-double.
    const DoubleDouble sq = square(a);
    const DoubleDouble s1 = twoSum(1.0, sq.hi);
    const DoubleDouble s = fastTwoSum(s1.hi, s1.lo + sq.lo);
    const double rh = std::sqrt(s.hi);
    const DoubleDouble rr = twoProduct(rh, rh);
    const double rl = (((s.hi - rr.hi) - rr.lo) + s.lo) / (2.0 * rh);
    const DoubleDouble w = twoSum(a, rh);
    l = logKernel(fastTwoSum(w.hi, w.lo + rl));
  }
  double out = 0.0;
  if (roundsToRelative(l, kHyperbolicError, out)) {
    return std::copysign(out, x);
  }
  return detail::correctlyRounded(Slow::Asinh, x);
}

double atanh(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-27)) {
    return x + x * 0.0; // x itself for tiny x; NaN
  }
  if (a >= 1.0) {
    return a == 1.0 ? std::copysign(HUGE_VAL, x) : std::numeric_limits<double>::quiet_NaN();
  }
  // atanh a = log((1 + a) / (1 - a)) / 2.
  const DoubleDouble n = twoSum(1.0, a);
  const DoubleDouble d = twoSum(1.0, -a);
  const DoubleDouble l = logKernel(divide(n, d));
  double out = 0.0;
  if (roundsToRelative({0.5 * l.hi, 0.5 * l.lo}, kHyperbolicError, out)) {
    return std::copysign(out, x);
  }
  return detail::correctlyRounded(Slow::Atanh, x);
}

namespace {

// |x|^y with its sign, for finite nonzero x and y with y not 0.5, 1, 2 or -1.
double powFinite(double x, double y, double sign) {
  const DoubleDouble l = logKernel(std::fabs(x));
  const double yh = y * l.hi;
  if (!(std::fabs(yh) < 746.0)) {
    return sign * (yh > 0.0 ? HUGE_VAL : 0.0);
  }
  if (std::fabs(yh) < 0x1p-60) {
    return sign;
  }
  const DoubleDouble yl = splitProduct(y, l.hi);
  const DoubleDouble e = fastTwoSum(yl.hi, yl.lo + y * l.lo);
  if (e.hi > 709.79) {
    return sign * HUGE_VAL;
  }
  if (e.hi < -745.2) {
    return sign * 0.0;
  }
  const ExpParts p = expKernel(e.hi, e.lo);
  double out = 0.0;
  if (roundsScaled(p, kPowError + kPowLogError * std::fabs(e.hi), out)) {
    return sign * out;
  }
  return detail::correctlyRounded(Slow::Pow, x, y);
}

// The powers that are one rounded operation.
bool powExact(double x, double y, double &out) {
  if (y == 0.5) {
    out = std::sqrt(x);
  } else if (y == 1.0) {
    out = x;
  } else if (y == 2.0) {
    out = x * x;
  } else if (y == -1.0) {
    out = 1.0 / x;
  } else {
    return false;
  }
  return true;
}

} // namespace

double pow(double x, double y) {
  const auto ux = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t uy = std::bit_cast<std::uint64_t>(y) & 0x7fffffffffffffff;
  double out = 0.0;
  if (ux - 0x0010000000000000 < 0x7fe0000000000000 && uy - 1 < 0x7fefffffffffffff) {
    // x positive and normal, y finite and nonzero: the common case first.
    return powExact(x, y, out) ? out : powFinite(x, y, 1.0);
  }
  if (y == 0.0 || x == 1.0) {
    return 1.0;
  }
  const double ax = std::fabs(x);
  const double ay = std::fabs(y);
  if (std::isnan(x) || std::isnan(y)) {
    return x + y;
  }
  if (ay == HUGE_VAL) {
    if (ax == 1.0) {
      return 1.0;
    }
    return (ax > 1.0) == (y > 0.0) ? HUGE_VAL : 0.0;
  }
  const bool odd = isOdd(y);
  if (ax == 0.0 || ax == HUGE_VAL) {
    // Zero and infinity: a power of 0 or of infinity, the sign of x kept for
    // odd integer y.
    const double r = (ax == 0.0) == (y < 0.0) ? HUGE_VAL : 0.0;
    return odd ? std::copysign(r, x) : r;
  }
  if (x < 0.0 && !isInteger(y)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (powExact(x, y, out)) {
    return out;
  }
  return powFinite(x, y, x < 0.0 && odd ? -1.0 : 1.0);
}

float log(float x) {
  if (!(x > 0.0f) || x == HUGE_VALF) {
    if (x == 0.0f) {
      return -HUGE_VALF;
    }
    return x < 0.0f ? std::numeric_limits<float>::quiet_NaN() : x + x;
  }
  const double l = logOfFloat(x);
  float out = 0.0f;
  if (roundsToFloat(l, kFloatError, out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Log, x);
}

float log10(float x) {
  if (!(x > 0.0f) || x == HUGE_VALF) {
    if (x == 0.0f) {
      return -HUGE_VALF;
    }
    return x < 0.0f ? std::numeric_limits<float>::quiet_NaN() : x + x;
  }
  const double l = logOfFloat(x) * detail::kInvLn10Hi;
  float out = 0.0f;
  if (roundsToFloat(l, kFloatError, out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Log10, x);
}

float pow(float x, float y) {
  const double xd = x;
  const double yd = y;
  const auto ux = std::bit_cast<std::uint32_t>(x);
  const std::uint32_t uy = std::bit_cast<std::uint32_t>(y) & 0x7fffffff;
  if (ux - 0x00800000 < 0x7f000000 && uy - 1 < 0x7f7fffff) {
    // x positive and normal, y finite and nonzero: the common case first.
    const double e = yd * logOfFloat(xd);
    if (std::fabs(e) < 120.0) {
      const double v = expForFloat(e);
      float out = 0.0f;
      if (roundsToFloat(v, kFloatError * (1.0 + std::fabs(e)), out)) {
        return out;
      }
      return detail::correctlyRounded(Slow::Pow, x, y);
    }
  }
  if (y == 0.0f || x == 1.0f || std::isnan(x) || std::isnan(y) || std::isinf(x) || std::isinf(y) ||
      x == 0.0f || (x < 0.0f && !isInteger(yd))) {
    return static_cast<float>(pow(xd, yd)); // special values, exact in float
  }
  const double e = yd * logOfFloat(std::fabs(xd));
  // Floats overflow beyond e^89 and vanish below e^-104.
  if (!(std::fabs(e) < 120.0)) {
    return static_cast<float>((x < 0.0f && isOdd(yd) ? -1.0 : 1.0) * (e > 0.0 ? HUGE_VAL : 0.0));
  }
  const double v = (x < 0.0f && isOdd(yd) ? -1.0 : 1.0) * expForFloat(e);
  float out = 0.0f;
  if (roundsToFloat(v, kFloatError * (1.0 + std::fabs(e)), out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Pow, x, y);
}

} // namespace orrery::elementary
