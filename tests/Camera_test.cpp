#include "math/Camera.h"

#include "CountingMemory.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

using namespace orrery;

namespace {

constexpr double kPi = 3.141592653589793;

using RowMajor4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;

Eigen::Vector3d toEigen(const Vec3d &v) { return {v.x, v.y, v.z}; }

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

void expectNear(const Vec3d &a, const Vec3d &b, double tol) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

void expectSameRotation(const Quatd &a, const Quatd &b, double tol) {
  const double sign = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w < 0 ? -1.0 : 1.0;
  EXPECT_NEAR(a.x, sign * b.x, tol);
  EXPECT_NEAR(a.y, sign * b.y, tol);
  EXPECT_NEAR(a.z, sign * b.z, tol);
  EXPECT_NEAR(a.w, sign * b.w, tol);
}

double wrapAngle(double a) { return std::remainder(a, 2.0 * kPi); }

} // namespace

TEST(Camera, DefaultCameraLooksAlongMinusZWithIdentityView) {
  QuatCartesianCam cam;
  EXPECT_EQ(cam.refCount, 0);
  EXPECT_EQ(cam.getTowardsVec(), (Vec3d{0, 0, -1}));
  EXPECT_EQ(cam.getUpVec(), (Vec3d{0, 1, 0}));
  EXPECT_EQ(cam.getRightVec(), (Vec3d{1, 0, 0}));
  EXPECT_EQ(cam.getMatrix(), Mat4d::identity);
  cam.setPosition({1, 2, 3});
  const Mat4d view = cam.getMatrix();
  EXPECT_EQ(view.m[12], -1.0);
  EXPECT_EQ(view.m[13], -2.0);
  EXPECT_EQ(view.m[14], -3.0);
  cam.setPosition({0, 0, 0});
  cam.moveTowardsVec(5);
  cam.moveRightVec(2);
  cam.moveUpVec(-1);
  cam.translate({0.5, 0, 0});
  EXPECT_EQ(cam.getPosition(), (Vec3d{2.5, -1, -5}));
}

TEST(Camera, PitchRaisesYawTurnsLeftRollTipsUpToTheRight) {
  QuatCartesianCam cam;
  cam.pitch(kPi / 2);
  expectNear(cam.getTowardsVec(), {0, 1, 0}, 1e-15);
  expectNear(cam.getUpVec(), {0, 0, 1}, 1e-15);
  cam = QuatCartesianCam();
  cam.yaw(kPi / 2);
  expectNear(cam.getTowardsVec(), {-1, 0, 0}, 1e-15);
  cam = QuatCartesianCam();
  cam.roll(kPi / 2);
  expectNear(cam.getUpVec(), {1, 0, 0}, 1e-15);

  // rotate turns about world axes, cameraSpaceRotate about the camera's own.
  std::mt19937_64 rng(7);
  for (int i = 0; i < 100; ++i) {
    const QuatCartesianCam start = randomCamera(rng);
    const Vec3d axis = randomVec(rng, 1.0);
    const double angle = std::uniform_real_distribution<double>(-3, 3)(rng);
    const Eigen::AngleAxisd turn(angle, toEigen(axis).normalized());
    QuatCartesianCam world = start;
    world.rotate(axis, angle);
    const Eigen::Vector3d towards = turn * toEigen(start.getTowardsVec());
    expectNear(world.getTowardsVec(), {towards.x(), towards.y(), towards.z()}, 1e-14);
    const Eigen::Vector3d up = turn * toEigen(start.getUpVec());
    expectNear(world.getUpVec(), {up.x(), up.y(), up.z()}, 1e-14);
    // The same turn about the camera axis that coincides with that world axis.
    const Vec3d n = normalised(axis);
    QuatCartesianCam local = start;
    local.cameraSpaceRotate(
        {dot(n, start.getRightVec()), dot(n, start.getUpVec()), -dot(n, start.getTowardsVec())},
        angle);
    expectSameRotation(local.rotation, world.rotation, 1e-14);
  }
  // A zero axis only renormalises.
  cam.rotation.set(0, 0, 0, 2);
  cam.rotate({0, 0, 0}, 1.0);
  EXPECT_EQ(cam.rotation.w, 1.0);
  cam.rotation.set(0, 0, 0, 2);
  cam.cameraSpaceRotate({0, 0, 0}, 1.0);
  EXPECT_EQ(cam.rotation.w, 1.0);
}

TEST(Camera, ViewMatrixMatchesEigenAndDeriveRestoresTheCamera) {
  std::mt19937_64 rng(8);
  for (int i = 0; i < 200; ++i) {
    const QuatCartesianCam cam = randomCamera(rng);
    const Mat4d view = cam.getMatrix();
    // Column convention: camera-to-world is the rotation of conj(q) (the
    // row-vector action q^-1 v q); the view is its inverse after the shift.
    const Quatd &q = cam.rotation;
    const Eigen::Matrix3d toWorld = Eigen::Quaterniond(q.w, -q.x, -q.y, -q.z).toRotationMatrix();
    Eigen::Matrix4d ref = Eigen::Matrix4d::Identity();
    ref.topLeftCorner<3, 3>() = toWorld.transpose();
    ref.topRightCorner<3, 1>() = -toWorld.transpose() * toEigen(cam.position);
    EXPECT_LT((Eigen::Map<const RowMajor4>(view.m) - ref.transpose()).cwiseAbs().maxCoeff(), 1e-14);
    Vec3d ahead = cam.position + cam.getTowardsVec() * 2.0;
    ahead *= view;
    expectNear(ahead, {0, 0, -2}, 1e-14);

    QuatCartesianCam back;
    EXPECT_TRUE(back.derive(view));
    expectNear(back.position, cam.position, 1e-14);
    // Reading q back from a matrix loses accuracy as w^2 gets small.
    expectSameRotation(back.rotation, cam.rotation, 1e-15 + 2e-16 / (q.w * q.w));
  }
  // The view is exactly the product of the translation and the inverse
  // rotation, signed zeros and non-finite positions included.
  const auto expectProduct = [](const QuatCartesianCam &cam) {
    Mat4d t = Mat4d::identity;
    t.m[12] = -cam.position.x;
    t.m[13] = -cam.position.y;
    t.m[14] = -cam.position.z;
    Mat4d rv;
    rv.fromQuaternion(Quatd(cam.rotation.x, cam.rotation.y, cam.rotation.z, -cam.rotation.w));
    Mat4d product;
    product.mul(t, rv);
    const Mat4d view = cam.getMatrix();
    for (int k = 0; k < 16; ++k) {
      if (!std::isnan(product.m[k]) || !std::isnan(view.m[k])) {
        EXPECT_EQ(std::signbit(view.m[k]), std::signbit(product.m[k])) << k;
        EXPECT_EQ(view.m[k], product.m[k]) << k;
      }
    }
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Vec3d &p : {Vec3d{0, -0.0, 2}, Vec3d{inf, 1, 0}, Vec3d{nan, 0, -inf}}) {
    for (const Quatd &q : {Quatd(0, 0, 0, 1), Quatd(0, 1, 0, 0), Quatd(0.5, -0.5, 0.5, 0.5),
                           Quatd(nan, 0, 0, 1), Quatd(0, 0, 0, 0)}) {
      QuatCartesianCam cam;
      cam.position = p;
      cam.rotation = q;
      expectProduct(cam);
    }
  }
  for (int i = 0; i < 50; ++i) {
    expectProduct(randomCamera(rng));
  }

  // A singular view still reports success and leaves no NaN-free promise,
  // only defined behaviour.
  QuatCartesianCam cam;
  Mat4d zero;
  zero.set(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_TRUE(cam.derive(zero));
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
  cam.setPosition({1, 2, 3});
  const QuatCartesianCam copy(cam);
  EXPECT_EQ(copy.rotation.y, 3.0);
  EXPECT_EQ(copy.position, cam.position);
  QuatCartesianCam assigned;
  assigned.refCount = 2;
  assigned = cam;
  EXPECT_EQ(assigned.refCount, 2);
  EXPECT_EQ(assigned.rotation.y, 0.6);
  EXPECT_EQ(assigned.rotation.w, 0.8);
  const QuatCartesianCam fromBase(static_cast<const ICartesianCam &>(cam));
  EXPECT_EQ(fromBase.rotation.w, 0.8);
  QuatCartesianCam viaSet;
  viaSet.set(cam);
  EXPECT_EQ(viaSet.rotation.y, 0.6);
  EXPECT_EQ(viaSet.position, cam.position);

  // Looking along a; the twist about a leaves the view in place.
  cam.setRotation(Vec3d{2, 0, 0}, Vec3d{0, 1, 0});
  expectNear(cam.getTowardsVec(), {1, 0, 0}, 1e-15);
  std::mt19937_64 rng(9);
  for (int i = 0; i < 100; ++i) {
    const Vec3d a = randomVec(rng, 2.0);
    cam.setRotation(a, randomVec(rng, 2.0));
    expectNear(cam.getTowardsVec(), normalised(a), 1e-14);
  }
}

TEST(Camera, TurnsReachTheProjectedDirection) {
  std::mt19937_64 rng(10);
  using Getter = Vec3d (ICartesianCam::*)() const;
  using Turn = void (ICartesianCam::*)(const Vec3d &);
  struct Case {
    Turn turn;
    Getter axis;
    Getter moved;
  };
  const Case cases[] = {
      {&ICartesianCam::pitchTo, &ICartesianCam::getRightVec, &ICartesianCam::getTowardsVec},
      {&ICartesianCam::yawTo, &ICartesianCam::getUpVec, &ICartesianCam::getTowardsVec},
      {&ICartesianCam::rollTo, &ICartesianCam::getTowardsVec, &ICartesianCam::getUpVec},
      {&ICartesianCam::pitchUpVecTo, &ICartesianCam::getRightVec, &ICartesianCam::getUpVec}};
  for (int i = 0; i < 100; ++i) {
    for (const Case &c : cases) {
      QuatCartesianCam cam = randomCamera(rng);
      const Vec3d d = randomVec(rng, 2.0);
      const Vec3d a = (cam.*c.axis)();
      (cam.*c.turn)(d);
      expectNear((cam.*c.moved)(), normalised(d - a * dot(d, a)), 1e-13);
      // The turning axis itself stays put.
      expectNear((cam.*c.axis)(), a, 1e-14);
    }
    // lookAt faces the target.
    QuatCartesianCam cam = randomCamera(rng);
    const Vec3d target = randomVec(rng, 5.0);
    cam.lookAt(target);
    expectNear(cam.getTowardsVec(), normalised(target - cam.position), 1e-13);
    // Straight along the up axis the yaw has nothing to do; the pitch does it.
    const Vec3d up = cam.getUpVec();
    cam.lookAt(cam.position + up * 3.0);
    expectNear(cam.getTowardsVec(), up, 1e-13);
  }
  // Nothing to turn towards: the rotation is left bit for bit.
  QuatCartesianCam cam = randomCamera(rng);
  const Quatd before = cam.rotation;
  cam.yawTo(cam.getUpVec());
  cam.pitchTo({0, 0, 0});
  cam.lookAt(cam.position);
  cam.lookAt(cam.position + Vec3d{1e-9, 0, 0});
  EXPECT_EQ(cam.rotation.x, before.x);
  EXPECT_EQ(cam.rotation.w, before.w);
}

TEST(Camera, WorldOrientationAtThePolesTheEquatorAndTheCentre) {
  QuatCartesianCam cam;
  cam.setPosition({0, 2, 0});
  cam.setRotation(Vec3d{0, -1, 0}, Vec3d{1, 0, 0});
  Vec3d hpr = cam.getWorldOrientation();
  EXPECT_EQ(hpr.x, kPi / 2);
  EXPECT_EQ(hpr.y, 0.0);
  cam.setPosition({0, -3, 0});
  EXPECT_EQ(cam.getWorldOrientation().x, 0.0);
  cam.setPosition({0, 0, 0});
  EXPECT_EQ(cam.getWorldOrientation(), (Vec3d{0, 0, 0}));

  // Over latitude 0, longitude 0, looking north with up along the vertical.
  Mat4d axes = Mat4d::identity;
  axes.set(-1, 0, 0, 0, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 1); // rows right, up, back
  Quatd q;
  q.fromMatrix(axes);
  cam.setRotation(q);
  cam.setPosition({0, 0, -2});
  const Quatd before = cam.rotation;
  hpr = cam.getWorldOrientation();
  EXPECT_NEAR(hpr.x, 0.0, 1e-15);
  EXPECT_NEAR(hpr.y, kPi / 2, 1e-15);
  EXPECT_NEAR(hpr.z, 0.0, 1e-15);
  EXPECT_EQ(cam.position, (Vec3d{0, 0, -2}));
  EXPECT_EQ(cam.rotation.x, before.x);
  EXPECT_EQ(cam.rotation.w, before.w);
  // A level camera rolled by a reports -a.
  cam.roll(0.3);
  EXPECT_NEAR(cam.getWorldOrientation().z, -0.3, 1e-15);
  cam.roll(-0.3);
  cam.yawTo({-1, 0, 0}); // east
  EXPECT_NEAR(cam.getWorldOrientation().x, kPi / 2, 1e-15);
}

TEST(Camera, WorldOrientationMatchesEastNorthUpAxes) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 200; ++i) {
    QuatCartesianCam cam = randomCamera(rng);
    const Vec3d up = normalised(cam.position);
    const Vec3d north = normalised(Vec3d{0, 1, 0} - up * up.y);
    const Vec3d east = cross(north, up);
    const Vec3d t = cam.getTowardsVec();
    const double heading = std::atan2(dot(t, east), dot(t, north));
    const double tilt = std::acos(-dot(t, up));
    // The unrolled up vector is the vertical made perpendicular to the view.
    const Vec3d level = normalised(up - t * dot(up, t));
    const Vec3d u = cam.getUpVec();
    const double roll = -std::atan2(dot(u, cross(t, level)), dot(u, level));
    const Vec3d hpr = cam.getWorldOrientation();
    EXPECT_NEAR(wrapAngle(hpr.x - heading), 0.0, 1e-12);
    EXPECT_NEAR(hpr.y, tilt, 1e-12);
    EXPECT_NEAR(wrapAngle(hpr.z - roll), 0.0, 1e-12);
  }
}

TEST(Camera, CountsAndAllocationsBalance) {
  test::CountingMemory memory;
  {
    RefPtr<ICartesianCam> held(new QuatCartesianCam());
    ASSERT_TRUE(held);
    EXPECT_EQ(held->refCount, 1);
    {
      RefPtr<ICartesianCam> again = held;
      EXPECT_EQ(held->refCount, 2);
    }
    EXPECT_EQ(held->refCount, 1);
    const RefPtr<ICartesianCam> copy = held->clone();
    EXPECT_EQ(copy->refCount, 1);
    copy->setPosition({1, 0, 0});
    EXPECT_EQ(held->getPosition(), (Vec3d{0, 0, 0}));
    held->setPosition({0, 0, -2});
    held->getWorldOrientation();
    EXPECT_EQ(memory.live(), 2u);
    // Out of memory: no copy, a neutral orientation.
    memory.failNextAllocation();
    EXPECT_FALSE(held->clone());
    memory.failNextAllocation();
    EXPECT_EQ(held->getWorldOrientation(), (Vec3d{0, 0, 0}));
  }
  EXPECT_EQ(memory.allocations, 3);
  EXPECT_EQ(memory.releases, 3);
  EXPECT_EQ(memory.foreignReleases, 0);
  EXPECT_EQ(memory.live(), 0u);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__aarch64__))
namespace {
// The vtable slot of a virtual member in the Itanium ABI (the destructor
// takes slots 0 and 1).
template <class F> std::ptrdiff_t camSlot(F f) {
  std::uintptr_t raw[2];
  static_assert(sizeof(f) == sizeof(raw));
  std::memcpy(raw, &f, sizeof raw);
  return static_cast<std::ptrdiff_t>((raw[0] - 1) / sizeof(void *));
}
} // namespace

TEST(Camera, VirtualSlotsKeepTheirOrder) {
  using C = ICartesianCam;
  using Q = QuatCartesianCam;
  EXPECT_EQ(camSlot(&C::orphaned), 2);
  EXPECT_EQ(camSlot(&C::clone), 3);
  EXPECT_EQ(camSlot(&C::moveUpVec), 8);
  EXPECT_EQ(camSlot(static_cast<void (C::*)(const Quatd &)>(&C::rotate)), 12);
  EXPECT_EQ(camSlot(static_cast<void (C::*)(const Vec3d &, const Vec3d &)>(&C::setRotation)), 14);
  EXPECT_EQ(camSlot(&C::lookAt), 15);
  EXPECT_EQ(camSlot(&C::rollTo), 18);
  EXPECT_EQ(camSlot(&C::getRotation), 19);
  EXPECT_EQ(camSlot(&C::getRightVec), 24);
  EXPECT_EQ(camSlot(&C::derive), 25);
  EXPECT_EQ(camSlot(&C::getWorldOrientation), 27);
  EXPECT_EQ(camSlot(static_cast<void (Q::*)(Vec3d, double)>(&Q::rotate)), 28);
}
#endif
