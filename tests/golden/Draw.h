#pragma once

// The seeded argument generator of the golden program, shared with the
// elementary functions' accuracy program so that both draw the same kinds of
// arguments.

#include <bit>
#include <cmath>
#include <cstdint>

namespace orrery::golden {

// splitmix64: integer steps only, the same sequence everywhere. Arguments are
// assembled from its bits exactly, without rounding.
struct Draw {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }
  // Uniform in (-2^k, 2^k) on the grid of 2^(k-53).
  double within(int k) {
    const std::uint64_t u = next();
    const double x = std::ldexp(double(u >> 11), k - 53);
    return (u & 1) != 0 ? -x : x;
  }
  // Any sign, binary exponent in [lo, hi] (below -1022: subnormal), random bits.
  double magnitude(int lo, int hi) {
    const std::uint64_t u = next();
    const int e = lo + int((u >> 12) % std::uint64_t(hi - lo + 1));
    std::uint64_t m = next() & ((std::uint64_t(1) << 52) - 1);
    m = e >= -1022 ? (std::uint64_t(e + 1023) << 52) | m
                   : (m | std::uint64_t(1) << 52) >> (-1022 - e);
    return std::bit_cast<double>(m | (u & 1) << 63);
  }
  // Within 8 units in the last place of k*c, 0 < |k| <= 2^kBits.
  double near(double c, int kBits) {
    const std::uint64_t u = next();
    const double x = double(((u >> 20) & ((std::uint64_t(1) << kBits) - 1)) + 1) * c;
    const auto b = std::bit_cast<std::uint64_t>(x) + (u & 15) - 8;
    return (u & 16) != 0 ? -std::bit_cast<double>(b) : std::bit_cast<double>(b);
  }
};

} // namespace orrery::golden
