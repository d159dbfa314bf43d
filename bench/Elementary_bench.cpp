// The library's elementary functions (orrery::elementary) against the C
// library's (std::), on the same seeded random arguments in the ranges the
// library calls them with: angles within a few turns, the grid series'
// moderate hyperbolic arguments, logarithms and powers of positive numbers
// near the scales in use. 1024 arguments per row, so that neither side can
// learn a short cycle of branches.

#include "BenchSamples.h"
#include "math/Elementary.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

using orrery::bench::cycleSamples;
namespace e = orrery::elementary;

namespace {

constexpr int kCount = 1024;

// kCount arguments uniform in [lo, hi), or log-uniform when log is set.
template <class T> std::vector<T> draw(double lo, double hi, bool log, std::uint64_t seed) {
  std::mt19937_64 g(seed);
  std::vector<T> v(kCount);
  for (T &x : v) {
    const double u = double(g() >> 11) * 0x1p-53;
    x = static_cast<T>(log ? std::exp2(std::log2(lo) + (std::log2(hi) - std::log2(lo)) * u)
                           : lo + (hi - lo) * u);
  }
  return v;
}

template <class T>
std::vector<std::pair<T, T>> drawPairs(double lo, double hi, bool log, double ylo, double yhi) {
  const std::vector<T> x = draw<T>(lo, hi, log, 1);
  const std::vector<T> y = draw<T>(ylo, yhi, false, 2);
  std::vector<std::pair<T, T>> v(kCount);
  for (int i = 0; i < kCount; ++i) {
    v[i] = {x[i], y[i]};
  }
  return v;
}

} // namespace

// BM_ours_<Op> and BM_peer_<Op> on the same arguments.
#define ELEMENTARY_UNARY(Op, T, lo, hi, log, ours, peer)                                           \
  void BM_ours_##Op(benchmark::State &state) {                                                     \
    static const std::vector<T> x = draw<T>(lo, hi, log, 1);                                       \
    cycleSamples(state, x.data(), kCount, [](T v) { return ours(v); });                            \
  }                                                                                                \
  BENCHMARK(BM_ours_##Op);                                                                         \
  void BM_peer_##Op(benchmark::State &state) {                                                     \
    static const std::vector<T> x = draw<T>(lo, hi, log, 1);                                       \
    cycleSamples(state, x.data(), kCount, [](T v) { return peer(v); });                            \
  }                                                                                                \
  BENCHMARK(BM_peer_##Op)

#define ELEMENTARY_BINARY(Op, T, lo, hi, log, ylo, yhi, ours, peer)                                \
  void BM_ours_##Op(benchmark::State &state) {                                                     \
    static const auto x = drawPairs<T>(lo, hi, log, ylo, yhi);                                     \
    cycleSamples(state, x.data(), kCount,                                                          \
                 [](const std::pair<T, T> &v) { return ours(v.first, v.second); });                \
  }                                                                                                \
  BENCHMARK(BM_ours_##Op);                                                                         \
  void BM_peer_##Op(benchmark::State &state) {                                                     \
    static const auto x = drawPairs<T>(lo, hi, log, ylo, yhi);                                     \
    cycleSamples(state, x.data(), kCount,                                                          \
                 [](const std::pair<T, T> &v) { return peer(v.first, v.second); });                \
  }                                                                                                \
  BENCHMARK(BM_peer_##Op)

namespace {

std::pair<double, double> oursSinCos(double x) {
  std::pair<double, double> r;
  e::sincos(x, r.first, r.second);
  return r;
}
std::pair<double, double> peerSinCos(double x) {
  std::pair<double, double> r;
  ::sincos(x, &r.first, &r.second);
  return r;
}

ELEMENTARY_UNARY(Sin, double, -8.0, 8.0, false, e::sin, std::sin);
ELEMENTARY_UNARY(Cos, double, -8.0, 8.0, false, e::cos, std::cos);
ELEMENTARY_UNARY(SinCos, double, -8.0, 8.0, false, oursSinCos, peerSinCos);
ELEMENTARY_UNARY(Tan, double, -1.5, 1.5, false, e::tan, std::tan);
ELEMENTARY_UNARY(Asin, double, -1.0, 1.0, false, e::asin, std::asin);
ELEMENTARY_UNARY(Acos, double, -1.0, 1.0, false, e::acos, std::acos);
ELEMENTARY_UNARY(Atan, double, -8.0, 8.0, false, e::atan, std::atan);
ELEMENTARY_BINARY(Atan2, double, -2.0, 2.0, false, -2.0, 2.0, e::atan2, std::atan2);
ELEMENTARY_BINARY(Hypot, double, -2.0, 2.0, false, -2.0, 2.0, e::hypot, std::hypot);
ELEMENTARY_UNARY(Asinh, double, -4.0, 4.0, false, e::asinh, std::asinh);
ELEMENTARY_UNARY(Atanh, double, -0.99, 0.99, false, e::atanh, std::atanh);
ELEMENTARY_UNARY(Sinh, double, -4.0, 4.0, false, e::sinh, std::sinh);
ELEMENTARY_UNARY(Tanh, double, -4.0, 4.0, false, e::tanh, std::tanh);
ELEMENTARY_UNARY(Expm1, double, -4.0, 4.0, false, e::expm1, std::expm1);
ELEMENTARY_UNARY(Log, double, 1e-3, 1e7, true, e::log, std::log);
ELEMENTARY_UNARY(Log10, double, 1e-3, 1e7, true, e::log10, std::log10);
ELEMENTARY_BINARY(Pow, double, 1.0 / 16, 16.0, true, -4.0, 4.0, e::pow, std::pow);
ELEMENTARY_UNARY(AsinFloat, float, -1.0, 1.0, false, e::asin, std::asin);
ELEMENTARY_UNARY(AcosFloat, float, -1.0, 1.0, false, e::acos, std::acos);
ELEMENTARY_UNARY(LogFloat, float, 1e-3, 1e7, true, e::log, std::log);
ELEMENTARY_UNARY(Log10Float, float, 1e-3, 1e7, true, e::log10, std::log10);
ELEMENTARY_BINARY(PowFloat, float, 1.0 / 16, 16.0, true, -4.0, 4.0, e::pow, std::pow);

} // namespace
