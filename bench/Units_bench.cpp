#include "math/Units.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace orrery;

namespace {

// Normalised spherical -> Cartesian -> normalised spherical.
void BM_ours_SphericalRoundTrip(benchmark::State &state) {
  Vec3d p{0.3, 0.2, 0.01};
  for (auto _ : state) {
    benchmark::DoNotOptimize(p);
    Vec3d c;
    c.toCartesian(p);
    Vec3d s;
    s.toSpherical(c);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_ours_SphericalRoundTrip);

// The same formulas written plainly with the standard functions, inlined.
void BM_peer_SphericalRoundTrip(benchmark::State &state) {
  constexpr double pi = 3.141592653589793;
  double lon = 0.3, lat = 0.2, alt = 0.01;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lon);
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(alt);
    const double r = 1.0 + alt, theta = (0.5 + lon) * pi, phi = pi * lat;
    const double x = std::cos(theta) * (r * std::cos(phi));
    const double y = r * std::sin(phi);
    const double z = -std::sin(theta) * (r * std::cos(phi));
    const double outAlt = std::sqrt(x * x + y * y + z * z) - 1.0;
    const double outLat = ((std::atan2(y, std::sqrt(z * z + x * x)) * 180.0) / pi) / 180.0;
    double outLon = ((std::atan2(z, x) * 180.0) / (-pi) - 90.0) / 180.0;
    if (outLon < -1.0) {
      outLon += 2.0;
    } else if (outLon > 1.0) {
      outLon -= 2.0;
    }
    benchmark::DoNotOptimize(outLon);
    benchmark::DoNotOptimize(outLat);
    benchmark::DoNotOptimize(outAlt);
  }
}
BENCHMARK(BM_peer_SphericalRoundTrip);

} // namespace
