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

Box box(Vec3d lo, Vec3d hi) { return Box(lo, hi); }

Vec3d randomPoint(std::mt19937_64 &rng, double lo, double hi) {
  std::uniform_real_distribution<double> u(lo, hi);
  const double x = u(rng);
  const double y = u(rng);
  return {x, y, u(rng)};
}

Box randomBox(std::mt19937_64 &rng) {
  Box b;
  b.build(randomPoint(rng, -1, 1), randomPoint(rng, -1, 1));
  return b;
}

bool inside(const Box &b, const Vec3d &p, double margin) {
  return b.min.x - margin <= p.x && p.x <= b.max.x + margin && b.min.y - margin <= p.y &&
         p.y <= b.max.y + margin && b.min.z - margin <= p.z && p.z <= b.max.z + margin;
}

// Eigen works with column vectors; our matrices act on row vectors, so the
// stored row-major matrix is the transpose of Eigen's.
using ColMajor4 = Eigen::Matrix4d;
Mat4d fromEigen(const ColMajor4 &m) {
  Mat4d r;
  Eigen::Map<Eigen::Matrix<double, 4, 4, Eigen::RowMajor>>(r.m) = m.transpose();
  return r;
}

ColMajor4 eigenLookAt(const Eigen::Vector3d &eye, const Eigen::Vector3d &target,
                      const Eigen::Vector3d &up) {
  const Eigen::Vector3d f = (target - eye).normalized();
  const Eigen::Vector3d s = f.cross(up).normalized();
  const Eigen::Vector3d u = s.cross(f);
  ColMajor4 m = ColMajor4::Identity();
  m.block<1, 3>(0, 0) = s.transpose();
  m.block<1, 3>(1, 0) = u.transpose();
  m.block<1, 3>(2, 0) = -f.transpose();
  m(0, 3) = -s.dot(eye);
  m(1, 3) = -u.dot(eye);
  m(2, 3) = f.dot(eye);
  return m;
}

ColMajor4 eigenPerspective(double fovY, double aspect, double n, double f) {
  const double t = 1.0 / std::tan(fovY / 2);
  ColMajor4 m = ColMajor4::Zero();
  m(0, 0) = t / aspect;
  m(1, 1) = t;
  m(2, 2) = (n + f) / (n - f);
  m(2, 3) = 2 * n * f / (n - f);
  m(3, 2) = -1;
  return m;
}

// The frustum of the usage notes: identity view, 60 degrees vertical field
// of view, aspect 1.5, near 1, far 100.
Mat4d knownPerspective() {
  const double n = 1;
  const double F = 100;
  const double f = 1 / std::tan(M_PI / 6);
  Mat4d p;
  p.set(f / 1.5, 0, 0, 0, 0, f, 0, 0, 0, 0, (n + F) / (n - F), -1, 0, 0, 2 * n * F / (n - F), 0);
  return p;
}

} // namespace

TEST(BoundingBox, CanonicalEmptyBoxAnswersOutsideEverywhere) {
  const Box e;
  EXPECT_EQ(std::bit_cast<std::uint64_t>(e.min.x), 0x7FDFFFFFFFFFFFFFu);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(e.max.z), 0xFFDFFFFFFFFFFFFFu);
  EXPECT_TRUE(e.isEmpty());
  EXPECT_EQ(e.isect(Vec3d{0, 0, 0}), kIsectOutside);
  EXPECT_EQ(e.isectLatLon(Vec3d{0, 0, 0}), kIsectOutside);
  EXPECT_EQ(e.isect(Vec3d{-1, 0, 0}, Vec3d{1, 0, 0}), kIsectOutside);
  EXPECT_EQ(e.isect(box({-1, -1, -1}, {1, 1, 1})), kIsectOutside);
  EXPECT_EQ(box({-1, -1, -1}, {1, 1, 1}).isect(e), kIsectOutside);
  EXPECT_EQ(e.isect(PlaneD(1, 0, 0, 0)), kIsectOutside);
  EXPECT_EQ(e.getCenter(), (Vec3d{0, 0, 0}));
  double t = -1;
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-5, -5, -5}, Vec3d{1, 1, 1}, e, 100.0, t));

  // One added point makes a degenerate box holding exactly that point.
  Box one;
  one.add(Vec3d{1, 2, 3});
  EXPECT_FALSE(one.isEmpty());
  EXPECT_EQ(one.isect(Vec3d{1, 2, 3}), kIsectInside);
  EXPECT_EQ(one.isect(Vec3d{1, 2, std::nextafter(3.0, 4.0)}), kIsectOutside);
  // Emptiness is strict per axis.
  EXPECT_TRUE(box({0, 0, 1}, {1, 1, 0.5}).isEmpty());
  Box reset = box({0, 0, 0}, {1, 1, 1});
  EXPECT_EQ(&reset.makeEmpty(), &reset);
  EXPECT_TRUE(reset.isEmpty());
}

TEST(BoundingBox, PointTestIsClosedAndLatLonIgnoresZ) {
  Box b;
  b.build(Vec3d{1, 1, 1}, Vec3d{-1, 0, -1});
  EXPECT_EQ(b.min, (Vec3d{-1, 0, -1}));
  EXPECT_EQ(b.max, (Vec3d{1, 1, 1}));
  EXPECT_EQ(b.getCenter(), (Vec3d{0, 0.5, 0}));
  EXPECT_EQ(b.isect(Vec3d{1, 0, -1}), kIsectInside);
  EXPECT_EQ(b.isect(Vec3d{std::nextafter(1.0, 2.0), 0.5, 0}), kIsectOutside);
  EXPECT_EQ(b.isect(Vec3d{0, kNaN, 0}), kIsectOutside);
  EXPECT_EQ(b.isectLatLon(Vec3d{0.5, 0.5, 50}), kIsectInside);
  EXPECT_EQ(b.isect(Vec3d{0.5, 0.5, 50}), kIsectOutside);
  EXPECT_EQ(b.isectLatLon(Vec3d{0.5, 1.5, 0}), kIsectOutside);

  // A NaN added to a box becomes a bound: the box is then not empty.
  Box n;
  n.add(Vec3d{kNaN, 0, 0});
  EXPECT_FALSE(n.isEmpty());
  EXPECT_EQ(n.isect(PlaneD(1, 0, 0, 0)), kIsectPartial);
}

TEST(BoundingBox, CloneAllocatesThroughDoNewAndReturnsNullWhenItFails) {
  test::CountingMemory memory;
  const Box b = box({0, 1, 2}, {3, 4, 5});
  IBoundingVolume<double, Vec3d> *c = b.clone();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(memory.allocations, 1);
  EXPECT_EQ(c->getCenter(), (Vec3d{1.5, 2.5, 3.5}));
  EXPECT_EQ(c->isect(b), kIsectInside);
  delete c;
  EXPECT_EQ(memory.releases, 1);
  EXPECT_EQ(memory.live(), 0u);
  memory.failNextAllocation();
  EXPECT_EQ(b.clone(), nullptr);
  EXPECT_EQ(memory.foreignReleases, 0);
}

TEST(BoundingBox, SegmentTestMatchesDenseSampling) {
  const Box b = box({0, 0, 0}, {1, 1, 1});
  EXPECT_EQ(b.isect(Vec3d{0.2, 0.2, 0.2}, Vec3d{1, 1, 1}), kIsectInside);
  EXPECT_EQ(b.isect(Vec3d{0.5, 0.5, 0.5}, Vec3d{3, 0.5, 0.5}), kIsectPartial);
  EXPECT_EQ(b.isect(Vec3d{-1, 2, 0.5}, Vec3d{2, 2, 0.5}), kIsectOutside);
  EXPECT_EQ(b.isect(Vec3d{2, 2, 2}, Vec3d{2, 2, 2}), kIsectOutside);
  // Entering exactly at b does not count, although b itself is inside.
  EXPECT_EQ(b.isect(Vec3d{-1, 0.5, 0.5}, Vec3d{0, 0.5, 0.5}), kIsectOutside);
  EXPECT_EQ(b.isect(Vec3d{-1, 0.5, 0.5}, Vec3d{0.01, 0.5, 0.5}), kIsectPartial);
  EXPECT_EQ(b.isect(Vec3d{kNaN, 0.5, 0.5}, Vec3d{0.5, 0.5, 0.5}), kIsectOutside);

  // Away from grazing contacts (hits within a margin of 1e-3 of the faces
  // are skipped) the answer is what a sampled walk along the segment sees.
  std::mt19937_64 rng(11);
  int partial = 0;
  int outside = 0;
  for (int trial = 0; trial < 1000; ++trial) {
    const Box r = randomBox(rng);
    const Vec3d a = randomPoint(rng, -2, 2);
    const Vec3d e = randomPoint(rng, -2, 2);
    const bool aIn = r.isect(a) == kIsectInside;
    const bool eIn = r.isect(e) == kIsectInside;
    bool hitShrunk = false;
    bool hitGrown = false;
    for (int i = 0; i <= 20000; ++i) {
      const Vec3d p = a + (e - a) * (i / 20000.0);
      hitShrunk = hitShrunk || inside(r, p, -1e-3);
      hitGrown = hitGrown || inside(r, p, 1e-3);
    }
    const IsectResult got = r.isect(a, e);
    if (aIn && eIn) {
      EXPECT_EQ(got, kIsectInside);
    } else if (aIn || hitShrunk) {
      EXPECT_EQ(got, kIsectPartial) << trial;
      ++partial;
    } else if (!hitGrown) {
      EXPECT_EQ(got, kIsectOutside) << trial;
      ++outside;
    }
  }
  EXPECT_GT(partial, 50);
  EXPECT_GT(outside, 50);
}

TEST(BoundingBox, PlaneTestMatchesAllEightCorners) {
  const Box b = box({0, 0, 0}, {1, 2, 3});
  // Touching from the positive side is inside; a flat box on the plane too.
  EXPECT_EQ(b.isect(PlaneD(1, 0, 0, 0)), kIsectInside);
  EXPECT_EQ(box({0, 0, 0}, {0, 2, 3}).isect(PlaneD(-1, 0, 0, 0)), kIsectInside);
  // Positive corner on the plane, box behind it: partial.
  EXPECT_EQ(b.isect(PlaneD(-1, 0, 0, 0)), kIsectPartial);
  EXPECT_EQ(b.isect(PlaneD(-1, 0, 0, -0.5)), kIsectOutside);
  // With every normal component <= 0 the positive corner is min.
  EXPECT_EQ(b.isect(PlaneD(0, 0, -1, 3)), kIsectInside);
  EXPECT_EQ(b.isect(PlaneD(0, 0, -1, 2.5)), kIsectPartial);

  std::mt19937_64 rng(5);
  int seen[3] = {0, 0, 0};
  for (int trial = 0; trial < 2000; ++trial) {
    const Box r = randomBox(rng);
    Vec3d n = randomPoint(rng, -1, 1);
    divideByLength(n);
    const PlaneD plane(n.x, n.y, n.z, std::uniform_real_distribution<double>(-1, 1)(rng));
    int positive = 0;
    for (int c = 0; c < 8; ++c) {
      const Vec3d corner{c & 1 ? r.max.x : r.min.x, c & 2 ? r.max.y : r.min.y,
                         c & 4 ? r.max.z : r.min.z};
      positive += plane.signedDistance(corner) >= 0 ? 1 : 0;
    }
    const IsectResult expected =
        positive == 8 ? kIsectInside : (positive == 0 ? kIsectOutside : kIsectPartial);
    EXPECT_EQ(r.isect(plane), expected) << trial;
    ++seen[expected];
  }
  EXPECT_GT(seen[0], 100);
  EXPECT_GT(seen[1], 100);
  EXPECT_GT(seen[2], 100);
}

TEST(BoundingBox, BoxesCrossingTheDateLineOverlapFromEitherSide) {
  const Box crossing = box({0.9, 0, 0}, {1.1, 1, 1});
  const Box west = box({-1.0, 0.5, 0.5}, {-0.95, 2, 2});
  const Box farWest = box({-0.85, 0.5, 0.5}, {-0.5, 2, 2});
  EXPECT_EQ(crossing.isect(west), kIsectInside);
  EXPECT_EQ(west.isect(crossing), kIsectInside);
  EXPECT_EQ(crossing.isect(farWest), kIsectOutside);
  EXPECT_EQ(farWest.isect(crossing), kIsectOutside);
  // The same through the west end of the turn.
  const Box crossingWest = box({-1.2, 0, 0}, {-0.9, 1, 1});
  EXPECT_EQ(crossingWest.isect(box({0.85, 0, 0}, {0.9, 1, 1})), kIsectInside);
  EXPECT_EQ(box({0.85, 0, 0}, {0.9, 1, 1}).isect(crossingWest), kIsectInside);
  EXPECT_EQ(box({0.75, 0, 0}, {0.79, 1, 1}).isect(crossingWest), kIsectOutside);

  // A box spanning the whole turn overlaps whenever y and z do.
  const Box world = box({-1, -0.5, -0.5}, {1, 0.5, 0.5});
  EXPECT_EQ(crossing.isect(world), kIsectInside);
  EXPECT_EQ(world.isect(crossing), kIsectInside);
  EXPECT_EQ(crossing.isect(box({-1, 1.5, 0}, {1, 2, 1})), kIsectOutside);
  EXPECT_EQ(box({-1, 1.5, 0}, {1, 2, 1}).isect(crossing), kIsectOutside);
  Box out;
  Box::intersectDatelineBox(out, crossing, world);
  EXPECT_EQ(out.min, (Vec3d{0.9, 0, 0}));
  EXPECT_EQ(out.max, (Vec3d{1.1, 0.5, 0.5}));

  // Meeting dl on both sides of the date line gives the narrower whole box,
  // other on equal widths; out may alias either input.
  Box dl = box({0.5, 0, 0}, {1.5, 1, 1});
  const Box wider = box({-0.6, 0.2, 0.2}, {0.6, 0.8, 0.8});
  Box::intersectDatelineBox(dl, dl, wider);
  EXPECT_EQ(dl.min, (Vec3d{0.5, 0, 0}));
  EXPECT_EQ(dl.max, (Vec3d{1.5, 1, 1}));
  const Box wideDl = box({0.2, 0, 0}, {1.5, 1, 1});
  Box narrower = wider;
  Box::intersectDatelineBox(narrower, wideDl, narrower);
  EXPECT_EQ(narrower.min, wider.min);
  EXPECT_EQ(narrower.max, wider.max);
  Box equal;
  Box::intersectDatelineBox(equal, dl, box({-0.5, 0.2, 0.2}, {0.5, 0.8, 0.8}));
  EXPECT_EQ(equal.min, (Vec3d{-0.5, 0.2, 0.2}));

  // Plain boxes intersect componentwise without wrapping.
  Box plain = box({0, 0, 0}, {1, 1, 1});
  plain.intersectBoxSimple(box({0.5, -1, 1}, {2, 0.5, 2}));
  EXPECT_EQ(plain.min, (Vec3d{0.5, 0, 1}));
  EXPECT_EQ(plain.max, (Vec3d{1, 0.5, 1}));
  EXPECT_EQ(box({0, 0, 0}, {1, 1, 1}).isect(box({1, 1, 1}, {2, 2, 2})), kIsectInside);
  EXPECT_EQ(box({0, 0, 0}, {1, 1, 1}).isect(box({0, 1.5, 0}, {1, 2, 1})), kIsectOutside);
  // x above 1 is read modulo 2: (1.5, 2) is (-0.5, 0) and touches (0, 1).
  EXPECT_EQ(box({0, 0, 0}, {1, 1, 1}).isect(box({1.5, 0, 0}, {2, 1, 1})), kIsectInside);
}

TEST(RayBoxIntersect, SlabTestBoundaries) {
  const Box b = box({0, 0, 0}, {1, 1, 1});
  double t = -1;
  EXPECT_TRUE(RayBoxIntersect(Vec3d{0.5, 0.5, 0.5}, Vec3d{1, 0, 0}, b, 0.0, t));
  EXPECT_EQ(t, 0.0);
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 0.5, 0.5}, Vec3d{-1, 0, 0}, b, 10.0, t));
  // t counts in multiples of d; a hit exactly at maxDist is a miss.
  EXPECT_TRUE(RayBoxIntersect(Vec3d{-1, 0.5, 0.5}, Vec3d{2, 0, 0}, b, 10.0, t));
  EXPECT_EQ(t, 0.5);
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 0.5, 0.5}, Vec3d{2, 0, 0}, b, 0.5, t));
  // Components below 0.0001 are parallel: the origin must lie in that slab.
  EXPECT_TRUE(RayBoxIntersect(Vec3d{-1, 1.0, 0.5}, Vec3d{1, 0.99e-4, 0}, b, 10.0, t));
  EXPECT_EQ(t, 1.0);
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 1.5, 0.5}, Vec3d{1, -0.99e-4, 0}, b, 1e9, t));
  EXPECT_TRUE(RayBoxIntersect(Vec3d{-1, 1.5, 0.5}, Vec3d{1, -0.5, 0}, b, 10.0, t));
  EXPECT_EQ(t, 1.0);
  EXPECT_FALSE(RayBoxIntersect(Vec3d{-1, 0.5, 0.5}, Vec3d{kNaN, 0, 0}, b, 10.0, t));
  EXPECT_FALSE(RayBoxIntersect(Vec3d{kNaN, 0.5, 0.5}, Vec3d{1, 0, 0}, b, 10.0, t));

  // The float twin runs on a float box instantiated here.
  const BoundingBox<float, Vec3f> f(Vec3f{0, 0, 0}, Vec3f{1, 1, 1});
  float tf = -1;
  EXPECT_TRUE(RayBoxIntersect(Vec3f{-1, 0.5f, 0.5f}, Vec3f{2, 0, 0}, f, 10.0f, tf));
  EXPECT_EQ(tf, 0.5f);
  EXPECT_TRUE(RayBoxIntersect(Vec3f{0.5f, 0.5f, 0.5f}, Vec3f{2, 0, 0}, f, 0.0f, tf));
  EXPECT_EQ(tf, 0.0f);
  // 0.0001f widened is just below the double threshold: parallel.
  EXPECT_FALSE(RayBoxIntersect(Vec3f{-1, 1.5f, 0.5f}, Vec3f{1, -0.0001f, 0}, f, 1e9f, tf));
  EXPECT_TRUE(static_cast<double>(0.0001f) < 0.0001);
}

TEST(Frustum, KnownPerspectivePlanesAndPointClasses) {
  Frustum fr;
  EXPECT_EQ(fr.count, 0);
  ASSERT_TRUE(fr.build(Mat4d::identity, knownPerspective()));
  EXPECT_EQ(fr.count, 6);
  EXPECT_EQ(fr.eye, (Vec3d{0, 0, 0}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(fr.planes[i].w, 0.0, 1e-13) << i;
  }
  // Left, top, right, bottom normals point into the frustum.
  EXPECT_GT(fr.planes[0].x, 0);
  EXPECT_LT(fr.planes[1].y, 0);
  EXPECT_LT(fr.planes[2].x, 0);
  EXPECT_GT(fr.planes[3].y, 0);
  const double nearFar[2][4] = {{0, 0, -1, -1}, {0, 0, 1, 100}};
  for (int k = 0; k < 2; ++k) {
    const PlaneD &p = fr.planes[4 + k];
    EXPECT_NEAR(p.x, nearFar[k][0], 1e-15);
    EXPECT_NEAR(p.y, nearFar[k][1], 1e-15);
    EXPECT_NEAR(p.z, nearFar[k][2], 1e-15);
    EXPECT_NEAR(p.w, nearFar[k][3], 1e-12);
  }
  EXPECT_TRUE(fr.isPtInside(Vec3d{0, 0, -10}));
  EXPECT_FALSE(fr.isZCulled(Vec3d{0, 0, -10}));
  EXPECT_TRUE(fr.isZCulled(Vec3d{0, 0, -0.5}));
  EXPECT_TRUE(fr.isZCulled(Vec3d{0, 0, -200}));
  EXPECT_TRUE(fr.isZCulled(Vec3d{0, 0, 10}));
  EXPECT_FALSE(fr.isPtInside(Vec3d{100, 0, -10}));
  EXPECT_FALSE(fr.isZCulled(Vec3d{100, 0, -10}));
  EXPECT_FALSE(fr.isPtInside(Vec3d{0, kNaN, -10}));
  EXPECT_TRUE(fr.isZCulled(Vec3d{0, kNaN, -10}));

  // Edges: unit length, away from the eye, counter-clockwise from the
  // bottom left.
  const double signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int i = 0; i < 4; ++i) {
    const Vec3d &e = fr.edges[i];
    EXPECT_NEAR(length(e), 1.0, 1e-15);
    EXPECT_LT(e.z, 0);
    EXPECT_GT(e.x * signs[i][0], 0);
    EXPECT_GT(e.y * signs[i][1], 0);
    EXPECT_NEAR(e.x / -e.z, signs[i][0] * std::tan(M_PI / 6) * 1.5, 1e-12);
  }

  // A point exactly on a plane is inside.
  Frustum manual;
  manual.count = 6;
  for (int i = 0; i < 6; ++i) {
    manual.planes[i].set(0, 0, 1, i == 5 ? 0.0 : 1.0);
  }
  EXPECT_TRUE(manual.isPtInside(Vec3d{7, 7, 0}));
  EXPECT_FALSE(manual.isPtInside(Vec3d{7, 7, -1e-300}));
  EXPECT_TRUE(manual.isZCulled(Vec3d{7, 7, -1e-300}));
}

TEST(Frustum, FailedBuildLeavesNoPlanesAndTheEyeOfTheView) {
  Frustum fr;
  Mat4d view = Mat4d::identity;
  view.m[12] = -3;
  view.m[13] = 4;
  view.m[14] = -5;
  ASSERT_TRUE(fr.build(view, knownPerspective()));
  EXPECT_DOUBLE_EQ(fr.eye.x, 3);
  EXPECT_DOUBLE_EQ(fr.eye.y, -4);
  EXPECT_DOUBLE_EQ(fr.eye.z, 5);
  EXPECT_FALSE(fr.isPtInside(Vec3d{0, 0, 0}));

  Mat4d zero;
  zero.set(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_FALSE(fr.build(view, zero));
  EXPECT_EQ(fr.count, 0);
  EXPECT_DOUBLE_EQ(fr.eye.z, 5);
  EXPECT_TRUE(fr.isPtInside(Vec3d{1e300, 0, 0}));
  EXPECT_FALSE(fr.isZCulled(Vec3d{0, 0, 1e300}));
  EXPECT_FALSE(fr.build(zero, knownPerspective()));

  // A projection whose inverse sends the x = -1 corners to w = 0.
  Mat4d atInfinity = Mat4d::identity;
  atInfinity.m[3] = -1;
  EXPECT_FALSE(fr.build(Mat4d::identity, atInfinity));
  EXPECT_EQ(fr.count, 0);
}

TEST(Frustum, ClassifiesRandomPointsLikeClipSpace) {
  std::mt19937_64 rng(3);
  int seen[2] = {0, 0};
  for (int view = 0; view < 20; ++view) {
    const Vec3d eye = randomPoint(rng, -50, 50);
    const Vec3d target = randomPoint(rng, -50, 50);
    const ColMajor4 v = eigenLookAt({eye.x, eye.y, eye.z}, {target.x, target.y, target.z},
                                    Eigen::Vector3d::UnitY());
    const ColMajor4 p = eigenPerspective(0.4 + view * 0.1, 1.0 + view * 0.05, 0.5, 200);
    Frustum fr;
    ASSERT_TRUE(fr.build(fromEigen(v), fromEigen(p)));
    EXPECT_NEAR(fr.eye.x, eye.x, 1e-11);
    EXPECT_NEAR(fr.eye.z, eye.z, 1e-11);
    const ColMajor4 clip = p * v;
    for (int k = 0; k < 500; ++k) {
      const Vec3d q = eye + randomPoint(rng, -150, 150);
      const Eigen::Vector4d c = clip * Eigen::Vector4d(q.x, q.y, q.z, 1);
      const double w = c.w();
      // Margin to the nearest clip face, relative to w; skip the boundary.
      const double margin =
          std::min({w - std::abs(c.x()), w - std::abs(c.y()), w - std::abs(c.z())});
      if (std::abs(margin) < 1e-6 * std::abs(w)) {
        continue;
      }
      const bool in = w > 0 && margin > 0;
      const bool zIn = w > 0 && std::abs(c.z()) < w;
      EXPECT_EQ(fr.isPtInside(q), in) << view << " " << k;
      EXPECT_EQ(fr.isZCulled(q), !zIn) << view << " " << k;
      ++seen[in ? 1 : 0];
    }
  }
  EXPECT_GT(seen[1], 200);
}
