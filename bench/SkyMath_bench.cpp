#include "math/SkyMath.h"

#include <benchmark/benchmark.h>
#include <erfa.h>

using namespace orrery;

namespace {

constexpr double kJulianDate = 2460000.25;

void BM_ours_ZenithSiderealTime(benchmark::State &state) {
  DateTime when = DateTime::fromJulianDate(kJulianDate);
  Vec2d location{0.8, 0.2};
  for (auto _ : state) {
    benchmark::DoNotOptimize(when);
    benchmark::DoNotOptimize(location);
    Vec2d z = skymath::ComputeZenithInDecRA(when, location);
    benchmark::DoNotOptimize(z);
  }
}
BENCHMARK(BM_ours_ZenithSiderealTime);

void BM_peer_ZenithSiderealTime(benchmark::State &state) {
  double jd = kJulianDate;
  for (auto _ : state) {
    benchmark::DoNotOptimize(jd);
    double gmst = eraGmst82(jd, 0.0);
    benchmark::DoNotOptimize(gmst);
  }
}
BENCHMARK(BM_peer_ZenithSiderealTime);

} // namespace
