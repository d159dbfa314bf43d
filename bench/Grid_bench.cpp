#include "BenchSamples.h"
#include "math/Grid.h"

#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/UTMUPS.hpp>
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>

namespace {

struct GridSample {
  double lat, lon;               // a position
  int zone;                      // its standard zone
  bool north;                    //
  double easting, northing;      // and grid coordinates
  orrery::GridPosition position; // ours, with the band letter
  std::string mgrs;              // its reference at 1 m (5 digits)
};

// Positions spread over the UTM and UPS grids (one in ten polar), with their
// grid coordinates from the peer, so both sides walk the same inputs.
const std::array<GridSample, 256> &gridSamples() {
  static const std::array<GridSample, 256> samples = [] {
    std::array<GridSample, 256> s{};
    std::mt19937_64 rng(2011);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::size_t i = 0; i < s.size(); ++i) {
      GridSample &g = s[i];
      g.lat = i % 10 == 0 ? 84.5 + 5 * unit(rng) : -80 + 164 * unit(rng);
      g.lon = -180 + 360 * unit(rng);
      GeographicLib::UTMUPS::Forward(g.lat, g.lon, g.zone, g.north, g.easting, g.northing);
      g.position = orrery::LatLonToGrid(g.lat, g.lon);
      g.mgrs = orrery::LatLonToMgrs(g.lat, g.lon, 5).text;
    }
    return s;
  }();
  return samples;
}

void BM_ours_GridForward(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    const orrery::GridPosition p = orrery::LatLonToGrid(g.lat, g.lon);
    return p.easting + p.northing + p.convergence + p.scale;
  });
}
BENCHMARK(BM_ours_GridForward);

void BM_peer_GridForward(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    int zone;
    bool north;
    double x, y, gamma, k;
    GeographicLib::UTMUPS::Forward(g.lat, g.lon, zone, north, x, y, gamma, k);
    return x + y + gamma + k;
  });
}
BENCHMARK(BM_peer_GridForward);

void BM_ours_GridReverse(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    const orrery::GeoPosition p = orrery::GridToLatLon(g.zone, g.north, g.easting, g.northing);
    return p.latitude + p.longitude + p.convergence + p.scale;
  });
}
BENCHMARK(BM_ours_GridReverse);

void BM_peer_GridReverse(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    double lat, lon, gamma, k;
    GeographicLib::UTMUPS::Reverse(g.zone, g.north, g.easting, g.northing, lat, lon, gamma, k);
    return lat + lon + gamma + k;
  });
}
BENCHMARK(BM_peer_GridReverse);

// MGRS at 1 m (5 digits) from grid coordinates: the lettering alone.
void BM_ours_MgrsEncode(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    return orrery::GridToMgrs(g.position, 5).text[4];
  });
}
BENCHMARK(BM_ours_MgrsEncode);

void BM_peer_MgrsEncode(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    std::string mgrs;
    GeographicLib::MGRS::Forward(g.zone, g.north, g.easting, g.northing, g.lat, 5, mgrs);
    return mgrs[4];
  });
}
BENCHMARK(BM_peer_MgrsEncode);

// MGRS at 1 m from a position: the projection and the lettering.
void BM_ours_MgrsFromLatLon(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    return orrery::LatLonToMgrs(g.lat, g.lon, 5).text[4];
  });
}
BENCHMARK(BM_ours_MgrsFromLatLon);

void BM_peer_MgrsFromLatLon(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    int zone;
    bool north;
    double x, y;
    GeographicLib::UTMUPS::Forward(g.lat, g.lon, zone, north, x, y);
    std::string mgrs;
    GeographicLib::MGRS::Forward(zone, north, x, y, g.lat, 5, mgrs);
    return mgrs[4];
  });
}
BENCHMARK(BM_peer_MgrsFromLatLon);

// MGRS at 1 m back to the cell's centre in grid coordinates: the reading of
// the reference and the check of its square.
void BM_ours_MgrsDecode(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    const orrery::MgrsSquare q = orrery::MgrsToGrid(g.mgrs);
    return q.easting + q.northing;
  });
}
BENCHMARK(BM_ours_MgrsDecode);

void BM_peer_MgrsDecode(benchmark::State &state) {
  const auto &s = gridSamples();
  orrery::bench::cycleSamples(state, s.data(), int(s.size()), [](const GridSample &g) {
    int zone, digits;
    bool north;
    double x, y;
    GeographicLib::MGRS::Reverse(g.mgrs, zone, north, x, y, digits);
    return x + y;
  });
}
BENCHMARK(BM_peer_MgrsDecode);

} // namespace
