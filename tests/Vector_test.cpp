#include "Support.h"
#include "math/Vector.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <array>
#include <cmath>
#include <limits>
#include <random>

using namespace orrery;

namespace {

using test::RowMajor4;
using test::toEigen;

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

// Reference sums, left to right as the products document them: results 0..K-1
// of the extended row vector in[] times the N x N matrix m (column sums), or,
// transposed, of m times in[] as a column (row sums).
template <int K, class S, int N>
std::array<S, K> sums(const S (&in)[N], const S *m, bool transposed = false) {
  std::array<S, K> out;
  for (int i = 0; i < K; ++i) {
    out[i] = in[0] * (transposed ? m[i * N] : m[i]);
    for (int k = 1; k < N; ++k) {
      out[i] = out[i] + in[k] * (transposed ? m[i * N + k] : m[k * N + i]);
    }
  }
  return out;
}

template <class V, class S, std::size_t K, class Op>
void expect(V r, std::array<S, K> want, Op op) {
  op(r);
  const S *got = &r.x;
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
  const S in2[2] = {a2.x, a2.y}, in2w[3] = {a2.x, a2.y, w}, in3[3] = {a3.x, a3.y, a3.z};
  const S in3w[4] = {a3.x, a3.y, a3.z, w}, in31[4] = {a3.x, a3.y, a3.z, S(1)};
  const S in4[4] = {a4.x, a4.y, a4.z, a4.w};

  // Each call starts from a copy of the first argument: the in-place forms
  // (*= and a product into itself) read this before writing it.
  expect(a2, sums<2>(in2, m2.m), [&](V2 &r) { r.mul(a2, m2); });
  expect(a2, sums<2>(in2, m2.m), [&](V2 &r) { r *= m2; });
  expect(a2, sums<2>(in2, m2.m, true), [&](V2 &r) { r.mulTranspose(a2, m2); });
  expect(a2, sums<2>(in2w, m3.m), [&](V2 &r) { r.mul(a2, w, m3); });
  expect(a2, sums<2>(in2w, m3.m, true), [&](V2 &r) { r.mulTranspose(a2, w, m3); });
  expect(a3, sums<3>(in3, m3.m), [&](V3 &r) { r.mul(a3, m3); });
  expect(a3, sums<3>(in3, m3.m), [&](V3 &r) { r *= m3; });
  expect(a3, sums<3>(in3, m3.m), [&](V3 &r) { r.mul(r, m3); });
  expect(a3, sums<3>(in3, m3.m, true), [&](V3 &r) { r.mulTranspose(a3, m3); });
  expect(a3, sums<3>(in2w, m3.m), [&](V3 &r) { r.mul(a2, w, m3); });
  expect(a3, sums<3>(in2w, m3.m, true), [&](V3 &r) { r.mulTranspose(a2, w, m3); });
  expect(a3, sums<3>(in3w, m4.m), [&](V3 &r) { r.mul(a3, w, m4); }); // no divide by w
  expect(a3, sums<3>(in3w, m4.m, true), [&](V3 &r) { r.mulTranspose(a3, w, m4); });
  expect(a3, sums<3>(in31, m4.m), [&](V3 &r) { r *= m4; });
  expect(a4, sums<4>(in4, m4.m), [&](V4 &r) { r.mul(a4, m4); });
  expect(a4, sums<4>(in4, m4.m), [&](V4 &r) { r *= m4; });
  expect(a4, sums<4>(in4, m4.m, true), [&](V4 &r) { r.mulTranspose(a4, m4); });
  expect(a4, sums<4>(in3w, m4.m), [&](V4 &r) { r.mul(a3, w, m4); });
  expect(a4, sums<4>(in3w, m4.m, true), [&](V4 &r) { r.mulTranspose(a3, w, m4); });
  // project scales by the reciprocal of w'; dividing by w' rounds differently.
  const std::array<S, 4> h = sums<4>(in31, m4.m);
  const S inv = S(1) / h[3];
  expect(a3, std::array<S, 3>{inv * h[0], inv * h[1], inv * h[2]}, [&](V3 &r) { r.project(m4); });
}

} // namespace

// divideByLength: the golden program, on the zero vector and through the
// quaternions and cameras built on it.

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

TEST(Vector, SettersRowsAndColumnsFollowRowMajorStorageInEverySize) {
  Mat2d m2;
  m2.set(1, 2, 3, 4);
  Mat3f m3;
  m3.set(1, 2, 3, 4, 5, 6, 7, 8, 9);
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
  // 4 x 4 rows and columns: the golden program.
}

// A point taking row 3, a direction (w = 0) not, and the transposed product
// taking column 3: the golden program.
TEST(Vector, ProjectDividesByAZeroWWithoutATest) {
  Mat4d t = Mat4d::identity;
  t.m[15] = 0.0;
  Vec3d q{1, 0, -1};
  q.project(t);
  EXPECT_EQ(q.x, std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(q.y));
}

TEST(Vector, EveryProductSumsInDocumentedOrderBitForBit) {
  std::mt19937_64 rng(11);
  for (int trial = 0; trial < 200; ++trial) {
    checkProductFamily<double, Vec2d, Vec3d, Vec4d, Mat2d, Mat3d, Mat4d>(rng);
    checkProductFamily<float, Vec2f, Vec3f, Vec4f, Mat2f, Mat3f, Mat4f>(rng);
  }
}

// Aliased factors: the linear fuzz harness and the golden program.
TEST(Vector, MatrixProductSumsOverKInOrderAndMatchesEigen) {
  std::mt19937_64 rng(5);
  for (int trial = 0; trial < 300; ++trial) {
    const Mat4d a = randomSpread<Mat4d>(rng);
    const Mat4d b = randomSpread<Mat4d>(rng);
    Mat4d c;
    c.mul(a, b);
    const RowMajor4 eigen = toEigen(a) * toEigen(b);
    const RowMajor4 scale = toEigen(a).cwiseAbs() * toEigen(b).cwiseAbs();
    for (int i = 0; i < 4; ++i) {
      const double row[4] = {a.m[i * 4], a.m[i * 4 + 1], a.m[i * 4 + 2], a.m[i * 4 + 3]};
      const std::array<double, 4> want = sums<4>(row, b.m);
      for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(c.m[i * 4 + j], want[j]) << i << "," << j;
        EXPECT_NEAR(c.m[i * 4 + j], eigen(i, j), 1e-15 * scale(i, j)) << i << "," << j;
      }
    }
  }
}

TEST(Vector, FloatConversionsRoundAndWideningKeepsPositions) {
  Mat4d d = Mat4d::identity;
  d.m[6] = 0.1;
  const Mat4f f(d);
  Mat4f g;
  g = d;
  EXPECT_EQ(g, f);
  Mat4d back; // the widening constructor: the golden program and the linear fuzz harness
  back = f;
  EXPECT_EQ(back.m[6], static_cast<double>(0.1f));
  EXPECT_NE(back.m[6], 0.1);
  Vec3f v;
  v.setDouble(1e-50, 1e40, -1e40);
  EXPECT_EQ(v, (Vec3f{0.0f, INFINITY, -INFINITY}));
}
