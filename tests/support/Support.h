#pragma once

// Helpers shared by the test suites and the fuzz harnesses: π, the row-vector
// perspective projection and, where Eigen is available, conversions to
// Eigen's types for the reference checks.

#include "math/Vector.h"

#include <cmath>
#include <cstring>

#if __has_include(<Eigen/Core>)
#include <Eigen/Core>
#endif

namespace orrery::test {

inline constexpr double kPi = 3.141592653589793;

// Equal to the last bit: NaN payloads and the sign of zero count.
template <class T> bool sameBits(const T &a, const T &b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Mat4d::buildPerspective as a value.
inline Mat4d perspective(double fovY, double aspect, double n, double f) {
  Mat4d m;
  m.buildPerspective(fovY, aspect, n, f);
  return m;
}

#if __has_include(<Eigen/Core>)
using RowMajor4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;
inline Eigen::Vector3d toEigen(const Vec3d &v) { return {v.x, v.y, v.z}; }
inline RowMajor4 toEigen(const Mat4d &m) { return Eigen::Map<const RowMajor4>(m.m); }
inline Vec3d fromEigen(const Eigen::Vector3d &v) { return {v.x(), v.y(), v.z()}; }
#endif

} // namespace orrery::test
