#include "math/Quaternion.h"

#include "CountingMemory.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>
#include <limits>
#include <random>

using namespace orrery;

namespace {

using RowMajor4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;

Eigen::Quaterniond toEigen(const Quatd &q) { return {q.w, q.x, q.y, q.z}; }
Eigen::Vector3d toEigen(const Vec3d &v) { return {v.x, v.y, v.z}; }

Vec3d randomVec(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  return {u(rng), u(rng), u(rng)};
}

// A random quaternion, deliberately not of unit length.
Quatd randomQuat(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  return {u(rng), u(rng), u(rng), u(rng)};
}

Mat4d matrixOf(const Quatd &q) {
  Mat4d m;
  m.fromQuaternion(q);
  return m;
}

Vec3d rotated(const Vec3d &v, const Quatd &q) {
  Vec3d r = v;
  r *= matrixOf(q);
  return r;
}

// Angle between the rotations of a and b; q and -q count as equal.
double rotationDistance(const Quatd &a, const Quatd &b) {
  return 2.0 *
         std::acos(std::min(1.0, std::fabs(toEigen(a).normalized().dot(toEigen(b).normalized()))));
}

void expectNear(const Vec3d &a, const Vec3d &b, double tol) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

void expectQuat(const Quatd &q, double x, double y, double z, double w) {
  EXPECT_EQ(q.x, x);
  EXPECT_EQ(q.y, y);
  EXPECT_EQ(q.z, z);
  EXPECT_EQ(q.w, w);
}

} // namespace

TEST(Quaternion, ProductIsNormalisedHamiltonProductComposingLikeMatrices) {
  std::mt19937_64 rng(1);
  for (int i = 0; i < 200; ++i) {
    const Quatd a = randomQuat(rng);
    const Quatd b = randomQuat(rng);
    const Quatd ab = a * b;
    const Eigen::Quaterniond ref = (toEigen(a) * toEigen(b)).normalized();
    EXPECT_NEAR(ab.x, ref.x(), 1e-15);
    EXPECT_NEAR(ab.w, ref.w(), 1e-15);
    // a * b applies a first, then b.
    Mat4d composed;
    composed.mul(matrixOf(a), matrixOf(b));
    const Mat4d direct = matrixOf(ab);
    for (int k = 0; k < 16; ++k) {
      EXPECT_NEAR(direct.m[k], composed.m[k], 4e-15);
    }
    Quatd inPlace = a;
    inPlace *= b;
    expectQuat(inPlace, ab.x, ab.y, ab.z, ab.w);
    // The conjugate cancels exactly.
    expectQuat(a * Quatd(-a.x, -a.y, -a.z, a.w), 0.0, 0.0, 0.0, 1.0);
  }
  Quatd self(1.0, 2.0, 3.0, 4.0);
  const Quatd squared = self * self;
  self *= self;
  expectQuat(self, squared.x, squared.y, squared.z, squared.w);
  // A zero quaternion passes unnormalised.
  expectQuat(Quatd(1, 2, 3, 4) * Quatd(0, 0, 0, 0), 0.0, 0.0, 0.0, 0.0);
}

TEST(Quaternion, MatrixIsEigensRotationOfTheConjugateTransposed) {
  // Row vectors: v * M = q^-1 v q, Eigen's column rotation by conj(q), so M
  // is the transpose of Eigen's matrix for conj(q), i.e. Eigen's matrix of q.
  std::mt19937_64 rng(2);
  for (int i = 0; i < 200; ++i) {
    const Quatd q = randomQuat(rng);
    const Mat4d m = matrixOf(q);
    const Eigen::Quaterniond e = toEigen(q).normalized();
    const Eigen::Matrix3d r = e.conjugate().toRotationMatrix().transpose();
    const Eigen::Matrix3d ours = Eigen::Map<const RowMajor4>(m.m).topLeftCorner<3, 3>();
    EXPECT_LT((ours - r).cwiseAbs().maxCoeff(), 1e-15);
    const Vec3d v = randomVec(rng);
    const Eigen::Vector3d ev = e.conjugate() * toEigen(v);
    expectNear(rotated(v, q), {ev.x(), ev.y(), ev.z()}, 1e-15);
    EXPECT_EQ(m.m[3], 0.0);
    EXPECT_EQ(m.m[12], 0.0);
    EXPECT_EQ(m.m[15], 1.0);
  }
  EXPECT_EQ(matrixOf(Quatd(0, 0, 0, 0)), Mat4d::identity);
  EXPECT_EQ(matrixOf(Quatd(0, 0, 0, 7)), Mat4d::identity);
}

TEST(Quaternion, FromMatrixRecoversQuaternionUpToSign) {
  std::mt19937_64 rng(3);
  for (int i = 0; i < 200; ++i) {
    Quatd q = randomQuat(rng);
    divideByNorm(q);
    Quatd back;
    back.fromMatrix(matrixOf(q));
    EXPECT_GE(back.w, 0.0);
    // The trace formula loses relative accuracy as w^2 gets small.
    const double tol = 1e-15 + 2e-16 / (q.w * q.w);
    const double sign = q.w < 0 ? -1.0 : 1.0;
    EXPECT_NEAR(back.x, sign * q.x, tol);
    EXPECT_NEAR(back.y, sign * q.y, tol);
    EXPECT_NEAR(back.w, sign * q.w, tol);
  }
  Quatd q(5, 5, 5, 5);
  q.fromMatrix(Mat4d::identity);
  expectQuat(q, 0.0, 0.0, 0.0, 1.0);
}

TEST(Quaternion, FromMatrixTakesLargestDiagonalBranchForHalfTurns) {
  const double r3 = 1.0 / std::sqrt(3.0);
  const double r2 = 1.0 / std::sqrt(2.0);
  // Equal diagonals tie to the lower index, whose component comes out
  // positive: (0, 1, -1) gives +y, not +z.
  const Quatd turns[] = {{r3, r3, r3, 0}, {r2, r2, 0, 0}, {0, r2, -r2, 0}, {0, 0, 1, 0}};
  for (const Quatd &t : turns) {
    Quatd back;
    back.fromMatrix(matrixOf(t));
    EXPECT_NEAR(back.x, t.x, 1e-15);
    EXPECT_NEAR(back.y, t.y, 1e-15);
    EXPECT_NEAR(back.z, t.z, 1e-15);
    EXPECT_EQ(back.w, 0.0);
  }
  // Not a rotation: a trace of -2 takes the trace branch and gives NaN.
  Mat4d flip = Mat4d::identity;
  flip.m[0] = flip.m[5] = flip.m[10] = -1.0;
  Quatd bad;
  bad.fromMatrix(flip);
  EXPECT_TRUE(std::isnan(bad.x) && std::isnan(bad.w));
}

TEST(Quaternion, BuildRotationTakesFromOntoTo) {
  Quatd q;
  q.buildRotation({1, 0, 0}, {0, 1, 0});
  expectQuat(q, 0.0, 0.0, -0.7071067811865475, 0.7071067811865476);
  expectNear(rotated({1, 0, 0}, q), {0, 1, 0}, 3e-16);

  std::mt19937_64 rng(4);
  for (int i = 0; i < 200; ++i) {
    const Vec3d from = randomVec(rng);
    const Vec3d to = randomVec(rng) * 3.0;
    q.buildRotation(from, to);
    expectNear(rotated(from / length(from), q), to / length(to), 4e-15);
    // The shortest rotation is unique; Eigen's acts on columns.
    const Eigen::Quaterniond e =
        Eigen::Quaterniond::FromTwoVectors(toEigen(from), toEigen(to)).conjugate();
    EXPECT_LT(rotationDistance(q, {e.x(), e.y(), e.z(), e.w()}), 1e-7);
    q.buildRotation(from, from * 2.0);
    expectQuat(q, 0.0, 0.0, 0.0, q.w);
    EXPECT_NEAR(q.w, 1.0, 3e-16);
  }
  q.buildRotation({0, 0, 0}, {1, 2, 3});
  expectQuat(q, 0.0, 0.0, 0.0, 1.0);
  q.buildRotation({1, 2, 3}, {0, 0, 0});
  expectQuat(q, 0.0, 0.0, 0.0, 1.0);
}

TEST(Quaternion, BuildRotationOfOppositeDirectionsIsAHalfTurn) {
  const double cosHalfPi = 6.123233995736766e-17;
  Quatd q;
  q.buildRotation({0, 1, 0}, {0, -1, 0});
  expectQuat(q, 0.0, 0.0, -1.0, cosHalfPi);
  // Along -x or along +x with any length the x axis cannot serve; y does.
  q.buildRotation({-2, 0, 0}, {1, 0, 0});
  expectQuat(q, 0.0, 0.0, -1.0, cosHalfPi);
  q.buildRotation({3, 0, 0}, {-1, 0, 0});
  expectQuat(q, 0.0, 0.0, 1.0, cosHalfPi);
  expectNear(rotated({1, 0, 0}, q), {-1, 0, 0}, 1e-15);
  q.buildRotation({1, 2, 3}, {-2, -4, -6});
  expectNear(rotated({1, 2, 3}, q), {-1, -2, -3}, 4e-15);
}

TEST(Quaternion, BuildRotationOfPairsLandsBothDirections) {
  Quatd q;
  q.buildRotation({1, 2, 3}, {0, 1, 5}, {1, 2, 3}, {0, 1, 5});
  EXPECT_LT(rotationDistance(q, Quatd()), 1e-7);
  // The twist goes whichever way round the first direction reaches b2.
  q.buildRotation({1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1});
  expectNear(rotated({0, 1, 0}, q), {0, 0, 1}, 1e-15);
  q.buildRotation({1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1});
  expectNear(rotated({0, 1, 0}, q), {0, 0, -1}, 1e-15);

  // Perpendicular pairs fix the rotation completely.
  std::mt19937_64 rng(5);
  for (int i = 0; i < 200; ++i) {
    const Vec3d a1 = randomVec(rng);
    const Vec3d b1 = randomVec(rng);
    const Vec3d a2 = cross(a1, randomVec(rng));
    const Vec3d b2 = cross(b1, randomVec(rng)) * 2.0;
    q.buildRotation(a1, a2, b1, b2);
    expectNear(rotated(a1 / length(a1), q), b1 / length(b1), 1e-14);
    expectNear(rotated(a2 / length(a2), q), b2 / length(b2), 1e-7);
  }
  // Zero inputs stay zero instead of spreading NaN.
  q.buildRotation({0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1});
  EXPECT_FALSE(std::isnan(q.x + q.y + q.z + q.w));
}

TEST(Quaternion, SlerpFollowsEigenWithinTheParabolicSine) {
  std::mt19937_64 rng(6);
  for (int i = 0; i < 200; ++i) {
    const Quatd a = randomQuat(rng);
    const Quatd b = randomQuat(rng);
    const Eigen::Quaterniond ea = toEigen(a).normalized();
    const Eigen::Quaterniond eb = toEigen(b).normalized();
    const double c = ea.dot(eb);
    Quatd r;
    EXPECT_NEAR(r.slerp(a, b, 0.0), 1.0 - std::fabs(c), 1e-15);
    // t = 0 is a itself, negated when it points away from b.
    const double flip = c < 0 ? -1.0 : 1.0;
    EXPECT_NEAR(r.x, flip * ea.x(), 1e-15);
    EXPECT_NEAR(r.w, flip * ea.w(), 1e-15);
    r.slerp(a, b, 1.0);
    EXPECT_NEAR(r.y, eb.y(), 1e-15);
    EXPECT_NEAR(r.w, eb.w(), 1e-15);
    const double angle = rotationDistance(a, b);
    for (double t : {0.25, 0.5, 0.75}) {
      r.slerp(a, b, t);
      const Eigen::Quaterniond e = ea.slerp(t, eb);
      const double err = rotationDistance(r, {e.x(), e.y(), e.z(), e.w()});
      EXPECT_LT(err, t == 0.5 ? 1e-7 : 0.02 * angle);
    }
  }
  // Inputs 0.02 rad apart (c > 0.9999) use linear weights, far closer to
  // true slerp than the parabolic sine would be.
  Quatd a(0, 0, 0, 1);
  Quatd b(std::sin(0.01), 0, 0, std::cos(0.01));
  Quatd r;
  r.slerp(a, b, 0.25);
  EXPECT_NEAR(r.x, std::sin(0.0025), 1e-7);
  // q and -q: both become -q and nothing is left to interpolate.
  const Quatd q(0.1, 0.2, 0.3, 0.9);
  const double n = std::sqrt(0.95);
  EXPECT_EQ(r.slerp(q, Quatd(-q.x, -q.y, -q.z, -q.w), 0.3), 0.0);
  EXPECT_NEAR(r.x, -0.1 / n, 2e-16);
  EXPECT_NEAR(r.w, -0.9 / n, 2e-16);
  EXPECT_EQ(r.slerp(q, q, 0.7), 0.0);
}

TEST(Quaternion, HeapInstancesUseTheLibraryAllocator) {
  test::CountingMemory memory;
  Quatd *q = new Quatd(1, 2, 3, 4);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->z, 3.0);
  delete q;
  EXPECT_EQ(memory.allocations, 1);
  EXPECT_EQ(memory.releases, 1);
  EXPECT_EQ(memory.foreignReleases, 0);
  // An exhausted heap yields null instead of throwing.
  memory.failNextAllocation();
  EXPECT_EQ(new Quatd(), nullptr);
}
