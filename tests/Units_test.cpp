#include "math/Units.h"

#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>

#include <cmath>
#include <limits>
#include <random>

using namespace orrery;

namespace {

// Restores the default radius so that tests sharing a process stay independent.
class PlanetRadius : public ::testing::Test {
protected:
  void TearDown() override { Units::setPlanetRadius(6371000.0); }
};

TEST(Units, LoadTimeRadiusAndDependentFactorsAreTheDefaults) {
  EXPECT_EQ(Units::sPlanetRadius, 6371000.0);
  EXPECT_EQ(Units::sInvPlanetRadius, 1.5696123057604772e-07);
  EXPECT_EQ(Units::distanceToMeters[Units::kPlanetRadii], 6371000.0);
  EXPECT_EQ(Units::distanceToMeters[Units::kDegrees], 111194.92664455874);
  // The unused area slots are zero, and converting into one divides by zero.
  EXPECT_EQ(Units::areaToMeters[9], 0.0);
  EXPECT_EQ(Units::areaToMeters[11], 0.0);
  EXPECT_TRUE(std::isinf(Units::convertArea(1.0, Units::kAcres, Units::AType(10))));
}

TEST(Units, ConvertLengthScalesToMetresThenMultipliesByTheTargetReciprocal) {
  EXPECT_EQ(Units::convertLength(1, Units::kMiles, Units::kKilometers), 1.609344);
  EXPECT_EQ(Units::convertLength(1, Units::kDegrees, Units::kMeters), 111194.92664455874);
  EXPECT_EQ(Units::convertLength(5, Units::kCustomLength, Units::kMeters), 8.509);
  // The grouping shows in the last bit: a plain division 1000 / 1852 would
  // give 0.5399568034557235, and 2.54e-05 would come out as 2.5399999999999997e-05.
  EXPECT_EQ(Units::convertLength(1, Units::kKilometers, Units::kNauticalMiles), 0.5399568034557236);
  EXPECT_EQ(Units::convertLength(1, Units::kInches, Units::kKilometers), 2.54e-05);
  // A unit to itself is value * f * (1 / f), which need not be value.
  for (double x : {0.1, 0.7, 1e-3, 123.456, 5e8}) {
    const double f = 0.0254;
    EXPECT_EQ(Units::convertLength(x, Units::kInches, Units::kInches), (1.0 / f) * (x * f));
  }
}

TEST(Units, ConvertAreaUsesTheTabulatedFactors) {
  EXPECT_EQ(Units::convertArea(1, Units::kHectares, Units::kAres), 100.0);
  EXPECT_EQ(Units::convertArea(1, Units::kSquareMiles, Units::kAcres),
            (1.0 / 4046.856) * 2589988.0);
  EXPECT_NEAR(Units::convertArea(1, Units::kSquareMiles, Units::kAcres), 640.00004, 1e-5);
  // Not 0.3048 squared.
  EXPECT_EQ(Units::convertArea(1, Units::kSquareFeet, Units::kSquareMeters), 0.092903034966);
}

TEST_F(PlanetRadius, SetPlanetRadiusRewritesReciprocalAndRadiusDependentFactors) {
  Units::setPlanetRadius(1000.0);
  EXPECT_EQ(Units::sPlanetRadius, 1000.0);
  EXPECT_EQ(Units::sInvPlanetRadius, 0.001);
  EXPECT_EQ(Units::convertLength(1, Units::kPlanetRadii, Units::kMeters), 1000.0);
  EXPECT_EQ(Units::convertLength(1, Units::kDegrees, Units::kMeters), 17.453292519943297);
  // Fixed units are untouched.
  EXPECT_EQ(Units::convertLength(1, Units::kMiles, Units::kKilometers), 1.609344);
  // Restoring the default reproduces the load-time values bit for bit.
  Units::setPlanetRadius(6371000.0);
  EXPECT_EQ(Units::sInvPlanetRadius, 1.5696123057604772e-07);
  EXPECT_EQ(Units::distanceToMeters[Units::kDegrees], 111194.92664455874);
}

constexpr double kPi = 3.141592653589793;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectVecNear(const Vec3d &got, double x, double y, double z, double tol) {
  EXPECT_NEAR(got.x, x, tol);
  EXPECT_NEAR(got.y, y, tol);
  EXPECT_NEAR(got.z, z, tol);
}

TEST(Spherical, ToCartesianPlacesTheAxesOfTheGeodeticFrame) {
  const double eps = 2e-16; // cos(pi / 2) is about 6.1e-17, not 0
  expectVecNear(Vec3d{0, 0, 0}.getCartesian(), 0, 0, -1, eps);
  expectVecNear(Vec3d{0.5, 0, 0}.getCartesian(), -1, 0, 0, eps);
  expectVecNear(Vec3d{-0.5, 0, 0}.getCartesian(), 1, 0, 0, eps);
  expectVecNear(Vec3d{0, 0.5, 0}.getCartesian(), 0, 1, 0, eps);
  expectVecNear(Vec3d{0, 0, 1}.getCartesian(), 0, 0, -2, eps);
  expectVecNear(Vec3d{1, 0, 0}.getCartesian(), 0, 0, 1, eps);
  // In place: the input is read completely before it is overwritten.
  Vec3d v{0.25, 0.125, 0.5};
  const Vec3d expected = v.getCartesian();
  v.toCartesian(v);
  EXPECT_EQ(v, expected);
}

TEST(Spherical, ToSphericalHandlesAxesOriginPolesAndTheDateLine) {
  EXPECT_EQ(Vec3d({0, 0, -1}).getSpherical(), Vec3d({0, 0, 0}));
  EXPECT_EQ(Vec3d({1, 0, 0}).getSpherical(), Vec3d({-0.5, 0, 0}));
  // Longitude 180 comes out as exactly -1, which the wrap keeps.
  EXPECT_EQ(Vec3d({0, 0, 1}).getSpherical(), Vec3d({-1, 0, 0}));
  EXPECT_EQ(Vec3d({0, 0, 0}).getSpherical(), Vec3d({-0.5, 0, -1}));
  EXPECT_EQ(Vec3d({0, 1, 0}).getSpherical(), Vec3d({-0.5, 0.5, 0}));
  // Just east of the date line atan2 gives -1.5 + tiny, wrapped up by 2.
  const Vec3d east = Vec3d{-1e-9, 0, 1}.getSpherical();
  EXPECT_GT(east.x, 0.999999);
  EXPECT_LT(east.x, 1.0);
}

TEST(Spherical, ToSphericalMultipliesBy180ThenDividesByPiThenBy180) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  int differsFromPlainQuotient = 0;
  for (int i = 0; i < 200; ++i) {
    const Vec3d c{u(rng), u(rng), u(rng)};
    const Vec3d s = c.getSpherical();
    const double latRad = std::atan2(c.y, std::sqrt(c.z * c.z + c.x * c.x));
    const double lat = ((latRad * 180.0) / kPi) / 180.0;
    double lon = ((std::atan2(c.z, c.x) * 180.0) / (-kPi) - 90.0) / 180.0;
    lon = lon < -1.0 ? lon + 2.0 : lon;
    EXPECT_EQ(s.x, lon);
    EXPECT_EQ(s.y, lat);
    EXPECT_EQ(s.z, std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z) - 1.0);
    differsFromPlainQuotient += lat != latRad / kPi;
  }
  // The sample is discriminating: a plain atan2 / pi would fail it.
  EXPECT_GT(differsFromPlainQuotient, 20);
}

TEST(Spherical, RoundTripMatchesTheTrigonometricFormAndReturnsThePoint) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> lonU(-1.0, 1.0), latU(-0.499, 0.499), altU(-0.5, 2.0);
  for (int i = 0; i < 500; ++i) {
    const Vec3d p{lonU(rng), latU(rng), altU(rng)};
    const Vec3d c = p.getCartesian();
    // x = -r cos(lat) sin(lon), y = r sin(lat), z = -r cos(lat) cos(lon).
    const double lam = p.x * kPi, phi = p.y * kPi, r = 1.0 + p.z;
    expectVecNear(c, -r * std::cos(phi) * std::sin(lam), r * std::sin(phi),
                  -r * std::cos(phi) * std::cos(lam), 2e-15);
    expectVecNear(c.getSpherical(), p.x, p.y, p.z, 4e-15);
  }
  // Longitude 180 comes back as -180.
  EXPECT_NEAR(Vec3d({1.0, 0.1, 0}).getCartesian().getSpherical().x, -1.0, 1e-15);
}

TEST(Spherical, FloatTwinsConvertInPlaceAndAgreeWithTheDoubleForms) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<float> lonU(-1.0f, 1.0f), latU(-0.49f, 0.49f), altU(0.0f, 1.0f);
  for (int i = 0; i < 200; ++i) {
    Vec3f f{lonU(rng), latU(rng), altU(rng)};
    const Vec3d d{f.x, f.y, f.z};
    f.toCartesian();
    const Vec3d dc = d.getCartesian();
    EXPECT_NEAR(f.x, dc.x, 2e-6);
    EXPECT_NEAR(f.y, dc.y, 2e-6);
    EXPECT_NEAR(f.z, dc.z, 2e-6);
    f.toSpherical();
    EXPECT_NEAR(f.x, d.x, 4e-6);
    EXPECT_NEAR(f.y, d.y, 2e-6);
    EXPECT_NEAR(f.z, d.z, 2e-6);
  }
  // The float pi (slightly above pi) shows: (0, 0, 1) maps to just above -1,
  // which rounds to -1 in float.
  Vec3f back{0, 0, 1};
  back.toSpherical();
  EXPECT_EQ(back.x, -1.0f);
  EXPECT_EQ(back.z, 0.0f);
}

TEST_F(PlanetRadius, GeographicAndNormalisedFormsReadTheCurrentRadius) {
  EXPECT_EQ(convert::LLAToNorm({90, 45, 6371000}), Vec3d({0.5, 0.25, 1.0}));
  EXPECT_EQ(convert::NormToLLA({0.5, 0.25, 1.0}), Vec3d({90, 45, 6371000}));
  // No wrapping or clamping.
  EXPECT_EQ(convert::LLAToNorm({540, -270, 0}), Vec3d({3, -1.5, 0}));
  Units::setPlanetRadius(2000.0);
  EXPECT_EQ(convert::LLAToNorm({0, 0, 1000}).z, 0.5);
  EXPECT_EQ(convert::NormToLLA({0, 0, 0.5}).z, 1000.0);
  EXPECT_NEAR(convert::altToArcDegrees(2000.0, 0.3), 0.3, 1e-16);
}

TEST(AngleSplitting, SphToHmsMapsTheLongitudeRangeOntoTheDayAndClampsOutside) {
  EXPECT_EQ(convert::SphToHms(0), Vec3d({12, 0, 0}));
  EXPECT_EQ(convert::SphToHms(-1), Vec3d({0, 0, 0}));
  EXPECT_EQ(convert::SphToHms(1), Vec3d({0, 0, 0}));
  EXPECT_EQ(convert::SphToHms(0.5), Vec3d({18, 0, 0}));
  EXPECT_EQ(convert::SphToHms(-1.5), Vec3d({0, 0, 0}));
  EXPECT_EQ(convert::SphToHms(kInf), Vec3d({0, 0, 0}));
  EXPECT_EQ(convert::SphToHms(-kInf), Vec3d({0, 0, 0}));
  // Seconds are floor-split, not rounded: just below 1 stays in hour 23...
  const Vec3d late = convert::SphToHms(1.0 - 1e-9);
  EXPECT_EQ(late.x, 23.0);
  EXPECT_EQ(late.y, 59.0);
  EXPECT_GT(late.z, 59.9999);
  EXPECT_LT(late.z, 60.0);
  // ...but the largest double below 1 rounds 1 + v up to 2, which is 24 h.
  EXPECT_EQ(convert::SphToHms(std::nextafter(1.0, 0.0)), Vec3d({24, 0, 0}));
  // 1 h 30 min 36 s past -180 deg.
  const Vec3d hms = convert::SphToHms(-1.0 + (1.0 + 30.0 / 60 + 36.0 / 3600) / 12.0);
  EXPECT_EQ(hms.x, 1.0);
  EXPECT_EQ(hms.y, 30.0);
  EXPECT_NEAR(hms.z, 36.0, 1e-9);
  const Vec3d nan = convert::SphToHms(kNaN);
  EXPECT_TRUE(std::isnan(nan.x) && std::isnan(nan.y) && std::isnan(nan.z));
}

TEST(AngleSplitting, SphToDmsAndDmmTruncateTowardsZeroClampAndPassNaN) {
  EXPECT_EQ(convert::SphToDms(-45.5), Vec3d({-45, 30, 0}));
  EXPECT_EQ(convert::SphToDms(-0.5), Vec3d({0, 30, 0}));
  EXPECT_FALSE(std::signbit(convert::SphToDms(-0.5).x)); // +0, from the integer truncation
  EXPECT_EQ(convert::SphToDms(200), Vec3d({180, 0, 0}));
  EXPECT_EQ(convert::SphToDms(-200), Vec3d({-180, 0, 0}));
  EXPECT_EQ(convert::SphToDms(180), Vec3d({180, 0, 0}));
  EXPECT_EQ(convert::SphToDmm(10.25), Vec2d({10, 15}));
  EXPECT_EQ(convert::SphToDmm(-179.75), Vec2d({-179, 45}));
  // Beyond the 32-bit range and infinities clamp before any truncation.
  for (double big : {3e9, 1e300, kInf}) {
    EXPECT_EQ(convert::SphToDms(big), Vec3d({180, 0, 0}));
    EXPECT_EQ(convert::SphToDms(-big), Vec3d({-180, 0, 0}));
    EXPECT_EQ(convert::SphToDmm(big), Vec2d({180, 0}));
    EXPECT_EQ(convert::SphToDmm(-big), Vec2d({-180, 0}));
  }
  const Vec3d dms = convert::SphToDms(kNaN);
  EXPECT_TRUE(std::isnan(dms.x) && std::isnan(dms.y) && std::isnan(dms.z));
  const Vec2d dmm = convert::SphToDmm(kNaN);
  EXPECT_TRUE(std::isnan(dmm.x) && std::isnan(dmm.y));
  // Seconds are not rounded and minutes never carry into degrees.
  const Vec3d d = convert::SphToDms(12.0 + 34.0 / 60 + 56.7 / 3600);
  EXPECT_EQ(d.x, 12.0);
  EXPECT_EQ(d.y, 34.0);
  EXPECT_NEAR(d.z, 56.7, 1e-9);
}

TEST(Bearings, ClockwiseAngleIsTheNegatedRightHandedTurn) {
  EXPECT_NEAR(clockwiseAngle({1, 0, 0}, {0, 0, -1}, {0, 1, 0}), kPi / 2, 1e-16);
  EXPECT_NEAR(clockwiseAngle({0, 0, -1}, {1, 0, 0}, {0, 1, 0}), -kPi / 2, 1e-16);
  EXPECT_EQ(clockwiseAngle({1, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0.0);
}

TEST(Bearings, AzimuthToPointMatchesGreatCircleBearingOnTheSphere) {
  EXPECT_NEAR(azimuthToPoint(0, 0, 0, 0.1), kPi / 2, 1e-16);
  EXPECT_EQ(azimuthToPoint(0, 0, 0.1, 0), 0.0);
  // A sphere is GeographicLib's geodesic problem with zero flattening.
  const GeographicLib::Geodesic sphere(1.0, 0.0);
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> lat(-80, 80), lon(-180, 180);
  for (int i = 0; i < 200; ++i) {
    const double la1 = lat(rng), lo1 = lon(rng), la2 = lat(rng), lo2 = lon(rng);
    double s12, azi1, azi2;
    sphere.Inverse(la1, lo1, la2, lo2, s12, azi1, azi2);
    const double d2r = kPi / 180.0;
    const double ours = azimuthToPoint(la1 * d2r, lo1 * d2r, la2 * d2r, lo2 * d2r);
    EXPECT_NEAR(std::remainder(ours - azi1 * d2r, 2 * kPi), 0.0, 1e-12);
  }
}

TEST(Bearings, AltToArcDegreesVanishesOnTheSurfaceAndReachesTheAngleAtOneRadius) {
  EXPECT_EQ(convert::altToArcDegrees(0.0, 0.7), 0.0);
  EXPECT_NEAR(convert::altToArcDegrees(6371000.0, 0.7), 0.7, 1e-16);
  const double half = convert::altToArcDegrees(3185500.0, 0.7);
  EXPECT_NEAR(half, 0.7 - 2 * std::asin(std::sin(0.35) * 0.5), 1e-15);
}

} // namespace
