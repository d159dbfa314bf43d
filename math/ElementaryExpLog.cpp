// The logarithms and powers, double and float, on the kernels of
// math/detail/ExpLogKernels.h. The double logarithm first tries a plain
// double approximation with a proven bound, then the accurate kernel; each
// rounds with the rounding test and leaves undecided roundings to the slow
// path. The float functions run in plain double.

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"
#include "math/detail/ExpLogKernels.h"

#include <bit>
#include <cmath>
#include <cstdint>
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
using namespace detail::explog;

// The float functions in plain double: 2^-51 measured (pow: per unit of
// 1 + |y log x|).
constexpr double kFloatError = 0x1p-47;
// The float logarithms alone, on a shorter series: 2^-47.1 proven (see
// logOfFloatShort).
constexpr double kFloatLogError = 0x1p-45;

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
// 24-bit significand times the 26-bit reciprocal is exact. The fused copy
// rounds once where the other rounds a product and a sum, within the same
// bound.
template <bool UseFma> [[gnu::always_inline]] inline double logOfFloat(double x) {
  const auto ix = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t tmp = ix - kLogOffset;
  const detail::LogEntry &e = detail::kLogTable[(tmp >> 43) & 511];
  const double k = double(static_cast<std::int64_t>(tmp) >> 52);
  const double z = std::bit_cast<double>(ix - (tmp & (std::uint64_t{0xfff} << 52)));
  const double t = mulAdd<UseFma>(z, e.r, -1.0);
  const double t2 = t * t;
  const double p01 = mulAdd<UseFma>(0x1.5555555555555p-2, t, -0.5);
  const double p23 = mulAdd<UseFma>(0.2, t, -0.25);
  const double q = mulAdd<UseFma>(t2 * t2, -0x1.5555555555555p-3, mulAdd<UseFma>(t2, p23, p01));
  const double p = mulAdd<UseFma>(t2, q, t);
  return mulAdd<UseFma>(k, detail::kLn2Hi, e.hi) + (p + mulAdd<UseFma>(k, detail::kLn2Lo, e.lo));
}

// log(x) for a float x > 0 in plain double with the series stopped at t^5
// and one double for ln 2 and for each -log r: within 2^-47.1 of itself (the
// truncated t^6/6 below 2^-47.6 of it, the roundings below 2^-49.2 with a
// cancellation of at most 3.4 between k ln 2 and -log r), enough for the
// rounding test of log and log10, not for pow's.
[[gnu::always_inline]] inline double logOfFloatShort(double x) {
  const auto ix = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t tmp = ix - kLogOffset;
  const detail::LogEntry &e = detail::kLogTable[(tmp >> 43) & 511];
  const double k = double(static_cast<std::int64_t>(tmp) >> 52);
  const double t = std::bit_cast<double>(ix - (tmp & (std::uint64_t{0xfff} << 52))) * e.r - 1.0;
  const double t2 = t * t;
  const double p = t + t2 * ((-0.5 + 0x1.5555555555555p-2 * t) + t2 * (-0.25 + 0.2 * t));
  return (k * 0x1.62e42fefa39efp-1 + (e.hi + e.lo)) + p;
}

// v rounded to float, for v zero or within a normal float's range, within
// rel |v| of the true value, rel below 2^-30: as roundsToFloat.
[[gnu::always_inline]] inline bool roundsToNormalFloat(double v, double rel, float &out) {
  const std::uint64_t low = std::bit_cast<std::uint64_t>(v) & 0x1fffffff;
  const std::uint64_t d = low > 0x10000000 ? low - 0x10000000 : 0x10000000 - low;
  out = static_cast<float>(v);
  // rel 2^53 is below 2^23: converted as a signed integer, without the
  // unsigned conversion's range test.
  return d > static_cast<std::uint64_t>(static_cast<std::int64_t>(rel * 0x1p53)) + 1;
}

// e^y for |y| < 120 in plain double, within 2^-50 of its value: a normal
// double, whose exponent takes the power of two by an integer sum.
template <bool UseFma> [[gnu::always_inline]] inline double expForFloat(double y) {
  constexpr double kShift = 0x1.8p52;
  const double kd = mulAdd<UseFma>(y, detail::kInvLn2By128, kShift) - kShift;
  const auto ki = static_cast<std::int64_t>(kd);
  const double r =
      mulAdd<UseFma>(-kd, detail::kLn2By128Lo, mulAdd<UseFma>(-kd, detail::kLn2By128Hi, y));
  const double r2 = r * r;
  const double q = mulAdd<UseFma>(r2, mulAdd<UseFma>(0x1.1111111111111p-7, r, 0x1.5555555555555p-5),
                                  mulAdd<UseFma>(0x1.5555555555555p-3, r, 0.5));
  const double p = mulAdd<UseFma>(r2, q, r);
  const double *t = detail::kExp2Table[ki & 127];
  const double m = t[0] + mulAdd<UseFma>(t[0], p, t[1]);
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(m) +
                               (static_cast<std::uint64_t>(ki >> 7) << 52));
}

template <bool UseFma> [[gnu::always_inline]] inline double logImpl(double x) {
  if (!(x > 0.0) || x == HUGE_VAL) {
    if (x == 0.0) {
      return -HUGE_VAL;
    }
    return x < 0.0 ? std::numeric_limits<double>::quiet_NaN() : x + x;
  }
  double out = 0.0;
  const LogReduced r = logReduce<UseFma>(x);
  const Approximation a = logFirst<UseFma>(r);
  if (roundsTo(a.hi, a.lo, a.err, out)) {
    return out;
  }
  const double t = x - 1.0;
  if (std::fabs(t) < 0x1p-20) {
    // Near 1, t - t^2/2 is exact in two doubles and the rest, t^3/3 - ...,
    // is known to 2^-49 of itself: enough to decide the arguments a few ulps
    // from 1, whose logarithm lies within t^3/3 of a midpoint.
    const DoubleDouble sq = exactProduct<UseFma>(t, t);
    const DoubleDouble s = fastTwoSum(t, -0.5 * sq.hi);
    const double t3 = t * sq.hi;
    const double rest = t3 * (0x1.5555555555555p-2 - 0.25 * t + 0.2 * sq.hi) - 0.5 * sq.lo;
    const double err = std::fabs(t3) * 0x1p-49;
    const double up = s.hi + (s.lo + (rest + err));
    if (up == s.hi + (s.lo + (rest - err))) {
      return up;
    }
  } else {
    countSecondStage();
    if (roundsToRelative(logAccurate<UseFma>(r), kLogError, out)) {
      return out;
    }
  }
  return detail::correctlyRounded(Slow::Log, x);
}

template <bool UseFma> [[gnu::always_inline]] inline double log10Impl(double x) {
  if (!(x > 0.0) || x == HUGE_VAL) {
    if (x == 0.0) {
      return -HUGE_VAL;
    }
    return x < 0.0 ? std::numeric_limits<double>::quiet_NaN() : x + x;
  }
  const DoubleDouble l = logKernel<UseFma>(x);
  const DoubleDouble p = splitProduct<UseFma>(l.hi, detail::kInvLn10Hi);
  const double lo = p.lo + (l.hi * detail::kInvLn10Lo + l.lo * detail::kInvLn10Hi);
  double out = 0.0;
  if (roundsToRelative(fastTwoSum(p.hi, lo), kLogError, out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Log10, x);
}

// |x|^y with its sign by the accurate kernels, then the slow path: out of
// line, so that the first stage keeps its values in registers.
template <bool UseFma>
[[gnu::always_inline]] inline double powAccurateImpl(double x, double y, double sign) {
  const DoubleDouble l = logKernel<UseFma>(std::fabs(x));
  const DoubleDouble yl = splitProduct<UseFma>(y, l.hi);
  const DoubleDouble e = fastTwoSum(yl.hi, yl.lo + y * l.lo);
  const ExpParts p = expKernel<UseFma>(e.hi, e.lo);
  double out = 0.0;
  if (roundsScaled(p, kPowError + kPowLogError * std::fabs(e.hi), out)) {
    return sign * out;
  }
  return detail::correctlyRounded(Slow::Pow, x, y);
}

#ifdef ORRERY_FMA_COPIES
[[gnu::target("fma"), gnu::noinline]] double powAccurateFma(double x, double y, double sign) {
  return powAccurateImpl<true>(x, y, sign);
}
#else
[[gnu::noinline]] double powAccurateFma(double x, double y, double sign) {
  return powAccurateImpl<false>(x, y, sign);
}
#endif
[[gnu::noinline]] double powAccurateBase(double x, double y, double sign) {
  return powAccurateImpl<false>(x, y, sign);
}

template <bool UseFma> double powAccurate(double x, double y, double sign) {
  return UseFma ? powAccurateFma(x, y, sign) : powAccurateBase(x, y, sign);
}

// |x|^y with its sign, for finite nonzero x and y with y not 0.5, 1, 2 or -1.
// First in plain double: the logarithm's first approximation, normalised,
// times y within |y| err(log) + 2^-74 |y log x| (the product's and the sums'
// roundings), then e^(y log x)'s, whose relative error grows by that much.
// The early exits are decided with margins of 2^-10 or more, far above
// either approximation's error.
template <bool UseFma>
[[gnu::always_inline]] inline double powFinite(double x, double y, double sign) {
  const LogReduced r = logReduce<UseFma>(std::fabs(x));
  const Approximation fl = logFirst<UseFma>(r);
  const DoubleDouble ln = fastTwoSum(fl.hi, fl.lo);
  const double yh = y * ln.hi;
  // Below 709, fe.hi (within 2^-50 of yh) is within both thresholds: one
  // test for the common case.
  const bool moderate = std::fabs(yh) < 709.0;
  if (!moderate || std::fabs(yh) < 0x1p-60) {
    if (!(std::fabs(yh) < 746.0)) {
      return sign * (yh > 0.0 ? HUGE_VAL : 0.0);
    }
    if (std::fabs(yh) < 0x1p-60) {
      return sign;
    }
  }
  const DoubleDouble fy = splitProduct<UseFma>(y, ln.hi);
  const DoubleDouble fe = fastTwoSum(fy.hi, fy.lo + y * ln.lo);
  if (!moderate) {
    if (fe.hi > 709.79) {
      return sign * HUGE_VAL;
    }
    if (fe.hi < -745.2) {
      return sign * 0.0;
    }
  }
  const double errE = std::fabs(y) * fl.err + std::fabs(fe.hi) * 0x1p-74;
  const ExpApproximation f = expFirst<UseFma, false>(fe.hi, fe.lo);
  double out = 0.0;
  if (roundsScaled(f.k, {f.hi, f.lo}, f.err + std::fabs(f.hi) * (errE * 0x1.001p0), out)) {
    return sign * out;
  }
  countSecondStage();
  return powAccurate<UseFma>(x, y, sign);
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

template <bool UseFma> [[gnu::always_inline]] inline double powImpl(double x, double y) {
  const auto ux = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t uy = std::bit_cast<std::uint64_t>(y) & 0x7fffffffffffffff;
  double out = 0.0;
  if (ux - 0x0010000000000000 < 0x7fe0000000000000 && uy - 1 < 0x7fefffffffffffff) {
    // x positive and normal, y finite and nonzero: the common case first;
    // the powers that are one operation have no significand bits in y.
    if ((uy & 0x000fffffffffffff) == 0 && powExact(x, y, out)) {
      return out;
    }
    return powFinite<UseFma>(x, y, 1.0);
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
  return powFinite<UseFma>(x, y, x < 0.0 && odd ? -1.0 : 1.0);
}

// x^y for floats in plain double: e = y log x, then e^e, rounded by the
// float rounding test, else by the slow path.
template <bool UseFma> [[gnu::always_inline]] inline float powFloatImpl(float x, float y) {
  const double xd = x;
  const double yd = y;
  const auto ux = std::bit_cast<std::uint32_t>(x);
  const std::uint32_t uy = std::bit_cast<std::uint32_t>(y) & 0x7fffffff;
  float out = 0.0f;
  if (ux - 0x00800000 < 0x7f000000 && uy - 1 < 0x7f7fffff) {
    // x positive and normal, y finite and nonzero: the common case first.
    const double e = yd * logOfFloat<UseFma>(xd);
    const double ae = std::fabs(e);
    if (ae < 87.0) {
      // e^e within [2^-125.6, 2^125.6], well inside the normal floats.
      if (roundsToNormalFloat(expForFloat<UseFma>(e), kFloatError * (1.0 + ae), out)) {
        return out;
      }
      return detail::correctlyRounded(Slow::Pow, x, y);
    }
  }
  if (y == 0.0f || x == 1.0f || std::isnan(x) || std::isnan(y) || std::isinf(x) || std::isinf(y) ||
      x == 0.0f || (x < 0.0f && !isInteger(yd))) {
    return static_cast<float>(pow(xd, yd)); // special values, exact in float
  }
  const double e = yd * logOfFloat<UseFma>(std::fabs(xd));
  // Floats overflow beyond e^89 and vanish below e^-104.
  if (!(std::fabs(e) < 120.0)) {
    return static_cast<float>((x < 0.0f && isOdd(yd) ? -1.0 : 1.0) * (e > 0.0 ? HUGE_VAL : 0.0));
  }
  const double v = (x < 0.0f && isOdd(yd) ? -1.0 : 1.0) * expForFloat<UseFma>(e);
  if (roundsToFloat(v, kFloatError * (1.0 + std::fabs(e)), out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Pow, x, y);
}

#ifdef ORRERY_FMA_COPIES
[[gnu::target("fma")]] double logFma(double x) { return logImpl<true>(x); }
[[gnu::target("fma")]] double log10Fma(double x) { return log10Impl<true>(x); }
[[gnu::target("fma")]] double powFma(double x, double y) { return powImpl<true>(x, y); }
[[gnu::target("fma")]] float powFloatFma(float x, float y) { return powFloatImpl<true>(x, y); }
#else
double logFma(double x) { return logImpl<false>(x); }
double log10Fma(double x) { return log10Impl<false>(x); }
double powFma(double x, double y) { return powImpl<false>(x, y); }
float powFloatFma(float x, float y) { return powFloatImpl<false>(x, y); }
#endif

} // namespace

double log(double x) { return kProcessorHasFma ? logFma(x) : logImpl<false>(x); }
double log10(double x) { return kProcessorHasFma ? log10Fma(x) : log10Impl<false>(x); }
double pow(double x, double y) { return kProcessorHasFma ? powFma(x, y) : powImpl<false>(x, y); }

float log(float x) {
  if (!(x > 0.0f) || x == HUGE_VALF) {
    if (x == 0.0f) {
      return -HUGE_VALF;
    }
    return x < 0.0f ? std::numeric_limits<float>::quiet_NaN() : x + x;
  }
  // log x is 0 or at least 2^-24 in magnitude.
  const double l = logOfFloatShort(x);
  float out = 0.0f;
  if (roundsToNormalFloat(l, kFloatLogError, out)) {
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
  // log10 x is 0 or at least 2^-26 in magnitude.
  const double l = logOfFloatShort(x) * detail::kInvLn10Hi;
  float out = 0.0f;
  if (roundsToNormalFloat(l, kFloatLogError, out)) {
    return out;
  }
  return detail::correctlyRounded(Slow::Log10, x);
}

float pow(float x, float y) {
  return kProcessorHasFma ? powFloatFma(x, y) : powFloatImpl<false>(x, y);
}

} // namespace orrery::elementary
