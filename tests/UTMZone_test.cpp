#include "math/UTMZone.h"

#include <gtest/gtest.h>

#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

using gridlot::UTMZone;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectZone(const UTMZone &z, int number, char letter) {
  EXPECT_EQ(int(z.getZoneNumber()), number);
  EXPECT_EQ(z.getZoneLetter(), letter);
}

TEST(UTMZone, BandsIncludeTheirLowerEdgeAndBandXIsClosedAt84) {
  const char letters[] = "CDEFGHJKLMNPQRSTUVW";
  for (int band = 0; band < 19; ++band) {
    const double lower = -80.0 + 8.0 * band;
    EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(lower), letters[band]) << lower;
    const char below = band == 0 ? 'Z' : letters[band - 1];
    EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(std::nextafter(lower, -kInf)), below) << lower;
  }
  EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(72.0), 'X');
  EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(std::nextafter(72.0, 0.0)), 'W');
  EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(84.0), 'X');
  EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(std::nextafter(84.0, kInf)), 'Z');
  EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(0.0), 'N');
  EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(-0.0), 'N');
  EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(-0.0001), 'M');
  for (double bad : {kNaN, kInf, -kInf, 90.0, -90.0}) {
    EXPECT_EQ(UTMZone::ComputeUTMZoneLetter(bad), 'Z');
  }
}

TEST(UTMZone, ZonesFollowLongitudeWithTheNorwayAndSvalbardExceptions) {
  expectZone(UTMZone(0.0, 0.0), 31, 'N');
  expectZone(UTMZone(-0.0001, 0.0), 31, 'M');
  expectZone(UTMZone(45.0, 180.0), 1, 'T');
  expectZone(UTMZone(45.0, -180.0), 1, 'T');
  expectZone(UTMZone(45.0, 540.0), 1, 'T');
  expectZone(UTMZone(45.0, 179.9999), 60, 'T');
  // 180 - 2^-45 rounds to 360 once shifted, so it wraps to zone 1.
  expectZone(UTMZone(45.0, std::nextafter(180.0, 0.0)), 1, 'T');
  // Southern Norway: 56 <= lat < 64 and 3 <= lon < 12 is zone 32.
  expectZone(UTMZone(60.0, 5.0), 32, 'V');
  expectZone(UTMZone(60.0, 2.0), 31, 'V');
  expectZone(UTMZone(56.0, 3.0), 32, 'V');
  expectZone(UTMZone(std::nextafter(56.0, 0.0), 3.0), 31, 'U');
  expectZone(UTMZone(std::nextafter(64.0, 0.0), 11.99), 32, 'V');
  expectZone(UTMZone(64.0, 3.0), 31, 'W');
  expectZone(UTMZone(60.0, 12.0), 33, 'V');
  // Svalbard: 72 <= lat < 84 in four widened zones.
  expectZone(UTMZone(78.0, 15.0), 33, 'X');
  expectZone(UTMZone(78.0, 8.99), 31, 'X');
  expectZone(UTMZone(78.0, 9.0), 33, 'X');
  expectZone(UTMZone(78.0, 21.0), 35, 'X');
  expectZone(UTMZone(78.0, 33.0), 37, 'X');
  expectZone(UTMZone(78.0, 40.0), 37, 'X');
  expectZone(UTMZone(78.0, 42.0), 38, 'X');
  expectZone(UTMZone(72.0, 3.0), 31, 'X');
  expectZone(UTMZone(std::nextafter(72.0, 0.0), 8.0), 32, 'W');
  // At 84 the Svalbard rule has ended but the band has not.
  expectZone(UTMZone(84.0, 15.0), 33, 'X');
  expectZone(UTMZone(84.0, 8.0), 32, 'X');
  expectZone(UTMZone(84.5, 0.0), 31, 'Z');
  expectZone(UTMZone(-80.0, 0.0), 31, 'C');
  expectZone(UTMZone(-80.5, 0.0), 31, 'Z');
}

TEST(UTMZone, ZoneNumbersMatchGeographicLibStandardZonesOverTheUtmDomain) {
  int compared = 0;
  for (double lat = -80.0; lat < 84.0; lat += 0.5) {
    for (double lon = -180.0; lon < 180.0; lon += 0.5) {
      const int ours = UTMZone(lat, lon).getZoneNumber();
      ASSERT_EQ(ours, GeographicLib::UTMUPS::StandardZone(lat, lon)) << lat << " " << lon;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 328 * 720);
  // Latitude 84 is still UTM for us, already the polar grid for GeographicLib.
  EXPECT_EQ(GeographicLib::UTMUPS::StandardZone(84.0, 15.0), GeographicLib::UTMUPS::UPS);
}

TEST(UTMZone, LongitudesThatCannotBeWrappedGiveZoneZeroAndNaNCoordinates) {
  for (double bad : {kNaN, kInf, -kInf, 1e12, -1e12, 1e300}) {
    const UTMZone z(45.0, bad);
    expectZone(z, 0, 'T');
    double e = 0, n = 0;
    z.LatLongToUTM(45.0, bad, &e, &n);
    EXPECT_TRUE(std::isnan(e) && std::isnan(n)) << bad;
  }
  // Large but wrappable longitudes wrap exactly.
  expectZone(UTMZone(0.0, 360.0 * 1000000 + 3.0), 31, 'N');
  expectZone(UTMZone(0.0, 360.0 * 2000000000 + 3.0), 31, 'N');
  // Below -180 is outside the domain: the wrap leaves it alone.
  EXPECT_EQ(int(UTMZone(0.0, -190.0).getZoneNumber()), 0);
  expectZone(UTMZone(kNaN, 10.0), 32, 'Z');
}

TEST(UTMZone, ProjectsKnownPositionsAndInvertsThem) {
  double e, n, lat, lon;
  UTMZone(31, 'N').LatLongToUTM(0.0, 3.0, &e, &n);
  EXPECT_EQ(e, 500000.0);
  EXPECT_EQ(n, 0.0);

  const UTMZone m(31, 'M');
  m.LatLongToUTM(-1.0, 3.0, &e, &n);
  EXPECT_EQ(e, 500000.0);
  EXPECT_NEAR(n, 9889469.84, 0.005);
  m.UTMToLatLong(e, n, &lat, &lon);
  EXPECT_NEAR(lat, -1.0, 1e-9);
  EXPECT_NEAR(lon, 3.0, 1e-9);

  UTMZone(18, 'T').LatLongToUTM(45.5, -73.6, &e, &n);
  EXPECT_NEAR(e, 609377.35, 0.005);
  EXPECT_NEAR(n, 5039449.71, 0.005);

  // The hemisphere of the forward projection is the latitude's sign, that of
  // the inverse is the letter ('Z' counts as northern).
  double southE, southN;
  m.LatLongToUTM(-1.0, 3.0, &southE, &southN);
  UTMZone(31, 'N').LatLongToUTM(-1.0, 3.0, &e, &n);
  EXPECT_EQ(n, southN);
  UTMZone(31, 'Z').UTMToLatLong(500000.0, 1000.0, &lat, &lon);
  EXPECT_GT(lat, 0.0);
  UTMZone(31, 'M').UTMToLatLong(500000.0, 10001000.0, &lat, &lon);
  EXPECT_GT(lat, 0.0);
  // The zone is the object's: a position may be projected into a neighbour,
  // here 6 degrees west of its central meridian, and back.
  UTMZone(32, 'N').LatLongToUTM(0.0, 3.0, &e, &n);
  EXPECT_LT(e, 0.0);
  UTMZone(32, 'N').UTMToLatLong(e, n, &lat, &lon);
  EXPECT_NEAR(lon, 3.0, 1e-6);
  EXPECT_NEAR(lat, 0.0, 1e-12);
}

// GeographicLib's transverse Mercator (Krueger series, about 5 nm) in our zone
// and with our hemisphere rule, as UTM easting and northing.
void referenceForward(double lat, double lon, int zone, double &e, double &n) {
  double x, y, gamma, k;
  GeographicLib::TransverseMercator::UTM().Forward(6.0 * zone - 183.0, lat, lon, x, y, gamma, k);
  e = x + 500000.0;
  n = lat < 0.0 ? y + 10000000.0 : y;
}

TEST(UTMZone, AgreesWithGeographicLibAcrossStandardAndWidenedZones) {
  // Worst values over a 0.125 degree grid: natural zones 0.92 mm forward and
  // 1.08e-8 deg round trip; southern Norway (up to 6 deg west of its central
  // meridian) 1.05 mm and 8.9e-7 deg; Svalbard (up to 6 deg either side)
  // 1.04 mm and 1.14e-6 deg near 84 N. The forward error is the rounded e^2
  // and the truncated series; the round trip error grows as the sixth power
  // of the distance from the central meridian.
  struct Worst {
    double forward = 0, roundTrip = 0;
  } natural, norway, svalbard;
  for (double lat = -80.0; lat <= 84.0; lat += 0.5) {
    for (double lon = -180.0; lon < 180.0; lon += 0.25) {
      const UTMZone z(lat, lon);
      double e, n, re, rn, back, backLon;
      z.LatLongToUTM(lat, lon, &e, &n);
      referenceForward(lat, lon, z.getZoneNumber(), re, rn);
      z.UTMToLatLong(e, n, &back, &backLon);
      const bool inNorway = lat >= 56 && lat < 64 && lon >= 3 && lon < 12;
      const bool inSvalbard = lat >= 72 && lat < 84 && lon >= 0 && lon < 42;
      Worst &w = inNorway ? norway : inSvalbard ? svalbard : natural;
      w.forward = std::max(w.forward, std::hypot(e - re, n - rn));
      w.roundTrip = std::max({w.roundTrip, std::fabs(back - lat), std::fabs(backLon - lon)});
    }
  }
  EXPECT_LT(natural.forward, 1.0e-3);
  EXPECT_LT(natural.roundTrip, 1.1e-8);
  EXPECT_LT(norway.forward, 1.1e-3);
  EXPECT_LT(norway.roundTrip, 1.0e-6);
  EXPECT_LT(svalbard.forward, 1.1e-3);
  EXPECT_LT(svalbard.roundTrip, 1.2e-6);
  // The widened zones are discriminating: they really go beyond 3 degrees.
  EXPECT_GT(svalbard.roundTrip, 1e-7);
}

TEST(UTMZone, ForwardDriftsToAboutOneCentimetreSixDegreesFromTheMeridian) {
  // At 6 deg the series' truncated terms dominate, worst at the equator
  // (11.5 mm measured); the inverse of GeographicLib's exact projection stays
  // within 1e-8 deg inside a natural zone (8.4e-9 measured).
  double worstForward = 0, worstInverse = 0;
  for (double lat = -80.0; lat <= 84.0; lat += 0.5) {
    for (double offset = -6.0; offset <= 6.0; offset += 0.25) {
      double e, n, re, rn;
      UTMZone(31, UTMZone::ComputeUTMZoneLetter(lat)).LatLongToUTM(lat, 3.0 + offset, &e, &n);
      referenceForward(lat, 3.0 + offset, 31, re, rn);
      worstForward = std::max(worstForward, std::hypot(e - re, n - rn));
      if (std::fabs(offset) <= 3.0) {
        double back, backLon;
        UTMZone(31, UTMZone::ComputeUTMZoneLetter(lat)).UTMToLatLong(re, rn, &back, &backLon);
        worstInverse =
            std::max({worstInverse, std::fabs(back - lat), std::fabs(backLon - 3.0 - offset)});
      }
    }
  }
  EXPECT_LT(worstForward, 0.012);
  EXPECT_GT(worstForward, 0.008);
  EXPECT_LT(worstInverse, 1e-8);
}

} // namespace
