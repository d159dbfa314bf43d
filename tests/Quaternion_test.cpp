#include "math/Quaternion.h"

#include "CountingMemory.h"
#include "Support.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <array>
#include <cmath>
#include <random>

using namespace orrery;

namespace {

using Parts = std::array<double, 4>;
Parts parts(const Quatd &q) { return {q.x, q.y, q.z, q.w}; }
Eigen::Quaterniond toEigen(const Quatd &q) { return {q.w, q.x, q.y, q.z}; }
using test::toEigen;
double dist(const Vec3d &a, const Vec3d &b) { return length(a - b); }

Vec3d randomVec(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  return {u(rng), u(rng), u(rng)};
}

// Deliberately not of unit length.
Quatd randomQuat(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  return {u(rng), u(rng), u(rng), u(rng)};
}

Mat4d matrixOf(const Quatd &q) {
  Mat4d m;
  m.fromQuaternion(q);
  return m;
}

Vec3d rotated(Vec3d v, const Quatd &q) {
  v *= matrixOf(q);
  return v;
}

// Angle between two rotations; q and -q are the same rotation.
double rotationDistance(const Quatd &a, const Eigen::Quaterniond &b) {
  const double c = std::fabs(toEigen(a).normalized().dot(b.normalized()));
  return 2.0 * std::acos(std::min(1.0, c));
}

} // namespace

TEST(Quaternion, ProductIsNormalisedHamiltonProductComposingLikeMatrices) {
  std::mt19937_64 rng(1);
  for (int i = 0; i < 200; ++i) {
    const Quatd a = randomQuat(rng);
    const Quatd b = randomQuat(rng);
    Quatd ab = a;
    ab *= b;
    // With the matrices below this means a * b applies a first, then b.
    EXPECT_LT(rotationDistance(ab, toEigen(a) * toEigen(b)), 1e-7);
    // The conjugate cancels exactly.
    EXPECT_EQ(parts(a * Quatd(-a.x, -a.y, -a.z, a.w)), (Parts{0, 0, 0, 1}));
  } // a zero factor: the golden program
}

TEST(Quaternion, MatrixIsEigensConjugateRotationAndConvertsBackUpToSign) {
  // Row vectors: v * M = q^-1 v q, Eigen's column rotation by conj(q), so M
  // is the transpose of Eigen's matrix for conj(q).
  std::mt19937_64 rng(2);
  for (int i = 0; i < 200; ++i) {
    Quatd q = randomQuat(rng);
    const Mat4d m = matrixOf(q);
    const Eigen::Quaterniond e = toEigen(q).normalized();
    const Eigen::Matrix3d r = e.conjugate().toRotationMatrix().transpose();
    for (int k = 0; k < 9; ++k) {
      EXPECT_NEAR(m.m[k / 3 * 4 + k % 3], r(k / 3, k % 3), 1e-15);
    }

    divideByNorm(q);
    Quatd back;
    back.fromMatrix(m);
    EXPECT_GE(back.w, 0.0);
    // The trace formula loses relative accuracy as w^2 gets small.
    const double tol = 1e-15 + 2e-16 / (q.w * q.w);
    const double sign = q.w < 0 ? -1.0 : 1.0;
    EXPECT_NEAR(back.x, sign * q.x, tol);
    EXPECT_NEAR(back.w, sign * q.w, tol);
  }
  Quatd q(5, 5, 5, 5); // the zero quaternion's matrix: the golden program
  q.fromMatrix(Mat4d::identity);
  EXPECT_EQ(parts(q), (Parts{0, 0, 0, 1}));
}

TEST(Quaternion, FromMatrixTakesLargestDiagonalBranchForHalfTurns) {
  const double r3 = 1.0 / std::sqrt(3.0);
  const double r2 = 1.0 / std::sqrt(2.0);
  // Ties go to the lower index, whose component comes out positive: the
  // turns about (1, -1, 0) and (0, 1, -1) give +x and +y, not +y and +z.
  for (const Quatd &t : {Quatd(r3, r3, r3, 0), Quatd(r2, -r2, 0, 0), Quatd(0, r2, -r2, 0)}) {
    Quatd back;
    back.fromMatrix(matrixOf(t));
    EXPECT_LT(dist({back.x, back.y, back.z}, {t.x, t.y, t.z}), 1e-15);
    EXPECT_EQ(back.w, 0.0);
  }
  // Not a rotation: a trace of -2 takes the trace branch and gives NaN.
  Mat4d flip;
  flip.set(-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1);
  Quatd bad;
  bad.fromMatrix(flip);
  EXPECT_TRUE(std::isnan(bad.x) && std::isnan(bad.w));
}

TEST(Quaternion, BuildRotationTakesFromOntoTo) {
  Quatd q; // the bits of a quarter turn: the golden program
  std::mt19937_64 rng(4);
  for (int i = 0; i < 200; ++i) {
    const Vec3d from = randomVec(rng);
    const Vec3d to = randomVec(rng) * 3.0;
    q.buildRotation(from, to);
    EXPECT_LT(dist(rotated(from / length(from), q), to / length(to)), 4e-15);
    // The shortest rotation is unique; Eigen's acts on columns.
    const auto e = Eigen::Quaterniond::FromTwoVectors(toEigen(from), toEigen(to));
    EXPECT_LT(rotationDistance(q, e.conjugate()), 1e-7);
    q.buildRotation(from, from * 2.0);
    EXPECT_EQ(parts(q), (Parts{0, 0, 0, q.w}));
    EXPECT_NEAR(q.w, 1.0, 3e-16);
  }
  // A zero vector: the golden program. Opposite directions: a half turn, w = cos(pi/2) of the
  // system cosine.
  const double cosHalfPi = 6.123233995736766e-17;
  q.buildRotation({0, 1, 0}, {0, -1, 0});
  EXPECT_EQ(parts(q), (Parts{0, 0, -1, cosHalfPi}));
  // Along -x, or +x of any length, the x axis cannot serve; y does.
  q.buildRotation({-2, 0, 0}, {1, 0, 0});
  EXPECT_EQ(parts(q), (Parts{0, 0, -1, cosHalfPi}));
  q.buildRotation({3, 0, 0}, {-1, 0, 0});
  EXPECT_EQ(parts(q), (Parts{0, 0, 1, cosHalfPi}));
}

TEST(Quaternion, BuildRotationOfPairsLandsBothDirections) {
  Quatd q;
  q.buildRotation({1, 2, 3}, {0, 1, 5}, {1, 2, 3}, {0, 1, 5});
  EXPECT_LT(rotationDistance(q, Eigen::Quaterniond::Identity()), 1e-7);
  // The twist goes whichever way round reaches b2.
  q.buildRotation({1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1});
  EXPECT_LT(dist(rotated({0, 1, 0}, q), {0, 0, 1}), 1e-15);
  q.buildRotation({1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1});
  EXPECT_LT(dist(rotated({0, 1, 0}, q), {0, 0, -1}), 1e-15);
  // Perpendicular pairs fix the rotation completely.
  std::mt19937_64 rng(5);
  for (int i = 0; i < 200; ++i) {
    const Vec3d a1 = randomVec(rng);
    const Vec3d b1 = randomVec(rng);
    const Vec3d a2 = cross(a1, randomVec(rng));
    const Vec3d b2 = cross(b1, randomVec(rng)) * 2.0;
    q.buildRotation(a1, a2, b1, b2);
    EXPECT_LT(dist(rotated(a1 / length(a1), q), b1 / length(b1)), 1e-14);
    EXPECT_LT(dist(rotated(a2 / length(a2), q), b2 / length(b2)), 1e-7);
  }
}

TEST(Quaternion, SlerpFollowsEigenWithinTheParabolicSine) {
  std::mt19937_64 rng(6);
  for (int i = 0; i < 200; ++i) {
    const Quatd a = randomQuat(rng);
    const Quatd b = randomQuat(rng);
    const Eigen::Quaterniond ea = toEigen(a).normalized();
    const Eigen::Quaterniond eb = toEigen(b).normalized();
    Quatd r;
    EXPECT_NEAR(r.slerp(a, b, 0.0), 1.0 - std::fabs(ea.dot(eb)), 1e-15);
    // t = 0 is a itself, negated when it points away from b.
    EXPECT_NEAR(r.x, (ea.dot(eb) < 0 ? -1.0 : 1.0) * ea.x(), 1e-15);
    r.slerp(a, b, 1.0);
    EXPECT_NEAR(r.y, eb.y(), 1e-15);
    for (double t : {0.25, 0.5, 0.75}) {
      r.slerp(a, b, t);
      const double err = rotationDistance(r, ea.slerp(t, eb));
      EXPECT_LT(err, t == 0.5 ? 1e-7 : 0.02 * rotationDistance(a, eb));
    }
  }
  // Close inputs use linear weights (the golden program), from a cosine of
  // exactly 0.9999 on, far closer to true slerp than the parabolic sine.
  Quatd r;
  r.slerp(Quatd(0, 0, 0, 1), Quatd(std::sqrt(1 - 0.9999 * 0.9999), 0, 0, 0.9999), 0.25);
  EXPECT_NEAR(r.x, std::sin(0.25 * std::acos(0.9999)), 1e-7);
  // q and -q: both become -q and nothing is left to interpolate.
  const Quatd q(0.1, 0.2, 0.3, 0.9);
  EXPECT_EQ(r.slerp(q, Quatd(-q.x, -q.y, -q.z, -q.w), 0.3), 0.0);
  EXPECT_NEAR(r.w, -0.9 / std::sqrt(0.95), 2e-16);
}

TEST(Quaternion, HeapInstancesUseTheLibraryAllocator) {
  test::CountingMemory memory;
  delete new Quatd(1, 2, 3, 4);
  EXPECT_EQ(memory.allocations, 1);
  EXPECT_EQ(memory.releases, 1);
  memory.failNextAllocation();
  EXPECT_EQ(new Quatd(), nullptr);
}
