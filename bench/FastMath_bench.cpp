#include "BenchSamples.h"
#include "math/FastMath.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <cmath>
#include <utility>

using namespace orrery;
using orrery::bench::cycleSamples;

namespace {

constexpr int kSamples = 64;

// kSamples angles spread over [lo, hi] in a scrambled order.
template <class T> const T *sampleAngles(T lo, T hi) {
  static T angles[kSamples];
  for (int i = 0; i < kSamples; ++i) {
    angles[i] = lo + (hi - lo) * static_cast<T>((i * 37) % kSamples) / T(kSamples - 1);
  }
  return angles;
}

const float *fastsinAngles() { return sampleAngles(-10.0f, 10.0f); }
const double *sincosAngles() { return sampleAngles(-6.283185307179586, 6.283185307179586); }

void BM_ours_Fastsin(benchmark::State &state) {
  cycleSamples(state, fastsinAngles(), kSamples, [](float x) { return FastMath::fastsin(x); });
}
BENCHMARK(BM_ours_Fastsin);

void BM_peer_Fastsin(benchmark::State &state) {
  cycleSamples(state, fastsinAngles(), kSamples, [](float x) { return std::sin(x); });
}
BENCHMARK(BM_peer_Fastsin);

void BM_ours_SinCosDouble(benchmark::State &state) {
  cycleSamples(state, sincosAngles(), kSamples, [](double x) {
    std::pair<double, double> sc;
    FastMath::sincos(x, sc.first, sc.second);
    return sc;
  });
}
BENCHMARK(BM_ours_SinCosDouble);

void BM_peer_SinCosDouble(benchmark::State &state) {
  cycleSamples(state, sincosAngles(), kSamples, [](double x) {
    std::pair<double, double> sc;
    ::sincos(x, &sc.first, &sc.second);
    return sc;
  });
}
BENCHMARK(BM_peer_SinCosDouble);

template <class V> const V *sampleVectors() {
  alignas(16) static V vs[kSamples];
  for (int i = 0; i < kSamples; ++i) {
    vs[i] = V{0.5 + i, 3.0 - 0.25 * i, -1.0 + 0.125 * i * i};
  }
  return vs;
}

void BM_ours_NormalizeVec3d(benchmark::State &state) {
  cycleSamples(state, sampleVectors<Vec3d>(), kSamples,
               [](Vec3d &v) { return FastMath::normalize(v); });
}
BENCHMARK(BM_ours_NormalizeVec3d);

void BM_peer_NormalizeVec3d(benchmark::State &state) {
  cycleSamples(state, sampleVectors<Eigen::Vector3d>(), kSamples, [](Eigen::Vector3d &v) {
    v.normalize();
    return 0;
  });
}
BENCHMARK(BM_peer_NormalizeVec3d);

} // namespace
