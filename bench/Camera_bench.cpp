#include "math/Camera.h"

#include <Eigen/Geometry>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

using namespace orrery;

namespace {

QuatCartesianCam sampleCamera() {
  QuatCartesianCam cam;
  cam.setPosition({0.3, 1.2, -2.5});
  cam.setRotation(Quatd(0.1, -0.4, 0.3, 0.85));
  return cam;
}

void BM_ours_CamGetMatrix(benchmark::State &state) {
  QuatCartesianCam cam = sampleCamera();
  for (auto _ : state) {
    benchmark::DoNotOptimize(cam);
    Mat4d view = cam.getMatrix();
    benchmark::DoNotOptimize(view);
  }
}
BENCHMARK(BM_ours_CamGetMatrix);

// The same row-vector view matrix built from the quaternion and the position.
void BM_peer_CamGetMatrix(benchmark::State &state) {
  const QuatCartesianCam cam = sampleCamera();
  Eigen::Quaterniond q(cam.rotation.w, cam.rotation.x, cam.rotation.y, cam.rotation.z);
  Eigen::Vector3d p(cam.position.x, cam.position.y, cam.position.z);
  for (auto _ : state) {
    benchmark::DoNotOptimize(q);
    benchmark::DoNotOptimize(p);
    Eigen::Matrix<double, 4, 4, Eigen::RowMajor> view;
    // Rows of r are the camera axes in world coordinates.
    const Eigen::Matrix3d r = q.normalized().toRotationMatrix();
    view.topLeftCorner<3, 3>() = r.transpose();
    view.bottomLeftCorner<1, 3>() = -(r * p).transpose();
    view.col(3) << 0.0, 0.0, 0.0, 1.0;
    benchmark::DoNotOptimize(view);
  }
}
BENCHMARK(BM_peer_CamGetMatrix);

void BM_ours_CamLookAt(benchmark::State &state) {
  const QuatCartesianCam start = sampleCamera();
  const Vec3d target{2.0, -1.0, 0.5};
  for (auto _ : state) {
    QuatCartesianCam cam = start;
    cam.lookAt(target);
    benchmark::DoNotOptimize(cam);
  }
}
BENCHMARK(BM_ours_CamLookAt);

// The peers: the same turns written plainly on Eigen's quaternion. The
// camera's rows right, up and back come from its rotation matrix; a turn
// about one of them lines the reference axis up with a direction projected
// onto the plane of the turn, by the signed angle between the two.
struct PlainCam {
  Eigen::Quaterniond q;
  Eigen::Vector3d position;

  Eigen::Matrix3d axes() const { return q.normalized().toRotationMatrix().transpose(); }
  Eigen::Vector3d right() const { return axes().row(0).transpose(); }
  Eigen::Vector3d up() const { return axes().row(1).transpose(); }
  Eigen::Vector3d towards() const { return -axes().row(2).transpose(); }

  // Turns about the camera axis local (given in world coordinates as a).
  void turnTo(const Eigen::Vector3d &dir, const Eigen::Vector3d &a, const Eigen::Vector3d &ref,
              const Eigen::Vector3d &local) {
    Eigen::Vector3d p = dir - a * dir.dot(a);
    const double len = p.norm();
    if (len < 1e-8) {
      return;
    }
    p /= len;
    const double angle = std::atan2(p.cross(ref).dot(a), p.dot(ref));
    q = q * Eigen::Quaterniond(Eigen::AngleAxisd(-angle, local));
    q.normalize();
  }
  void lookAt(const Eigen::Vector3d &target) {
    const Eigen::Vector3d d = (target - position).normalized();
    turnTo(d, up(), towards(), Eigen::Vector3d::UnitY());
    turnTo(d, right(), towards(), Eigen::Vector3d::UnitX());
  }
};

PlainCam plainCamera() {
  const QuatCartesianCam cam = sampleCamera();
  return {Eigen::Quaterniond(cam.rotation.w, cam.rotation.x, cam.rotation.y, cam.rotation.z),
          Eigen::Vector3d(cam.position.x, cam.position.y, cam.position.z)};
}

void BM_peer_CamLookAt(benchmark::State &state) {
  const PlainCam start = plainCamera();
  const Eigen::Vector3d target{2.0, -1.0, 0.5};
  for (auto _ : state) {
    PlainCam cam = start;
    cam.lookAt(target);
    benchmark::DoNotOptimize(cam);
  }
}
BENCHMARK(BM_peer_CamLookAt);

// Includes cloning the camera and releasing the copy.
void BM_ours_CamGetWorldOrientation(benchmark::State &state) {
  QuatCartesianCam cam = sampleCamera();
  for (auto _ : state) {
    benchmark::DoNotOptimize(cam);
    Vec3d hpr = cam.getWorldOrientation();
    benchmark::DoNotOptimize(hpr);
  }
}
BENCHMARK(BM_ours_CamGetWorldOrientation);

// Heading, tilt and roll against the local vertical, on a copy of the
// camera moved onto the unit sphere.
void BM_peer_CamGetWorldOrientation(benchmark::State &state) {
  const PlainCam start = plainCamera();
  for (auto _ : state) {
    benchmark::DoNotOptimize(start);
    const Eigen::Vector3d p = start.position.normalized();
    PlainCam c{start.q, p};
    const Eigen::Vector3d up0 = c.up();
    c.turnTo(p, c.towards(), c.up(), -Eigen::Vector3d::UnitZ());
    const Eigen::Vector3d towards = c.towards();
    const Eigen::Vector3d up1 = c.up();
    const double roll = -std::atan2(up0.cross(up1).dot(-towards), up0.dot(up1));
    const double tilt = std::acos(std::clamp(-p.dot(towards), -1.0, 1.0));
    c.turnTo(p, c.right(), c.up(), Eigen::Vector3d::UnitX());
    const Eigen::Vector3d v = Eigen::Vector3d::UnitY() - p;
    const Eigen::Vector3d north = (v - p * p.dot(v)).normalized();
    const Eigen::Vector3d t = c.towards();
    const double heading = std::atan2(t.cross(north).dot(p), t.dot(north));
    Eigen::Vector3d hpr(heading, tilt, roll);
    benchmark::DoNotOptimize(hpr);
  }
}
BENCHMARK(BM_peer_CamGetWorldOrientation);

// The clone alone, for comparison with the above.
void BM_ours_CamClone(benchmark::State &state) {
  QuatCartesianCam cam = sampleCamera();
  for (auto _ : state) {
    benchmark::DoNotOptimize(cam);
    RefPtr<ICartesianCam> copy = cam.clone();
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_ours_CamClone);

void BM_ours_CamCameraSpaceRotate(benchmark::State &state) {
  QuatCartesianCam cam = sampleCamera();
  const Vec3d axis{0.2, 1.0, -0.3};
  for (auto _ : state) {
    cam.cameraSpaceRotate(axis, 1e-3);
    benchmark::DoNotOptimize(cam);
  }
}
BENCHMARK(BM_ours_CamCameraSpaceRotate);

} // namespace
