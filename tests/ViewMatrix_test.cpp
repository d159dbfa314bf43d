#include "Support.h"
#include "math/ViewMatrix.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <cmath>
#include <limits>
#include <random>

using orrery::Mat4d;
using orrery::Vec3d;
using orrery::math::invertFullPivot;

namespace {

using orrery::test::fromEigen;
using orrery::test::RowMajor4;
using orrery::test::toEigen;

Mat4d lookAt(const Vec3d &eye, const Vec3d &target, const Vec3d &up) {
  Mat4d m;
  m.buildLookAt(eye, target, up);
  return m;
}

} // namespace

TEST(ViewMatrix, InversionTakesTheLastLargestPivotAndMatchesEigen) {
  // Step 1 sees 4 and -4 in row 2; taking the later -4 gives these bits, the
  // earlier 4 would give 0x1.5555555555556p-3, -0x1.5555555555555p-4 and -0
  // in row 3.
  Mat4d tie;
  tie.set(2, 0, 0, 0, 0, 0, 0, -2, 0, 4, -4, 0, 0, -1, -2, 0);
  ASSERT_TRUE(invertFullPivot(tie));
  EXPECT_EQ(tie.m[6], 0x1.5555555555555p-3);
  EXPECT_EQ(tie.m[10], -0x1.5555555555556p-4);
  EXPECT_EQ(tie.m[7], -1.0 / 3);
  EXPECT_FALSE(std::signbit(tie.m[12]) || std::signbit(tie.m[15]));
  // Every other bit of the inversion is pinned by the golden program; here
  // the results agree with Eigen on well-conditioned matrices.
  std::mt19937_64 rng(21);
  std::uniform_real_distribution<double> wide(-1.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    Mat4d got;
    for (int i = 0; i < 16; ++i) {
      got.m[i] = wide(rng) + (i % 5 != 0 ? 0.0 : i % 2 == 0 ? 4.0 : -4.0);
    }
    const RowMajor4 eigen = toEigen(got).inverse();
    ASSERT_TRUE(invertFullPivot(got));
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(got.m[i], eigen.data()[i], 1e-15) << "trial " << trial << " element " << i;
    }
  }
}

TEST(ViewMatrix, InversionStopsOnAZeroPivotOrAColumnChosenTwice) {
  // Dependent rows, leaving an exact 0 pivot: the golden program and the
  // linear fuzz harness.
  // No NaN candidate ever wins the search, so column 0 is taken a second time.
  Mat4d nan;
  for (double &e : nan.m) {
    e = std::numeric_limits<double>::quiet_NaN();
  }
  EXPECT_FALSE(invertFullPivot(nan));
}

TEST(ViewMatrix, LookAtMatchesTheMatrixAssembledFromItsAxes) {
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  for (int trial = 0; trial < 100; ++trial) {
    const Vec3d eye{u(rng), u(rng), u(rng)}, target{u(rng), u(rng), u(rng)};
    const Vec3d up{u(rng), u(rng), u(rng)}; // generally not perpendicular
    const Mat4d m = lookAt(eye, target, up);
    // Axes as columns r, u, b and the translation row -(eye . axis); the up
    // column is the normalised hint itself, not recomputed from b and r.
    const Eigen::Vector3d e = toEigen(eye), b = (e - toEigen(target)).normalized();
    const Eigen::Vector3d y = toEigen(up).normalized(), x = y.cross(b).normalized();
    RowMajor4 want = RowMajor4::Identity();
    want.block<3, 3>(0, 0) << x, y, b;
    want.block<1, 3>(3, 0) << -e.dot(x), -e.dot(y), -e.dot(b);
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(m.m[i], want.data()[i], i < 12 ? 4e-16 : 1e-13) << "element " << i;
    }
  }
}

TEST(ViewMatrix, ViewParamsRecoverEyeAndUnitAxes) {
  // The bits for three views: the golden program. Here a scaled up hint
  // perpendicular to the view, so that the rotation is orthonormal.
  const Vec3d eye{3, -7, 12};
  const Eigen::Vector3d f = (Eigen::Vector3d(-1, 2, 0.5) - toEigen(eye)).normalized();
  const Eigen::Vector3d y = f.cross(Eigen::Vector3d::UnitX()).normalized();
  const Mat4d m = lookAt(eye, {-1, 2, 0.5}, fromEigen(3.0 * y));
  Vec3d position, forward, up, right;
  ASSERT_TRUE(m.getNormalizedViewParams(position, forward, up, right));
  EXPECT_LT(length(position - eye), 1e-14);
  EXPECT_LT(length(forward - fromEigen(f)), 1e-15);
  EXPECT_LT(length(up - fromEigen(y)), 1e-15);
  EXPECT_LT(length(right - fromEigen(f.cross(y).normalized())), 1e-15);
}

TEST(ViewMatrix, SingularViewsLeaveOutputsAndMatrixUntouched) {
  const Mat4d zero{};
  Vec3d o[4] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
  EXPECT_FALSE(zero.getNormalizedViewParams(o[0], o[1], o[2], o[3]));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(o[i], (Vec3d{3.0 * i + 1, 3.0 * i + 2, 3.0 * i + 3}));
  }
  EXPECT_EQ(zero.getRoll(), 0.0);
  Mat4d rolled = zero;
  rolled.setRoll(0.4);
  EXPECT_EQ(rolled, zero);
  // eye == target: b and r stay zero.
  EXPECT_FALSE(
      lookAt({1, 2, 3}, {1, 2, 3}, {0, 1, 0}).getNormalizedViewParams(o[0], o[1], o[2], o[3]));
  EXPECT_EQ(o[0], (Vec3d{1, 2, 3}));
}

TEST(ViewMatrix, RollIsTheRightAxisElevationAndSetRollTurnsAboutTheViewingAxis) {
  // Up hint tilted by 0.2 rad towards +z or -z at a camera looking north.
  EXPECT_NEAR(lookAt({10, 0, 0}, {10, 10, 0}, {std::cos(0.2), 0, std::sin(0.2)}).getRoll(), 0.2,
              1e-15);
  EXPECT_NEAR(lookAt({10, 0, 0}, {10, 10, 0}, {std::cos(0.2), 0, -std::sin(0.2)}).getRoll(), -0.2,
              1e-15);
  // Looking along the local vertical, down or up: roll 0.
  EXPECT_EQ(lookAt({0, 0, 10}, {0, 0, 20}, {1, 0, 0}).getRoll(), 0.0);

  for (const double hintX : {1.0, -1.0}) { // upright, then upside down
    const Mat4d base = lookAt({10, 0, 0}, {10, 10, 0}, {hintX, 0, 0});
    Vec3d p0, f0, u0, r0, p, f, u, r;
    ASSERT_TRUE(base.getNormalizedViewParams(p0, f0, u0, r0));
    for (const double roll : {0.3, -0.5, 1.2}) {
      Mat4d m = base;
      m.setRoll(roll);
      EXPECT_NEAR(m.getRoll(), roll, 1e-14) << "hint " << hintX << " roll " << roll;
      ASSERT_TRUE(m.getNormalizedViewParams(p, f, u, r));
      EXPECT_LT(length(p - p0), 1e-14);
      EXPECT_LT(length(f - f0), 1e-15);
      // The up axis turned by the roll, keeping its side of the horizon.
      EXPECT_NEAR(u.x * u0.x, std::cos(roll), 1e-15);
    }
  }
}
