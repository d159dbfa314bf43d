#include "math/UTMZone.h"

#include <gtest/gtest.h>

#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

using gridlot::UTMZone;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The band letters are checked beside the grid's own in Grid_test.cpp.

TEST(UTMZone, ZonesWrapLongitudeAndApplyTheNorwayAndSvalbardBorders) {
  struct Case {
    double lat, lon;
    int zone;
    char letter;
  } cases[] = {
      {45, 180, 1, 'T'}, {45, 539, 60, 'T'},  {0, 360e6 + 3, 31, 'N'}, {-0.0001, 0, 31, 'M'},
      {60, 5, 32, 'V'},  {78, 8.99, 31, 'X'}, {78, 40, 37, 'X'},       {84, 15, 33, 'X'},
      {84, 8, 32, 'X'},  {84.5, 0, 31, 'Z'},  {-80, 0, 31, 'C'},       {-80.5, 0, 31, 'Z'},
  }; // wrapping, the equator, Norway, Svalbard, and 84: band X without the Svalbard rule
  for (const Case &c : cases) {
    const UTMZone z(c.lat, c.lon);
    EXPECT_EQ(int(z.getZoneNumber()), c.zone) << c.lat << " " << c.lon;
    EXPECT_EQ(z.getZoneLetter(), c.letter) << c.lat << " " << c.lon;
  }
  // GeographicLib's zones: below.
}

TEST(UTMZone, UnwrappableLongitudesGiveZoneZeroAndNaNCoordinates) {
  for (double bad : {std::nan(""), kInf, -kInf, 1e12, -1e300}) {
    const UTMZone z(45.0, bad);
    EXPECT_EQ(z.getZoneNumber(), 0);
    double e = 0, n = 0;
    z.LatLongToUTM(45.0, bad, &e, &n);
    EXPECT_TRUE(std::isnan(e) && std::isnan(n));
  }
}

TEST(UTMZone, CentralMeridianOriginAndHemisphereRules) {
  double e, n, southN;
  UTMZone(31, 'N').LatLongToUTM(0.0, 3.0, &e, &n);
  EXPECT_TRUE(e == 500000.0 && n == 0.0);
  UTMZone(31, 'M').LatLongToUTM(-1.0, 3.0, &e, &southN);
  EXPECT_NEAR(southN, 9889469.84, 0.005);
  // Forward, the latitude's sign picks the hemisphere; inverse, the letter
  // ('Z' is north): the golden program, at 84 S.
}

TEST(UTMZone, ZonesAndCoordinatesAgreeWithGeographicLib) {
  // Worst over a 0.125 degree grid: natural zones 0.92 mm forward, 1.08e-8 deg
  // round trip; southern Norway (6 deg west of its meridian) 1.05 mm, 8.9e-7 deg;
  // Svalbard 1.04 mm, 1.14e-6 deg near 84 N. Forward error is the rounded e^2
  // and the truncated series; the round trip error grows with the sixth power
  // of the distance from the central meridian.
  const auto &tm = GeographicLib::TransverseMercator::UTM();
  double fwd[3] = {}, trip[3] = {}, inverse = 0;
  for (double lat = -80.0; lat <= 84.0; lat += 0.5) {
    for (double lon = -180.0; lon < 180.0; lon += 0.25) {
      const UTMZone z(lat, lon);
      if (lat < 84.0) { // from 84 on GeographicLib uses the polar grid
        ASSERT_EQ(z.getZoneNumber(), GeographicLib::UTMUPS::StandardZone(lat, lon)) << lat << lon;
      }
      const double lon0 = 6.0 * z.getZoneNumber() - 183.0;
      double e, n, x, y, gamma, k, back, backLon;
      z.LatLongToUTM(lat, lon, &e, &n);
      tm.Forward(lon0, lat, lon, x, y, gamma, k);
      x += 500000.0;
      y += lat < 0.0 ? 10000000.0 : 0.0;
      z.UTMToLatLong(e, n, &back, &backLon);
      const int area = lat >= 56 && lat < 64 && lon >= 3 && lon < 12   ? 1
                       : lat >= 72 && lat < 84 && lon >= 0 && lon < 42 ? 2
                                                                       : 0;
      fwd[area] = std::max(fwd[area], std::hypot(e - x, n - y));
      trip[area] = std::max({trip[area], std::fabs(back - lat), std::fabs(backLon - lon)});
      if (area == 0) {
        z.UTMToLatLong(x, y, &back, &backLon);
        inverse = std::max({inverse, std::fabs(back - lat), std::fabs(backLon - lon)});
      }
    }
  }
  const double fwdMax[3] = {1.0e-3, 1.1e-3, 1.1e-3}, tripMax[3] = {1.1e-8, 1.0e-6, 1.2e-6};
  for (int area = 0; area < 3; ++area) {
    EXPECT_LT(fwd[area], fwdMax[area]) << "area " << area;
    EXPECT_LT(trip[area], tripMax[area]) << "area " << area;
  }
  EXPECT_LT(inverse, 1.0e-8); // 8.4e-9 measured
  // Six degrees from the meridian at the equator the series drifts to about 1 cm.
  double e, n, x, y, gamma, k;
  UTMZone(31, 'N').LatLongToUTM(0.0, 9.0, &e, &n);
  tm.Forward(3.0, 0.0, 9.0, x, y, gamma, k);
  EXPECT_NEAR(e, x + 500000.0, 0.012);
  EXPECT_GT(std::fabs(e - x - 500000.0), 0.008);
}

} // namespace
