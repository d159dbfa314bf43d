// Writes math/GridMgrsSquares.cpp: for every UTM grid zone (zone number and
// latitude band) and each of its eight MGRS columns, the first and last
// 100 km row that meet the grid zone (as the few distinct tables of the
// zones' rows and each zone's table), and the northings of the bands'
// parallels across the MGRS eastings. Run from the
// top of the tree after building the library:
//   g++ -std=c++20 -O2 -ffp-contract=off -I. scripts/mgrs-squares.cpp
//     -Lbuild/default/math -lmath -Wl,-rpath,build/default/math -o build/mgrs-squares
//   build/mgrs-squares > math/GridMgrsSquares.cpp && clang-format -i math/GridMgrsSquares.cpp
// It prints to standard error how near the closest decision came to a
// square's edge.

#include "math/Grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace orrery;

namespace {

constexpr char kBands[] = "CDEFGHJKLMNPQRSTUVWX";
constexpr double kSquare = 100e3; // metres

double closest = 1e300; // the nearest a decision came to a 100 km edge, metres

// Easting and signed northing (the equator at 0) of a position in 'zone'.
void project(int zone, double lat, double lambda, double &e, double &n) {
  const GridPosition p = LatLonToGrid(lat, 6.0 * zone - 183.0 + lambda, zone);
  if (p.error != GridError::None) {
    std::fprintf(stderr, "projection failed: %d %.17g %.17g\n", zone, lat, lambda);
    std::exit(1);
  }
  e = p.easting;
  n = p.northing - (p.north ? 0.0 : 1e7);
}

// Bisects f(t) = target over [lo, hi], f monotone, to the last bit.
template <class F> double solve(F f, double lo, double hi, double target) {
  const bool rising = f(hi) > f(lo);
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (mid == lo || mid == hi) {
      break;
    }
    ((f(mid) < target) == rising ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

struct Range {
  double lo = 1e300, hi = -1e300;
  void add(double v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
};

// The signed northings of the part of the parallel 'lat' between lambda1 and
// lambda2 whose eastings lie in [e0, e1]. Along a parallel the easting grows
// with lambda and the northing moves away from the equator with |lambda|.
void parallel(int zone, double lat, double l1, double l2, double e0, double e1, Range &r) {
  const auto east = [&](double l) {
    double e, n;
    project(zone, lat, l, e, n);
    return e;
  };
  if (east(l1) > e1 || east(l2) < e0) {
    return;
  }
  const double a = east(l1) >= e0 ? l1 : solve(east, l1, l2, e0);
  const double b = east(l2) <= e1 ? l2 : solve(east, l1, l2, e1);
  for (double l : {a, b, std::clamp(0.0, a, b)}) {
    double e, n;
    project(zone, lat, l, e, n);
    r.add(n);
  }
}

// The same for the meridian lambda between lat1 and lat2: along it the
// northing grows with the latitude and the easting is monotone.
void meridian(int zone, double lambda, double lat1, double lat2, double e0, double e1, Range &r) {
  const auto east = [&](double lat) {
    double e, n;
    project(zone, lat, lambda, e, n);
    return e;
  };
  const double ea = east(lat1), eb = east(lat2);
  if (std::max(ea, eb) < e0 || std::min(ea, eb) > e1) {
    return;
  }
  const auto clampEnd = [&](double lat, double e) {
    if (e < e0) {
      return solve(east, lat1, lat2, e0);
    }
    if (e > e1) {
      return solve(east, lat1, lat2, e1);
    }
    return lat;
  };
  for (double lat : {clampEnd(lat1, ea), clampEnd(lat2, eb)}) {
    double e, n;
    project(zone, lat, lambda, e, n);
    r.add(n);
  }
}

// The longitudes of a grid zone, or false where the band has no such zone.
bool zoneLongitudes(int zone, int band, double &lon1, double &lon2) {
  lon1 = 6.0 * zone - 186.0;
  lon2 = lon1 + 6.0;
  if (kBands[band] == 'V' && (zone == 31 || zone == 32)) {
    lon1 = zone == 31 ? 0.0 : 3.0;
    lon2 = zone == 31 ? 3.0 : 12.0;
  } else if (kBands[band] == 'X' && zone >= 31 && zone <= 37) {
    if (zone % 2 == 0) {
      return false;
    }
    constexpr double edges[] = {0.0, 9.0, 21.0, 33.0, 42.0};
    lon1 = edges[(zone - 31) / 2];
    lon2 = edges[(zone - 31) / 2 + 1];
  }
  return true;
}

void rows(int zone, int band, int column, int &first, int &last) {
  first = 1;
  last = 0;
  double lon1, lon2;
  if (!zoneLongitudes(zone, band, lon1, lon2)) {
    return;
  }
  const double l1 = lon1 - (6.0 * zone - 183.0), l2 = lon2 - (6.0 * zone - 183.0);
  const double lat1 = -80.0 + 8.0 * band, lat2 = band == 19 ? 84.0 : lat1 + 8.0;
  const double e0 = column * kSquare, e1 = e0 + kSquare;
  Range r;
  parallel(zone, lat1, l1, l2, e0, e1, r);
  parallel(zone, lat2, l1, l2, e0, e1, r);
  meridian(zone, l1, lat1, lat2, e0, e1, r);
  meridian(zone, l2, lat1, lat2, e0, e1, r);
  // The grid zone's eastings reach from its westernmost to its easternmost
  // corner; the zone excludes its east edge and the column its last metre,
  // so that 31V, whose east edge is the central meridian, has no column 5.
  Range east;
  for (double lat : {lat1, lat2}) {
    for (double l : {l1, l2}) {
      double e, n;
      project(zone, lat, l, e, n);
      east.add(e);
      if (l != 0.0) { // the central meridian lies on a column's edge exactly
        closest = std::min(closest, std::fabs(e - kSquare * std::round(e / kSquare)));
      }
    }
  }
  if (!(east.hi > e0 && east.lo < e1)) {
    return;
  }
  if (r.lo > r.hi) {
    return;
  }
  const bool south = band < 10;
  const double lo = r.lo + (south ? 1e7 : 0.0), hi = r.hi + (south ? 1e7 : 0.0);
  first = std::max(static_cast<int>(std::floor(lo / kSquare)), south ? 10 : 0);
  last = std::min(static_cast<int>(std::floor(hi / kSquare)), south ? 99 : 94);
  for (double v : {lo, hi}) {
    if (v > 0.0 && v < 1e7) {
      closest = std::min(closest, std::fabs(v - kSquare * std::round(v / kSquare)));
    }
  }
  if (last - first >= 20) {
    std::fprintf(stderr, "rows of %d%c column %d span 20 or more\n", zone, kBands[band], column);
    std::exit(1);
  }
}

// The northing (in the hemisphere of 'south') of the parallel 'lat' at
// eastings x from the central meridian, x = 0, step, 2 step .. 64 step.
void edgeNorthings(double lat, bool south) {
  constexpr int kZone = 31;
  const auto east = [&](double l) {
    double e, n;
    project(kZone, lat, l, e, n);
    return e;
  };
  // Past 450 km from the central meridian, so that every solution is
  // bracketed while the projection stays within the zone's limits.
  const double reach = std::tanh(450e3 / (0.9996 * 6378137.0)) / std::cos(lat * M_PI / 180.0);
  const double far = std::asin(std::min(1.0, reach)) * 180.0 / M_PI;
  std::printf("    {");
  for (int k = 0; k <= 64; ++k) {
    const double l = k == 0 ? 0.0 : solve(east, 0.0, far, 500000.0 + 6250.02 * k);
    double e, n;
    project(kZone, lat, l, e, n);
    std::printf("%.17g%s", n + (south ? 1e7 : 0.0), k < 64 ? ", " : "");
  }
  std::printf("}, // %g\n", lat);
}

} // namespace

int main() {
  // Every zone's rows, then the distinct tables among them: all zones share
  // one but those whose grid zones the irregular bands widen or narrow.
  static int zoneRows[60][20][8][2];
  for (int zone = 1; zone <= 60; ++zone) {
    for (int band = 0; band < 20; ++band) {
      for (int column = 1; column <= 8; ++column) {
        int *r = zoneRows[zone - 1][band][column - 1];
        rows(zone, band, column, r[0], r[1]);
      }
    }
  }
  int table[60], distinct[60], tables = 0;
  for (int zone = 0; zone < 60; ++zone) {
    table[zone] = -1;
    for (int t = 0; t < tables && table[zone] < 0; ++t) {
      if (std::equal(&zoneRows[zone][0][0][0], &zoneRows[zone][0][0][0] + 20 * 8 * 2,
                     &zoneRows[distinct[t]][0][0][0])) {
        table[zone] = t;
      }
    }
    if (table[zone] < 0) {
      distinct[tables] = zone;
      table[zone] = tables++;
    }
  }
  std::printf(
      "// Generated by scripts/mgrs-squares.cpp from the library's own projection: "
      "do not edit.\n\n#include \"math/detail/GridCore.h\"\n\nnamespace orrery::detail {\n\n"
      "const unsigned char kMgrsRowTables[%d][20][8][2] = {\n",
      tables);
  for (int t = 0; t < tables; ++t) {
    std::printf("    {\n");
    for (int band = 0; band < 20; ++band) {
      std::printf("        {");
      for (int column = 0; column < 8; ++column) {
        const int *r = zoneRows[distinct[t]][band][column];
        std::printf("{%d, %d}%s", r[0], r[1], column < 7 ? ", " : "");
      }
      std::printf("}, // %c\n", kBands[band]);
    }
    std::printf("    }, // %d: zone%s", t, std::count(table, table + 60, t) > 1 ? "s" : "");
    const char *separator = " ";
    for (int zone = 0; zone < 60; ++zone) {
      if (table[zone] == t && (zone == 0 || table[zone - 1] != t)) {
        int end = zone;
        while (end + 1 < 60 && table[end + 1] == t) {
          ++end;
        }
        std::printf(end > zone ? "%s%d-%d" : "%s%d", separator, zone + 1, end + 1);
        separator = ", ";
      }
    }
    std::printf("\n");
  }
  std::printf("};\n\nconst unsigned char kMgrsZoneRowTable[60] = {");
  for (int zone = 0; zone < 60; ++zone) {
    std::printf("%d%s", table[zone], zone < 59 ? ", " : "");
  }
  std::printf("};\n\n");
  std::printf("const double kMgrsEdgeNorthings[22][65] = {\n");
  for (int k = 0; k <= 10; ++k) {
    edgeNorthings(-80.0 + 8.0 * k, true);
  }
  for (int k = 0; k <= 10; ++k) {
    edgeNorthings(k == 10 ? 84.0 : 8.0 * k, false);
  }
  std::printf("};\n\n} // namespace orrery::detail\n");
  std::fprintf(stderr, "closest decision: %.6f m from a square's edge\n", closest);
  return 0;
}
