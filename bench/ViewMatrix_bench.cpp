#include "math/ViewMatrix.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <random>

using namespace orrery;

namespace {

constexpr int kSamples = 16;

// Well-conditioned matrices with no structure a pivot search could exploit.
const Mat4d *sampleMatrices() {
  static Mat4d ms[kSamples];
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (Mat4d &m : ms) {
    for (double &e : m.m) {
      e = u(rng);
    }
    for (int i = 0; i < 4; ++i) {
      m.m[i * 5] += 2.0;
    }
  }
  return ms;
}

void BM_ours_Invert4x4(benchmark::State &state) {
  const Mat4d *ms = sampleMatrices();
  int i = 0;
  for (auto _ : state) {
    Mat4d m = ms[i];
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(m);
    bool ok = math::invertFullPivot(m);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(m);
  }
}
BENCHMARK(BM_ours_Invert4x4);

void BM_peer_Invert4x4(benchmark::State &state) {
  const Mat4d *ms = sampleMatrices();
  Eigen::Matrix4d es[kSamples];
  for (int k = 0; k < kSamples; ++k) {
    es[k] = Eigen::Map<const Eigen::Matrix<double, 4, 4, Eigen::RowMajor>>(ms[k].m);
  }
  int i = 0;
  for (auto _ : state) {
    Eigen::Matrix4d m = es[i];
    i = (i + 1) % kSamples;
    benchmark::DoNotOptimize(m);
    Eigen::Matrix4d inv = m.inverse();
    benchmark::DoNotOptimize(inv);
  }
}
BENCHMARK(BM_peer_Invert4x4);

void BM_ours_BuildLookAt(benchmark::State &state) {
  Vec3d eye{10, 2, -3};
  Vec3d target{0, 0, 0};
  Vec3d up{0, 1, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(eye);
    Mat4d m;
    m.buildLookAt(eye, target, up);
    benchmark::DoNotOptimize(m);
  }
}
BENCHMARK(BM_ours_BuildLookAt);

void BM_ours_GetRoll(benchmark::State &state) {
  Mat4d m;
  m.buildLookAt({10, 2, -3}, {0, 0, 0}, {0.1, 1, 0});
  for (auto _ : state) {
    benchmark::DoNotOptimize(m);
    double roll = m.getRoll();
    benchmark::DoNotOptimize(roll);
  }
}
BENCHMARK(BM_ours_GetRoll);

} // namespace
