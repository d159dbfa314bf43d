#include "math/Vector.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <cmath>
#include <limits>
#include <random>

using namespace orrery;

namespace {

Mat4d sequenceMatrix() {
  Mat4d m;
  m.set(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  return m;
}

Mat4d translation(double tx, double ty, double tz) {
  Mat4d m = Mat4d::identity;
  m.m[12] = tx;
  m.m[13] = ty;
  m.m[14] = tz;
  return m;
}

Mat4d randomMatrix(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  Mat4d m;
  for (double &e : m.m) {
    e = u(rng);
  }
  return m;
}

using RowMajor4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;

RowMajor4 toEigen(const Mat4d &m) { return Eigen::Map<const RowMajor4>(m.m); }

} // namespace

TEST(Vector, ConstantsAreFilledBeforeAnyCaller) {
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(Mat4d::identity.m[i], i % 5 == 0 ? 1.0 : 0.0);
    EXPECT_EQ(Mat4f::identity.m[i], i % 5 == 0 ? 1.0f : 0.0f);
  }
  EXPECT_EQ(Mat3d::identity.m[4], 1.0);
  EXPECT_EQ(Mat2f::identity.m[1], 0.0f);
  EXPECT_EQ(Vec3d::zero, (Vec3d{0, 0, 0}));
  EXPECT_EQ(Vec4f::zero, (Vec4f{0, 0, 0, 0}));
}

TEST(Vector, RowsAndColumnsFollowRowMajorStorage) {
  const Mat4d m = sequenceMatrix();
  Vec4d v;
  v.getRow(m, 1);
  EXPECT_EQ(v, (Vec4d{5, 6, 7, 8}));
  v.getCol(m, 1);
  EXPECT_EQ(v, (Vec4d{2, 6, 10, 14}));
}

TEST(Vector, PointsTakeTranslationAndDirectionsDoNot) {
  const Mat4d t = translation(1.5, -2.0, 4.0);
  Vec3d p{1, 2, 3};
  p *= t;
  EXPECT_EQ(p, (Vec3d{2.5, 0.0, 7.0}));
  Vec3d d;
  d.mul(Vec3d{1, 2, 3}, 0.0, t);
  EXPECT_EQ(d, (Vec3d{1, 2, 3}));

  // The column convention picks up translation from column 3.
  Mat4d tt = Mat4d::identity;
  tt.m[3] = 1.5;
  tt.m[7] = -2.0;
  tt.m[11] = 4.0;
  Vec3d q;
  q.mulTranspose(Vec3d{1, 2, 3}, 1.0, tt);
  EXPECT_EQ(q, (Vec3d{2.5, 0.0, 7.0}));
}

TEST(Vector, MulWithWeightReturnsPlainSumsWithoutDivide) {
  const Mat4d m = sequenceMatrix();
  Vec3d r;
  r.mul(Vec3d{1, 1, 1}, 2.0, m);
  // Column c: 1*m(0,c) + 1*m(1,c) + 1*m(2,c) + 2*m(3,c).
  EXPECT_EQ(r, (Vec3d{1 + 5 + 9 + 26, 2 + 6 + 10 + 28, 3 + 7 + 11 + 30}));
}

TEST(Vector, ProjectDividesByTheComputedW) {
  Vec3d p{1, 2, 3};
  p.project(Mat4d::identity);
  EXPECT_EQ(p, (Vec3d{1, 2, 3}));
  Mat4d halve = Mat4d::identity;
  halve.m[15] = 2.0;
  p.project(halve);
  EXPECT_EQ(p, (Vec3d{0.5, 1.0, 1.5}));
  // w' = 0: IEEE results, no test.
  Mat4d flat = Mat4d::identity;
  flat.m[15] = 0.0;
  Vec3d q{1, 0, -1};
  q.project(flat);
  EXPECT_EQ(q.x, std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(q.y));
}

TEST(Vector, ProductSumsInRowOrder) {
  // (1e16 + 1) - 1e16 in order loses the 1; any other order keeps it.
  Mat4d m = Mat4d::identity;
  m.m[0] = 1e16;
  m.m[4] = 1.0;
  m.m[8] = -1e16;
  Vec3d v{1, 1, 1};
  v *= m;
  EXPECT_EQ(v.x, 0.0);
}

TEST(Vector, MatrixProductMatchesEigenAndMayAliasEitherFactor) {
  std::mt19937_64 rng(7);
  for (int trial = 0; trial < 50; ++trial) {
    const Mat4d a = randomMatrix(rng);
    const Mat4d b = randomMatrix(rng);
    Mat4d c;
    c.mul(a, b);
    const RowMajor4 expected = toEigen(a) * toEigen(b);
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(c.m[i], expected.data()[i], 1e-14);
    }
    Mat4d first = a;
    first.mul(first, b);
    Mat4d second = b;
    second.mul(a, second);
    EXPECT_EQ(first, c);
    EXPECT_EQ(second, c);
  }
}

TEST(Vector, FloatMatrixConversionRounds) {
  Mat4d d = Mat4d::identity;
  d.m[6] = 0.1;
  const Mat4f f(d);
  const Mat4d back(f);
  EXPECT_EQ(back.m[6], static_cast<double>(0.1f));
  EXPECT_NE(back.m[6], 0.1);
  Mat4f g;
  g = d;
  EXPECT_EQ(g, f);
}

TEST(Vector, SetDoubleRoundsUnderflowAndOverflow) {
  Vec3f v;
  v.setDouble(1e-50, 1e40, -1e40);
  EXPECT_EQ(v.x, 0.0f);
  EXPECT_EQ(v.y, std::numeric_limits<float>::infinity());
  EXPECT_EQ(v.z, -std::numeric_limits<float>::infinity());
}

TEST(Vector, FloatProductsComputeInFloat) {
  Mat3f m = Mat3f::identity;
  m.m[3] = 1e-8f; // lost against 1 in float, kept in double
  Vec3f v{1, 1, 0};
  v *= m;
  EXPECT_EQ(v.x, 1.0f);
}

TEST(Vector, DivideByLengthKeepsZeroVectors) {
  Vec3d z{0, 0, 0};
  EXPECT_EQ(divideByLength(z), 0.0);
  EXPECT_EQ(z, (Vec3d{0, 0, 0}));
  Vec3d v{3, 0, 4};
  EXPECT_EQ(divideByLength(v), 5.0);
  EXPECT_EQ(v, (Vec3d{0.6, 0.0, 0.8}));
}
