#pragma once

// Helpers shared by the test suites and the fuzz harnesses: π, the row-vector
// perspective projection and, where Eigen is available, conversions to
// Eigen's types for the reference checks.

#include "math/Vector.h"

#include <cmath>

#if __has_include(<Eigen/Core>)
#include <Eigen/Core>
#endif

namespace orrery::test {

inline constexpr double kPi = 3.141592653589793;

// The row-vector perspective projection: vertical field of view fovY,
// width / height aspect, near and far distances n and f, depth mapped to
// [-1, 1] as Frustum::build expects.
inline Mat4d perspective(double fovY, double aspect, double n, double f) {
  const double t = 1 / std::tan(0.5 * fovY);
  Mat4d m;
  m.set(t / aspect, 0, 0, 0, 0, t, 0, 0, 0, 0, (n + f) / (n - f), -1, 0, 0, 2 * n * f / (n - f), 0);
  return m;
}

#if __has_include(<Eigen/Core>)
using RowMajor4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;
inline Eigen::Vector3d toEigen(const Vec3d &v) { return {v.x, v.y, v.z}; }
inline RowMajor4 toEigen(const Mat4d &m) { return Eigen::Map<const RowMajor4>(m.m); }
inline Vec3d fromEigen(const Eigen::Vector3d &v) { return {v.x(), v.y(), v.z()}; }
#endif

} // namespace orrery::test
