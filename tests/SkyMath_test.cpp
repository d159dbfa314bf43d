#include "math/SkyMath.h"
#include "math/Units.h"

#include <gtest/gtest.h>

#include <erfa.h>

#include <cmath>
#include <limits>
#include <random>

using namespace orrery;

namespace {

constexpr double kPi = 3.141592653589793;

// Difference of two angles folded into [-pi, pi].
double angleDiff(double a, double b) { return std::remainder(a - b, 2.0 * kPi); }

// ERFA's Greenwich mean sidereal time (UT1 taken as UTC) plus the longitude,
// as our right ascension angle (local sidereal time minus a half turn).
double erfaRightAscension(double jd, double longitude) {
  return eraGmst82(jd, 0.0) + longitude - kPi;
}

double rightAscension(double jd, double longitude) {
  return skymath::ComputeZenithInDecRA(DateTime::fromJulianDate(jd), {0.0, longitude}).y;
}

TEST(SkyZenith, AtJ2000TheRightAscensionIsTheSiderealTimeAsAnAngle) {
  // theta = 280.46061837 deg: 18.697374558 h.
  EXPECT_NEAR(rightAscension(2451545.0, 0.0), 1.7533685591459987, 1e-15);
  EXPECT_NEAR(rightAscension(2451545.0, 0.0), (18.697374558 / 12.0 - 1.0) * kPi, 1e-15);
  const Vec3d hms = convert::SphToHms(rightAscension(2451545.0, 0.0) / kPi);
  EXPECT_EQ(hms.x, 18.0);
  EXPECT_EQ(hms.y, 41.0);
  EXPECT_NEAR(hms.z, 50.548, 1e-3);
}

TEST(SkyZenith, DeclinationIsTheLatitudeBitForBit) {
  const DateTime when(2024, 3, 20, 3, 6, 0.0);
  for (double lat : {0.7853981633974483, -0.0, 1e-300, 123.456}) {
    const Vec2d z = skymath::ComputeZenithInDecRA(when, {lat, 0.3});
    EXPECT_EQ(std::signbit(z.x), std::signbit(lat));
    EXPECT_EQ(z.x, lat);
  }
}

TEST(SkyZenith, LongitudeAndDaysAdvanceTheSiderealTime) {
  const double jd = 2460000.25;
  const double base = rightAscension(jd, 0.2);
  // 15 degrees east is one sidereal hour.
  EXPECT_NEAR(angleDiff(rightAscension(jd, 0.2 + kPi / 12.0), base), kPi / 12.0, 1e-11);
  // One day later: 0.98564736629 degrees further (the T^2 term adds about 1e-10).
  EXPECT_NEAR(angleDiff(rightAscension(jd + 1.0, 0.2), base), 0.0172027916955, 1e-9);
}

TEST(SkyZenith, MatchesErfaGmst82PlusLongitude) {
  // ERFA's own check instant, MJD 53736.0: the two forms differ by about 5e-11.
  const double jd = 2400000.5 + 53736.0;
  EXPECT_NEAR(angleDiff(rightAscension(jd, 0.0), erfaRightAscension(jd, 0.0)), 0.0, 1e-10);
  // 1900 to 2100: the single-double Julian date and the degree form of the
  // polynomial account for a few 1e-9 rad.
  std::mt19937_64 rng(31);
  std::uniform_real_distribution<double> date(2415020.5, 2488069.5), lon(-kPi, kPi);
  double worst = 0.0;
  for (int i = 0; i < 2000; ++i) {
    const double j = date(rng), l = lon(rng);
    const double ours = rightAscension(j, l);
    EXPECT_GE(ours, -kPi);
    EXPECT_LE(ours, kPi);
    worst = std::max(worst, std::fabs(angleDiff(ours, erfaRightAscension(j, l))));
  }
  EXPECT_LT(worst, 5e-9);
}

TEST(SkyZenith, InvalidDateOrNonFiniteLongitudeGivesNaNRightAscension) {
  const Vec2d bad = skymath::ComputeZenithInDecRA(DateTime(), {0.5, 0.1});
  EXPECT_EQ(bad.x, 0.5);
  EXPECT_TRUE(std::isnan(bad.y));
  const DateTime when = DateTime::fromJulianDate(2451545.0);
  for (double lon :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_TRUE(std::isnan(skymath::ComputeZenithInDecRA(when, {0.5, lon}).y));
  }
  // Far from J2000 the unreduced degrees are still brought into one day.
  for (double jd : {0.0, 1e7, -1e7}) {
    const double ra = rightAscension(jd, 0.0);
    EXPECT_GE(ra, -kPi);
    EXPECT_LE(ra, kPi);
  }
}

} // namespace
