#include "math/UTMZone.h"

#include <GeographicLib/UTMUPS.hpp>
#include <benchmark/benchmark.h>

namespace {

constexpr double kLat = 45.5;
constexpr double kLon = -73.6;

void BM_ours_UTMForward(benchmark::State &state) {
  const gridlot::UTMZone zone(kLat, kLon);
  double lat = kLat, lon = kLon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(lon);
    double e, n;
    zone.LatLongToUTM(lat, lon, &e, &n);
    benchmark::DoNotOptimize(e);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_ours_UTMForward);

void BM_peer_UTMForward(benchmark::State &state) {
  double lat = kLat, lon = kLon;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(lon);
    int zone;
    bool northp;
    double e, n;
    GeographicLib::UTMUPS::Forward(lat, lon, zone, northp, e, n);
    benchmark::DoNotOptimize(e);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_peer_UTMForward);

void BM_ours_UTMReverse(benchmark::State &state) {
  const gridlot::UTMZone zone(kLat, kLon);
  double e = 609377.35, n = 5039449.71;
  for (auto _ : state) {
    benchmark::DoNotOptimize(e);
    benchmark::DoNotOptimize(n);
    double lat, lon;
    zone.UTMToLatLong(e, n, &lat, &lon);
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(lon);
  }
}
BENCHMARK(BM_ours_UTMReverse);

void BM_peer_UTMReverse(benchmark::State &state) {
  double e = 609377.35, n = 5039449.71;
  for (auto _ : state) {
    benchmark::DoNotOptimize(e);
    benchmark::DoNotOptimize(n);
    double lat, lon;
    GeographicLib::UTMUPS::Reverse(18, true, e, n, lat, lon);
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(lon);
  }
}
BENCHMARK(BM_peer_UTMReverse);

} // namespace
