#include "math/FastMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using orrery::FastMath;
using orrery::Vec2d;
using orrery::Vec2f;
using orrery::Vec3d;
using orrery::Vec3f;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;

} // namespace

TEST(FastMath, ToleranceConstantsAreTheDocumentedPowersOfTwo) {
  EXPECT_EQ(orrery::kAlmostEqualTolerance, 2.842170943040401e-14);
  EXPECT_EQ(orrery::kAlmostEqualToleranceF, 3.933906555175781e-06f);
}

TEST(FastMath, FabsClearsTheSignBitOfZeroAndNaN) {
  EXPECT_FALSE(std::signbit(FastMath::fabs(-0.0)));
  EXPECT_FALSE(std::signbit(FastMath::fabs(-0.0f)));
  const double negNaN = std::copysign(kNaN, -1.0);
  ASSERT_TRUE(std::signbit(negNaN));
  EXPECT_TRUE(std::isnan(FastMath::fabs(negNaN)));
  EXPECT_FALSE(std::signbit(FastMath::fabs(negNaN)));
  EXPECT_FALSE(std::signbit(FastMath::fabs(std::copysign(kNaNf, -1.0f))));
  EXPECT_EQ(FastMath::fabs(-2.5), 2.5);
  EXPECT_EQ(FastMath::fabs(-kInf), kInf);
}

TEST(FastMath, SignIsZeroForEitherZeroAndMinusOneForNaN) {
  EXPECT_EQ(FastMath::sign(-0.0), 0);
  EXPECT_EQ(FastMath::sign(0.0f), 0);
  EXPECT_EQ(FastMath::sign(kNaN), -1);
  EXPECT_EQ(FastMath::sign(kNaNf), -1);
  EXPECT_EQ(FastMath::sign(1e-300), 1);
  EXPECT_EQ(FastMath::sign(-1e-40f), -1); // denormal, still negative
  EXPECT_EQ(FastMath::sign(-kInf), -1);
}

TEST(FastMath, InvAndRsqrtAreUncheckedIeeeOperations) {
  EXPECT_EQ(FastMath::inv(0.0), kInf);
  EXPECT_EQ(FastMath::inv(-0.0f), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(FastMath::inv(4.0), 0.25);
  // A rounded square root then a rounded division: 1 / sqrt(1 + 2^-23) gives
  // exactly 1, where the correctly rounded reciprocal root is 1 - 2^-24.
  EXPECT_EQ(FastMath::rsqrt(1.00000012f), 1.0f);
  EXPECT_EQ(FastMath::rsqrt(4.0f), 0.5f);
  EXPECT_EQ(FastMath::rsqrt(0.0f), std::numeric_limits<float>::infinity());
}

TEST(FastMath, GuardedSqrtZeroesOnlyNegativesBelowTheTolerance) {
  EXPECT_EQ(FastMath::sqrt(-1e-15), 0.0);
  EXPECT_FALSE(std::signbit(FastMath::sqrt(-1e-15)));
  EXPECT_TRUE(std::isnan(FastMath::sqrt(-1e-13)));
  // The test is strict: exactly the tolerance is not below it.
  EXPECT_TRUE(std::isnan(FastMath::sqrt(-0x1p-45)));
  EXPECT_EQ(FastMath::sqrt(-std::nextafter(0x1p-45, 0.0)), 0.0);
  EXPECT_EQ(FastMath::sqrt(-0.0), 0.0);
  EXPECT_TRUE(std::signbit(FastMath::sqrt(-0.0)));
  EXPECT_EQ(FastMath::sqrt(4.0), 2.0);
  EXPECT_TRUE(std::isnan(FastMath::sqrt(kNaN)));

  EXPECT_EQ(FastMath::sqrt(-3e-6f), 0.0f);
  EXPECT_TRUE(std::isnan(FastMath::sqrt(-4e-6f)));
  const float tolF = 33.0f * 0x1p-23f;
  EXPECT_TRUE(std::isnan(FastMath::sqrt(-tolF)));
  EXPECT_EQ(FastMath::sqrt(-std::nextafter(tolF, 0.0f)), 0.0f);
  // The double tolerance must not leak into the float overload.
  EXPECT_EQ(FastMath::sqrt(-1e-10f), 0.0f);
  EXPECT_EQ(FastMath::sqrt(2.25f), 1.5f);
}

TEST(FastMath, ArcFunctionsClampOutOfRangeArgumentsButPassNaN) {
  EXPECT_EQ(FastMath::asin(1.0000001), kPi / 2);
  EXPECT_EQ(FastMath::asin(-1.5), -kPi / 2);
  EXPECT_EQ(FastMath::acos(-2.0), kPi);
  EXPECT_EQ(FastMath::acos(1.0000000001), 0.0);
  EXPECT_EQ(FastMath::asin(1.0000001f), std::asin(1.0f));
  EXPECT_EQ(FastMath::acos(-1.5f), std::acos(-1.0f));
  EXPECT_TRUE(std::isnan(FastMath::asin(kNaN)));
  EXPECT_TRUE(std::isnan(FastMath::acos(kNaNf)));
  EXPECT_EQ(FastMath::asin(0.5), std::asin(0.5));
  EXPECT_EQ(FastMath::acos(-0.25f), std::acos(-0.25f));
}

TEST(FastMath, Log2MultipliesTheNaturalLogarithmByOneOverLn2) {
  EXPECT_EQ(FastMath::log2(8.0), 2.9999999999999996);
  EXPECT_EQ(FastMath::log2(0.0), -kInf);
  // The float overload widens log(x) and rounds the product back.
  EXPECT_EQ(FastMath::log2(8.0f), 3.0f);
  EXPECT_EQ(FastMath::log2(10.0f),
            static_cast<float>(static_cast<double>(std::log(10.0f)) * 1.4426950408889634));
  EXPECT_TRUE(std::isnan(FastMath::log2(-1.0)));
}

TEST(FastMath, FastsinGivesThePolynomialValuesOnEveryReductionBranch) {
  EXPECT_EQ(FastMath::fastsin(1.0f), 0.84147096f);
  EXPECT_EQ(FastMath::fastsin(-1.0f), -0.84147096f);
  // k = 1 (odd) flips the sign; for -4 the quotient truncates to -1.
  EXPECT_EQ(FastMath::fastsin(4.0f), -0.75680244f);
  EXPECT_EQ(FastMath::fastsin(-4.0f), 0.75680244f);
  EXPECT_EQ(FastMath::fastsin(2.0f), 0.909297466f); // folded back below pi/2
  EXPECT_EQ(FastMath::fastsin(10.0f), -0.54402107f);
  EXPECT_EQ(FastMath::fastsin(-7.0f), -0.656986475f);
  EXPECT_EQ(FastMath::fastsin(0.0f), 0.0f);
  EXPECT_EQ(FastMath::fastcos(0.0f), 1.0f);
  EXPECT_EQ(FastMath::fastsin(1.5707964f), 1.0f);
}

TEST(FastMath, FastsinStaysWithinItsAccuracyUpToTen) {
  double worst = 0.0;
  for (float x = -10.0f; x <= 10.0f; x += 1.0f / 1024) {
    worst = std::fmax(worst, std::fabs(FastMath::fastsin(x) - std::sin(double(x))));
    EXPECT_EQ(FastMath::fastcos(x), FastMath::fastsin(x + 1.5707964f));
  }
  EXPECT_LT(worst, 7.5e-7);
}

TEST(FastMath, FastsinIsNaNOnceTheQuotientLeavesTheIntRange) {
  // x / pi just below and at 2^31 (in float arithmetic).
  const float edge = 6.7465185e9f;
  ASSERT_LT(edge * 0.31830987f, 2147483648.0f);
  EXPECT_FALSE(std::isnan(FastMath::fastsin(edge)));
  const float beyond = std::nextafter(edge, 1e30f);
  ASSERT_EQ(beyond * 0.31830987f, 2147483648.0f);
  EXPECT_TRUE(std::isnan(FastMath::fastsin(beyond)));
  EXPECT_TRUE(std::isnan(FastMath::fastsin(-1e10f)));
  EXPECT_TRUE(std::isnan(FastMath::fastsin(std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(FastMath::fastsin(-std::numeric_limits<float>::infinity())));
  EXPECT_TRUE(std::isnan(FastMath::fastsin(kNaNf)));
}

TEST(FastMath, ParabolicSineIsExactAtQuadrantEndsAndMiddles) {
  double s = 7.0;
  double c = 7.0;
  FastMath::sincos(0.0, s, c);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(c, 1.0);
  FastMath::sincos(kPi / 2, s, c); // sine first, cosine second
  EXPECT_EQ(s, 1.0);
  EXPECT_EQ(c, 0.0);
  EXPECT_EQ(FastMath::sin(kPi / 4), 0.7035);
  EXPECT_EQ(FastMath::cos(kPi / 4), 0.7035);
  EXPECT_EQ(FastMath::sin(kPi), 0.0);
  EXPECT_EQ(FastMath::cos(kPi), -1.0);
  EXPECT_EQ(FastMath::sin(3 * kPi / 2), -1.0);
  EXPECT_NEAR(FastMath::sin(-kPi / 4), -0.7035, 1e-16);
  EXPECT_NEAR(FastMath::cos(3 * kPi / 4), -0.7035, 1e-16);
  EXPECT_NEAR(FastMath::sin(5 * kPi / 4), -0.7035, 1e-16);
  EXPECT_NEAR(FastMath::cos(7 * kPi / 4), 0.7035, 1e-16);
  // Below zero one turn is added, so -pi/2 lands on 3pi/2.
  EXPECT_EQ(FastMath::sin(-kPi / 2), -1.0);

  // The float twin uses float constants: pi/4 in float is exactly half of
  // its pi/2, so the middle value is C rounded to float.
  EXPECT_EQ(FastMath::sin(0.7853982f), 0.7035f);
  EXPECT_EQ(FastMath::cos(0.7853982f), 0.7035f);
  float sf = 7.0f;
  float cf = 7.0f;
  FastMath::sincos(1.5707964f, sf, cf);
  EXPECT_EQ(sf, 1.0f);
  EXPECT_EQ(cf, 0.0f);
}

TEST(FastMath, ParabolicSineStaysWithinItsErrorOverTwoTurns) {
  double worst = 0.0;
  float worstF = 0.0f;
  for (double x = -2 * kPi; x <= 2 * kPi; x += 1.0 / 512) {
    double s;
    double c;
    FastMath::sincos(x, s, c);
    EXPECT_EQ(s, FastMath::sin(x));
    EXPECT_EQ(c, FastMath::cos(x));
    worst = std::fmax(worst, std::fmax(std::fabs(s - std::sin(x)), std::fabs(c - std::cos(x))));
    const float xf = static_cast<float>(x);
    worstF = std::fmax(worstF, std::fmax(std::fabs(FastMath::sin(xf) - std::sin(xf)),
                                         std::fabs(FastMath::cos(xf) - std::cos(xf))));
  }
  EXPECT_LT(worst, 0.0214);
  EXPECT_LT(worstF, 0.0214f);
}

TEST(FastMath, NormalizeScalesByASinglePrecisionFactor) {
  Vec2d v{3, 4};
  const double f = FastMath::normalize(v);
  EXPECT_EQ(f, double(0.2f));
  EXPECT_EQ(v.x, 3.0 * double(0.2f));
  EXPECT_NEAR(v.x, 0.6, 1e-7);
  EXPECT_NEAR(v.y, 0.8, 1e-7);

  // 1 + 1e-10 rounds to 1 in float, so the factor is exactly 1.
  Vec3d near{1.0, 1e-5, 0.0};
  EXPECT_EQ(FastMath::normalize(near), 1.0);
  EXPECT_EQ(near, (Vec3d{1.0, 1e-5, 0.0}));

  // The squared length passes through float: beyond its range the factor is 0.
  Vec3d huge{1e20, 0, 0};
  EXPECT_EQ(FastMath::normalize(huge), 0.0);
  EXPECT_EQ(huge, (Vec3d{0, 0, 0}));

  Vec3f vf{0, 3, 4};
  EXPECT_EQ(FastMath::normalize(vf), 0.2f);
  EXPECT_EQ(vf, (Vec3f{0.0f, 0.6f, 0.8f}));
  // The float overloads square in float: 1e20f squared overflows.
  Vec2f hugeF{1e20f, 0};
  EXPECT_EQ(FastMath::normalize(hugeF), 0.0f);
}

TEST(FastMath, NormalizeOfAZeroVectorIsInfiniteFactorAndNaN) {
  Vec3d z{0, 0, 0};
  EXPECT_EQ(FastMath::normalize(z), kInf);
  EXPECT_TRUE(std::isnan(z.x) && std::isnan(z.y) && std::isnan(z.z));
  Vec2f zf{0, 0};
  EXPECT_EQ(FastMath::normalize(zf), std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(zf.x) && std::isnan(zf.y));
}
