#include "math/Camera.h"

#include <Eigen/Geometry>
#include <benchmark/benchmark.h>

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
