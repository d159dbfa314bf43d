#include "math/Interpolation.h"

#include <benchmark/benchmark.h>

using namespace orrery;

namespace {

void BM_ours_HlerpUhp(benchmark::State &state) {
  double x1 = -1.5, y1 = 0.3, x2 = 4.0, y2 = 2.5, t = 0.37;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x1);
    benchmark::DoNotOptimize(y1);
    benchmark::DoNotOptimize(t);
    double x, y;
    const double d = hlerp_uhp(x1, y1, x2, y2, t, &x, &y);
    benchmark::DoNotOptimize(d);
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
}
BENCHMARK(BM_ours_HlerpUhp);

} // namespace
