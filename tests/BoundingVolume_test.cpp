#include "CountingMemory.h"
#include "Support.h"
#include "math/BoundingVolume.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace orrery;

namespace {

using Box = BoundingBox<double, Vec3d>;
using PlaneD = Plane<double, Vec3d, Vec4d>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// 60 degrees vertical field of view, aspect 1.5, near 1, far 100.
const Mat4d kPerspective = test::perspective(test::kPi / 3, 1.5, 1, 100);

} // namespace

TEST(BoundingBox, EmptyBoxIsOutsideAndOnePointBoxHoldsOnlyItsPoint) {
  test::CountingMemory memory;
  Box e;
  EXPECT_EQ(std::bit_cast<std::uint64_t>(e.min.x), 0x7FDFFFFFFFFFFFFFu);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(e.max.z), 0xFFDFFFFFFFFFFFFFu);
  // That it answers outside to every query (and misses every ray): the bbox
  // fuzz harness.
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

// Random segments and planes are checked against sampling and the eight
// corners by the bbox fuzz harness (CTest fuzz-replay.bbox); here the
// boundaries a careless comparison gets wrong.
TEST(BoundingBox, SegmentsCountFromTheirStartAndPlanesHoldWhatTheyTouch) {
  const Box b(Vec3d{0, 0, 0}, Vec3d{1, 1, 1});
  const Box tall(Vec3d{0, 0, 0}, Vec3d{1, 2, 3});
  for (const auto &[got, want] : {
           std::pair{b.isect(Vec3d{0.2, 0.2, 0.2}, Vec3d{1, 1, 1}), kIsectInside},
           {b.isect(Vec3d{2, 2, 2}, Vec3d{2, 2, 2}), kIsectOutside},
           // Entering exactly at the end does not count, although the end is inside.
           {b.isect(Vec3d{-1, 0.5, 0.5}, Vec3d{0, 0.5, 0.5}), kIsectOutside},
           {tall.isect(PlaneD(1, 0, 0, 0)), kIsectInside}, // touching from the positive side
           {Box(Vec3d{0, 0, 0}, Vec3d{0, 2, 3}).isect(PlaneD(-1, 0, 0, 0)), kIsectInside},
           {tall.isect(PlaneD(-1, 0, 0, 0)), kIsectPartial}, // positive corner on the plane
       }) {
    EXPECT_EQ(got, want);
  }
}

TEST(BoundingBox, IntersectingAcrossTheDateLineKeepsTheCrossingBox) {
  // Whether they overlap, for any pair from either side: the bbox fuzz harness.
  const Box crossing(Vec3d{0.9, 0, 0}, Vec3d{1.1, 1, 1});
  const Box world(Vec3d{-1, -0.5, -0.5}, Vec3d{1, 0.5, 0.5});
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

TEST(Frustum, NaNPointsFailedBuildsAndHandSetPlanes) {
  Frustum fr;
  ASSERT_TRUE(fr.build(Mat4d::identity, kPerspective));
  // Planes, eye and edges of a known camera: the golden program; unit normals
  // and edges ahead of the eye for any camera: the frustum fuzz harness.
  // Random points are classified against Eigen's clip space below; a NaN
  // distance leaves the one-point box straddling every plane.
  EXPECT_FALSE(fr.isPtInside(Vec3d{0, kNaN, -10}));
  EXPECT_TRUE(fr.isZCulled(Vec3d{0, kNaN, -10}));

  const Mat4d zero{};
  EXPECT_FALSE(fr.build(Mat4d::identity, zero));
  EXPECT_EQ(fr.count, 0);
  EXPECT_TRUE(fr.isPtInside(Vec3d{1e300, 0, 0}));
  EXPECT_FALSE(fr.isZCulled(Vec3d{0, 0, 1e300}));
  EXPECT_FALSE(fr.build(zero, kPerspective));
  // Corners at infinity: the inverse sends the face x = -1 to w = 0, or only
  // the corner (-1, 1, 1), the first of that face (w = 4 + 2x - y - z).
  Mat4d atInfinity = Mat4d::identity;
  atInfinity.m[3] = -1;
  EXPECT_FALSE(fr.build(Mat4d::identity, atInfinity));
  Mat4d oneCorner = Mat4d::identity;
  oneCorner.set(1, 0, 0, -0.5, 0, 1, 0, 0.25, 0, 0, 1, 0.25, 0, 0, 0, 0.25);
  EXPECT_FALSE(fr.build(Mat4d::identity, oneCorner));

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

TEST(Frustum, ClassifiesRandomPointsLikeEigenClipSpace) {
  std::srand(3);
  int inside = 0;
  for (int i = 0; i < 20; ++i) {
    // Our cameras; the clip-space test in Eigen's column convention.
    const Eigen::Vector3d eye = Eigen::Vector3d::Random() * 50;
    Mat4d view;
    view.buildLookAt(test::fromEigen(eye), test::fromEigen(Eigen::Vector3d::Random() * 50),
                     Vec3d{0, 1, 0});
    const Mat4d projection = test::perspective(0.4 + i * 0.1, 1 + i * 0.05, 0.5, 200);
    const Eigen::Matrix4d clip = (test::toEigen(view) * test::toEigen(projection)).transpose();
    Frustum fr;
    ASSERT_TRUE(fr.build(view, projection));
    for (int k = 0; k < 500; ++k) {
      const Eigen::Vector3d q = eye + Eigen::Vector3d::Random() * 150;
      const Eigen::Vector4d c = clip * q.homogeneous();
      const double side = c.w() - std::max(std::abs(c.x()), std::abs(c.y()));
      const double depth = c.w() - std::abs(c.z());
      if (std::min(std::abs(side), std::abs(depth)) < 1e-6 * std::abs(c.w())) {
        continue; // too close to a face to call
      }
      const Vec3d pt = test::fromEigen(q);
      ASSERT_EQ(fr.isPtInside(pt), side > 0 && depth > 0) << i << " " << k;
      ASSERT_EQ(fr.isZCulled(pt), depth < 0) << i << " " << k;
      inside += side > 0 && depth > 0;
    }
  }
  EXPECT_GT(inside, 200);
}
