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

// Our inputs get the 16-byte alignment Eigen gives its fixed-size matrices,
// so that neither side pays for loads split across cache lines.
void BM_ours_Mat4dMul(benchmark::State &state) {
  alignas(16) Mat4d a = sampleMatrix(0.5);
  alignas(16) Mat4d b = sampleMatrix(-0.75);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    alignas(16) Mat4d c;
    c.mul(a, b);
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_ours_Mat4dMul);

void BM_peer_Mat4dMul(benchmark::State &state) {
  const Mat4d sa = sampleMatrix(0.5);
  const Mat4d sb = sampleMatrix(-0.75);
  RowMajor4 a = Eigen::Map<const RowMajor4>(sa.m);
  RowMajor4 b = Eigen::Map<const RowMajor4>(sb.m);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    RowMajor4 c = a * b;
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_peer_Mat4dMul);

// A point (w = 1) through a 4x4 transform.
void BM_ours_Vec3dMulPoint(benchmark::State &state) {
  alignas(16) Mat4d m = sampleMatrix(0.5);
  alignas(16) Vec3d v{1.5, -2.25, 0.75};
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    benchmark::DoNotOptimize(m);
    alignas(16) Vec3d r;
    r.mul(v, 1.0, m);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_ours_Vec3dMulPoint);

void BM_peer_Vec3dMulPoint(benchmark::State &state) {
  const Mat4d sm = sampleMatrix(0.5);
  RowMajor4 m = Eigen::Map<const RowMajor4>(sm.m);
  Eigen::RowVector4d v(1.5, -2.25, 0.75, 1.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    benchmark::DoNotOptimize(m);
    Eigen::RowVector4d r = v * m;
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_peer_Vec3dMulPoint);

} // namespace
