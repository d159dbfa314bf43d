#include "math/ViewMatrix.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>

using orrery::Mat4d;
using orrery::Vec3d;
using orrery::math::invertFullPivot;

namespace {

using RowMajor4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;

RowMajor4 toEigen(const Mat4d &m) { return Eigen::Map<const RowMajor4>(m.m); }
Eigen::Vector3d toEigen(const Vec3d &v) { return {v.x, v.y, v.z}; }
Vec3d fromEigen(const Eigen::Vector3d &v) { return {v.x(), v.y(), v.z()}; }

void expectNear(const Vec3d &got, const Vec3d &want, double tol) {
  EXPECT_NEAR(got.x, want.x, tol);
  EXPECT_NEAR(got.y, want.y, tol);
  EXPECT_NEAR(got.z, want.z, tol);
}

Mat4d lookAt(const Vec3d &eye, const Vec3d &target, const Vec3d &up) {
  Mat4d m;
  m.buildLookAt(eye, target, up);
  return m;
}

// The documented Gauss-Jordan steps, one element at a time: use counts, the
// pivot search with its tie rule and both stops, the row exchange, scaling,
// elimination and the final column exchanges.
bool referenceInverse(double *a) {
  int count[4] = {0, 0, 0, 0}, rows[4], cols[4];
  for (int step = 0; step < 4; ++step) {
    double largest = 0.0;
    int row = 0, col = 0;
    for (int j = 0; j < 4; ++j) {
      for (int k = 0; k < 4 && count[j] != 1; ++k) {
        if (count[k] > 1) {
          return false;
        }
        if (count[k] == 0 && std::fabs(a[j * 4 + k]) >= largest) {
          largest = std::fabs(a[j * 4 + k]);
          row = j;
          col = k;
        }
      }
    }
    ++count[col];
    for (int e = 0; e < 4 && row != col; ++e) {
      std::swap(a[row * 4 + e], a[col * 4 + e]);
    }
    rows[step] = row;
    cols[step] = col;
    if (a[col * 5] == 0.0) {
      return false;
    }
    const double p = 1.0 / a[col * 5];
    a[col * 5] = 1.0;
    for (int e = 0; e < 4; ++e) {
      a[col * 4 + e] *= p;
    }
    for (int l = 0; l < 4; ++l) {
      const double d = a[l * 4 + col];
      if (l != col) {
        a[l * 4 + col] = 0.0;
        for (int e = 0; e < 4; ++e) {
          a[l * 4 + e] = a[l * 4 + e] - d * a[col * 4 + e];
        }
      }
    }
  }
  for (int step = 3; step >= 0; --step) {
    for (int k = 0; k < 4 && rows[step] != cols[step]; ++k) {
      std::swap(a[k * 4 + rows[step]], a[k * 4 + cols[step]]);
    }
  }
  return true;
}

} // namespace

TEST(ViewMatrix, InversionFollowsTheDocumentedStepsBitForBit) {
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
  // Small integers give many ties and singular matrices; wide values give
  // roundings that any other order of operations would change; diagonally
  // dominant ones are compared with Eigen too.
  std::mt19937_64 rng(21);
  std::uniform_int_distribution<int> small(-2, 2);
  std::uniform_real_distribution<double> wide(-1.0, 1.0);
  for (int trial = 0; trial < 20000; ++trial) {
    Mat4d got, expected;
    for (int i = 0; i < 16; ++i) {
      got.m[i] = trial % 3 == 0   ? small(rng)
                 : trial % 3 == 1 ? std::ldexp(wide(rng), small(rng) * 8)
                                  : wide(rng) + (i % 5 != 0   ? 0.0
                                                 : i % 2 == 0 ? 4.0
                                                              : -4.0);
    }
    expected = got;
    const RowMajor4 eigen = toEigen(got).inverse();
    const bool ok = referenceInverse(expected.m);
    ASSERT_EQ(invertFullPivot(got), ok) << "trial " << trial;
    for (int i = 0; i < 16 && trial % 3 == 2; ++i) {
      EXPECT_NEAR(got.m[i], eigen.data()[i], 1e-15) << "trial " << trial << " element " << i;
    }
    for (int i = 0; i < 16 && ok; ++i) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(got.m[i]), std::bit_cast<std::uint64_t>(expected.m[i]))
          << "trial " << trial << " element " << i;
    }
  }
}

TEST(ViewMatrix, InversionStopsOnAZeroPivotOrAColumnChosenTwice) {
  Mat4d zero{};
  EXPECT_FALSE(invertFullPivot(zero));
  // Rows 0 and 1 are dependent; elimination leaves an exact 0 pivot.
  Mat4d rank3;
  rank3.set(1, 2, 0, 0, 2, 4, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  EXPECT_FALSE(invertFullPivot(rank3));
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
  Mat4d m = lookAt({10, 0, 0}, {10, 10, 0}, {1, 0, 0});
  Vec3d position, forward, up, right;
  ASSERT_TRUE(m.getNormalizedViewParams(position, forward, up, right));
  EXPECT_EQ(position, (Vec3d{10, 0, 0}));
  EXPECT_EQ(forward, (Vec3d{0, 1, 0}));
  EXPECT_EQ(up, (Vec3d{1, 0, 0}));
  EXPECT_EQ(right, (Vec3d{0, 0, -1}));
  Vec3d target{10, 10, 0};
  target *= m;
  EXPECT_EQ(target, (Vec3d{0, 0, -10}));

  // A scaled up hint perpendicular to the view, so that the rotation is orthonormal.
  const Vec3d eye{3, -7, 12};
  const Eigen::Vector3d f = (Eigen::Vector3d(-1, 2, 0.5) - toEigen(eye)).normalized();
  const Eigen::Vector3d y = f.cross(Eigen::Vector3d::UnitX()).normalized();
  m = lookAt(eye, {-1, 2, 0.5}, fromEigen(3.0 * y));
  ASSERT_TRUE(m.getNormalizedViewParams(position, forward, up, right));
  expectNear(position, eye, 1e-14);
  expectNear(forward, fromEigen(f), 1e-15);
  expectNear(up, fromEigen(y), 1e-15);
  expectNear(right, fromEigen(f.cross(y).normalized()), 1e-15);
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
  // Looking along the local vertical: no horizon, roll 0.
  EXPECT_EQ(lookAt({0, 0, 10}, {0, 0, 0}, {0, 1, 0}).getRoll(), 0.0);
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
      expectNear(p, p0, 1e-14);
      expectNear(f, f0, 1e-15);
      // The up axis turned by the roll, keeping its side of the horizon.
      EXPECT_NEAR(u.x * u0.x, std::cos(roll), 1e-15);
    }
  }
}
