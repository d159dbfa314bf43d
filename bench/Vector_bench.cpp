#include "math/Vector.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

using namespace orrery;

namespace {

using RowMajor4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;

Mat4d sampleMatrix(double seed) {
  Mat4d m;
  for (int i = 0; i < 16; ++i) {
    m.m[i] = seed + 0.25 * i - 0.01 * i * i;
  }
  return m;
}

void BM_ours_Mat4dMul(benchmark::State &state) {
  Mat4d a = sampleMatrix(0.5);
  const Mat4d b = sampleMatrix(-0.75);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    Mat4d c;
    c.mul(a, b);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_ours_Mat4dMul);

void BM_peer_Mat4dMul(benchmark::State &state) {
  const Mat4d sa = sampleMatrix(0.5);
  const Mat4d sb = sampleMatrix(-0.75);
  RowMajor4 a = Eigen::Map<const RowMajor4>(sa.m);
  const RowMajor4 b = Eigen::Map<const RowMajor4>(sb.m);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    RowMajor4 c = a * b;
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_peer_Mat4dMul);

} // namespace
