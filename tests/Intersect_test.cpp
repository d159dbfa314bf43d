#include "math/Intersect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orrery;

namespace {

Vec3d wide(const Vec3f &v) { return {v.x, v.y, v.z}; }

// Ours never exceeds the best of a dense grid over the triangle, nor falls
// below it by more than the grid spacing; closest is at that distance.
void expectMatchesSampling(const Vec3f &p, const Vec3f &a, const Vec3f &b, const Vec3f &c) {
  Vec3f closest, normal;
  const float got = geometry::PtTriSqrDistance(p, a, b, c, closest, normal);
  const int n = 400;
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; i + j <= n; ++j) {
      const Vec3d q = wide(a) + wide(b - a) * (double(i) / n) + wide(c - a) * (double(j) / n);
      best = std::min(best, dot(q - wide(p), q - wide(p)));
    }
  }
  const double spacing = std::max({length(b - a), length(c - a), length(c - b)}) / n;
  EXPECT_LE(got, best + 2e-5 * (1 + best));
  EXPECT_GE(std::sqrt(double(got)), std::sqrt(best) - spacing);
  EXPECT_NEAR(dot(closest - p, closest - p), got, 1e-4f * (1 + got));
}

} // namespace

// RayPointDistance: against the nearest point of the ray, fuzz-replay.intersect.

TEST(PtTriSqrDistance, MatchesDenseSamplingInEveryRegion) {
  const Vec3f v0{0, 0, 0};
  const Vec3f v1{2, 0, 0};
  const Vec3f v2{0, 3, 0};
  Vec3f closest, normal;
  EXPECT_EQ(geometry::PtTriSqrDistance(Vec3f{0.5f, 0.5f, 2}, v0, v1, v2, closest, normal), 4.0f);
  EXPECT_EQ(normal, (Vec3f{0, 0, 1}));
  EXPECT_EQ(geometry::PtTriSqrDistance(Vec3f{-1, -1, 1}, v0, v1, v2, closest, normal), 3.0f);
  EXPECT_EQ(closest, v0);
  EXPECT_EQ(normal, (Vec3f{0, 0, 0})); // on the edges through v0
  // One point per region: inside, past v1-v2, past v2, past v0-v2, past v0,
  // past v0-v1, past v1. Random triangles are compared with sampling by the
  // intersect fuzz harness (CTest fuzz-replay.intersect).
  for (const Vec3f &p : {Vec3f{0.5f, 0.5f, 1}, Vec3f{2, 2, 1}, Vec3f{-0.5f, 4, 1}, Vec3f{-1, 1, 1},
                         Vec3f{-1, -1, 1}, Vec3f{1, -1, 1}, Vec3f{3, -1, 1}}) {
    expectMatchesSampling(p, v0, v1, v2);
  }
  // Zero area: the longest edge (here v1-v2, v0 lying between) answers.
  EXPECT_EQ(
      geometry::PtTriSqrDistance(Vec3f{-1.5f, 2, 0}, v0, v1, Vec3f{-2, 0, 0}, closest, normal),
      4.0f);
  EXPECT_EQ(closest, (Vec3f{-1.5f, 0, 0}));
  EXPECT_EQ(geometry::PtTriSqrDistance(Vec3f{0, 0, 2}, v0, v0, v0, closest, normal), 4.0f);
}

TEST(PtTriSqrDistance, CollinearVerticesAnswerForTheLongestEdgeWhateverTheRounding) {
  // The products a*c and b*b of these collinear edges differ by rounding
  // alone, which used to send the point into the region of v0.
  const Vec3f p{-10, -10, -10};
  const Vec3f v0{-0x1.8528cap+2f, -10, -10};
  const Vec3f v1{0x1.3f308p+3f, -10, -10};
  Vec3f closest{}, normal{1, 1, 1};
  EXPECT_EQ(geometry::PtTriSqrDistance(p, v0, v1, p, closest, normal), 0.0f);
  EXPECT_EQ(closest, p);
  EXPECT_EQ(normal, Vec3f::zero);
  // A sliver 1e-5 thick answers for its long edge to within its thickness.
  const Vec3f q{2, -9, -10};
  const float sq =
      geometry::PtTriSqrDistance(q, v0, v1, Vec3f{-10, -10 + 1e-5f, -10}, closest, normal);
  EXPECT_NEAR(sq, 1.0f, 1e-4f);
  EXPECT_EQ(normal, Vec3f::zero);
}

TEST(TriangleQueries, EdgesAndVerticesCountButFlatCasesMiss) {
  double z = 0;
  EXPECT_TRUE(Pt2dTriIntersect(Vec2d{2, 2}, Vec3d{0, 0, 1}, Vec3d{0, 4, 9}, Vec3d{4, 0, 5}, z));
  EXPECT_EQ(z, 7.0);
  EXPECT_FALSE(Pt2dTriIntersect(Vec2d{1, 1}, Vec3d{0, 0, 1}, Vec3d{1, 1, 0}, Vec3d{2, 2, 0}, z));
  // On the line through V0 and V1 but beyond V1: w2 is 0, so w0 decides the sign.
  EXPECT_FALSE(Pt2dTriIntersect(Vec2d{6, 0}, Vec3d{0, 0, 1}, Vec3d{4, 0, 5}, Vec3d{0, 4, 9}, z));

  const Vec3d v0{0, 0, 0};
  const Vec3d v1{1, 0, 0};
  const Vec3d v2{0, 1, 0};
  Vec3d hit, bary;
  double t = 0;
  // d of length 2 halves t. Either side, and the float twin: the fuzz harness.
  EXPECT_TRUE(RayTriIntersect(Vec3d{0.25, 0.25, 3}, Vec3d{0, 0, -2}, v0, v1, v2, hit, t, &bary));
  EXPECT_EQ(t, 1.5);
  EXPECT_EQ(bary, (Vec3d{0.5, 0.25, 0.25}));
  // Behind, in the plane, degenerate, NaN; through a vertex hits. Random rays
  // and triangles: the intersect fuzz harness; exact bits: the golden program.
  EXPECT_FALSE(RayTriIntersect(Vec3d{0.25, 0.25, 3}, Vec3d{0, 0, 1}, v0, v1, v2, hit, t, &bary));
  EXPECT_FALSE(RayTriIntersect(Vec3d{-1, 0.25, 0}, Vec3d{1, 0, 0}, v0, v1, v2, hit, t, &bary));
  EXPECT_FALSE(RayTriIntersect(Vec3d{0, 0, 1}, Vec3d{0, 0, -1}, v0, v0, v1, hit, t, &bary));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(RayTriIntersect(Vec3d{nan, 0.25, 1}, Vec3d{0, 0, -1}, v0, v1, v2, hit, t, &bary));
  EXPECT_TRUE(RayTriIntersect(Vec3d{1, 0, 1}, Vec3d{0, 0, -1}, v0, v1, v2, hit, t, &bary));
  EXPECT_EQ(bary, (Vec3d{0, 1, 0}));
}
