#include "math/Quaternion.h"

#include <Eigen/Geometry>
#include <benchmark/benchmark.h>

using namespace orrery;

namespace {

const Quatd kQuatA(0.1, -0.4, 0.3, 0.85);
const Quatd kQuatB(-0.5, 0.2, 0.6, 0.4);

Eigen::Quaterniond quatToEigen(const Quatd &q) { return {q.w, q.x, q.y, q.z}; }

void BM_ours_QuatMul(benchmark::State &state) {
  Quatd a = kQuatA;
  const Quatd b = kQuatB;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    Quatd c = a * b;
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_ours_QuatMul);

void BM_peer_QuatMul(benchmark::State &state) {
  Eigen::Quaterniond a = quatToEigen(kQuatA);
  const Eigen::Quaterniond b = quatToEigen(kQuatB);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    Eigen::Quaterniond c = a * b;
    c.normalize();
    benchmark::DoNotOptimize(c);
  }
}
BENCHMARK(BM_peer_QuatMul);

void BM_ours_QuatSlerp(benchmark::State &state) {
  Quatd a = kQuatA;
  const Quatd b = kQuatB;
  double t = 0.3;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(t);
    Quatd r;
    benchmark::DoNotOptimize(r.slerp(a, b, t));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_ours_QuatSlerp);

void BM_peer_QuatSlerp(benchmark::State &state) {
  Eigen::Quaterniond a = quatToEigen(kQuatA);
  const Eigen::Quaterniond b = quatToEigen(kQuatB);
  double t = 0.3;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(t);
    Eigen::Quaterniond r = a.slerp(t, b);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_peer_QuatSlerp);

} // namespace
