#pragma once

/// @file
/// Quatd: the rotation type of the library.
///
/// Conventions every caller relies on:
/// - Components are stored x, y, z (the vector part), then w (the scalar part);
///   the identity is (0, 0, 0, 1).
/// - The product is the Hamilton product. A quaternion q acts on a row vector v
///   as v times Mat4d::fromQuaternion(q), which is v -> q^-1 v q. So a * b
///   applies a first, then b, exactly like Mat4d::mul(A, B).
/// - "Normalise" divides all four components by sqrt(x^2 + y^2 + z^2 + w^2)
///   unless that norm is exactly 0, in which case they stay as they are; a NaN
///   norm makes every component NaN.
///
/// Heap instances are allocated with orrery::doNew and released with
/// orrery::doDelete (default memory manager).

#include "common/Memory.h"
#include "math/Export.h"
#include "math/Vector.h"

#include <cmath>

namespace orrery {

/// A rotation quaternion x i + y j + z k + w, unit when it stands for a
/// rotation; the products normalise, the setters do not.
class ORRERY_MATH_API Quatd {
public:
  ORRERY_ALLOCATE_WITH_DONEW

  /// The vector part (x, y, z) and the scalar part w.
  /// @{
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double w = 1.0;
  /// @}

  /// The identity rotation.
  Quatd() = default;
  /// The components as given, not normalised.
  Quatd(double x, double y, double z, double w) : x(x), y(y), z(z), w(w) {}
  /// Component by component.
  /// @{
  Quatd(const Quatd &) = default;
  Quatd &operator=(const Quatd &) = default;
  /// @}
  virtual ~Quatd();

  /// Sets the components as given, not normalised.
  void set(double x, double y, double z, double w);

  /// The normalised Hamilton product this * q (this first, then q).
  Quatd operator*(const Quatd &q) const;
  /// this = this * q, normalised.
  Quatd &operator*=(const Quatd &q);

  /// Sets this to the rotation in the upper-left 3x3 of m, which must be a
  /// rotation matrix; the result is q or -q of the quaternion the matrix was
  /// built from (w >= 0 unless the trace is within 2^-45 of -1, a half turn).
  /// It is not normalised afterwards.
  void fromMatrix(const Mat4d &m);

  /// Sets this to the shortest rotation that takes the direction of from onto
  /// the direction of to. A zero-length input gives the identity; opposite
  /// directions give a half turn about an axis perpendicular to from.
  void buildRotation(const Vec3d &from, const Vec3d &to);

  /// Sets this to the rotation that takes the direction a1 onto b1 and then
  /// twists about b1 by the angle between the turned a2 and b2. The twist is
  /// taken in the sense that carries the turned a2 towards b2 (right-handed
  /// about b1 when (a2' x b2) . b1 >= -2^-45, left-handed otherwise), so a2
  /// lands on b2 whenever both are perpendicular to b1. Zero-length inputs
  /// stay zero: a zero a1 or b1 makes the first turn the identity.
  void buildRotation(const Vec3d &a1, const Vec3d &a2, const Vec3d &b1, const Vec3d &b2);

  /// Sets this to the spherical interpolation from a (t = 0) to b (t = 1)
  /// along the shorter arc (a is negated when a . b < 0). The weights use the
  /// parabolic FastMath::sin, so the spacing of the rotations deviates from
  /// true slerp by a few percent of the angle; inputs closer than
  /// 1 - a . b = 1e-4 are interpolated linearly. Returns 1 - |a . b| of the
  /// normalised inputs.
  double slerp(Quatd a, Quatd b, double t);
};

/// Divides q by its norm unless the norm is exactly 0 and returns the norm.
/// The norm is the square root of a sum of squares, so it equals the guarded
/// FastMath::sqrt bit for bit.
inline double divideByNorm(Quatd &q) {
  const double n = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (n != 0.0) {
    q.x = q.x / n;
    q.y = q.y / n;
    q.z = q.z / n;
    q.w = q.w / n;
  }
  return n;
}

} // namespace orrery
