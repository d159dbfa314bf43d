#include "Support.h"
#include "math/Units.h"

#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>

#include <cmath>
#include <limits>
#include <random>

using namespace orrery;

namespace {

using orrery::test::kPi;
constexpr double kInf = std::numeric_limits<double>::infinity();

// Every length and area pair, whose bits fix the factors and the order
// (1 / to) * (value * from): the golden program.
TEST(Units, AnAreaUnitOutOfRangeGivesInfinity) {
  EXPECT_TRUE(std::isinf(Units::convertArea(1, Units::kAcres, Units::AType(10))));
}

TEST(Units, SetPlanetRadiusReachesEveryLaterConversion) {
  Units::setPlanetRadius(1000.0);
  EXPECT_EQ(Units::sInvPlanetRadius, 0.001);
  EXPECT_EQ(Units::convertLength(1, Units::kPlanetRadii, Units::kMeters), 1000.0);
  EXPECT_EQ(Units::convertLength(1, Units::kDegrees, Units::kMeters), 17.453292519943297);
  EXPECT_EQ(convert::LLAToNorm({90, 45, 500}), Vec3d({0.5, 0.25, 0.5}));
  EXPECT_EQ(convert::NormToLLA({0.5, 0.25, 0.5}), Vec3d({90, 45, 500}));
  EXPECT_NEAR(convert::altToArcDegrees(1000.0, 0.3), 0.3, 1e-16);
  Units::setPlanetRadius(6371000.0);
  EXPECT_EQ(Units::distanceToMeters[Units::kDegrees], 111194.92664455874);
}

// The origin and the pole: the golden program.
TEST(Spherical, InPlaceConversionAndTheDateLine) {
  Vec3d v{0.25, 0.125, 0.5};
  const Vec3d expected = v.getCartesian();
  v.toCartesian(v);
  EXPECT_EQ(v, expected);
  // Longitude 180 comes out as exactly -1 and the wrap keeps it.
  EXPECT_EQ(Vec3d({0, 0, 1}).getSpherical(), Vec3d({-1, 0, 0}));
  EXPECT_GT(Vec3d({-1e-9, 0, 1}).getSpherical().x, 0.999999); // wrapped up by 2
}

// Round trips in both precisions: the convert fuzz harness; the float
// twin's bits on six points: the golden program.
TEST(Spherical, CartesianIsTheTrigonometricFormAndToSphericalOrderIsPinned) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> lonU(-1, 1), latU(-0.49, 0.49), altU(-0.5, 2);
  int differsFromPlainQuotient = 0;
  for (int i = 0; i < 500; ++i) {
    const Vec3d p{lonU(rng), latU(rng), altU(rng)};
    const double r = 1 + p.z, lam = p.x * kPi, phi = p.y * kPi;
    const Vec3d c = p.getCartesian();
    EXPECT_NEAR(c.x, -r * std::cos(phi) * std::sin(lam), 2e-15);
    EXPECT_NEAR(c.y, r * std::sin(phi), 2e-15);
    EXPECT_NEAR(c.z, -r * std::cos(phi) * std::cos(lam), 2e-15);
    const Vec3d s = c.getSpherical();
    // Multiply by 180, divide by pi, divide by 180, bit for bit.
    const double latRad = std::atan2(c.y, std::sqrt(c.z * c.z + c.x * c.x));
    EXPECT_EQ(s.y, ((latRad * 180.0) / kPi) / 180.0);
    differsFromPlainQuotient += s.y != latRad / kPi;
  }
  EXPECT_GT(differsFromPlainQuotient, 50);
}

// Both ends of [-1, 1), -1.5, 1 - 2^-53 (1 + v rounds to 2), the sign of
// -0.5's degrees, the clamps at 180.5 and NaN: the golden program.
TEST(AngleSplitting, InfinitiesClampAndSplittingFloors) {
  for (double out : {kInf, -kInf}) {
    EXPECT_EQ(convert::SphToHms(out), Vec3d({0, 0, 0})) << out;
    EXPECT_EQ(convert::SphToDms(out), Vec3d({std::copysign(180.0, out), 0, 0}));
    EXPECT_EQ(convert::SphToDmm(out), Vec2d({std::copysign(180.0, out), 0}));
  }
  const Vec3d late = convert::SphToHms(1.0 - 1e-9); // floor-split, never rounded up
  EXPECT_TRUE(late.x == 23.0 && late.y == 59.0);
  EXPECT_EQ(convert::SphToDmm(10.25), Vec2d({10, 15}));
}

TEST(Bearings, ClockwiseAngleAndGreatCircleAzimuth) {
  EXPECT_NEAR(clockwiseAngle({1, 0, 0}, {0, 0, -1}, {0, 1, 0}), kPi / 2, 1e-16);
  // On a sphere the bearing is GeographicLib's geodesic azimuth with zero flattening.
  const GeographicLib::Geodesic sphere(1.0, 0.0);
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> lat(-80, 80), lon(-180, 180);
  for (int i = 0; i < 200; ++i) {
    const double la1 = lat(rng), lo1 = lon(rng), la2 = lat(rng), lo2 = lon(rng), d2r = kPi / 180;
    double s12, azi1, azi2;
    sphere.Inverse(la1, lo1, la2, lo2, s12, azi1, azi2);
    const double ours = azimuthToPoint(la1 * d2r, lo1 * d2r, la2 * d2r, lo2 * d2r);
    EXPECT_NEAR(std::remainder(ours - azi1 * d2r, 2 * kPi), 0.0, 1e-12);
  }
}

} // namespace
