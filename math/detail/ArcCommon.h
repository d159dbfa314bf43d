#pragma once

// Internal to the library (not installed): what the arctangent and the
// arcsine sources share: the constants of the octant offsets, the table
// index, exact products by a table point, and the float rounding test.

#include "math/detail/DoubleDouble.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace orrery::detail::arc {

constexpr DoubleDouble kHalfPi = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DoubleDouble kPi = {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
// 0, pi/2 and pi: the offsets of the octants and quadrants.
constexpr DoubleDouble kOffsets[3] = {{0.0, 0.0}, kHalfPi, kPi};

// c * v exactly for c with at most 8 significant bits (a table point):
// c times each 26-bit half of v is exact, which spares most of the general
// exact product where the target has no fused multiply-add.
template <bool UseFma>
[[gnu::always_inline]] inline DoubleDouble productBySmall(double c, double v) {
#if defined(__FMA__) || defined(__ARM_FEATURE_FMA)
  return twoProduct(c, v);
#else
  if constexpr (UseFma) {
    return exactProduct<true>(c, v);
  } else {
    constexpr double kSplit = 134217729.0; // 2^27 + 1
    const double t = kSplit * v;
    const double vh = t - (t - v);
    const double vl = v - vh;
    const double p = c * v;
    return {p, (c * vh - p) + c * vl};
  }
#endif
}

// The index of the table point i / 128 nearest to v in [0, 1]: adding 2^52
// rounds 128 v to an integer in the last bits.
[[gnu::always_inline]] inline int nearestPoint(double v) {
  constexpr double kShift = 0x1p52;
  return static_cast<int>(std::bit_cast<std::uint64_t>(v * 128.0 + kShift) -
                          std::bit_cast<std::uint64_t>(kShift));
}

// A value hi + lo known to within err.
struct Approx {
  double hi;
  double lo;
  double err;
};

// offset + sign * r, known to within r.err and the rounding of the sum.
// offset is 0 (then r >= 0), pi/2 or pi, |r| at most pi/2.
[[gnu::always_inline]] inline Approx offsetBy(const DoubleDouble &offset, double sign,
                                              const Approx &r) {
  const DoubleDouble h = fastTwoSum(offset.hi, sign * r.hi);
  return {h.hi, h.lo + (offset.lo + sign * r.lo), r.err + h.hi * 0x1p-100};
}

// The value within err of hi + lo (positive, a normal float) rounded to
// float, when that rounding is certain.
inline bool roundsToFloat(double hi, double lo, double err, float &out) {
  const float f = static_cast<float>(hi);
  const double fd = f;
  const double d = (hi - fd) + lo;
  const auto bits = std::bit_cast<std::uint64_t>(fd);
  // Half the float spacing above fd; below it, half of that again at a power of 2.
  double half = std::bit_cast<double>((bits & 0x7ff0000000000000uLL) - (24uLL << 52));
  if (d < 0.0 && (bits & 0x000fffffffffffffuLL) == 0) {
    half *= 0.5;
  }
  out = f;
  return std::fabs(d) + err < half;
}

} // namespace orrery::detail::arc
