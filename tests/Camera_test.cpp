#include "math/Camera.h"

#include "CountingMemory.h"
#include "Support.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>
#include <random>

using namespace orrery;

namespace {

using test::kPi;
using test::toEigen;

double dist(const Vec3d &a, const Vec3d &b) { return length(a - b); }
double wrapAngle(double a) { return std::remainder(a, 2.0 * kPi); }

Vec3d randomVec(std::mt19937_64 &rng, double scale) {
  std::uniform_real_distribution<double> u(-scale, scale);
  return {u(rng), u(rng), u(rng)};
}

QuatCartesianCam randomCamera(std::mt19937_64 &rng) {
  QuatCartesianCam cam;
  cam.setPosition(randomVec(rng, 3.0));
  const Vec3d v = randomVec(rng, 1.0);
  cam.setRotation(Quatd(v.x, v.y, v.z, std::uniform_real_distribution<double>(-1, 1)(rng)));
  return cam;
}

Vec3d normalised(Vec3d v) {
  divideByLength(v);
  return v;
}

// Largest component difference of a and b or -b (the same rotation).
double quatDiff(const Quatd &a, const Quatd &b) {
  const double s = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w < 0 ? -1.0 : 1.0;
  return std::max({std::fabs(a.x - s * b.x), std::fabs(a.y - s * b.y), std::fabs(a.z - s * b.z),
                   std::fabs(a.w - s * b.w)});
}

} // namespace

TEST(Camera, PitchRaisesYawTurnsLeftRollTipsUpToTheRight) {
  QuatCartesianCam cam;
  cam.pitch(kPi / 2);
  EXPECT_LT(dist(cam.getTowardsVec(), {0, 1, 0}), 1e-15);
  EXPECT_LT(dist(cam.getUpVec(), {0, 0, 1}), 1e-15);
  cam = QuatCartesianCam();
  cam.yaw(kPi / 2);
  EXPECT_LT(dist(cam.getTowardsVec(), {-1, 0, 0}), 1e-15);
  cam = QuatCartesianCam();
  cam.roll(kPi / 2);
  EXPECT_LT(dist(cam.getUpVec(), {1, 0, 0}), 1e-15);

  // rotate turns about world axes, cameraSpaceRotate about the camera's own.
  std::mt19937_64 rng(7);
  for (int i = 0; i < 100; ++i) {
    const QuatCartesianCam start = randomCamera(rng);
    const Vec3d axis = randomVec(rng, 1.0);
    const double angle = std::uniform_real_distribution<double>(-3, 3)(rng);
    const Eigen::AngleAxisd turn(angle, toEigen(axis).normalized());
    QuatCartesianCam world = start;
    world.rotate(axis, angle);
    EXPECT_LT((toEigen(world.getTowardsVec()) - turn * toEigen(start.getTowardsVec())).norm(),
              2e-14);
    EXPECT_LT((toEigen(world.getUpVec()) - turn * toEigen(start.getUpVec())).norm(), 2e-14);
    const Vec3d n = normalised(axis);
    QuatCartesianCam local = start;
    local.cameraSpaceRotate(
        {dot(n, start.getRightVec()), dot(n, start.getUpVec()), -dot(n, start.getTowardsVec())},
        angle);
    EXPECT_LT(quatDiff(local.rotation, world.rotation), 1e-14);
  }
  // A zero axis only renormalises.
  cam.rotation.set(0, 0, 0, 2);
  cam.cameraSpaceRotate({0, 0, 0}, 1.0);
  EXPECT_EQ(cam.rotation.w, 1.0);
}

TEST(Camera, ViewMatrixMatchesEigenAndDeriveRestoresTheCamera) {
  std::mt19937_64 rng(8);
  for (int i = 0; i < 200; ++i) {
    const QuatCartesianCam cam = randomCamera(rng);
    const Mat4d view = cam.getMatrix();
    // Camera to world is Eigen's rotation of conj(q); the view undoes it
    // after the shift, and our matrix is the transpose of the column form.
    const Quatd &q = cam.rotation;
    const Eigen::Matrix3d toWorld = Eigen::Quaterniond(q.w, -q.x, -q.y, -q.z).toRotationMatrix();
    Eigen::Matrix4d ref = Eigen::Matrix4d::Identity();
    ref.topLeftCorner<3, 3>() = toWorld.transpose();
    ref.topRightCorner<3, 1>() = -toWorld.transpose() * toEigen(cam.position);
    EXPECT_LT((Eigen::Map<const Eigen::Matrix4d>(view.m) - ref).cwiseAbs().maxCoeff(), 1e-14);

    QuatCartesianCam back;
    EXPECT_TRUE(back.derive(view));
    EXPECT_LT(dist(back.position, cam.position), 1e-14);
    // Reading q back from a matrix loses accuracy as w^2 gets small.
    EXPECT_LT(quatDiff(back.rotation, cam.rotation), 1e-15 + 2e-16 / (q.w * q.w));
  }
  // A singular view still reports success.
  QuatCartesianCam cam;
  Mat4d flat = Mat4d::identity;
  flat.m[10] = 0.0;
  EXPECT_TRUE(cam.derive(flat));
}

TEST(Camera, RotationIsNormalisedExceptByTheCopyConstructor) {
  QuatCartesianCam cam;
  cam.setRotation(Quatd(0, 0, 0, 2));
  EXPECT_EQ(cam.rotation.w, 1.0);
  // A zero rotation is kept, and the axes fall back to the defaults.
  cam.setRotation(Quatd(0, 0, 0, 0));
  EXPECT_EQ(cam.getRotation().w, 0.0);
  EXPECT_EQ(cam.getTowardsVec(), (Vec3d{0, 0, -1}));

  cam.rotation.set(0, 3, 0, 4);
  EXPECT_EQ(QuatCartesianCam(cam).rotation.y, 3.0);
  QuatCartesianCam assigned;
  assigned.refCount = 2;
  assigned = cam;
  EXPECT_EQ(assigned.refCount, 2);
  EXPECT_EQ(assigned.rotation.y, 0.6);
  EXPECT_EQ(QuatCartesianCam(static_cast<const ICartesianCam &>(cam)).rotation.w, 0.8);

  // Looking along a; the twist about a leaves the view in place.
  std::mt19937_64 rng(9);
  for (int i = 0; i < 100; ++i) {
    const Vec3d a = randomVec(rng, 2.0);
    cam.setRotation(a, randomVec(rng, 2.0));
    EXPECT_LT(dist(cam.getTowardsVec(), normalised(a)), 1e-14);
  }
}

TEST(Camera, TurnsReachTheProjectedDirection) {
  using Getter = Vec3d (ICartesianCam::*)() const;
  struct Case {
    void (ICartesianCam::*turn)(const Vec3d &);
    Getter axis;
    Getter moved;
  };
  const Case cases[] = {
      {&ICartesianCam::pitchTo, &ICartesianCam::getRightVec, &ICartesianCam::getTowardsVec},
      {&ICartesianCam::yawTo, &ICartesianCam::getUpVec, &ICartesianCam::getTowardsVec},
      {&ICartesianCam::rollTo, &ICartesianCam::getTowardsVec, &ICartesianCam::getUpVec},
      {&ICartesianCam::pitchUpVecTo, &ICartesianCam::getRightVec, &ICartesianCam::getUpVec}};
  std::mt19937_64 rng(10);
  for (int i = 0; i < 100; ++i) {
    for (const Case &c : cases) {
      QuatCartesianCam cam = randomCamera(rng);
      const Vec3d d = randomVec(rng, 2.0);
      const Vec3d a = (cam.*c.axis)();
      (cam.*c.turn)(d);
      EXPECT_LT(dist((cam.*c.moved)(), normalised(d - a * dot(d, a))), 1e-13);
      EXPECT_LT(dist((cam.*c.axis)(), a), 1e-14);
    }
    QuatCartesianCam cam = randomCamera(rng);
    const Vec3d target = randomVec(rng, 5.0);
    cam.lookAt(target);
    EXPECT_LT(dist(cam.getTowardsVec(), normalised(target - cam.position)), 1e-13);
    // Straight along the up axis the yaw has nothing to do; the pitch does it.
    const Vec3d up = cam.getUpVec();
    cam.lookAt(cam.position + up * 3.0);
    EXPECT_LT(dist(cam.getTowardsVec(), up), 1e-13);
  }
  // Nothing to turn towards: the rotation is left bit for bit.
  QuatCartesianCam cam = randomCamera(rng);
  const Quatd before = cam.rotation;
  cam.yawTo(cam.getUpVec());
  cam.pitchTo({0, 0, 0});
  cam.lookAt(cam.position + Vec3d{1e-9, 0, 0});
  EXPECT_TRUE(cam.rotation.x == before.x && cam.rotation.w == before.w);
}

TEST(Camera, WorldOrientationAtThePolesTheEquatorAndTheCentre) {
  QuatCartesianCam cam;
  cam.setPosition({0, 2, 0});
  cam.setRotation(Vec3d{0, -1, 0}, Vec3d{1, 0, 0});
  EXPECT_EQ(cam.getWorldOrientation(), (Vec3d{kPi / 2, 0, cam.getWorldOrientation().z}));
  cam.setPosition({0, -3, 0});
  EXPECT_EQ(cam.getWorldOrientation().x, 0.0);
  cam.setPosition({0, 0, 0});
  EXPECT_EQ(cam.getWorldOrientation(), (Vec3d{0, 0, 0}));

  // Over latitude 0, longitude 0, looking north, up along the vertical.
  Mat4d axes; // rows right, up, back
  axes.set(-1, 0, 0, 0, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 1);
  Quatd q;
  q.fromMatrix(axes);
  cam.setRotation(q);
  cam.setPosition({0, 0, -2});
  const Quatd before = cam.rotation;
  EXPECT_LT(dist(cam.getWorldOrientation(), {0, kPi / 2, 0}), 1e-15);
  EXPECT_EQ(cam.position, (Vec3d{0, 0, -2}));
  EXPECT_TRUE(cam.rotation.x == before.x && cam.rotation.w == before.w);
}

// Heading from local north towards east, tilt from straight down, roll of the
// up vector away from the vertical plane through the line of sight.
TEST(Camera, WorldOrientationMatchesEastNorthUpAxes) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 200; ++i) {
    const QuatCartesianCam cam = randomCamera(rng);
    const Vec3d up = normalised(cam.position);
    const Vec3d north = normalised(Vec3d{0, 1, 0} - up * up.y);
    const Vec3d east = cross(north, up);
    const Vec3d t = cam.getTowardsVec();
    // The unrolled up vector is the vertical made perpendicular to the view.
    const Vec3d level = normalised(up - t * dot(up, t));
    const Vec3d u = cam.getUpVec();
    const Vec3d hpr = QuatCartesianCam(cam).getWorldOrientation();
    EXPECT_NEAR(wrapAngle(hpr.x - std::atan2(dot(t, east), dot(t, north))), 0.0, 1e-12);
    EXPECT_NEAR(hpr.y, std::acos(-dot(t, up)), 1e-12);
    EXPECT_NEAR(wrapAngle(hpr.z + std::atan2(dot(u, cross(t, level)), dot(u, level))), 0.0, 1e-12);
  }
}

TEST(Camera, CountsAndAllocationsBalance) {
  test::CountingMemory memory;
  {
    // Counting by copies and releases: the memory tests.
    RefPtr<ICartesianCam> held(new QuatCartesianCam());
    const RefPtr<ICartesianCam> copy = held->clone();
    EXPECT_EQ(copy->refCount, 1);
    copy->setPosition({1, 0, 0});
    EXPECT_EQ(held->getPosition(), (Vec3d{0, 0, 0}));
    held->setPosition({0, 0, -2});
    held->getWorldOrientation();
    EXPECT_EQ(memory.live(), 2u);
    // Out of memory: no copy, and a neutral orientation.
    memory.failNextAllocation();
    EXPECT_FALSE(held->clone());
    memory.failNextAllocation();
    EXPECT_EQ(held->getWorldOrientation(), (Vec3d{0, 0, 0}));
  }
  EXPECT_EQ(memory.allocations, 3);
  EXPECT_EQ(memory.releases, 3);
  EXPECT_EQ(memory.foreignReleases, 0);
}
