#include "math/Grid.h"

#include <gtest/gtest.h>

#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <cmath>
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

TEST(Grid, ForwardAndReverseAgreeWithGeographicLibInEveryRegion) {
  struct Region {
    const char *name;
    double lat0, lat1, lon0, lon1;
    int zone; // forced zone, or kStandardZone
  } regions[] = {
      {"whole globe", -90, 90, -180, 180, kStandardZone},
      {"central band", -80, 84, -180, 180, kStandardZone},
      {"Norway 32V", 56, 64, 3, 12, kStandardZone},
      {"Svalbard 31X-37X", 72, 84, 0, 42, kStandardZone},
      {"80S hand-over", -80.01, -79.99, -180, 180, kStandardZone},
      {"84N hand-over", 83.99, 84.01, -180, 180, kStandardZone},
      {"north pole", 89.99, 90, -180, 180, kStandardZone},
      {"south pole", -90, -89.99, -180, 180, kStandardZone},
      {"forced zone 9 deg off", -80, 84, -6, 12, 31},
      {"forced UPS north", 75, 90, -180, 180, kUpsZone},
      {"forced UPS south", -90, -70, -180, 180, kUpsZone},
  };
  for (const Region &region : regions) {
    double worstXY = 0, worstGamma = 0, worstK = 0, worstLatLon = 0, worstRoundTrip = 0;
    int compared = 0;
    for (auto [lat, lon] :
         boxPoints(region.lat0, region.lat1, region.lon0, region.lon1, 1500, 15)) {
      Reference ref;
      const GridPosition p = LatLonToGrid(lat, lon, region.zone);
      if (!referenceForward(lat, lon, region.zone, ref)) {
        EXPECT_EQ(p.error, GridError::OutsideZone) << region.name << " " << lat << " " << lon;
        continue;
      }
      ++compared;
      ASSERT_EQ(p.error, GridError::None) << region.name << " " << lat << " " << lon;
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
      worstLatLon = std::max({worstLatLon, std::fabs(g.latitude - rlat),
                              pole ? 0.0 : angleDifference(g.longitude, rlon)});
      worstGamma = std::max(worstGamma, pole ? 0.0 : angleDifference(g.convergence, rgamma));
      worstK = std::max(worstK, std::fabs(g.scale - rk));

      // Round trip to 1 nm beyond the resolution of the values on the way:
      // an easting or northing near 10000 km, and a longitude near 180 degrees,
      // cannot hold finer than about 2 nm.
      const GeoPosition back = GridToLatLon(p.zone, p.north, p.easting, p.northing);
      const GridPosition again = LatLonToGrid(back.latitude, back.longitude, p.zone);
      const double metresPerUlp = 111.7e3 * (ulp(back.latitude) + ulp(back.longitude)) / 2;
      for (auto [a, b] : {std::pair{p.easting, again.easting}, {p.northing, again.northing}}) {
        worstRoundTrip =
            std::max(worstRoundTrip, std::fabs(a - b) / (1e-9 + 2 * ulp(a) + metresPerUlp));
      }
    }
    EXPECT_GT(compared, 500) << region.name;
    EXPECT_LE(worstXY, 10e-9) << region.name;
    EXPECT_LE(worstGamma, 1e-12) << region.name;
    EXPECT_LE(worstK, 1e-12) << region.name;
    EXPECT_LE(worstLatLon, 1e-13) << region.name;
    EXPECT_LE(worstRoundTrip, 1.0) << region.name;
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

TEST(Mgrs, EverySquareOfEveryLetterSetRoundTripsAtEveryPrecision) {
  // Zones 1 to 6 cover the three column sets with both row offsets; with the
  // four polar bands this is every square that decodes, at every precision.
  std::vector<std::string> squares;
  const std::string letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
  for (const std::string prefix : {"01", "02", "03", "04", "05", "06", ""}) {
    for (char band : std::string(prefix.empty() ? "ABYZ" : "CDEFGHJKLMNPQRSTUVWX")) {
      for (char column : letters) {
        for (char row : letters) {
          squares.push_back(prefix + band + column + row);
        }
      }
    }
  }
  int decoded = 0;
  for (const std::string &square : squares) {
    for (int digits = 0; digits <= 11; ++digits) {
      const std::string text = square + std::string("37104958261").substr(0, digits) +
                               std::string("82615937104").substr(0, digits);
      const MgrsSquare corner = MgrsToGrid(text, false);
      if (corner.error != GridError::None) {
        continue;
      }
      ++decoded;
      const MgrsSquare c = MgrsToGrid(text);
      const double cell = std::pow(10.0, 5 - digits);
      // Each is the exact value rounded once.
      ASSERT_LE(std::fabs(c.easting - corner.easting - cell / 2), ulp(corner.easting)) << text;
      ASSERT_LE(std::fabs(c.northing - corner.northing - cell / 2), ulp(corner.northing)) << text;
      const GridPosition at{GridError::None, c.zone, c.north, c.band, c.easting, c.northing, 0, 1};
      ASSERT_EQ(GridToMgrs(at, digits).text, text);
    }
  }
  // Per precision: 6 zones x 8 columns x about 11 rows in each of the 20
  // bands, and the polar squares (14 x 14 north, 24 x 24 south).
  EXPECT_GT(decoded, 12 * (6 * 8 * 20 * 10 + 14 * 14 + 24 * 24));
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

} // namespace
