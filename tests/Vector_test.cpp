#include "math/Vector.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <array>
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

namespace {

// Reference sums, left to right as the products document them: the extended
// row vector in[] times column c of the N x N matrix m, and row r of m times
// in[] as a column.
template <class S, int N> S columnSum(const S (&in)[N], const S *m, int c) {
  S sum = in[0] * m[c];
  for (int r = 1; r < N; ++r) {
    sum = sum + in[r] * m[r * N + c];
  }
  return sum;
}

template <class S, int N> S rowSum(const S (&in)[N], const S *m, int r) {
  S sum = m[r * N] * in[0];
  for (int c = 1; c < N; ++c) {
    sum = sum + m[r * N + c] * in[c];
  }
  return sum;
}

// Values spread over many binades, so that any other order of summation
// rounds differently.
template <class S> S spread(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> e(-24, 24);
  return static_cast<S>(std::ldexp(u(rng), e(rng)));
}

template <class M> M randomSpread(std::mt19937_64 &rng) {
  M m;
  for (auto &e : m.m) {
    e = spread<typename M::Scalar>(rng);
  }
  return m;
}

// Result columns 0..K-1 of a row-vector product, or rows 0..K-1 of a
// matrix-times-column product.
template <int K, class S, int N> std::array<S, K> columns(const S (&in)[N], const S *m) {
  std::array<S, K> out;
  for (int c = 0; c < K; ++c) {
    out[c] = columnSum(in, m, c);
  }
  return out;
}

template <int K, class S, int N> std::array<S, K> rows(const S (&in)[N], const S *m) {
  std::array<S, K> out;
  for (int r = 0; r < K; ++r) {
    out[r] = rowSum(in, m, r);
  }
  return out;
}

template <class V, class S, std::size_t K>
void expectComponents(const V &v, std::array<S, K> want) {
  const S *got = &v.x;
  for (std::size_t i = 0; i < K; ++i) {
    EXPECT_EQ(got[i], want[i]) << "component " << i;
  }
}

// Every member of the row-vector product family of one precision, each
// checked bit for bit against the documented sums.
template <class S, class V2, class V3, class V4, class M2, class M3, class M4>
void checkProductFamily(std::mt19937_64 &rng) {
  const M2 m2 = randomSpread<M2>(rng);
  const M3 m3 = randomSpread<M3>(rng);
  const M4 m4 = randomSpread<M4>(rng);
  const S w = spread<S>(rng);
  const V2 a2{spread<S>(rng), spread<S>(rng)};
  const V3 a3{spread<S>(rng), spread<S>(rng), spread<S>(rng)};
  const V4 a4{spread<S>(rng), spread<S>(rng), spread<S>(rng), spread<S>(rng)};
  const S in2[2] = {a2.x, a2.y};
  const S in2w[3] = {a2.x, a2.y, w};
  const S in3[3] = {a3.x, a3.y, a3.z};
  const S in3w[4] = {a3.x, a3.y, a3.z, w};
  const S in31[4] = {a3.x, a3.y, a3.z, S(1)};
  const S in4[4] = {a4.x, a4.y, a4.z, a4.w};

  V2 r2;
  r2.mul(a2, m2);
  expectComponents(r2, columns<2>(in2, m2.m));
  r2 = a2;
  r2 *= m2;
  expectComponents(r2, columns<2>(in2, m2.m));
  r2.mulTranspose(a2, m2);
  expectComponents(r2, rows<2>(in2, m2.m));
  r2.mul(a2, w, m3);
  expectComponents(r2, columns<2>(in2w, m3.m));
  r2.mulTranspose(a2, w, m3);
  expectComponents(r2, rows<2>(in2w, m3.m));

  V3 r3;
  r3.mul(a3, m3);
  expectComponents(r3, columns<3>(in3, m3.m));
  r3 = a3;
  r3 *= m3;
  expectComponents(r3, columns<3>(in3, m3.m));
  r3 = a3;
  r3.mul(r3, m3); // the input is this
  expectComponents(r3, columns<3>(in3, m3.m));
  r3.mulTranspose(a3, m3);
  expectComponents(r3, rows<3>(in3, m3.m));
  r3.mul(a2, w, m3);
  expectComponents(r3, columns<3>(in2w, m3.m));
  r3.mulTranspose(a2, w, m3);
  expectComponents(r3, rows<3>(in2w, m3.m));
  r3.mul(a3, w, m4);
  expectComponents(r3, columns<3>(in3w, m4.m));
  r3.mulTranspose(a3, w, m4);
  expectComponents(r3, rows<3>(in3w, m4.m));
  r3 = a3;
  r3 *= m4;
  expectComponents(r3, columns<3>(in31, m4.m));

  // project scales by the reciprocal of w'; dividing by w' rounds differently.
  const std::array<S, 4> h = columns<4>(in31, m4.m);
  const S inv = S(1) / h[3];
  r3 = a3;
  r3.project(m4);
  expectComponents(r3, std::array<S, 3>{inv * h[0], inv * h[1], inv * h[2]});

  V4 r4;
  r4.mul(a4, m4);
  expectComponents(r4, columns<4>(in4, m4.m));
  r4 = a4;
  r4 *= m4;
  expectComponents(r4, columns<4>(in4, m4.m));
  r4.mulTranspose(a4, m4);
  expectComponents(r4, rows<4>(in4, m4.m));
  r4.mul(a3, w, m4);
  expectComponents(r4, columns<4>(in3w, m4.m));
  r4.mulTranspose(a3, w, m4);
  expectComponents(r4, rows<4>(in3w, m4.m));
}

} // namespace

TEST(Vector, EveryProductSumsInDocumentedOrderBitForBit) {
  std::mt19937_64 rng(11);
  for (int trial = 0; trial < 200; ++trial) {
    checkProductFamily<double, Vec2d, Vec3d, Vec4d, Mat2d, Mat3d, Mat4d>(rng);
    checkProductFamily<float, Vec2f, Vec3f, Vec4f, Mat2f, Mat3f, Mat4f>(rng);
  }
}

TEST(Vector, MatrixProductSumsEachElementOverKInOrder) {
  std::mt19937_64 rng(5);
  for (int trial = 0; trial < 500; ++trial) {
    const Mat4d a = randomSpread<Mat4d>(rng);
    const Mat4d b = randomSpread<Mat4d>(rng);
    Mat4d c;
    c.mul(a, b);
    for (int i = 0; i < 4; ++i) {
      const double row[4] = {a.m[i * 4], a.m[i * 4 + 1], a.m[i * 4 + 2], a.m[i * 4 + 3]};
      const std::array<double, 4> want = columns<4>(row, b.m);
      for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(c.m[i * 4 + j], want[j]) << i << "," << j;
      }
    }
    Mat4d same = a;
    same.mul(same, same); // both factors are this
    Mat4d square;
    square.mul(a, a);
    EXPECT_EQ(same, square);
  }
}

TEST(Vector, SettersStoreRowByRowInEverySize) {
  Mat2d m2;
  m2.set(1, 2, 3, 4);
  Mat3f m3;
  m3.set(1, 2, 3, 4, 5, 6, 7, 8, 9);
  Mat4f m4;
  m4.set(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  Vec2d r2;
  r2.getRow(m2, 1);
  EXPECT_EQ(r2, (Vec2d{3, 4}));
  r2.getCol(m2, 1);
  EXPECT_EQ(r2, (Vec2d{2, 4}));
  Vec3f r3;
  r3.getRow(m3, 2);
  EXPECT_EQ(r3, (Vec3f{7, 8, 9}));
  r3.getCol(m3, 0);
  EXPECT_EQ(r3, (Vec3f{1, 4, 7}));
  Vec4f r4;
  r4.getCol(m4, 3);
  EXPECT_EQ(r4, (Vec4f{4, 8, 12, 16}));
  // Widening back keeps every position.
  Mat4d wide;
  wide = m4;
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(wide.m[i], i + 1.0);
  }
}
