#pragma once

// Internal: the reduced argument of the sine, cosine and tangent, and the
// reduction of huge arguments (math/ElementaryTrigReduction.cpp).

#include <cstdint>

namespace orrery::detail {

// pi/1024 as a double-double.
inline constexpr double kTrigDeltaHi = 0x1.921fb54442d18p-9;
inline constexpr double kTrigDeltaLo = 0x1.1a62633145c07p-63;

// x = N pi/1024 + (hi + lo), with n = N mod 2048.
struct TrigReduced {
  double hi;
  double lo;
  std::uint32_t n;
};

// The reduction of finite x with 2^20 <= |x|: |hi + lo| <= pi/2048 (a hair
// more), within 2^-104 |hi| + 2^-127 of x - N pi/1024.
TrigReduced trigReduceHuge(double x);

} // namespace orrery::detail
