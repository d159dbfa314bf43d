// Sine, cosine and tangent, correctly rounded.
//
// The argument is reduced to x = N pi/1024 + r with |r| <= pi/2048 (a hair
// more when x 1024/pi rounds the other way), r as a double-double: by
// Cody-Waite with pi/1024 in three parts below 48 (|N| < 2^14) and in four
// parts below 2^20, and beyond that by the product of x with the bits of 1/pi
// (Payne-Hanek) in integer arithmetic. The absolute error of r is below
// 2^-104 |r| + 2^-127 in every case, so even the doubles closest to a
// multiple of pi/2 keep their reduced argument to about 2^-60 relative.
//
// With j = N mod 512 and the quadrant q = (N div 512) mod 4, sin x and cos x
// are +-sin t or +-cos t for t = j pi/1024 + r, and both are A cos r + B sin r
// with A and B double-double entries of a table of sin(j pi/1024). Written as
//   A + B r + A (cos r - 1) + B (sin r - r),
// the first two terms are carried as double-doubles and the last two (below
// 2^-18 of the result) in plain double. The value hi + lo then lies within
//   2^-48 (|A (cos r - 1)| + |B (sin r - r)|) + 2^-98 |hi| + 2^-126
// of the true one (the plain terms have at most nine roundings of 2^-53
// each; everything else is below 2^-100 of the result). Where the rounding
// test cannot decide with that bound, about two arguments in 10^5, MPFR does.
// Tangent divides the two double-doubles of sin t and cos t.
//
// That accurate evaluation is the second stage. Below 48, a cheaper first
// stage comes before it: a shorter reduction (one fused multiply-add where
// the processor has it), shorter expansions, the sums of the double-doubles
// without the exact sums they do not need, and a plain relative error bound
// (2^-64 for sine and cosine, 2^-67 for the tangent, each several times what
// it proves and 15 times what it measures, see combineFirst() and
// tangentFirst()). Its rounding test decides all but about one argument in
// 1,270 (sine, cosine) and 11,600 (tangent) in [-10, 10]; the second stage
// takes the rest.
//
// Constants and tables (here, in math/ElementaryTrigReduction.cpp and in
// math/detail/TrigTables.h) come from scripts/elementary-tables/trig.cpp:
//   g++ -std=c++20 -O2 scripts/elementary-tables/trig.cpp -lmpfr -o /tmp/trig-tables
//   /tmp/trig-tables

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"
#include "math/detail/TrigReduction.h"
#include "math/detail/TrigTables.h"

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
using detail::kSinTable;
using detail::twoProduct;
using detail::twoSum;

constexpr double kInvDelta = 0x1.45f306dc9c883p+8;
// pi/1024 = kDelta1 + kDelta2 + kDelta3 (39, 39 and 53 bits)
constexpr double kDelta1 = 0x1.921fb54444p-9;
constexpr double kDelta2 = -0x1.2e7b967674p-49;
constexpr double kDelta3 = 0x1.8a2e03707344ap-90;
// pi/1024 = kDeltaB1 + kDeltaB2 + kDeltaB3 + kDeltaB4 (24, 24, 53 and 53 bits)
constexpr double kDeltaB1 = 0x1.921fb6p-9;
constexpr double kDeltaB2 = -0x1.777a5cp-34;
constexpr double kDeltaB3 = -0x1.ee59d9cceba4p-59;
constexpr double kDeltaB4 = 0x1.b839a252049c1p-113;
constexpr double kDeltaHi = detail::kTrigDeltaHi;
constexpr double kDeltaLo = detail::kTrigDeltaLo;

// Taylor coefficients of (sin r - r) / r^3 and (cos r - 1 + r^2/2) / r^4 in
// r^2; with |r| <= 2^-9.3 the first omitted terms are below 2^-55 of the
// terms kept.
constexpr double kSin1 = -0x1.5555555555555p-3;
constexpr double kSin2 = 0x1.1111111111111p-7;
constexpr double kSin3 = -0x1.a01a01a01a01ap-13;
constexpr double kCos2 = 0x1.5555555555555p-5;
constexpr double kCos3 = -0x1.6c16c16c16c17p-10;
constexpr double kCos4 = 0x1.a01a01a01a01ap-16;
// Taylor coefficients of (tan r - r) / r^3 in r^2 (1/3, 2/15, 17/315): the
// first one left out adds below 2^-80 of tan r.
constexpr double kTan1 = 0x1.5555555555555p-2;
constexpr double kTan2 = 0x1.1111111111111p-3;
constexpr double kTan3 = 0x1.ba1ba1ba1ba1cp-5;

// The first stage's reduction holds below this (|N| < 2^14).
constexpr double kFirstLimit = 48.0;

// Adding and subtracting 1.5 * 2^52 rounds a double below 2^51 to an integer.
constexpr double kShifter = 0x1.8p52;

// The first stage's error bound, relative to its result and absolute: the
// reduction's 2^-101, and next to a multiple of pi/1024 (a result near 0)
// the roundings of the terms that carry r.lo (below 2^-48.9), at most 2^-100
// more; kFirstAbs holds both more than twice.
constexpr double kFirstRel = 0x1p-64;
constexpr double kFirstAbs = 0x1p-98;
// Of the tangent (see tangentFirst()): 2^-69.5 proven, 2^-71.3 measured;
// the absolute part as above in numerator and denominator, divided by the
// denominator, with room for the rounding of 1 / den.
constexpr double kTanFirstRel = 0x1p-67;
constexpr double kTanFirstAbs = 0x1.01p-98;
// An error bound that fails every rounding test.
constexpr double kUndecided = std::numeric_limits<double>::infinity();

// Error bound factors: of the terms carried in plain double, of the result,
// and absolute (reduction).
constexpr double kErrTail = 0x1p-48;
constexpr double kErrRel = 0x1p-98;
constexpr double kErrAbs = 0x1p-126;

// The table index of the quarter turn, and N mod the full turn.
constexpr std::uint32_t kQuarter = 512;
constexpr std::uint32_t kTurnMask = 4 * kQuarter - 1;

// The exponent field of a double.
constexpr std::uint64_t kExponentMask = std::uint64_t{0x7ff} << 52;

using Reduced = detail::TrigReduced;

// The reduction of a finite x.
template <bool UseFma> [[gnu::always_inline]] inline Reduced reduce(double x) {
  const double ax = std::fabs(x);
  if (ax < 48.0) {
    // |N| < 2^14: N kDelta1 and N kDelta2 are exact, and so is x - N kDelta1.
    const double nd = (x * kInvDelta + kShifter) - kShifter;
    const double r1 = x - nd * kDelta1;
    const DoubleDouble r2 = twoSum(r1, -(nd * kDelta2));
    const DoubleDouble r = twoSum(r2.hi, r2.lo - nd * kDelta3);
    return {r.hi, r.lo, static_cast<std::uint32_t>(static_cast<std::int32_t>(nd)) & kTurnMask};
  }
  if (ax < 0x1p20) {
    // |N| < 2^29: N kDeltaB1 and N kDeltaB2 are exact, N kDeltaB3 exact as a
    // double-double.
    const double nd = (x * kInvDelta + kShifter) - kShifter;
    const double r1 = x - nd * kDeltaB1;
    const DoubleDouble r2 = twoSum(r1, -(nd * kDeltaB2));
    const DoubleDouble p = exactProduct<UseFma>(nd, kDeltaB3);
    const DoubleDouble u = twoSum(r2.hi, -p.hi);
    const DoubleDouble r = twoSum(u.hi, ((r2.lo - p.lo) + u.lo) - nd * kDeltaB4);
    return {r.hi, r.lo, static_cast<std::uint32_t>(static_cast<std::int32_t>(nd)) & kTurnMask};
  }
  return detail::trigReduceHuge(x);
}

// The first stage's reduction, for |x| < 48: r = hi + lo within 2^-101 of
// x - N pi/1024 (|lo| < 2^-48, not normalised). With the fused multiply-add,
// x - N kDeltaHi is exact (a multiple of 2^-62 below 2^-10 once N is not 0)
// and N kDeltaLo adds the rest (rounding below 2^-102, the part of pi/1024
// beyond kDeltaLo times N below 2^-103); without it, as reduce() without its
// last exact sum.
template <bool UseFma> [[gnu::always_inline]] inline Reduced reduceFirst(double x) {
  if constexpr (UseFma) {
    // N is the integer nearest to x kInvDelta (one rounding less than below).
    const double nd = __builtin_fma(x, kInvDelta, kShifter) - kShifter;
    const std::uint32_t n = static_cast<std::uint32_t>(static_cast<std::int32_t>(nd)) & kTurnMask;
    return {__builtin_fma(-nd, kDeltaHi, x), -(nd * kDeltaLo), n};
  } else {
    const double nd = (x * kInvDelta + kShifter) - kShifter;
    const std::uint32_t n = static_cast<std::uint32_t>(static_cast<std::int32_t>(nd)) & kTurnMask;
    const double r1 = x - nd * kDelta1;
    const DoubleDouble r2 = twoSum(r1, -(nd * kDelta2));
    return {r2.hi, r2.lo - nd * kDelta3, n};
  }
}

// sin r - r and cos r - 1 of a reduced argument, in plain double.
struct Expansion {
  double rh;
  double rl;
  double sinTail; // sin r - r
  double cosTail; // cos r - 1
};

// The first stage keeps the terms of (sin r - r) / r up to r^4 and of
// cos r - 1 up to r^6: the next ones, r^6/5040 and r^8/40320, are below
// 2^-68.4 and 2^-90 of sin r and of 1 with |r| <= pi/2048 < 2^-9.3.
template <bool First> [[gnu::always_inline]] inline Expansion expand(const Reduced &r) {
  const double z = r.hi * r.hi;
  if constexpr (First) {
    const double sinTail = (r.hi * z) * (kSin1 + z * kSin2) - (0.5 * z) * r.lo;
    const double cosTail = ((z * z) * (kCos2 + z * kCos3) - r.hi * r.lo) - 0.5 * z;
    return {r.hi, r.lo, sinTail, cosTail};
  }
  const double ps = kSin1 + z * (kSin2 + z * kSin3);
  const double sinTail = (r.hi * z) * ps - (0.5 * z) * r.lo;
  const double pc = (z * z) * (kCos2 + z * (kCos3 + z * kCos4));
  const double cosTail = (pc - r.hi * r.lo) - 0.5 * z;
  return {r.hi, r.lo, sinTail, cosTail};
}

struct Value {
  double hi;
  double lo;
  double err;
};

// A cos r + B sin r in the first stage, as hi + lo with |lo| < 2^-19 |hi|
// (not normalised). Here |A| >= |B r| or A = 0 (|A| = sin(j pi/1024) >=
// pi/1024 when j > 0, |B| <= 1, |r| <= pi/2048), so A + B r needs only the
// fast exact sum, and the value is at least a third of |A| + |B r|, which
// bounds every term: the terms left out of the expansion (2^-68.4 of B r),
// and the roundings of the plain terms (about ten of 2^-53 times 2^-19.7 of
// |A| + |B r|) stay below 2^-66 of the value, 2^-68.3 measured; the
// reduction adds 2^-101.
template <bool UseFma>
[[gnu::always_inline]] inline DoubleDouble combineFirst(const DoubleDouble &a,
                                                        const DoubleDouble &b, const Expansion &e) {
  const DoubleDouble br = exactProduct<UseFma>(b.hi, e.rh);
  const double brl = br.lo + (b.hi * e.rl + b.lo * e.rh);
  const DoubleDouble s = fastTwoSum(a.hi, br.hi);
  return {s.hi, (a.hi * e.cosTail + b.hi * e.sinTail) + ((a.lo + brl) + s.lo)};
}

// The same, normalised, with its error bound.
template <bool UseFma>
[[gnu::always_inline]] inline Value valueFirst(const DoubleDouble &a, const DoubleDouble &b,
                                               const Expansion &e) {
  const DoubleDouble u = combineFirst<UseFma>(a, b, e);
  const DoubleDouble v = fastTwoSum(u.hi, u.lo);
  return {v.hi, v.lo, kFirstRel * std::fabs(v.hi) + kFirstAbs};
}

// A cos r + B sin r with its error bound.
template <bool UseFma>
[[gnu::always_inline]] inline Value combine(const DoubleDouble &a, const DoubleDouble &b,
                                            const Expansion &e) {
  const DoubleDouble br = exactProduct<UseFma>(b.hi, e.rh);
  const double brl = br.lo + (b.hi * e.rl + b.lo * e.rh);
  const double ac = a.hi * e.cosTail;
  const double bs = b.hi * e.sinTail;
  const DoubleDouble s = twoSum(a.hi, br.hi);
  const double lo = (ac + bs) + ((a.lo + brl) + s.lo);
  const DoubleDouble v = fastTwoSum(s.hi, lo);
  const double err =
      kErrTail * (std::fabs(ac) + std::fabs(bs)) + kErrRel * std::fabs(v.hi) + kErrAbs;
  return {v.hi, v.lo, err};
}

DoubleDouble negate(const DoubleDouble &a) { return {-a.hi, -a.lo}; }

constexpr double kSigns[2] = {1.0, -1.0};

[[gnu::always_inline]] inline DoubleDouble scaled(const DoubleDouble &a, double sign) {
  return {a.hi * sign, a.lo * sign};
}

// The factors of cos r and sin r for sin x (for cos x: n + kQuarter): in
// quadrant q, sin x is sin t, cos t, -sin t, -cos t for q = 0, 1, 2, 3.
// Selected without branches, which random arguments would mispredict.
[[gnu::always_inline]] inline void sinFactors(std::uint32_t n, DoubleDouble &a, DoubleDouble &b) {
  const std::uint32_t j = n & (kQuarter - 1);
  const std::uint32_t odd = (n / kQuarter) & 1;
  const std::uint32_t half = (n / (2 * kQuarter)) & 1;
  const std::uint32_t ja = j + ((kQuarter - 2 * j) & (0U - odd)); // j or kQuarter - j
  a = scaled(kSinTable[ja], kSigns[half]);
  b = scaled(kSinTable[kQuarter - ja], kSigns[half ^ odd]);
}

[[gnu::always_inline]] inline bool isFinite(double x) {
  return (std::bit_cast<std::uint64_t>(x) & kExponentMask) != kExponentMask;
}

// tan x from the expansion of its reduced argument: with t = j pi/1024 + r,
// tan x is tan t in even quadrants and -cot t = -tan((512 - j) pi/1024 - r)
// in odd ones, so with ja = j or 512 - j and r signed accordingly it is the
// quotient of sin and cos of ja pi/1024 + r, which share their factors. The
// relative errors of numerator and denominator add up.
template <bool UseFma>
[[gnu::always_inline]] inline Value tangent(const Expansion &e, std::uint32_t n) {
  const std::uint32_t j = n & (kQuarter - 1);
  const std::uint32_t odd = (n / kQuarter) & 1;
  const std::uint32_t ja = j + ((kQuarter - 2 * j) & (0U - odd));
  const double sign = kSigns[odd];
  const DoubleDouble &sa = kSinTable[ja];
  const DoubleDouble &ca = kSinTable[kQuarter - ja];
  const Value num = combine<UseFma>(sa, scaled(ca, sign), e);
  const Value den = combine<UseFma>(ca, scaled(sa, -sign), e);
  const double inv = 1.0 / den.hi;
  const double qh = num.hi * inv;
  // The remainder num.hi - qh den.hi is exact; its quotient needs little
  // precision.
  const DoubleDouble p = exactProduct<UseFma>(qh, den.hi);
  const double ql = ((((num.hi - p.hi) - p.lo) + num.lo) - qh * den.lo) * inv;
  const DoubleDouble q = fastTwoSum(qh * sign, ql * sign);
  const double err =
      (num.err + std::fabs(qh) * den.err) * std::fabs(inv) * 1.001 + kErrRel * std::fabs(qh);
  return {q.hi, q.lo, err};
}

// The first stage of tan x. With t = ja pi/1024 + r as in tangent(), tan t is
// (S + C tan r) / (C - S tan r) for S = sin(ja pi/1024) and C = cos(ja
// pi/1024) times the sign (numerator and denominator are sin t and cos t
// divided by cos r): A + B tan r as combineFirst() has it, with tan r - r in
// place of sin r - r and no cos r - 1, under the same conditions. Each is
// within 2^-77 of itself (terms left out below 2^-80, the roundings of the
// plain terms, at most 2^-29 of it, below 2^-81) plus 2^-101 from the
// reduction. The quotient's low part, up to 2^-18 of it since numerator and
// denominator are not normalised, is within 2^-51 of itself: hi + lo lies
// within 2^-69.5 |q| plus 2^-99.5 (1 + |q|) / |den| of tan x.
template <bool UseFma>
[[gnu::always_inline]] inline DoubleDouble combineTan(const DoubleDouble &a, const DoubleDouble &b,
                                                      const Reduced &r, double tail) {
  const DoubleDouble br = exactProduct<UseFma>(b.hi, r.hi);
  const double brl = br.lo + (b.hi * r.lo + b.lo * r.hi);
  const DoubleDouble s = fastTwoSum(a.hi, br.hi);
  return {s.hi, b.hi * tail + ((a.lo + brl) + s.lo)};
}

template <bool UseFma> [[gnu::always_inline]] inline Value tangentFirst(const Reduced &r) {
  const std::uint32_t j = r.n & (kQuarter - 1);
  const std::uint32_t odd = (r.n / kQuarter) & 1;
  const std::uint32_t ja = j + ((kQuarter - 2 * j) & (0U - odd));
  const DoubleDouble &sa = kSinTable[ja];
  const DoubleDouble ca = scaled(kSinTable[kQuarter - ja], kSigns[odd]);
  // tan r - r, the last term for r.lo (d/dr tan r = 1 + tan^2 r).
  const double z = r.hi * r.hi;
  const double tail = (r.hi * z) * (kTan1 + z * (kTan2 + z * kTan3)) + z * r.lo;
  const DoubleDouble num = combineTan<UseFma>(sa, ca, r, tail);
  const DoubleDouble d = combineTan<UseFma>(ca, negate(sa), r, tail);
  // The division starts on d.hi, before d.lo is known: with e = d.lo / d.hi,
  // 1 / (d.hi + d.lo) = (1 - e + e^2) / d.hi within e^3 of it. When |e| is at
  // most 2^-18 (everywhere but right next to a pole) that is below 2^-72 of
  // the result; elsewhere the second stage decides.
  const double inv = 1.0 / d.hi;
  const double qh = num.hi * inv;
  double rem = 0.0;
  if constexpr (UseFma) {
    rem = __builtin_fma(-qh, d.hi, num.hi);
  } else {
    const DoubleDouble p = twoProduct(qh, d.hi);
    rem = (num.hi - p.hi) - p.lo;
  }
  const double e = d.lo * inv;
  const double ql = (((rem + num.lo) - qh * d.lo) * inv) * ((1.0 - e) + e * e);
  const bool decidable = std::fabs(e) <= 0x1p-18;
  const double aq = std::fabs(qh);
  const double err = kTanFirstRel * aq + kTanFirstAbs * ((1.0 + aq) * std::fabs(inv));
  Value v = {qh, ql, kUndecided};
  if (decidable) {
    v.err = err;
  }
  return v;
}

// The second stage, the accurate evaluation, and then the slow path: sin x
// (offset 0) or cos x (offset kQuarter), both of them, tan x, for finite
// |x| >= 2^-27.
template <bool UseFma>
[[gnu::always_inline]] inline double sinOrCosSecond(double x, std::uint32_t offset,
                                                    detail::Slow slow) {
  const Reduced r = reduce<UseFma>(x);
  DoubleDouble a;
  DoubleDouble b;
  sinFactors(r.n + offset, a, b);
  const Value v = combine<UseFma>(a, b, expand<false>(r));
  double out = 0.0;
  if (detail::roundsTo(v.hi, v.lo, v.err, out)) {
    return out;
  }
  return detail::correctlyRounded(slow, x);
}

template <bool UseFma>
[[gnu::always_inline]] inline void sincosSecond(double x, double &s, double &c) {
  const Reduced r = reduce<UseFma>(x);
  const Expansion e = expand<false>(r);
  DoubleDouble a;
  DoubleDouble b;
  sinFactors(r.n, a, b);
  // cos x = A' cos r + B' sin r with A' = B and B' = -A.
  const Value vs = combine<UseFma>(a, b, e);
  const Value vc = combine<UseFma>(b, negate(a), e);
  if (!detail::roundsTo(vs.hi, vs.lo, vs.err, s)) {
    s = detail::correctlyRounded(detail::Slow::Sin, x);
  }
  if (!detail::roundsTo(vc.hi, vc.lo, vc.err, c)) {
    c = detail::correctlyRounded(detail::Slow::Cos, x);
  }
}

template <bool UseFma> [[gnu::always_inline]] inline double tanSecond(double x) {
  const Reduced r = reduce<UseFma>(x);
  const Value v = tangent<UseFma>(expand<false>(r), r.n);
  double out = 0.0;
  if (detail::roundsTo(v.hi, v.lo, v.err, out)) {
    return out;
  }
  return detail::correctlyRounded(detail::Slow::Tan, x);
}

// Out of line, so that the first stage keeps its registers to itself.
[[gnu::noinline]] double sinOrCosSecondPlain(double x, std::uint32_t offset, detail::Slow slow) {
  return sinOrCosSecond<false>(x, offset, slow);
}
[[gnu::noinline]] void sincosSecondPlain(double x, double &s, double &c) {
  sincosSecond<false>(x, s, c);
}
[[gnu::noinline]] double tanSecondPlain(double x) { return tanSecond<false>(x); }
#ifdef ORRERY_FMA_COPIES
[[gnu::noinline, gnu::target("fma")]] double sinOrCosSecondFma(double x, std::uint32_t offset,
                                                               detail::Slow slow) {
  return sinOrCosSecond<true>(x, offset, slow);
}
[[gnu::noinline, gnu::target("fma")]] void sincosSecondFma(double x, double &s, double &c) {
  sincosSecond<true>(x, s, c);
}
[[gnu::noinline, gnu::target("fma")]] double tanSecondFma(double x) { return tanSecond<true>(x); }
#else
double sinOrCosSecondFma(double x, std::uint32_t offset, detail::Slow slow) {
  return sinOrCosSecondPlain(x, offset, slow);
}
void sincosSecondFma(double x, double &s, double &c) { sincosSecondPlain(x, s, c); }
double tanSecondFma(double x) { return tanSecondPlain(x); }
#endif

// The first stage, for |x| < 48, then the second.
template <bool UseFma>
[[gnu::always_inline]] inline double sinOrCos(double x, std::uint32_t offset, detail::Slow slow) {
  if (std::fabs(x) < kFirstLimit) {
    const Reduced r = reduceFirst<UseFma>(x);
    DoubleDouble a;
    DoubleDouble b;
    sinFactors(r.n + offset, a, b);
    const Value v = valueFirst<UseFma>(a, b, expand<true>(r));
    double out = 0.0;
    if (detail::roundsTo(v.hi, v.lo, v.err, out)) {
      return out;
    }
  }
  return UseFma ? sinOrCosSecondFma(x, offset, slow) : sinOrCosSecondPlain(x, offset, slow);
}

template <bool UseFma> [[gnu::always_inline]] inline double sinImpl(double x) {
  if (std::fabs(x) < 0x1p-26) {
    // |sin x - x| < |x|^3/6 is below half an ulp of x.
    return x;
  }
  if (!isFinite(x)) {
    return x - x;
  }
  return sinOrCos<UseFma>(x, 0, detail::Slow::Sin);
}

template <bool UseFma> [[gnu::always_inline]] inline double cosImpl(double x) {
  if (std::fabs(x) < 0x1p-27) {
    // 1 - x^2/2 lies above the midpoint 1 - 2^-54.
    return 1.0;
  }
  if (!isFinite(x)) {
    return x - x;
  }
  return sinOrCos<UseFma>(x, kQuarter, detail::Slow::Cos);
}

template <bool UseFma>
[[gnu::always_inline]] inline void sincosImpl(double x, double &s, double &c) {
  if (std::fabs(x) < 0x1p-27 || !isFinite(x)) {
    s = sinImpl<UseFma>(x);
    c = cosImpl<UseFma>(x);
    return;
  }
  if (std::fabs(x) < kFirstLimit) {
    const Reduced r = reduceFirst<UseFma>(x);
    const Expansion e = expand<true>(r);
    DoubleDouble a;
    DoubleDouble b;
    sinFactors(r.n, a, b);
    const Value vs = valueFirst<UseFma>(a, b, e);
    const Value vc = valueFirst<UseFma>(b, negate(a), e);
    const bool sinDone = detail::roundsTo(vs.hi, vs.lo, vs.err, s);
    const bool cosDone = detail::roundsTo(vc.hi, vc.lo, vc.err, c);
    if (sinDone && cosDone) {
      return;
    }
  }
  UseFma ? sincosSecondFma(x, s, c) : sincosSecondPlain(x, s, c);
}

template <bool UseFma> [[gnu::always_inline]] inline double tanImpl(double x) {
  if (std::fabs(x) < 0x1p-27) {
    // |tan x - x| < |x|^3/3 is below half an ulp of x.
    return x;
  }
  if (!isFinite(x)) {
    return x - x;
  }
  if (std::fabs(x) < kFirstLimit) {
    const Reduced r = reduceFirst<UseFma>(x);
    const Value v = tangentFirst<UseFma>(r);
    double out = 0.0;
    if (detail::roundsTo(v.hi, v.lo, v.err, out)) {
      return out;
    }
  }
  return UseFma ? tanSecondFma(x) : tanSecondPlain(x);
}

#ifdef ORRERY_FMA_COPIES
[[gnu::target("fma")]] double sinFma(double x) { return sinImpl<true>(x); }
[[gnu::target("fma")]] double cosFma(double x) { return cosImpl<true>(x); }
[[gnu::target("fma")]] void sincosFma(double x, double &s, double &c) { sincosImpl<true>(x, s, c); }
[[gnu::target("fma")]] double tanFma(double x) { return tanImpl<true>(x); }
#else
double sinFma(double x) { return sinImpl<false>(x); }
double cosFma(double x) { return cosImpl<false>(x); }
void sincosFma(double x, double &s, double &c) { sincosImpl<false>(x, s, c); }
double tanFma(double x) { return tanImpl<false>(x); }
#endif

} // namespace

double sin(double x) { return kProcessorHasFma ? sinFma(x) : sinImpl<false>(x); }
double cos(double x) { return kProcessorHasFma ? cosFma(x) : cosImpl<false>(x); }
void sincos(double x, double &s, double &c) {
  kProcessorHasFma ? sincosFma(x, s, c) : sincosImpl<false>(x, s, c);
}
double tan(double x) { return kProcessorHasFma ? tanFma(x) : tanImpl<false>(x); }

// The float twins round the correctly rounded double result once more, which
// is exact except at a float midpoint.
float sin(float x) {
  float r;
  return detail::floatFromRoundedDouble(sin(static_cast<double>(x)), r)
             ? r
             : detail::correctlyRounded(detail::Slow::Sin, x);
}

float cos(float x) {
  float r;
  return detail::floatFromRoundedDouble(cos(static_cast<double>(x)), r)
             ? r
             : detail::correctlyRounded(detail::Slow::Cos, x);
}

} // namespace orrery::elementary
