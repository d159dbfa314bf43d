#pragma once

// Internal to the library (not installed): exact sums and products of two
// doubles, and the rounding test of the elementary functions. Every step is
// an explicit IEEE operation, so the bits are the same on every machine; the
// exact product uses the fused multiply-add where the target has one and
// Dekker's splitting elsewhere, which give the same two doubles.

namespace orrery::detail {

// hi + lo, with |lo| at most half an ulp of hi.
struct DoubleDouble {
  double hi;
  double lo;
};

// a + b exactly, for any a and b.
[[gnu::always_inline]] inline DoubleDouble twoSum(double a, double b) {
  const double s = a + b;
  const double bv = s - a;
  const double av = s - bv;
  return {s, (a - av) + (b - bv)};
}

// a + b exactly, when a is zero or |a| >= |b|.
[[gnu::always_inline]] inline DoubleDouble fastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// a * b exactly, barring overflow and products below 2^-969.
[[gnu::always_inline]] inline DoubleDouble twoProduct(double a, double b) {
  const double p = a * b;
#if defined(__FMA__) || defined(__ARM_FEATURE_FMA)
  return {p, __builtin_fma(a, b, -p)};
#else
  constexpr double kSplit = 134217729.0; // 2^27 + 1
  const double ta = kSplit * a;
  const double ah = ta - (ta - a);
  const double al = a - ah;
  const double tb = kSplit * b;
  const double bh = tb - (tb - b);
  const double bl = b - bh;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
#endif
}

// a * b exactly: by the fused multiply-add when UseFma (the copies of the
// functions compiled for processors that have it), by twoProduct otherwise.
// Both give the same two doubles.
template <bool UseFma> [[gnu::always_inline]] inline DoubleDouble exactProduct(double a, double b) {
  if constexpr (UseFma) {
    const double p = a * b;
    return {p, __builtin_fma(a, b, -p)};
  } else {
    return twoProduct(a, b);
  }
}

// a b + c, fused in the copies for processors with the fused multiply-add:
// one rounding where the others round the product and the sum. Only first
// stages use it, whose error bounds count two roundings, so a result that
// passes the rounding test is the same either way: the choice changes the
// speed and never the bits.
template <bool UseFma> [[gnu::always_inline]] inline double mulAdd(double a, double b, double c) {
  if constexpr (UseFma) {
    return __builtin_fma(a, b, c);
  } else {
    return a * b + c;
  }
}

#if defined(__x86_64__) && !defined(__FMA__) && !defined(ORRERY_NO_FMA_COPIES)
// Built for the x86-64 baseline, the elementary functions carry a second copy
// compiled for processors with the fused multiply-add, chosen at run time:
// the exact products take two operations instead of seventeen and give the
// same bits, so the choice changes the speed and never the results (a call
// made before the flag is set, from another static initialiser, is merely
// slower). ORRERY_NO_FMA_COPIES leaves them out, so that a processor with
// the fused multiply-add runs the baseline code too: the golden check builds
// the library so once to compare the two.
#define ORRERY_FMA_COPIES 1
inline const bool kProcessorHasFma = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx");
}();
#else
constexpr bool kProcessorHasFma = false;
#endif

// The rounding test: the value lies within err of hi + lo. When both ends of
// that interval round to the same double, it is the correctly rounded value
// and lands in out.
[[gnu::always_inline]] inline bool roundsTo(double hi, double lo, double err, double &out) {
  const double up = hi + (lo + err);
  const double down = hi + (lo - err);
  out = up;
  return up == down;
}

// The slow path: f correctly rounded, decided with enough precision that the
// rounding is certain. Used only where the rounding test of a fast path fails.
enum class Slow {
  Sin,
  Cos,
  Tan,
  Asin,
  Acos,
  Atan,
  Atan2,
  Hypot,
  Sinh,
  Tanh,
  Asinh,
  Atanh,
  Expm1,
  Log,
  Log10,
  Pow,
};
double correctlyRounded(Slow f, double x, double y = 0.0);
float correctlyRounded(Slow f, float x, float y = 0.0f);

// The float nearest to a value whose correctly rounded double is d. Rounding d
// to float gives it unless d is itself halfway between two floats (the value
// may lie on either side of that midpoint): then there is no answer in out.
[[gnu::always_inline]] inline bool floatFromRoundedDouble(double d, float &out) {
  out = static_cast<float>(d);
  const double back = out;
  if (back == d || back != back) {
    return true;
  }
  const float other = __builtin_nextafterf(out, d > back ? __builtin_inff() : -__builtin_inff());
  return d != (back + static_cast<double>(other)) * 0.5;
}

} // namespace orrery::detail
