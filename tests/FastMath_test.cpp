#include "Support.h"
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
constexpr float kInfF = std::numeric_limits<float>::infinity();
using orrery::test::kPi;

// Equal including the sign of zero; any NaN matches any NaN.
template <class T> bool same(T got, T want) {
  return std::isnan(want) ? std::isnan(got)
                          : got == want && std::signbit(got) == std::signbit(want);
}

// Each case is {argument, expected result}.
template <class T, std::size_t N, class F> void expectAll(F f, const T (&cases)[N][2]) {
  for (const auto &c : cases) {
    EXPECT_TRUE(same(f(c[0]), c[1])) << c[0] << " gives " << f(c[0]) << ", not " << c[1];
  }
}

} // namespace

// fabs, sign, inv, rsqrt (its rounded root then rounded division at 1 + 2^-23
// among them), the clamped arc functions and log2 on zeros, infinities, NaN
// and the arguments either side of 1: the golden program. Here the arguments
// it does not reach.
TEST(FastMath, FabsClearsTheSignOfANegativeNaNAndSignCountsDenormals) {
  EXPECT_FALSE(std::signbit(FastMath::fabs(std::copysign(kNaN, -1.0))));
  EXPECT_FALSE(std::signbit(FastMath::fabs(std::copysign(kNaNf, -1.0f))));
  EXPECT_EQ(FastMath::sign(-1e-40f), -1);
}

TEST(FastMath, GuardedSqrtZeroesOnlyNegativesStrictlyBelowTheTolerance) {
  const auto root = [](auto x) { return FastMath::sqrt(x); };
  // Either side of the tolerances; -1e-15, -1e-13 (0 in float: the double
  // tolerance must not leak into it), -0 and NaN: the golden program.
  const double tol = 0x1p-45, below = std::nextafter(tol, 0.0);
  const double cases[][2] = {{-tol, kNaN}, {-below, 0.0}};
  expectAll(root, cases);
  const float tolF = 33.0f * 0x1p-23f, belowF = std::nextafter(tolF, 0.0f);
  const float floats[][2] = {{-3e-6f, 0.0f}, {-4e-6f, kNaNf}, {-tolF, kNaNf}, {-belowF, 0.0f}};
  expectAll(root, floats);
}

TEST(FastMath, FastsinStaysNearTheSineUntilItsReductionLeavesTheIntRange) {
  // The polynomial's bits on each reduction branch (an odd quotient, a
  // negative one truncated, a fold back below pi/2) are pinned by the golden
  // program; here its error against std::sin.
  const auto fastsin = [](float x) { return FastMath::fastsin(x); };
  double worst = 0.0;
  for (float x = -10.0f; x <= 10.0f; x += 1.0f / 1024) {
    worst = std::fmax(worst, std::fabs(FastMath::fastsin(x) - std::sin(double(x))));
    EXPECT_EQ(FastMath::fastcos(x), FastMath::fastsin(x + 1.5707964f));
  }
  EXPECT_LT(worst, 7.5e-7);
  // NaN once x / pi (in float arithmetic) reaches 2^31, past the int range.
  const float edge = 6.7465185e9f, beyond = std::nextafter(edge, 1e30f);
  ASSERT_LT(edge * 0.31830987f, 2147483648.0f);
  ASSERT_EQ(beyond * 0.31830987f, 2147483648.0f);
  // -2^31 itself still truncates.
  EXPECT_FALSE(std::isnan(FastMath::fastsin(edge)) || std::isnan(FastMath::fastsin(-beyond)));
  const float nans[][2] = {
      {beyond, kNaNf}, {-1e10f, kNaNf}, {kInfF, kNaNf}, {-kInfF, kNaNf}, {kNaNf, kNaNf}};
  expectAll(fastsin, nans);
}

// Its error bound (0.0214 over two turns, both precisions) is checked by the
// scalar fuzz harness.
TEST(FastMath, ParabolicSineIsExactAtQuadrantEndsAndMiddles) {
  // {x in eighths of a turn, sine, cosine}; below zero one turn is added, so
  // -pi/2 lands on 3pi/2.
  const double m = 0.7035;
  const double cases[][3] = {{0, 0, 1},   {2, 1, 0},   {1, m, m},  {4, 0, -1},  {6, -1, 0},
                             {-2, -1, 0}, {-1, -m, m}, {3, m, -m}, {5, -m, -m}, {7, -m, m}};
  for (const auto &c : cases) {
    const double x = c[0] * kPi / 4;
    double s = 7.0, cs = 7.0;
    FastMath::sincos(x, s, cs); // sine first, cosine second
    EXPECT_NEAR(s, c[1], 1e-16) << c[0];
    EXPECT_NEAR(cs, c[2], 1e-16) << c[0];
    EXPECT_TRUE(FastMath::sin(x) == s && FastMath::cos(x) == cs) << c[0];
  }
  // The float twin's middle values (C rounded to float): the golden program.
  float sf = 7.0f, cf = 7.0f;
  FastMath::sincos(1.5707964f, sf, cf);
  EXPECT_EQ(sf, 1.0f);
  EXPECT_EQ(cf, 0.0f);
}

// Its single precision factor on ordinary vectors of every type, and the
// zero Vec3d: the golden program.
TEST(FastMath, NormalizeScalesByASinglePrecisionFactorWithoutAThreshold) {
  // The squared length passes through float: beyond its range the factor is 0.
  Vec3d huge{1e20, 0, 0};
  EXPECT_EQ(FastMath::normalize(huge), 0.0);
  EXPECT_EQ(huge, (Vec3d{0, 0, 0}));
  Vec2f hugeF{1e20f, 0}; // squared in float: overflows
  EXPECT_EQ(FastMath::normalize(hugeF), 0.0f);
  // A zero vector: infinite factor, NaN components.
  Vec2f zf{0, 0};
  EXPECT_EQ(FastMath::normalize(zf), kInfF);
  EXPECT_TRUE(std::isnan(zf.x) && std::isnan(zf.y));
}
