#include "math/Intersect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace orrery;

namespace {

template <class V> V randomVec(std::mt19937_64 &rng, double lo, double hi) {
  std::uniform_real_distribution<double> u(lo, hi);
  using S = typename V::Scalar;
  const S x = S(u(rng));
  const S y = S(u(rng));
  return {x, y, S(u(rng))};
}

// Independent reference: Moller-Trumbore in double, no culling.
bool mollerTrumbore(const Vec3d &o, const Vec3d &d, const Vec3d &v0, const Vec3d &v1,
                    const Vec3d &v2, double &t, double &u, double &v) {
  const Vec3d e1 = v1 - v0;
  const Vec3d e2 = v2 - v0;
  const Vec3d pv = cross(d, e2);
  const double det = dot(e1, pv);
  if (std::abs(det) < 1e-12) {
    return false;
  }
  const double inv = 1 / det;
  const Vec3d tv = o - v0;
  u = dot(tv, pv) * inv;
  const Vec3d qv = cross(tv, e1);
  v = dot(d, qv) * inv;
  t = dot(e2, qv) * inv;
  return u >= 0 && v >= 0 && u + v <= 1 && t >= 0;
}

} // namespace

TEST(RayPointDistance, BehindPointsMeasureToTheOrigin) {
  const Vec3d o{1, 1, 1};
  const Vec3d d{0, 0, 1};
  auto [beside, besideBehind] = geometry::RayPointDistance(o, d, Vec3d{4, 5, 1});
  EXPECT_EQ(beside, 5.0);
  EXPECT_FALSE(besideBehind);
  auto [ahead, aheadBehind] = geometry::RayPointDistance(o, d, Vec3d{1, 3, 100});
  EXPECT_EQ(ahead, 2.0);
  EXPECT_FALSE(aheadBehind);
  auto [back, backBehind] = geometry::RayPointDistance(o, d, Vec3d{4, 1, -3});
  EXPECT_EQ(back, 5.0);
  EXPECT_TRUE(backBehind);
}

TEST(PtTriSqrDistance, MatchesDenseSamplingInEveryRegion) {
  const Vec3f v0{0, 0, 0};
  const Vec3f v1{2, 0, 0};
  const Vec3f v2{0, 3, 0};
  Vec3f closest;
  Vec3f normal;
  // Over the inside: the squared height and the unit normal.
  EXPECT_EQ(geometry::PtTriSqrDistance(Vec3f{0.5f, 0.5f, 2}, v0, v1, v2, closest, normal), 4.0f);
  EXPECT_EQ(closest, (Vec3f{0.5f, 0.5f, 0}));
  EXPECT_EQ(normal, (Vec3f{0, 0, 1}));
  // Nearest to v0: the vertex itself and a zero normal.
  EXPECT_EQ(geometry::PtTriSqrDistance(Vec3f{-1, -1, 1}, v0, v1, v2, closest, normal), 3.0f);
  EXPECT_EQ(closest, v0);
  EXPECT_EQ(normal, (Vec3f{0, 0, 0}));
  // Nearest to the inside of edge v1-v2: that point and a unit normal.
  geometry::PtTriSqrDistance(Vec3f{3, 2, 0}, v0, v1, v2, closest, normal);
  EXPECT_NEAR(3 * closest.x + 2 * closest.y, 6, 1e-5);
  EXPECT_NEAR(length(normal), 1.0f, 1e-6f);

  // Random points against random triangles: the closest sample of a dense
  // grid over the triangle bounds ours from above, within the grid spacing.
  std::mt19937_64 rng(17);
  const int n = 400;
  int regions[7] = {0, 0, 0, 0, 0, 0, 0};
  for (int trial = 0; trial < 300; ++trial) {
    const Vec3f a = randomVec<Vec3f>(rng, -1, 1);
    const Vec3f b = randomVec<Vec3f>(rng, -1, 1);
    const Vec3f c = randomVec<Vec3f>(rng, -1, 1);
    const Vec3f p = randomVec<Vec3f>(rng, -2, 2);
    const float got = geometry::PtTriSqrDistance(p, a, b, c, closest, normal);
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= n; ++i) {
      for (int j = 0; i + j <= n; ++j) {
        const double s = double(i) / n;
        const double t = double(j) / n;
        const double q[3] = {a.x + s * (b.x - a.x) + t * (c.x - a.x),
                             a.y + s * (b.y - a.y) + t * (c.y - a.y),
                             a.z + s * (b.z - a.z) + t * (c.z - a.z)};
        const double dx = q[0] - p.x;
        const double dy = q[1] - p.y;
        const double dz = q[2] - p.z;
        best = std::min(best, dx * dx + dy * dy + dz * dz);
      }
    }
    // Grid spacing at most |edge| / n, edges below 3.5.
    const double spacing = 3.5 * 2 / n;
    EXPECT_LE(got, best + 2e-5 * (1 + best)) << trial;
    EXPECT_GE(std::sqrt(double(got)), std::sqrt(best) - spacing) << trial;
    // closest lies on the triangle and at the reported distance.
    const Vec3f off = closest - p;
    EXPECT_NEAR(dot(off, off), got, 1e-4f * (1 + got));

    // Region of the unclamped minimiser, for coverage.
    const Vec3f e0 = b - a;
    const Vec3f e1 = c - a;
    const Vec3f dv = a - p;
    const float aa = dot(e0, e0);
    const float bb = dot(e0, e1);
    const float cc = dot(e1, e1);
    const float dd = dot(e0, dv);
    const float ee = dot(e1, dv);
    const float det = std::abs(aa * cc - bb * bb);
    const float s = bb * ee - cc * dd;
    const float t = bb * dd - aa * ee;
    const int region =
        s + t <= det ? (s < 0 ? (t < 0 ? 4 : 3) : (t < 0 ? 5 : 0)) : (s < 0 ? 2 : (t < 0 ? 6 : 1));
    ++regions[region];
  }
  for (int r = 0; r < 7; ++r) {
    EXPECT_GT(regions[r], 5) << "region " << r;
  }
}

TEST(PtTriSqrDistance, ZeroAreaTriangleAnswersForItsLongestEdge) {
  Vec3f closest;
  Vec3f normal;
  // Collinear, with v0 in the middle: the longest edge is v1-v2.
  const float sq = geometry::PtTriSqrDistance(Vec3f{-1.5f, 2, 0}, Vec3f{0, 0, 0}, Vec3f{1, 0, 0},
                                              Vec3f{-2, 0, 0}, closest, normal);
  EXPECT_EQ(sq, 4.0f);
  EXPECT_EQ(closest, (Vec3f{-1.5f, 0, 0}));
  EXPECT_EQ(normal, (Vec3f{0, 0, 0}));
  // A single point.
  const Vec3f v{1, 2, 3};
  EXPECT_EQ(geometry::PtTriSqrDistance(Vec3f{1, 2, 5}, v, v, v, closest, normal), 4.0f);
  EXPECT_EQ(closest, v);
}

TEST(Pt2dTriIntersect, AgreesWithBarycentricSignsAndInterpolatesZ) {
  const Vec3d v0{0, 0, 1};
  const Vec3d v1{4, 0, 5};
  const Vec3d v2{0, 4, 9};
  double z = 0;
  EXPECT_TRUE(Pt2dTriIntersect(Vec2d{4, 0}, v0, v1, v2, z));
  EXPECT_EQ(z, 5.0);
  EXPECT_TRUE(Pt2dTriIntersect(Vec2d{2, 2}, v0, v2, v1, z)); // edge, other winding
  EXPECT_EQ(z, 7.0);
  EXPECT_FALSE(Pt2dTriIntersect(Vec2d{1, 1}, v0, Vec3d{1, 1, 0}, Vec3d{2, 2, 0}, z));
  EXPECT_FALSE(Pt2dTriIntersect(Vec2d{1, 1}, v0, v0, v0, z));

  std::mt19937_64 rng(23);
  int hits = 0;
  for (int trial = 0; trial < 5000; ++trial) {
    const Vec3d a = randomVec<Vec3d>(rng, -1, 1);
    const Vec3d b = randomVec<Vec3d>(rng, -1, 1);
    const Vec3d c = randomVec<Vec3d>(rng, -1, 1);
    const Vec3d q = randomVec<Vec3d>(rng, -1, 1);
    // Barycentric coordinates by Cramer's rule on the x-y projection.
    const double det = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    const double l1 = ((q.x - a.x) * (c.y - a.y) - (c.x - a.x) * (q.y - a.y)) / det;
    const double l2 = ((b.x - a.x) * (q.y - a.y) - (q.x - a.x) * (b.y - a.y)) / det;
    const double l0 = 1 - l1 - l2;
    if (std::min({std::abs(l0), std::abs(l1), std::abs(l2)}) < 1e-9) {
      continue;
    }
    const bool in = l0 > 0 && l1 > 0 && l2 > 0;
    EXPECT_EQ(Pt2dTriIntersect(Vec2d{q.x, q.y}, a, b, c, z), in) << trial;
    if (in) {
      EXPECT_NEAR(z, l0 * a.z + l1 * b.z + l2 * c.z, 1e-9 / std::abs(det));
      ++hits;
    }
  }
  EXPECT_GT(hits, 200);
}

TEST(RayTriIntersect, AgreesWithMollerTrumboreOnRandomRays) {
  const Vec3d v0{0, 0, 0};
  const Vec3d v1{1, 0, 0};
  const Vec3d v2{0, 1, 0};
  Vec3d hit;
  Vec3d bary;
  double t = 0;
  // Seen from either side; d of length 2 halves t.
  EXPECT_TRUE(RayTriIntersect(Vec3d{0.25, 0.25, 3}, Vec3d{0, 0, -2}, v0, v1, v2, hit, t, &bary));
  EXPECT_EQ(t, 1.5);
  EXPECT_EQ(hit, (Vec3d{0.25, 0.25, 0}));
  EXPECT_EQ(bary, (Vec3d{0.5, 0.25, 0.25}));
  EXPECT_TRUE(RayTriIntersect(Vec3d{0.25, 0.25, -3}, Vec3d{0, 0, 1}, v0, v1, v2, hit, t,
                              static_cast<Vec3d *>(nullptr)));
  EXPECT_EQ(t, 3.0);
  // Behind the origin, in the plane, through a vertex, degenerate, NaN.
  EXPECT_FALSE(RayTriIntersect(Vec3d{0.25, 0.25, 3}, Vec3d{0, 0, 1}, v0, v1, v2, hit, t, &bary));
  EXPECT_FALSE(RayTriIntersect(Vec3d{-1, 0.25, 0}, Vec3d{1, 0, 0}, v0, v1, v2, hit, t, &bary));
  EXPECT_TRUE(RayTriIntersect(Vec3d{1, 0, 1}, Vec3d{0, 0, -1}, v0, v1, v2, hit, t, &bary));
  EXPECT_EQ(bary, (Vec3d{0, 1, 0}));
  EXPECT_FALSE(RayTriIntersect(Vec3d{0, 0, 1}, Vec3d{0, 0, -1}, v0, v0, v1, hit, t, &bary));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(RayTriIntersect(Vec3d{nan, 0.25, 1}, Vec3d{0, 0, -1}, v0, v1, v2, hit, t, &bary));

  std::mt19937_64 rng(29);
  int hits = 0;
  for (int trial = 0; trial < 5000; ++trial) {
    const Vec3d a = randomVec<Vec3d>(rng, -1, 1);
    const Vec3d b = randomVec<Vec3d>(rng, -1, 1);
    const Vec3d c = randomVec<Vec3d>(rng, -1, 1);
    const Vec3d o = randomVec<Vec3d>(rng, -3, 3);
    // Aim near the triangle so that about half the rays hit; a quarter of
    // them point away.
    const Vec3d aim = randomVec<Vec3d>(rng, -0.5, 1.0);
    const Vec3d target = a + (b - a) * aim.x + (c - a) * aim.y;
    const Vec3d d = (target - o) * (trial % 4 == 0 ? -0.5 : 0.5 + aim.z);
    double rt = 0;
    double u = 0;
    double v = 0;
    const bool ref = mollerTrumbore(o, d, a, b, c, rt, u, v);
    // Skip rays grazing an edge or starting next to the plane.
    if (std::min({std::abs(u), std::abs(v), std::abs(1 - u - v), std::abs(rt)}) < 1e-7) {
      continue;
    }
    EXPECT_EQ(RayTriIntersect(o, d, a, b, c, hit, t, &bary), ref) << trial;
    if (ref) {
      ++hits;
      EXPECT_NEAR(t, rt, 1e-9 * (1 + rt));
      EXPECT_NEAR(bary.y, u, 1e-9);
      EXPECT_NEAR(bary.z, v, 1e-9);
      EXPECT_NEAR(hit.x, o.x + rt * d.x, 1e-9);
      // The float twin agrees to float precision.
      Vec3f hf;
      float tf = 0;
      const auto f = [](const Vec3d &x) { return Vec3f{float(x.x), float(x.y), float(x.z)}; };
      if (std::min({u, v, 1 - u - v}) > 1e-3) {
        EXPECT_TRUE(
            RayTriIntersect(f(o), f(d), f(a), f(b), f(c), hf, tf, static_cast<Vec3f *>(nullptr)));
        EXPECT_NEAR(tf, rt, 1e-3 * (1 + rt));
      }
    }
  }
  EXPECT_GT(hits, 500);
}
