#include "math/FastMath.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <cmath>

using namespace orrery;

namespace {

// Both sides walk the same 64 arguments, one call per iteration.
constexpr int kSamples = 64;

template <class T> const T *sampleAngles(T lo, T hi) {
  static T angles[kSamples];
  for (int i = 0; i < kSamples; ++i) {
    angles[i] = lo + (hi - lo) * static_cast<T>((i * 37) % kSamples) / T(kSamples - 1);
  }
  return angles;
}

void BM_ours_Fastsin(benchmark::State &state) {
  const float *xs = sampleAngles(-10.0f, 10.0f);
  int i = 0;
  for (auto _ : state) {
    float x = xs[i];
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(x);
    float s = FastMath::fastsin(x);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_ours_Fastsin);

void BM_peer_Fastsin(benchmark::State &state) {
  const float *xs = sampleAngles(-10.0f, 10.0f);
  int i = 0;
  for (auto _ : state) {
    float x = xs[i];
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(x);
    float s = std::sin(x);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_peer_Fastsin);

void BM_ours_SinCosDouble(benchmark::State &state) {
  const double *xs = sampleAngles(-6.283185307179586, 6.283185307179586);
  int i = 0;
  for (auto _ : state) {
    double x = xs[i];
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(x);
    double s;
    double c;
    FastMath::sincos(x, s, c);
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_ours_SinCosDouble);

void BM_peer_SinCosDouble(benchmark::State &state) {
  const double *xs = sampleAngles(-6.283185307179586, 6.283185307179586);
  int i = 0;
  for (auto _ : state) {
    double x = xs[i];
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(x);
    double s;
    double c;
    ::sincos(x, &s, &c);
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_peer_SinCosDouble);

const Vec3d *sampleVectors() {
  static Vec3d vs[kSamples];
  for (int i = 0; i < kSamples; ++i) {
    vs[i] = {0.5 + i, 3.0 - 0.25 * i, -1.0 + 0.125 * i * i};
  }
  return vs;
}

void BM_ours_NormalizeVec3d(benchmark::State &state) {
  const Vec3d *vs = sampleVectors();
  int i = 0;
  for (auto _ : state) {
    Vec3d v = vs[i];
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(v);
    double f = FastMath::normalize(v);
    benchmark::DoNotOptimize(v);
    benchmark::DoNotOptimize(f);
  }
}
BENCHMARK(BM_ours_NormalizeVec3d);

void BM_peer_NormalizeVec3d(benchmark::State &state) {
  const Vec3d *vs = sampleVectors();
  int i = 0;
  for (auto _ : state) {
    Eigen::Vector3d v(vs[i].x, vs[i].y, vs[i].z);
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(v);
    v.normalize();
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_peer_NormalizeVec3d);

} // namespace
