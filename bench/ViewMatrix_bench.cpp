#include "BenchSamples.h"
#include "math/ViewMatrix.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <random>

using namespace orrery;
using orrery::bench::cycleSamples;

namespace {

constexpr int kSamples = 16;

// Well-conditioned matrices with no structure a pivot search could exploit.
const Mat4d *sampleMatrices() {
  alignas(16) static Mat4d ms[kSamples];
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
  cycleSamples(state, sampleMatrices(), kSamples,
               [](Mat4d &m) { return math::invertFullPivot(m); });
}
BENCHMARK(BM_ours_Invert4x4);

void BM_peer_Invert4x4(benchmark::State &state) {
  static Eigen::Matrix4d es[kSamples];
  const Mat4d *ms = sampleMatrices();
  for (int k = 0; k < kSamples; ++k) {
    es[k] = Eigen::Map<const Eigen::Matrix<double, 4, 4, Eigen::RowMajor>>(ms[k].m);
  }
  cycleSamples(state, es, kSamples, [](const Eigen::Matrix4d &m) {
    const Eigen::Matrix4d inv = m.inverse();
    return inv;
  });
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
