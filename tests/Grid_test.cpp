#include "math/Grid.h"
#include "math/UTMZone.h"

#include <gtest/gtest.h>

#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace orrery;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// GeographicLib's grid position of a point (its standard zone, or 'zone'),
// or false where it refuses the point.
struct Reference {
  int zone;
  bool north;
  double easting, northing, convergence, scale;
};

bool referenceForward(double lat, double lon, int zone, Reference &r) {
  try {
    GeographicLib::UTMUPS::Forward(lat, lon, r.zone, r.north, r.easting, r.northing, r.convergence,
                                   r.scale, zone < 0 ? GeographicLib::UTMUPS::STANDARD : zone);
    return true;
  } catch (const std::exception &) {
    return false;
  }
}

double ulp(double x) { return std::nextafter(std::fabs(x), kInf) - std::fabs(x); }

double angleDifference(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

// Seeded points of a latitude and longitude box, plus its corners.
std::vector<std::pair<double, double>> boxPoints(double lat0, double lat1, double lon0, double lon1,
                                                 int count, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<std::pair<double, double>> points = {{lat0, lon0}, {lat0, lon1}, {lat1, lon0}};
  for (int i = 0; i < count; ++i) {
    points.emplace_back(lat0 + (lat1 - lat0) * unit(rng), lon0 + (lon1 - lon0) * unit(rng));
  }
  return points;
}

// The bounds Grid.h states, measured with ORRERY_GRID_SAMPLES=1000000 points
// a region; by default each region draws 1500 of them.
TEST(Grid, ForwardAndReverseAgreeWithGeographicLibInEveryRegion) {
  struct Region {
    const char *name;
    double lat0, lat1, lon0, lon1;
    int zone;         // forced zone, or kStandardZone
    double longitude; // bound on the longitude's difference, degrees
  } regions[] = {
      {"whole globe", -90, 90, -180, 180, kStandardZone, 5e-14},
      {"central band", -80, 84, -180, 180, kStandardZone, 5e-14},
      {"Norway 32V", 56, 64, 3, 12, kStandardZone, 5e-14},
      {"Svalbard 31X-37X", 72, 84, 0, 42, kStandardZone, 5e-14},
      {"80S hand-over", -80.01, -79.99, -180, 180, kStandardZone, 5e-14},
      {"84N hand-over", 83.99, 84.01, -180, 180, kStandardZone, 5e-14},
      {"north pole", 89.99, 90, -180, 180, kStandardZone, 5e-14},
      {"south pole", -90, -89.99, -180, 180, kStandardZone, 5e-14},
      {"forced zone 12 deg off", -80, 84, -9, 15, 31, 5e-14},
      {"forced zone 60 deg off near 9600 km", 80, 88, -57, 63, 31, 2.5e-13},
      {"forced UPS north", 75, 90, -180, 180, kUpsZone, 5e-14},
      {"forced UPS south", -90, -70, -180, 180, kUpsZone, 5e-14},
  };
  const char *samples = std::getenv("ORRERY_GRID_SAMPLES");
  const int count = samples != nullptr ? std::atoi(samples) : 1500;
  for (const Region &region : regions) {
    SCOPED_TRACE(region.name);
    double worstXY = 0, worstGamma = 0, worstK = 0, worstLat = 0, worstLon = 0, worstTrip = 0;
    int compared = 0;
    for (auto [lat, lon] :
         boxPoints(region.lat0, region.lat1, region.lon0, region.lon1, count, 15)) {
      Reference ref;
      const GridPosition p = LatLonToGrid(lat, lon, region.zone);
      if (!referenceForward(lat, lon, region.zone, ref)) {
        EXPECT_EQ(p.error, GridError::OutsideZone) << lat << " " << lon;
        continue;
      }
      ++compared;
      ASSERT_EQ(p.error, GridError::None) << lat << " " << lon;
      ASSERT_TRUE(p.zone == ref.zone && p.north == ref.north) << lat << " " << lon;
      worstXY = std::max(
          {worstXY, std::fabs(p.easting - ref.easting), std::fabs(p.northing - ref.northing)});
      worstGamma = std::max(worstGamma, angleDifference(p.convergence, ref.convergence));
      worstK = std::max(worstK, std::fabs(p.scale - ref.scale));

      // Reverse of the reference coordinates; the longitude is moot at the poles.
      double rlat, rlon, rgamma, rk;
      GeographicLib::UTMUPS::Reverse(ref.zone, ref.north, ref.easting, ref.northing, rlat, rlon,
                                     rgamma, rk);
      const GeoPosition g = GridToLatLon(ref.zone, ref.north, ref.easting, ref.northing);
      ASSERT_EQ(g.error, GridError::None);
      const bool pole = std::fabs(rlat) == 90.0;
      worstLat = std::max(worstLat, std::fabs(g.latitude - rlat));
      worstLon = std::max(worstLon, pole ? 0.0 : angleDifference(g.longitude, rlon));
      worstGamma = std::max(worstGamma, pole ? 0.0 : angleDifference(g.convergence, rgamma));
      worstK = std::max(worstK, std::fabs(g.scale - rk));

      // Round trip: forward, reverse and forward again.
      const GeoPosition back = GridToLatLon(p.zone, p.north, p.easting, p.northing);
      const GridPosition again = LatLonToGrid(back.latitude, back.longitude, p.zone);
      worstTrip = std::max({worstTrip, std::fabs(p.easting - again.easting),
                            std::fabs(p.northing - again.northing)});
    }
    if (samples != nullptr) {
      std::printf("%-36s %8d points: xy %.3g nm, latitude %.3g, longitude %.3g, convergence %.3g, "
                  "scale %.3g, round trip %.3g nm\n",
                  region.name, compared, worstXY * 1e9, worstLat, worstLon, worstGamma, worstK,
                  worstTrip * 1e9);
    }
    EXPECT_GT(compared, count / 3);
    EXPECT_LE(worstXY, 5e-9);
    EXPECT_LE(worstGamma, region.longitude); // on the polar grid it is the longitude
    EXPECT_LE(worstK, 1.5e-15);
    EXPECT_LE(worstLat, 5e-14);
    EXPECT_LE(worstLon, region.longitude);
    EXPECT_LE(worstTrip, 4e-9);
  }
}

TEST(Grid, StandardZonesBandsAndHemispheresMatchGeographicLibOnEveryEdge) {
  std::vector<double> lats = {-90, -0.0, 0, 90};
  for (double edge = -80; edge <= 84; edge += 8) {
    lats.insert(lats.end(), {edge, std::nextafter(edge, -kInf), edge + 0.5});
  }
  lats.insert(lats.end(), {84.0, std::nextafter(84.0, -kInf), 56, 64, 72, 63.5, 75});
  for (double lat : lats) {
    for (double lon = -180; lon <= 180; lon += 0.5) {
      for (double l : {lon, std::nextafter(lon, -kInf)}) {
        const int zone = GeographicLib::UTMUPS::StandardZone(lat, l);
        ASSERT_EQ(StandardGridZone(lat, l), zone) << lat << " " << l;
        const GridPosition p = LatLonToGrid(lat, l);
        ASSERT_EQ(p.north, !std::signbit(lat));
        // The band letter is the MGRS reference's first letter after the zone.
        std::string ref;
        GeographicLib::MGRS::Forward(zone, p.north, p.easting, p.northing, lat, 0, ref);
        ASSERT_EQ(p.band, ref[zone == 0 ? 0 : 2]) << lat << " " << l;
      }
    }
  }
}

TEST(Grid, BadInputAndCoordinatesBeyondTheZoneLimitsAreErrors) {
  struct Case {
    double lat, lon;
    int zone;
    GridError error;
  } forward[] = {
      {std::nan(""), 0, kStandardZone, GridError::NotFinite},
      {0, kInf, kStandardZone, GridError::NotFinite},
      {90.5, 0, kStandardZone, GridError::LatitudeOutOfRange},
      {0, 0, 61, GridError::ZoneOutOfRange},
      {0, 0, -2, GridError::ZoneOutOfRange},
      {0, 7.5, 31, GridError::OutsideZone}, // easting beyond 1000 km
      {-82, 3, 31, GridError::OutsideZone}, // southern northing below 900 km
      {87, 3, 31, GridError::OutsideZone},  // northing beyond 9600 km
      {89, 80, 31, GridError::OutsideZone}, // beyond 60 degrees of longitude
      {70, 3, kUpsZone, GridError::OutsideZone},
      {0, 7.4, 31, GridError::None}, // just inside, as GeographicLib
  };
  for (const Case &c : forward) {
    EXPECT_EQ(LatLonToGrid(c.lat, c.lon, c.zone).error, c.error) << c.lat << " " << c.lon;
  }
  struct Inverse {
    int zone;
    bool north;
    double e, n;
    GridError error;
  } inverse[] = {
      {31, true, std::nan(""), 0, GridError::NotFinite},
      {61, true, 500e3, 0, GridError::ZoneOutOfRange},
      {31, true, -1, 5e6, GridError::OutsideZone},
      {31, true, 500e3, 9600001, GridError::OutsideZone},
      {31, false, 500e3, 899999, GridError::OutsideZone},
      {31, true, 500e3, -9100e3, GridError::None},
      {kUpsZone, false, 699999, 2e6, GridError::OutsideZone},
      {kUpsZone, true, 2e6, 1199999, GridError::OutsideZone},
  };
  for (const Inverse &c : inverse) {
    EXPECT_EQ(GridToLatLon(c.zone, c.north, c.e, c.n).error, c.error) << c.e << " " << c.n;
  }
  EXPECT_STREQ(GridErrorText(GridError::None), "");
  EXPECT_STRNE(GridErrorText(GridError::SquareNotInBand), "");
}

TEST(Mgrs, ReferencesEqualGeographicLibAtEveryPrecision) {
  auto points = boxPoints(-90, 90, -180, 180, 20000, 99);
  points.insert(points.end(), {{-0.0, 3},
                               {90, 0},
                               {-90, 0},
                               {84, -180},
                               {84, 180},
                               {-80, 0},
                               {std::nextafter(-80.0, -kInf), 0},
                               {64, 3},
                               {72, 9},
                               {0, -180}});
  int fullPathDifferences = 0;
  for (auto [lat, lon] : points) {
    Reference ref;
    ASSERT_TRUE(referenceForward(lat, lon, kStandardZone, ref));
    GridPosition atReference = LatLonToGrid(lat, lon);
    atReference.easting = ref.easting;
    atReference.northing = ref.northing;
    for (int digits = 0; digits <= 11; ++digits) {
      std::string expected;
      GeographicLib::MGRS::Forward(ref.zone, ref.north, ref.easting, ref.northing, lat, digits,
                                   expected);
      // The same coordinates give the same reference; ours differ from the
      // reference's by under 10 nm, which can only cross a cell edge below 100 um.
      ASSERT_EQ(GridToMgrs(atReference, digits).text, expected) << lat << " " << lon;
      const std::string full = LatLonToMgrs(lat, lon, digits).text;
      if (digits < 8) {
        ASSERT_EQ(full, expected) << lat << " " << lon;
      }
      fullPathDifferences += full != expected;

      // Decoding: the same cell centre, to the last place (GeographicLib rounds
      // some micrometre cells' centres less closely), and the same position.
      int zone, digitsBack;
      bool north;
      double e, n, rlat, rlon;
      GeographicLib::MGRS::Reverse(expected, zone, north, e, n, digitsBack, true);
      const MgrsSquare square = MgrsToGrid(expected);
      ASSERT_EQ(square.error, GridError::None) << expected;
      ASSERT_TRUE(square.zone == zone && square.north == north && square.digits == digits);
      ASSERT_LE(std::fabs(square.easting - e), ulp(e)) << expected;
      ASSERT_LE(std::fabs(square.northing - n), ulp(n)) << expected;
      GeographicLib::UTMUPS::Reverse(zone, north, e, n, rlat, rlon);
      const GeoPosition g = GridToLatLon(zone, north, e, n);
      EXPECT_NEAR(g.latitude, rlat, 1e-13) << expected;
      EXPECT_LE(std::fabs(rlat) == 90 ? 0.0 : angleDifference(g.longitude, rlon), 1e-13);
    }
  }
  // A few in ten thousand at the 10 um and 1 um precisions.
  EXPECT_LT(fullPathDifferences, 20);
}

// The grid zone of a UTM zone number and band: longitudes [west, east) and
// latitudes [south, north), band X closed at 84, with the widened zones of
// southern Norway and Svalbard; false where the band has no such zone.
struct GridZoneBounds {
  double west, east, south, north;
};

bool gridZoneBounds(int zone, int band, GridZoneBounds &g) {
  const char letter = "CDEFGHJKLMNPQRSTUVWX"[band];
  g.west = 6.0 * zone - 186.0;
  g.east = g.west + 6.0;
  g.south = -80.0 + 8.0 * band;
  g.north = letter == 'X' ? 84.0 : g.south + 8.0;
  if (letter == 'V' && (zone == 31 || zone == 32)) {
    g.west = zone == 31 ? 0.0 : 3.0;
    g.east = zone == 31 ? 3.0 : 12.0;
  } else if (letter == 'X' && zone >= 31 && zone <= 37) {
    const double edges[] = {0, 9, 21, 33, 42};
    g.west = edges[(zone - 31) / 2];
    g.east = edges[(zone - 31) / 2 + 1];
    return zone % 2 == 1;
  }
  return true;
}

// Whether the 100 km square with south-west corner (e0, n0) (northing in the
// band's hemisphere) meets the grid zone, decided from the peer's projection
// alone: a point of its boundary, sampled every 10 km, lies in the grid zone
// (only its latitudes if 'band' is set), or a corner of the grid zone lies
// inside it. A sample in the grid zone is returned in (e, n).
bool squareMeets(int zone, const GridZoneBounds &g, bool south, double e0, double n0, bool band,
                 double &e, double &n) {
  const auto &tm = GeographicLib::TransverseMercator::UTM();
  const double lon0 = 6.0 * zone - 183.0, falseNorthing = south ? 1e7 : 0.0;
  for (int side = 0; side < 4; ++side) {
    for (int i = 0; i < 10; ++i) {
      const double t = 1e4 * i;
      e = e0 + (side == 0 ? t : side == 1 ? 1e5 : side == 2 ? 1e5 - t : 0.0);
      n = n0 + (side == 0 ? 0.0 : side == 1 ? t : side == 2 ? 1e5 : 1e5 - t);
      double lat, lon;
      tm.Reverse(lon0, e - 5e5, n - falseNorthing, lat, lon);
      const double lambda = std::remainder(lon - lon0, 360.0);
      if (lat >= g.south && (lat < g.north || (g.north == 84.0 && lat == 84.0)) &&
          (band || (lambda >= g.west - lon0 && lambda < g.east - lon0))) {
        return true;
      }
    }
  }
  for (double lat : {g.south, g.north}) {
    for (double lon : {g.west, g.east}) {
      if (band) {
        break;
      }
      double x, y;
      tm.Forward(lon0, lat, lon, x, y);
      if (x + 5e5 > e0 && x + 5e5 < e0 + 1e5 && y + falseNorthing > n0 &&
          y + falseNorthing < n0 + 1e5) {
        return true;
      }
    }
  }
  return false;
}

TEST(Mgrs, EverySquareReferenceIsAcceptedExactlyWhenItMeetsItsGridZone) {
  const char *columns[3] = {"ABCDEFGH", "JKLMNPQR", "STUVWXYZ"};
  const std::string rows = "ABCDEFGHJKLMNPQRSTUV", bands = "CDEFGHJKLMNPQRSTUVWX";
  int accepted = 0, rejected = 0, peerAcceptsMissingBand = 0, peerAcceptsMissingZone = 0,
      peerRejects = 0;
  for (int zone = 1; zone <= 60; ++zone) {
    for (int band = 0; band < 20; ++band) {
      GridZoneBounds g{};
      const bool exists = gridZoneBounds(zone, band, g);
      const bool south = band < 10;
      // The rows within one of the grid zone's northings (sampled along its
      // edges), and which of them meet it in each column.
      double low = 1e300, high = -1e300;
      for (int i = 0; exists && i <= 40; ++i) {
        for (auto [lat, lon] : {std::pair{g.south, g.west + (g.east - g.west) * i / 40},
                                {g.north, g.west + (g.east - g.west) * i / 40},
                                {g.south + (g.north - g.south) * i / 40, g.west}}) {
          double x, y;
          GeographicLib::TransverseMercator::UTM().Forward(6.0 * zone - 183.0, lat, lon, x, y);
          low = std::min(low, y + (south ? 1e7 : 0.0));
          high = std::max(high, y + (south ? 1e7 : 0.0));
        }
      }
      struct Meeting {
        bool meets;
        double e, n; // a point of the square in the grid zone
      } meets[9][100] = {};
      for (int column = 1; column <= 8; ++column) {
        // A grid zone that does not exist leaves low above high: no row.
        for (int k = std::max(int(std::min(low, 1e9) / 1e5) - 1, south ? 10 : 0);
             k <= std::min(int(std::max(high, -1e9) / 1e5) + 1, south ? 99 : 94); ++k) {
          Meeting &m = meets[column][k];
          m.meets = squareMeets(zone, g, south, 1e5 * column, 1e5 * k, false, m.e, m.n);
        }
      }
      for (int column = 1; column <= 8; ++column) {
        for (int r = 0; r < 20; ++r) {
          const std::string ref = (zone < 10 ? "0" : "") + std::to_string(zone) + bands[band] +
                                  columns[(zone - 1) % 3][column - 1] + rows[r];
          SCOPED_TRACE(ref);
          // The rows that carry this letter in the band's hemisphere.
          int meeting = 0, row = -1;
          double e = 0, n = 0;
          for (int k = (r + 20 - (zone % 2 == 0 ? 5 : 0)) % 20; k < 100; k += 20) {
            if (meets[column][k].meets) {
              ++meeting;
              row = k;
              e = meets[column][k].e;
              n = meets[column][k].n;
            }
          }
          ASSERT_LE(meeting, 1);
          const MgrsSquare corner = MgrsToGrid(ref, false);
          bool peer = true;
          double peerNorthing = 0;
          try {
            int pz, pd;
            bool pn;
            double pe;
            GeographicLib::MGRS::Reverse(ref, pz, pn, pe, peerNorthing, pd, false);
          } catch (const std::exception &) {
            peer = false;
          }
          if (meeting == 0) {
            ++rejected;
            EXPECT_EQ(corner.error, GridError::SquareNotInBand);
            EXPECT_FALSE(MgrsSquareExists(zone, bands[band], ref[3], ref[4]));
            if (peer) {
              // The peer checks the row against the band's northings, not
              // the column against the zone's longitudes.
              double se, sn;
              ++(squareMeets(zone, g, south, 1e5 * column, peerNorthing, true, se, sn)
                     ? peerAcceptsMissingZone
                     : peerAcceptsMissingBand);
            }
            continue;
          }
          ++accepted;
          peerRejects += !peer;
          ASSERT_EQ(corner.error, GridError::None);
          EXPECT_TRUE(MgrsSquareExists(zone, bands[band], ref[3], ref[4]));
          EXPECT_EQ(corner.easting, 1e5 * column);
          EXPECT_EQ(corner.northing, 1e5 * row);
          // A point of the square inside the grid zone, a millimetre in from the
          // square's edge, reads back at each precision.
          e = std::clamp(e, corner.easting + 1e-3, corner.easting + 1e5 - 1e-3);
          n = std::clamp(n, corner.northing + 1e-3, corner.northing + 1e5 - 1e-3);
          const GridPosition at{GridError::None, zone, !south, bands[band], e, n, 0, 1};
          const int digits = (zone + band + column + r) % 12;
          const MgrsReference text = GridToMgrs(at, digits);
          ASSERT_EQ(text.error, GridError::None);
          EXPECT_EQ(std::string(text.text).substr(0, 5), ref);
          const MgrsSquare cell = MgrsToGrid(text.text, false);
          const double size = std::pow(10.0, 5 - digits);
          EXPECT_TRUE(cell.easting <= e && e < cell.easting + size + 1e-6);
          EXPECT_TRUE(cell.northing <= n && n < cell.northing + size + 1e-6);
        }
      }
    }
  }
  std::printf("MGRS squares: %d accepted, %d rejected; the peer accepts %d that miss the band "
              "and %d that meet the band but not the zone's longitudes, and rejects %d\n",
              accepted, rejected, peerAcceptsMissingBand, peerAcceptsMissingZone, peerRejects);
  EXPECT_EQ(accepted + rejected, 60 * 20 * 8 * 20);
  EXPECT_EQ(peerRejects, 0);
  // The polar squares: every lettered one and no other.
  const std::string letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
  int polar = 0;
  for (char band : std::string("ABYZ")) {
    for (char column : letters) {
      for (char row : letters) {
        polar += MgrsSquareExists(kUpsZone, band, column, row);
      }
    }
  }
  EXPECT_EQ(polar, 2 * (7 * 14) + 2 * (12 * 24));
}

TEST(Mgrs, BadReferencesReturnAReasonNotAPosition) {
  struct Case {
    const char *text;
    GridError error;
  } cases[] = {
      {"31NEW", GridError::BadRowLetter},
      {"31NIA", GridError::BadColumnLetter},
      {"31NDV", GridError::SquareNotInBand},
      {"31MEA", GridError::SquareNotInBand},
      {"01CAA", GridError::SquareNotInBand}, // 171 to 175 E: zone 60
      {"30VVS", GridError::SquareNotInBand},
      {"32VMS1234", GridError::SquareNotInBand}, // 64.3 N: band W
      {"30WZR", GridError::SquareNotInBand},
      {"11WKL", GridError::SquareNotInBand},
      {"31VFH", GridError::SquareNotInBand}, // east of 3 E: zone 32
      {"32XMH", GridError::SquareNotInBand}, // no zone 32 north of 72 N
      {"61NEA", GridError::BadZoneNumber},
      {"0NEA", GridError::BadZoneNumber},
      {"123NEA", GridError::BadZoneNumber},
      {"NEA", GridError::BadZoneNumber},
      {"31YEA", GridError::BadBandLetter},
      {"31", GridError::BadBandLetter},
      {"", GridError::BadZoneNumber},
      {"31N", GridError::MissingSquare},
      {"31NE", GridError::MissingSquare},
      {"31NEA1", GridError::OddDigitCount},
      {"YAA", GridError::BadColumnLetter},
      {"ZHZ", GridError::BadRowLetter},
      {"AAN", GridError::BadColumnLetter},
      {"QAA", GridError::BadZoneNumber},
      {"IAA", GridError::BadBandLetter},
      {"31NEA12 34", GridError::BadCharacter},
      {"31NEA123456789012345678901234", GridError::TooManyDigits},
  };
  for (const Case &c : cases) {
    const MgrsSquare s = MgrsToGrid(c.text);
    EXPECT_EQ(s.error, c.error) << c.text;
    EXPECT_TRUE(std::isnan(s.easting) && std::isnan(s.northing)) << c.text;
  }
  // Encoding: precision, a failed position, and coordinates outside the squares.
  const GridPosition p = LatLonToGrid(45, 3);
  EXPECT_EQ(GridToMgrs(p, 12).error, GridError::PrecisionOutOfRange);
  EXPECT_EQ(GridToMgrs(p, -1).error, GridError::PrecisionOutOfRange);
  EXPECT_EQ(LatLonToMgrs(std::nan(""), 0, 5).error, GridError::NotFinite);
  EXPECT_EQ(GridToMgrs(LatLonToGrid(0, 7.4, 31), 5).error, GridError::OutsideMgrsRange);
  EXPECT_STREQ(GridToMgrs(LatLonToGrid(0, 7.4, 31), 5).text, "");
  // A band or hemisphere that does not hold the coordinates, and a square of
  // a forced zone outside its grid zone, are refused.
  GridPosition wrong = LatLonToGrid(45, 10);
  wrong.band = 'X';
  EXPECT_EQ(GridToMgrs(wrong, 5).error, GridError::BadBandLetter);
  wrong.band = 'S';
  EXPECT_EQ(GridToMgrs(wrong, 5).error, GridError::BadBandLetter);
  wrong.band = 'T';
  wrong.north = false;
  EXPECT_EQ(GridToMgrs(wrong, 5).error, GridError::BadBandLetter);
  GridPosition polar = LatLonToGrid(85, 10);
  polar.band = 'B';
  EXPECT_EQ(GridToMgrs(polar, 5).error, GridError::BadBandLetter);
  const MgrsReference outside = GridToMgrs(LatLonToGrid(45, 4.5, 32), 5);
  EXPECT_EQ(outside.error, GridError::SquareNotInBand);
  EXPECT_STREQ(outside.text, "") << "refused after its letters were written";
  // Lower case is accepted.
  EXPECT_EQ(MgrsToGrid("31ndh").error, GridError::None);
}

} // namespace

namespace {

TEST(GridZoneVocabulary, DesignatorsReadAndWriteInBothReadings) {
  using L = GridZoneLetters;
  struct Case {
    const char *text;
    L letters;
    GridError error;
    int zone;
    bool north;
    char band;
    const char *written; // FormatGridZone of the result
  } cases[] = {
      {"32T", L::Bands, GridError::None, 32, true, 'T', "32T"},
      {"32S", L::Bands, GridError::None, 32, true, 'S', "32S"},
      {"32S", L::Hemispheres, GridError::None, 32, false, '\0', "32s"},
      {"32N", L::Hemispheres, GridError::None, 32, true, '\0', "32n"},
      {"32N", L::Bands, GridError::None, 32, true, 'N', "32N"},
      {"32M", L::Hemispheres, GridError::None, 32, false, 'M', "32M"},
      {"32s", L::Bands, GridError::None, 32, false, '\0', "32s"},
      {"5north", L::Bands, GridError::None, 5, true, '\0', "5n"},
      {"05SOUTH", L::Bands, GridError::None, 5, false, '\0', "5s"},
      {"Z", L::Bands, GridError::None, kUpsZone, true, 'Z', "Z"},
      {"0A", L::Bands, GridError::None, kUpsZone, false, 'A', "A"},
      {"s", L::Bands, GridError::None, kUpsZone, false, '\0', "s"},
      {"S", L::Bands, GridError::None, kUpsZone, false, '\0', "s"},
      {"north", L::Bands, GridError::None, kUpsZone, true, '\0', "n"},
      {"32t", L::Bands, GridError::BadBandLetter, 0, false, 0, ""},
      {"32Z", L::Bands, GridError::BadBandLetter, 0, false, 0, ""},
      {"32I", L::Bands, GridError::BadBandLetter, 0, false, 0, ""},
      {"32", L::Bands, GridError::BadBandLetter, 0, false, 0, ""},
      {"0T", L::Bands, GridError::BadBandLetter, 0, false, 0, ""},
      {"T", L::Bands, GridError::BadZoneNumber, 0, false, 0, ""},
      {"61T", L::Bands, GridError::BadZoneNumber, 0, false, 0, ""},
      {"132T", L::Bands, GridError::BadZoneNumber, 0, false, 0, ""},
      {"", L::Bands, GridError::BadZoneNumber, 0, false, 0, ""},
      {"32 T", L::Bands, GridError::BadBandLetter, 0, false, 0, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    const GridZoneDesignator z = ParseGridZone(c.text, c.letters);
    EXPECT_EQ(z.error, c.error);
    if (c.error == GridError::None) {
      EXPECT_TRUE(z.zone == c.zone && z.north == c.north && z.band == c.band);
      EXPECT_STREQ(FormatGridZone(z).text, c.written);
    }
  }
  // A band that contradicts the hemisphere or the grid is not written.
  EXPECT_STREQ(FormatGridZone({GridError::None, 32, false, 'T'}).text, "");
  EXPECT_STREQ(FormatGridZone({GridError::None, kUpsZone, true, 'B'}).text, "");
}

TEST(GridZoneVocabulary, BandLettersAndLatitudesAgreeOnEveryEdge) {
  const std::string bands = "CDEFGHJKLMNPQRSTUVWX";
  for (int b = 0; b < 20; ++b) {
    SCOPED_TRACE(bands[b]);
    const GridLatitudeRange range = GridBandLatitudes(bands[b]);
    ASSERT_EQ(range.error, GridError::None);
    EXPECT_EQ(range.south, -80.0 + 8 * b);
    EXPECT_EQ(range.north, b == 19 ? 84.0 : range.south + 8);
    // The south edge belongs to the band, the latitude just below to the one
    // before (to none below -80); the viewer's letters agree, 'Z' outside.
    const double below = std::nextafter(range.south, -kInf);
    EXPECT_EQ(UtmBand(range.south), bands[b]);
    EXPECT_EQ(UtmBand(below), b == 0 ? '\0' : bands[b - 1]);
    EXPECT_EQ(gridlot::UTMZone::ComputeUTMZoneLetter(range.south), bands[b]);
    EXPECT_EQ(gridlot::UTMZone::ComputeUTMZoneLetter(below), b == 0 ? 'Z' : bands[b - 1]);
  }
  struct Case {
    double latitude;
    char band, viewer;
  } cases[] = {
      {84.0, 'X', 'X'}, // band X is closed at 84
      {std::nextafter(84.0, kInf), '\0', 'Z'},
      {std::nan(""), '\0', 'Z'},
      {-0.0, 'M', 'N'}, // -0 is southern here, northern to the viewer
  };
  for (const Case &c : cases) {
    EXPECT_EQ(UtmBand(c.latitude), c.band) << c.latitude;
    EXPECT_EQ(gridlot::UTMZone::ComputeUTMZoneLetter(c.latitude), c.viewer) << c.latitude;
  }
  EXPECT_TRUE(GridBandLatitudes('A').south == -90 && GridBandLatitudes('B').north == -80);
  EXPECT_TRUE(GridBandLatitudes('Y').south == 84 && GridBandLatitudes('Z').north == 90);
  EXPECT_EQ(GridBandLatitudes('I').error, GridError::BadBandLetter);
  EXPECT_EQ(GridBandLatitudes('\0').error, GridError::BadBandLetter);
  EXPECT_EQ(UpsBand(true, 2e6), 'Z');
  EXPECT_EQ(UpsBand(true, std::nextafter(2e6, 0.0)), 'Y');
  EXPECT_EQ(UpsBand(false, 2e6), 'B');
  EXPECT_EQ(UpsBand(false, 1e6), 'A');
  EXPECT_EQ(UpsBand(true, std::nan("")), '\0');
}

// What "ZONE BAND EASTING NORTHING" written to p decimals (0..9) hides, the
// band check allows for: every such line of a point near a band or zone edge,
// in its own zone or forced into a neighbour, reads back to within the
// precision written. A band-edge point 2.5 m into the next band is refused.
TEST(GridZoneVocabulary, EveryLineWrittenAtEveryPrecisionReadsBackNearBandAndZoneEdges) {
  std::vector<double> lats = {83.99999999, 63.999999999};
  for (int k = 0; k <= 20; ++k) {
    for (double d : {0.0, 1e-9, -1e-9, 4.5e-6, -4.5e-6, 9e-6, -9e-6}) {
      lats.push_back((k == 20 ? 84.0 : -80.0 + 8 * k) + d);
    }
  }
  std::vector<double> lons = {-25.1713133140573, 3, 9, 12, 21, 33, 42, 2.9999999, 11.9999999};
  for (int k = 0; k < 20; ++k) {
    lons.insert(lons.end(), {-180.0 + 18 * k, -180.0 + 18 * k - 1e-5});
  }
  int lines = 0;
  for (double lat : lats) {
    for (double lon : lons) {
      const int standard = StandardGridZone(lat, lon);
      const int own = static_cast<int>(std::floor((std::remainder(lon, 360) + 180) / 6)) % 60 + 1;
      for (int zone : {kStandardZone, standard == kUpsZone ? own : standard % 60 + 1}) {
        const GridPosition p = LatLonToGrid(lat, lon, zone);
        if (p.error != GridError::None) {
          continue;
        }
        // The band of the latitude, or the hemisphere where it has none.
        const GridZoneDesignator z{GridError::None, p.zone, p.north,
                                   p.zone == kUpsZone ? p.band : UtmBand(lat)};
        for (int decimals = 0; decimals <= 9; ++decimals) {
          char e[32], n[32];
          std::snprintf(e, sizeof e, "%.*f", decimals, p.easting);
          std::snprintf(n, sizeof n, "%.*f", decimals, p.northing);
          SCOPED_TRACE(std::to_string(lat) + " " + std::to_string(lon) + ": " +
                       FormatGridZone(z).text + " " + e + " " + n);
          const double easting = std::strtod(e, nullptr), northing = std::strtod(n, nullptr);
          const GeoPosition g = GridToLatLon(z.zone, z.north, easting, northing);
          ASSERT_EQ(g.error, GridError::None);
          const double half = 0.5 * std::pow(10.0, -decimals);
          EXPECT_EQ(CheckGridBand(z, easting, g, half), GridError::None);
          const GridPosition again = LatLonToGrid(g.latitude, g.longitude, p.zone);
          EXPECT_LE(std::fabs(again.easting - p.easting), half + 1e-6);
          // The equator reads back northern whichever hemisphere wrote it.
          const double shift = again.north == p.north ? 0.0 : p.north ? -1e7 : 1e7;
          EXPECT_LE(std::fabs(again.northing + shift - p.northing), half + 1e-6);
          ++lines;
        }
      }
    }
  }
  EXPECT_GT(lines, 50000);
  const GridPosition reproduced = LatLonToGrid(83.99999999, -25.1713133140573);
  char text[64];
  std::snprintf(text, sizeof text, "%d %c %.0f %.0f", reproduced.zone, reproduced.band,
                reproduced.easting, reproduced.northing);
  EXPECT_STREQ(text, "26 X 521337 9328433");

  const std::string bands = "CDEFGHJKLMNPQRSTUVWX";
  for (int k = 1; k < 20; ++k) {
    for (double lon : {-177.0, -174.0 + 1e-9, 45.0, 47.999999}) {
      for (double side : {-1.0, 1.0}) {
        const double lat = -80.0 + 8 * k + side * 2.5 / 110574;
        const GridPosition p = LatLonToGrid(lat, lon);
        const GridZoneDesignator other{GridError::None, p.zone, p.north,
                                       bands[side < 0 ? k : k - 1]};
        const double e = std::round(p.easting), n = std::round(p.northing);
        EXPECT_EQ(CheckGridBand(other, e, GridToLatLon(p.zone, p.north, e, n), 0.5),
                  GridError::BadBandLetter)
            << lat << " " << lon;
      }
    }
  }
  // On the polar grid the band is the side of the pole's meridians.
  const GridZoneDesignator z{GridError::None, kUpsZone, true, 'Z'};
  EXPECT_EQ(CheckGridBand(z, 2e6 - 0.4, GeoPosition{}, 0.5), GridError::None);
  EXPECT_EQ(CheckGridBand(z, 2e6 - 2, GeoPosition{}, 0.5), GridError::BadBandLetter);
  EXPECT_EQ(CheckGridBand({GridError::None, kUpsZone, false, 'Z'}, 2e6, GeoPosition{}, 0.5),
            GridError::BadBandLetter);
}

} // namespace
