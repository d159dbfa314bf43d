#include "math/Units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

} // namespace
