#include "CountingMemory.h"
#include "math/BoundingVolume.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

using namespace orrery;

namespace {

using Box = BoundingBox<double, Vec3d>;
using PlaneD = Plane<double, Vec3d, Vec4d>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Vec3d randomPoint(std::mt19937_64 &rng, double scale) {
  std::uniform_real_distribution<double> u(-scale, scale);
  const double x = u(rng);
  const double y = u(rng);
  return {x, y, u(rng)};
}

Box randomBox(std::mt19937_64 &rng) {
  Box b;
  b.build(randomPoint(rng, 1), randomPoint(rng, 1));
  return b;
}

bool within(const Box &b, const Vec3d &p, double m) {
  return b.min.x - m <= p.x && p.x <= b.max.x + m && b.min.y - m <= p.y && p.y <= b.max.y + m &&
         b.min.z - m <= p.z && p.z <= b.max.z + m;
}

// 60 degrees vertical field of view, aspect 1.5, near 1, far 100.
Mat4d knownPerspective() {
  const double f = 1 / std::tan(M_PI / 6);
  Mat4d p;
  p.set(f / 1.5, 0, 0, 0, 0, f, 0, 0, 0, 0, -101.0 / 99, -1, 0, 0, -200.0 / 99, 0);
  return p;
}

} // namespace

TEST(BoundingBox, EmptyBoxIsOutsideAndOnePointBoxHoldsOnlyItsPoint) {
  test::CountingMemory memory;
  Box e;
  EXPECT_EQ(std::bit_cast<std::uint64_t>(e.min.x), 0x7FDFFFFFFFFFFFFFu);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(e.max.z), 0xFFDFFFFFFFFFFFFFu);
  const Box unit(Vec3d{-1, -1, -1}, Vec3d{1, 1, 1});
  for (const IsectResult r : {e.isect(Vec3d{0, 0, 0}), e.isectLatLon(Vec3d{0, 0, 0}),
                              e.isect(Vec3d{-1, 0, 0}, Vec3d{1, 0, 0}), e.isect(unit),
                              unit.isect(e), e.isect(PlaneD(1, 0, 0, 0))}) {
    EXPECT_EQ(r, kIsectOutside);
  }
  double t = -1;
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-5, -5, -5}, Vec3d{1, 1, 1}, e, 100.0, t));
  e.add(Vec3d{1, 2, 3});
  EXPECT_EQ(e.isect(Vec3d{1, 2, 3}), kIsectInside);
  EXPECT_EQ(e.isect(Vec3d{1, 2, std::nextafter(3.0, 4.0)}), kIsectOutside);
  // A NaN added becomes a bound: the box is not empty, planes straddle it.
  e.makeEmpty().add(Vec3d{kNaN, 0, 0});
  EXPECT_EQ(e.isect(PlaneD(1, 0, 0, 0)), kIsectPartial);

  Box b;
  b.build(Vec3d{1, 1, 1}, Vec3d{-1, 0, -1});
  EXPECT_EQ(b.isect(Vec3d{1, 0, -1}), kIsectInside); // closed faces
  EXPECT_EQ(b.isect(Vec3d{0, kNaN, 0}), kIsectOutside);
  EXPECT_EQ(b.isectLatLon(Vec3d{0.5, 0.5, 50}), kIsectInside);
  IBoundingVolume<double, Vec3d> *copy = b.clone();
  EXPECT_EQ(copy->getCenter(), (Vec3d{0, 0.5, 0}));
  delete copy;
  EXPECT_EQ(memory.allocations, 1);
  EXPECT_EQ(memory.live(), 0u);
  memory.failNextAllocation();
  EXPECT_EQ(b.clone(), nullptr);
}

TEST(BoundingBox, SegmentTestMatchesDenseSampling) {
  const Box b(Vec3d{0, 0, 0}, Vec3d{1, 1, 1});
  EXPECT_EQ(b.isect(Vec3d{0.2, 0.2, 0.2}, Vec3d{1, 1, 1}), kIsectInside);
  EXPECT_EQ(b.isect(Vec3d{2, 2, 2}, Vec3d{2, 2, 2}), kIsectOutside);
  // Entering exactly at b does not count, although b itself is inside.
  EXPECT_EQ(b.isect(Vec3d{-1, 0.5, 0.5}, Vec3d{0, 0.5, 0.5}), kIsectOutside);
  // Away from grazing contacts (1e-3 of a face) the answer is what a sampled
  // walk along the segment sees.
  std::mt19937_64 rng(11);
  int seen[3] = {0, 0, 0};
  for (int trial = 0; trial < 800; ++trial) {
    const Box r = randomBox(rng);
    const Vec3d a = randomPoint(rng, 2);
    const Vec3d e = randomPoint(rng, 2);
    bool hitShrunk = false;
    bool hitGrown = false;
    for (int i = 0; i <= 20000; ++i) {
      const Vec3d p = a + (e - a) * (i / 20000.0);
      hitShrunk = hitShrunk || within(r, p, -1e-3);
      hitGrown = hitGrown || within(r, p, 1e-3);
    }
    IsectResult expected = kIsectOutside;
    if (within(r, a, 0)) {
      expected = within(r, e, 0) ? kIsectInside : kIsectPartial;
    } else if (hitShrunk) {
      expected = kIsectPartial;
    } else if (hitGrown) {
      continue;
    }
    ASSERT_EQ(r.isect(a, e), expected) << trial;
    ++seen[expected];
  }
  EXPECT_GT(std::min(seen[1], seen[2]), 50);
}

TEST(BoundingBox, PlaneTestMatchesAllEightCorners) {
  const Box b(Vec3d{0, 0, 0}, Vec3d{1, 2, 3});
  EXPECT_EQ(b.isect(PlaneD(1, 0, 0, 0)), kIsectInside); // touching from the positive side
  EXPECT_EQ(Box(Vec3d{0, 0, 0}, Vec3d{0, 2, 3}).isect(PlaneD(-1, 0, 0, 0)), kIsectInside);
  EXPECT_EQ(b.isect(PlaneD(-1, 0, 0, 0)), kIsectPartial); // positive corner on the plane
  std::mt19937_64 rng(5);
  int seen[3] = {0, 0, 0};
  for (int trial = 0; trial < 2000; ++trial) {
    const Box r = randomBox(rng);
    Vec3d n = randomPoint(rng, 1);
    divideByLength(n);
    const PlaneD plane(n.x, n.y, n.z, std::uniform_real_distribution<double>(-1, 1)(rng));
    int positive = 0;
    for (int c = 0; c < 8; ++c) {
      positive += plane.signedDistance({c & 1 ? r.max.x : r.min.x, c & 2 ? r.max.y : r.min.y,
                                        c & 4 ? r.max.z : r.min.z}) >= 0;
    }
    const IsectResult expected =
        positive == 8 ? kIsectInside : (positive == 0 ? kIsectOutside : kIsectPartial);
    ASSERT_EQ(r.isect(plane), expected) << trial;
    ++seen[expected];
  }
  EXPECT_GT(std::min({seen[0], seen[1], seen[2]}), 100);
}

TEST(BoundingBox, BoxesCrossingTheDateLineOverlapFromEitherSide) {
  const Box crossing(Vec3d{0.9, 0, 0}, Vec3d{1.1, 1, 1});
  const Box world(Vec3d{-1, -0.5, -0.5}, Vec3d{1, 0.5, 0.5});
  const std::pair<Box, IsectResult> cases[] = {
      {Box(Vec3d{-1.0, 0.5, 0.5}, Vec3d{-0.95, 2, 2}), kIsectInside},
      {Box(Vec3d{-0.85, 0.5, 0.5}, Vec3d{-0.5, 2, 2}), kIsectOutside},
      {world, kIsectInside},
      {Box(Vec3d{-1, 1.5, 0}, Vec3d{1, 2, 1}), kIsectOutside},
      {Box(Vec3d{-1.2, 0, 0}, Vec3d{-1.05, 1, 1}), kIsectInside}, // both cross
      {Box(Vec3d{-1.2, 0, 0}, Vec3d{-1.15, 1, 1}), kIsectOutside}};
  for (const auto &[other, expected] : cases) {
    EXPECT_EQ(crossing.isect(other), expected) << other.min.x;
    EXPECT_EQ(other.isect(crossing), expected) << other.min.x;
  }
  Box out;
  Box::intersectDatelineBox(out, crossing, world);
  EXPECT_EQ(out.min, (Vec3d{0.9, 0, 0}));
  EXPECT_EQ(out.max, (Vec3d{1.1, 0.5, 0.5}));
  // Met on both sides: the narrower whole box (other on equal widths); out
  // may alias either input.
  Box dl(Vec3d{0.5, 0, 0}, Vec3d{1.5, 1, 1});
  Box::intersectDatelineBox(dl, dl, Box(Vec3d{-0.6, 0.2, 0.2}, Vec3d{0.6, 0.8, 0.8}));
  EXPECT_EQ(dl.max, (Vec3d{1.5, 1, 1}));
  Box other(Vec3d{-0.5, 0.2, 0.2}, Vec3d{0.5, 0.8, 0.8});
  Box::intersectDatelineBox(other, dl, other);
  EXPECT_EQ(other.min, (Vec3d{-0.5, 0.2, 0.2}));
}

TEST(BoundingBox, EmptyBoxOverlapsNothingNotEvenABoxWithNaNBounds) {
  Box nanBox;
  nanBox.add(Vec3d{kNaN, kNaN, kNaN});
  ASSERT_FALSE(nanBox.isEmpty());
  const Box unit(Vec3d{0, 0, 0}, Vec3d{1, 1, 1});
  const Box inverted(Vec3d{0, 1, 0}, Vec3d{1, 0, 1});
  for (const Box &empty : {Box(), inverted}) {
    EXPECT_EQ(nanBox.isect(empty), kIsectOutside);
    EXPECT_EQ(empty.isect(nanBox), kIsectOutside);
    EXPECT_EQ(unit.isect(empty), kIsectOutside);
  }
  // Also when the NaN box crosses the date line, which wraps the empty box.
  Box crossingNaN(Vec3d{-3.0, kNaN, 0.0}, Vec3d{0.0, kNaN, 1.0});
  const Box emptyCrossing(Vec3d{0.5, 0.0, 0.0}, Vec3d{1.5, -1.0, 0.0});
  EXPECT_EQ(emptyCrossing.isect(crossingNaN), kIsectOutside);
  EXPECT_EQ(crossingNaN.isect(emptyCrossing), kIsectOutside);
  // NaN bounds compare false and are kept: such a box overlaps any other.
  EXPECT_EQ(nanBox.isect(unit), kIsectInside);
  EXPECT_EQ(unit.isect(nanBox), kIsectInside);
}

TEST(RayBoxIntersect, SlabTestBoundariesInBothPrecisions) {
  const Box b(Vec3d{0, 0, 0}, Vec3d{1, 1, 1});
  double t = -1;
  EXPECT_TRUE(RayBoxIntersect(Vec3d{0.5, 0.5, 0.5}, Vec3d{1, 0, 0}, b, 0.0, t) && t == 0.0);
  // t counts in multiples of d; a hit exactly at maxDist is a miss.
  EXPECT_TRUE(RayBoxIntersect(Vec3d{-1, 0.5, 0.5}, Vec3d{2, 0, 0}, b, 10.0, t) && t == 0.5);
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 0.5, 0.5}, Vec3d{2, 0, 0}, b, 0.5, t));
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 0.5, 0.5}, Vec3d{-1, 0, 0}, b, 10.0, t));
  // Components below 0.0001 are parallel: the origin must lie in that slab.
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 1.5, 0.5}, Vec3d{1, -0.99e-4, 0}, b, 1e9, t));
  // 0.0001 itself is not parallel: this ray leaves the y slab before it enters x.
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 0.99995, 0.5}, Vec3d{1, 1e-4, 0}, b, 10.0, t));
  // NaN in a parallel component, of the origin or of the direction: a miss.
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, kNaN, 0.5}, Vec3d{1, 0, 0}, b, 10.0, t));
  EXPECT_FALSE(RayBoxIntersect(Vec3d{0.5, 0.5, -1}, Vec3d{kNaN, 0, 1}, b, 10.0, t));
  const BoundingBox<float, Vec3f> f(Vec3f{0, 0, 0}, Vec3f{1, 1, 1});
  float tf = -1;
  EXPECT_TRUE(RayBoxIntersect(Vec3f{-1, 0.5f, 0.5f}, Vec3f{2, 0, 0}, f, 10.0f, tf) && tf == 0.5f);
  // 0.0001f widened lies just below the double threshold: parallel.
  EXPECT_FALSE(RayBoxIntersect(Vec3f{-1, 1.5f, 0.5f}, Vec3f{1, -0.0001f, 0}, f, 1e9f, tf));
}

TEST(Frustum, KnownPerspectiveGivesPlanesEdgesAndPointClasses) {
  Frustum fr;
  ASSERT_TRUE(fr.build(Mat4d::identity, knownPerspective()));
  EXPECT_EQ(fr.eye, (Vec3d{0, 0, 0}));
  // Side planes pass through the eye; h and v are the half-angle tangents.
  const double h = 1.5 / std::sqrt(3.0);
  const double v = 1 / std::sqrt(3.0);
  const double nh = std::sqrt(1 + h * h);
  const double nv = std::sqrt(1 + v * v);
  const Vec4d expected[6] = {{1 / nh, 0, -h / nh, 0},  {0, -1 / nv, -v / nv, 0},
                             {-1 / nh, 0, -h / nh, 0}, {0, 1 / nv, -v / nv, 0},
                             {0, 0, -1, -1},           {0, 0, 1, 100}};
  for (int i = 0; i < 6; ++i) {
    const Vec4d diff = static_cast<const Vec4d &>(fr.planes[i]) - expected[i];
    EXPECT_LT(length(diff), 1e-12) << i;
  }
  // Unit edges counter-clockwise from the bottom-left corner, away from the eye.
  const Vec3d corner[4] = {{-h, -v, -1}, {h, -v, -1}, {h, v, -1}, {-h, v, -1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_LT(length(fr.edges[i] - corner[i] / length(corner[i])), 1e-12) << i;
  }
  // Random points are classified against Eigen's clip space below; a NaN
  // distance leaves the one-point box straddling every plane.
  EXPECT_FALSE(fr.isPtInside(Vec3d{0, kNaN, -10}));
  EXPECT_TRUE(fr.isZCulled(Vec3d{0, kNaN, -10}));

  // Zero distance is inside; the z test consults only planes 4 and 5.
  fr.count = 1;
  fr.planes[0].set(0, 0, 1, 0);
  EXPECT_TRUE(fr.isPtInside(Vec3d{7, 7, 0}));
  EXPECT_FALSE(fr.isPtInside(Vec3d{7, 7, -1e-300}) || fr.isZCulled(Vec3d{7, 7, -1e-300}));
  // Beyond the empty-box bounds the one-point box is no longer a point:
  // for x = 1e308 it spans x from 8.99e307 up, across x = 9.5e307.
  fr.planes[0].set(1, 0, 0, -9.5e307);
  EXPECT_FALSE(fr.isPtInside(Vec3d{1e308, 0, 0}));
}

TEST(Frustum, FailedBuildLeavesNoPlanesInUse) {
  Frustum fr;
  Mat4d view = Mat4d::identity;
  view.m[12] = -3;
  view.m[14] = -5;
  ASSERT_TRUE(fr.build(view, knownPerspective()));
  EXPECT_DOUBLE_EQ(fr.eye.x, 3);
  EXPECT_DOUBLE_EQ(fr.eye.z, 5);
  Mat4d zero;
  zero.set(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_FALSE(fr.build(view, zero));
  EXPECT_EQ(fr.count, 0);
  EXPECT_TRUE(fr.isPtInside(Vec3d{1e300, 0, 0}));
  EXPECT_FALSE(fr.isZCulled(Vec3d{0, 0, 1e300}));
  EXPECT_FALSE(fr.build(zero, knownPerspective()));
  Mat4d atInfinity = Mat4d::identity; // its inverse sends x = -1 to w = 0
  atInfinity.m[3] = -1;
  EXPECT_FALSE(fr.build(Mat4d::identity, atInfinity));
}

TEST(Frustum, ClassifiesRandomPointsLikeEigenClipSpace) {
  std::srand(3);
  int inside = 0;
  for (int view = 0; view < 20; ++view) {
    // Look-at and perspective in Eigen's column convention; ours transpose.
    const Eigen::Vector3d eye = Eigen::Vector3d::Random() * 50;
    const Eigen::Vector3d f = (Eigen::Vector3d::Random() * 50 - eye).normalized();
    const Eigen::Vector3d s = f.cross(Eigen::Vector3d::UnitY()).normalized();
    Eigen::Matrix4d v = Eigen::Matrix4d::Identity();
    v.block<3, 3>(0, 0) << s.transpose(), s.cross(f).transpose(), -f.transpose();
    v.block<3, 1>(0, 3) = -v.block<3, 3>(0, 0) * eye;
    const double cot = 1 / std::tan(0.2 + view * 0.05);
    Eigen::Matrix4d p = Eigen::Matrix4d::Zero();
    p.diagonal() << cot / (1 + view * 0.05), cot, -200.5 / 199.5, 0;
    p(2, 3) = -200 / 199.5;
    p(3, 2) = -1;
    Mat4d ours[2];
    Eigen::Map<Eigen::Matrix<double, 4, 4, Eigen::RowMajor>>(ours[0].m) = v.transpose();
    Eigen::Map<Eigen::Matrix<double, 4, 4, Eigen::RowMajor>>(ours[1].m) = p.transpose();
    Frustum fr;
    ASSERT_TRUE(fr.build(ours[0], ours[1]));
    for (int k = 0; k < 500; ++k) {
      const Eigen::Vector3d q = eye + Eigen::Vector3d::Random() * 150;
      const Eigen::Vector4d c = p * v * q.homogeneous();
      const double side = c.w() - std::max(std::abs(c.x()), std::abs(c.y()));
      const double depth = c.w() - std::abs(c.z());
      if (std::min(std::abs(side), std::abs(depth)) < 1e-6 * std::abs(c.w())) {
        continue; // too close to a face to call
      }
      const Vec3d pt{q.x(), q.y(), q.z()};
      ASSERT_EQ(fr.isPtInside(pt), side > 0 && depth > 0) << view << " " << k;
      ASSERT_EQ(fr.isZCulled(pt), depth < 0) << view << " " << k;
      inside += side > 0 && depth > 0;
    }
  }
  EXPECT_GT(inside, 200);
}
