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

Vec3d transformPoint(const Vec3d &p, const Mat4d &m) {
  Vec3d r;
  r.mul(p, 1.0, m);
  return r;
}

// The view matrix assembled from its axes: rotation columns r, u, b and the
// translation row -(eye . axis).
RowMajor4 viewFromAxes(const Eigen::Vector3d &eye, const Eigen::Vector3d &target,
                       const Eigen::Vector3d &up) {
  const Eigen::Vector3d b = (eye - target).normalized();
  const Eigen::Vector3d u = up.normalized();
  const Eigen::Vector3d r = u.cross(b).normalized();
  RowMajor4 v = RowMajor4::Identity();
  v.block<3, 1>(0, 0) = r;
  v.block<3, 1>(0, 1) = u;
  v.block<3, 1>(0, 2) = b;
  v(3, 0) = -eye.dot(r);
  v(3, 1) = -eye.dot(u);
  v(3, 2) = -eye.dot(b);
  return v;
}

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
  int count[4] = {0, 0, 0, 0};
  int rows[4];
  int cols[4];
  for (int step = 0; step < 4; ++step) {
    double largest = 0.0;
    int row = 0;
    int col = 0;
    for (int j = 0; j < 4; ++j) {
      if (count[j] == 1) {
        continue;
      }
      for (int k = 0; k < 4; ++k) {
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
      a[col * 4 + e] = a[col * 4 + e] * p;
    }
    for (int l = 0; l < 4; ++l) {
      if (l != col) {
        const double d = a[l * 4 + col];
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

TEST(ViewMatrix, InverseOfWellConditionedMatricesMatchesEigen) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 300; ++trial) {
    Mat4d m;
    for (double &e : m.m) {
      e = u(rng);
    }
    for (int i = 0; i < 4; ++i) {
      m.m[i * 5] += i % 2 == 0 ? 4.0 : -4.0; // diagonally dominant
    }
    const RowMajor4 expected = toEigen(m).inverse();
    Mat4d inv = m;
    ASSERT_TRUE(invertFullPivot(inv));
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(inv.m[i], expected.data()[i], 1e-15) << "element " << i;
    }
  }
}

TEST(ViewMatrix, InversionPivotsOnTheLaterOfEqualMagnitudes) {
  // Step 1 sees 4 and -4 in row 2; taking the later -4 gives these bits, the
  // earlier 4 would give 0x1.5555555555556p-3, -0x1.5555555555555p-4 and -0
  // in row 3.
  Mat4d m;
  m.set(2, 0, 0, 0, 0, 0, 0, -2, 0, 4, -4, 0, 0, -1, -2, 0);
  ASSERT_TRUE(invertFullPivot(m));
  EXPECT_EQ(m.m[6], 0x1.5555555555555p-3);
  EXPECT_EQ(m.m[10], -0x1.5555555555556p-4);
  EXPECT_EQ(m.m[0], 0.5);
  EXPECT_EQ(m.m[13], -0.5);
  EXPECT_EQ(m.m[7], -1.0 / 3);
  EXPECT_FALSE(std::signbit(m.m[12]));
  EXPECT_FALSE(std::signbit(m.m[15]));
}

TEST(ViewMatrix, InversionFollowsTheDocumentedStepsBitForBit) {
  // Small integers give many ties and singular matrices; wide values give
  // roundings that any other order of operations would change.
  std::mt19937_64 rng(21);
  std::uniform_int_distribution<int> small(-2, 2);
  std::uniform_real_distribution<double> wide(-1.0, 1.0);
  for (int trial = 0; trial < 20000; ++trial) {
    Mat4d m;
    for (double &e : m.m) {
      e = trial % 2 == 0 ? small(rng) : std::ldexp(wide(rng), small(rng) * 8);
    }
    Mat4d expected = m;
    const bool ok = referenceInverse(expected.m);
    Mat4d got = m;
    ASSERT_EQ(invertFullPivot(got), ok) << "trial " << trial;
    if (ok) {
      for (int i = 0; i < 16; ++i) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(got.m[i]),
                  std::bit_cast<std::uint64_t>(expected.m[i]))
            << "trial " << trial << " element " << i;
      }
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
  Mat4d id = Mat4d::identity;
  EXPECT_TRUE(invertFullPivot(id));
  EXPECT_EQ(id, Mat4d::identity);
}

TEST(ViewMatrix, LookAtMatchesTheMatrixAssembledFromItsAxes) {
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  for (int trial = 0; trial < 100; ++trial) {
    const Vec3d eye{u(rng), u(rng), u(rng)};
    const Vec3d target{u(rng), u(rng), u(rng)};
    const Vec3d up{u(rng), u(rng), u(rng)}; // generally not perpendicular
    const Mat4d m = lookAt(eye, target, up);
    const RowMajor4 expected = viewFromAxes(toEigen(eye), toEigen(target), toEigen(up));
    for (int i = 0; i < 12; ++i) {
      EXPECT_NEAR(m.m[i], expected.data()[i], 4e-16) << "element " << i;
    }
    for (int i = 12; i < 16; ++i) {
      EXPECT_NEAR(m.m[i], expected.data()[i], 1e-13) << "element " << i;
    }
    // The up column is the normalised hint itself, not recomputed from b and r.
    Vec3d hint = up;
    orrery::divideByLength(hint);
    EXPECT_EQ(m.m[1], hint.x);
    EXPECT_EQ(m.m[5], hint.y);
    EXPECT_EQ(m.m[9], hint.z);
  }
}

TEST(ViewMatrix, LookAtAlongNorthFromTheEquator) {
  const Mat4d m = lookAt({10, 0, 0}, {10, 10, 0}, {1, 0, 0});
  EXPECT_EQ(transformPoint({10, 10, 0}, m), (Vec3d{0, 0, -10}));
  Vec3d position, forward, up, right;
  ASSERT_TRUE(m.getNormalizedViewParams(position, forward, up, right));
  EXPECT_EQ(position, (Vec3d{10, 0, 0}));
  EXPECT_EQ(forward, (Vec3d{0, 1, 0}));
  EXPECT_EQ(up, (Vec3d{1, 0, 0}));
  EXPECT_EQ(right, (Vec3d{0, 0, -1}));
  EXPECT_EQ(m.getRoll(), 0.0);
}

TEST(ViewMatrix, ViewParamsRecoverEyeAndUnitAxes) {
  const Vec3d eye{3, -7, 12};
  const Vec3d target{-1, 2, 0.5};
  const Eigen::Vector3d f = (toEigen(target) - toEigen(eye)).normalized();
  // Up perpendicular to the view, so that the rotation is orthonormal.
  const Eigen::Vector3d upAxis = f.cross(Eigen::Vector3d::UnitX()).normalized() * 3.0;
  const Eigen::Vector3d r = f.cross(upAxis).normalized();
  const Mat4d m = lookAt(eye, target, {upAxis.x(), upAxis.y(), upAxis.z()});
  Vec3d position, forward, up, right;
  ASSERT_TRUE(m.getNormalizedViewParams(position, forward, up, right));
  expectNear(position, eye, 1e-14);
  expectNear(forward, {f.x(), f.y(), f.z()}, 1e-15);
  expectNear(up, {upAxis.x() / 3, upAxis.y() / 3, upAxis.z() / 3}, 1e-15);
  expectNear(right, {r.x(), r.y(), r.z()}, 1e-15);
}

TEST(ViewMatrix, SingularViewsLeaveOutputsAndMatrixUntouched) {
  const Mat4d zero{};
  Vec3d position{1, 2, 3}, forward{4, 5, 6}, up{7, 8, 9}, right{10, 11, 12};
  EXPECT_FALSE(zero.getNormalizedViewParams(position, forward, up, right));
  EXPECT_EQ(position, (Vec3d{1, 2, 3}));
  EXPECT_EQ(forward, (Vec3d{4, 5, 6}));
  EXPECT_EQ(up, (Vec3d{7, 8, 9}));
  EXPECT_EQ(right, (Vec3d{10, 11, 12}));
  EXPECT_EQ(zero.getRoll(), 0.0);
  Mat4d rolled = zero;
  rolled.setRoll(0.4);
  EXPECT_EQ(rolled, zero);

  // eye == target: b and r stay zero.
  const Mat4d degenerate = lookAt({1, 2, 3}, {1, 2, 3}, {0, 1, 0});
  EXPECT_FALSE(degenerate.getNormalizedViewParams(position, forward, up, right));
  EXPECT_EQ(position, (Vec3d{1, 2, 3}));
}

TEST(ViewMatrix, RollIsTheRightAxisElevationAboveTheHorizon) {
  // Up hint tilted by 0.2 rad towards +z at a camera looking north.
  const Mat4d tilted = lookAt({10, 0, 0}, {10, 10, 0}, {std::cos(0.2), 0, std::sin(0.2)});
  EXPECT_NEAR(tilted.getRoll(), 0.2, 1e-15);
  const Mat4d other = lookAt({10, 0, 0}, {10, 10, 0}, {std::cos(0.2), 0, -std::sin(0.2)});
  EXPECT_NEAR(other.getRoll(), -0.2, 1e-15);
  // Looking along the local vertical: no horizon, roll 0.
  EXPECT_EQ(lookAt({0, 0, 10}, {0, 0, 0}, {0, 1, 0}).getRoll(), 0.0);
  EXPECT_EQ(lookAt({0, 0, 10}, {0, 0, 20}, {1, 0, 0}).getRoll(), 0.0);
}

TEST(ViewMatrix, SetRollTurnsAboutTheViewingAxisUprightOrUpsideDown) {
  for (const double hintX : {1.0, -1.0}) { // upright, then upside down
    const Mat4d base = lookAt({10, 0, 0}, {10, 10, 0}, {hintX, 0, 0});
    Vec3d p0, f0, u0, r0;
    ASSERT_TRUE(base.getNormalizedViewParams(p0, f0, u0, r0));
    for (const double roll : {0.3, -0.5, 1.2}) {
      Mat4d m = base;
      m.setRoll(roll);
      EXPECT_NEAR(m.getRoll(), roll, 1e-14) << "hint " << hintX << " roll " << roll;
      Vec3d p, f, u, r;
      ASSERT_TRUE(m.getNormalizedViewParams(p, f, u, r));
      expectNear(p, p0, 1e-14);
      expectNear(f, f0, 1e-15);
      // The up axis turned by the roll, keeping its side of the horizon.
      EXPECT_NEAR(u.x * u0.x, std::cos(roll), 1e-15);
    }
  }
}
