#include "math/UTMZone.h"

#include <GeographicLib/UTMUPS.hpp>
#include <benchmark/benchmark.h>

namespace {

// A position in zone 18T and its UTM coordinates.
constexpr double kLat = 45.5;
constexpr double kLon = -73.6;
constexpr double kEasting = 609377.35;
constexpr double kNorthing = 5039449.71;

// Times convert(a, b, p, q), a pair of coordinates in and a pair out.
template <class Convert>
void runPairConversion(benchmark::State &state, double a, double b, Convert convert) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    double p, q;
    convert(a, b, p, q);
    benchmark::DoNotOptimize(p);
    benchmark::DoNotOptimize(q);
  }
}

void BM_ours_UTMForward(benchmark::State &state) {
  const gridlot::UTMZone zone(kLat, kLon);
  runPairConversion(state, kLat, kLon, [&](double lat, double lon, double &e, double &n) {
    zone.LatLongToUTM(lat, lon, &e, &n);
  });
}
BENCHMARK(BM_ours_UTMForward);

void BM_peer_UTMForward(benchmark::State &state) {
  runPairConversion(state, kLat, kLon, [](double lat, double lon, double &e, double &n) {
    int zone;
    bool northp;
    GeographicLib::UTMUPS::Forward(lat, lon, zone, northp, e, n);
  });
}
BENCHMARK(BM_peer_UTMForward);

void BM_ours_UTMReverse(benchmark::State &state) {
  const gridlot::UTMZone zone(kLat, kLon);
  runPairConversion(state, kEasting, kNorthing, [&](double e, double n, double &lat, double &lon) {
    zone.UTMToLatLong(e, n, &lat, &lon);
  });
}
BENCHMARK(BM_ours_UTMReverse);

void BM_peer_UTMReverse(benchmark::State &state) {
  runPairConversion(state, kEasting, kNorthing, [](double e, double n, double &lat, double &lon) {
    GeographicLib::UTMUPS::Reverse(18, true, e, n, lat, lon);
  });
}
BENCHMARK(BM_peer_UTMReverse);

} // namespace
