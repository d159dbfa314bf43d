#pragma once

/// @file
/// Vectors and matrices in double (d) and float (f) twins, plus Vec2<int>.
///
/// Conventions every caller relies on:
/// - Matrices are stored row by row: element k is row k / N, column k % N.
/// - Points multiply matrices from the left as row vectors, so a 4x4 transform
///   keeps its translation in elements 12, 13, 14 and Mat4d::mul(a, b) applies
///   a first, then b.
/// - Every member product writes into this after reading all of its inputs, so
///   this may alias any input.
/// - Float operations compute in float throughout.
/// - getRow and getCol take a 0-based index; an index outside 0 .. N-1 leaves
///   the vector unchanged.

#include "math/Export.h"

#include <cmath>
#include <concepts>

namespace orrery {

class Quatd;
struct Vec2d;
struct Vec3d;
struct Vec4d;
struct Vec2f;
struct Vec3f;
struct Vec4f;
class Mat2d;
class Mat3d;
class Mat4d;
class Mat2f;
class Mat3f;
class Mat4f;

/// A plain pair, for integer grid coordinates.
template <class T> struct Vec2 {
  /// The components.
  /// @{
  T x;
  T y;
  /// @}
  /// Component by component.
  bool operator==(const Vec2 &) const = default;
};

/// A 2-vector of doubles.
struct ORRERY_MATH_API Vec2d {
  using Scalar = double; ///< the component type
  /// The components.
  /// @{
  double x;
  double y;
  /// @}

  static const Vec2d zero; ///< every component 0

  /// Assignment and products with a matrix: set assigns the components;
  /// getRow and getCol copy row r or column c of m (0-based; out of range
  /// leaves this unchanged); mul sets this = v * m and mulTranspose this =
  /// v * transpose(m), the forms with w multiplying the row (v, w) and
  /// keeping its first components; operator*= multiplies this in place.
  /// @{
  void set(double x, double y);
  void getRow(const Mat2d &m, int r);
  void getCol(const Mat2d &m, int c);
  void mul(const Vec2d &v, const Mat2d &m);
  void operator*=(const Mat2d &m);
  void mulTranspose(const Vec2d &v, const Mat2d &m);
  void mul(const Vec2d &v, double w, const Mat3d &m);
  void mulTranspose(const Vec2d &v, double w, const Mat3d &m);
  /// @}

  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Vec2d &) const = default;
};

/// A 3-vector of doubles, also a point when multiplied by a 4x4 transform.
struct ORRERY_MATH_API Vec3d {
  using Scalar = double; ///< the component type
  /// The components.
  /// @{
  double x;
  double y;
  double z;
  /// @}

  static const Vec3d zero; ///< every component 0

  /// Assignment and products with a matrix: set assigns the components;
  /// getRow and getCol copy row r or column c of m (0-based; out of range
  /// leaves this unchanged); mul sets this = v * m and mulTranspose this =
  /// v * transpose(m), the forms with w multiplying the row (v, w) and
  /// keeping its first components; operator*= multiplies this in place.
  /// @{
  void set(double x, double y, double z);
  void getRow(const Mat3d &m, int r);
  void getCol(const Mat3d &m, int c);
  void mul(const Vec3d &v, const Mat3d &m);
  void operator*=(const Mat3d &m);
  void mulTranspose(const Vec3d &v, const Mat3d &m);
  void mul(const Vec2d &v, double w, const Mat3d &m);
  void mulTranspose(const Vec2d &v, double w, const Mat3d &m);
  void mul(const Vec3d &v, double w, const Mat4d &m);
  void mulTranspose(const Vec3d &v, double w, const Mat4d &m);
  /// Transforms this as the point (x, y, z, 1).
  void operator*=(const Mat4d &m);
  /// Transforms (x, y, z, 1) by m and divides by the resulting w, unchecked.
  void project(const Mat4d &m);
  /// @}

  /// Geodetic frame (the unit sphere at the origin, +Y north, longitude 0 at
  /// -Z, east at -X) against normalised spherical form (longitude / 180 deg,
  /// latitude / 180 deg, altitude / planet radius).
  /// @{
  void toCartesian(const Vec3d &sph);
  Vec3d getCartesian() const;
  void toSpherical(const Vec3d &cart);
  Vec3d getSpherical() const;
  /// @}

  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Vec3d &) const = default;
};

/// A 4-vector of doubles.
struct ORRERY_MATH_API Vec4d {
  using Scalar = double; ///< the component type
  /// The components.
  /// @{
  double x;
  double y;
  double z;
  double w;
  /// @}

  static const Vec4d zero; ///< every component 0

  /// Assignment and products with a matrix: set assigns the components;
  /// getRow and getCol copy row r or column c of m (0-based; out of range
  /// leaves this unchanged); mul sets this = v * m and mulTranspose this =
  /// v * transpose(m), the forms with w multiplying the row (v, w) and
  /// keeping its first components; operator*= multiplies this in place.
  /// @{
  void set(double x, double y, double z, double w);
  void getRow(const Mat4d &m, int r);
  void getCol(const Mat4d &m, int c);
  void mul(const Vec4d &v, const Mat4d &m);
  void operator*=(const Mat4d &m);
  void mulTranspose(const Vec4d &v, const Mat4d &m);
  void mul(const Vec3d &v, double w, const Mat4d &m);
  void mulTranspose(const Vec3d &v, double w, const Mat4d &m);
  /// @}

  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Vec4d &) const = default;
};

/// A 2-vector of floats, computed in float.
struct ORRERY_MATH_API Vec2f {
  using Scalar = float; ///< the component type
  /// The components.
  /// @{
  float x;
  float y;
  /// @}

  static const Vec2f zero; ///< every component 0

  /// Assignment and products with a matrix: set assigns the components;
  /// getRow and getCol copy row r or column c of m (0-based; out of range
  /// leaves this unchanged); mul sets this = v * m and mulTranspose this =
  /// v * transpose(m), the forms with w multiplying the row (v, w) and
  /// keeping its first components; operator*= multiplies this in place.
  /// @{
  void set(float x, float y);
  void getRow(const Mat2f &m, int r);
  void getCol(const Mat2f &m, int c);
  void mul(const Vec2f &v, const Mat2f &m);
  void operator*=(const Mat2f &m);
  void mulTranspose(const Vec2f &v, const Mat2f &m);
  void mul(const Vec2f &v, float w, const Mat3f &m);
  void mulTranspose(const Vec2f &v, float w, const Mat3f &m);
  /// @}

  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Vec2f &) const = default;
};

/// A 3-vector of floats, computed in float.
struct ORRERY_MATH_API Vec3f {
  using Scalar = float; ///< the component type
  /// The components.
  /// @{
  float x;
  float y;
  float z;
  /// @}

  static const Vec3f zero; ///< every component 0

  /// Assignment and products with a matrix: set assigns the components;
  /// getRow and getCol copy row r or column c of m (0-based; out of range
  /// leaves this unchanged); mul sets this = v * m and mulTranspose this =
  /// v * transpose(m), the forms with w multiplying the row (v, w) and
  /// keeping its first components; operator*= multiplies this in place.
  /// @{
  void set(float x, float y, float z);
  /// Stores each argument rounded to float.
  void setDouble(double x, double y, double z);
  void getRow(const Mat3f &m, int r);
  void getCol(const Mat3f &m, int c);
  void mul(const Vec3f &v, const Mat3f &m);
  void operator*=(const Mat3f &m);
  void mulTranspose(const Vec3f &v, const Mat3f &m);
  void mul(const Vec2f &v, float w, const Mat3f &m);
  void mulTranspose(const Vec2f &v, float w, const Mat3f &m);
  void mul(const Vec3f &v, float w, const Mat4f &m);
  void mulTranspose(const Vec3f &v, float w, const Mat4f &m);
  void operator*=(const Mat4f &m);
  void project(const Mat4f &m);
  /// @}

  /// In-place twins of Vec3d::toCartesian and Vec3d::toSpherical.
  /// @{
  void toCartesian();
  void toSpherical();
  /// @}

  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Vec3f &) const = default;
};

/// A 4-vector of floats, computed in float.
struct ORRERY_MATH_API Vec4f {
  using Scalar = float; ///< the component type
  /// The components.
  /// @{
  float x;
  float y;
  float z;
  float w;
  /// @}

  static const Vec4f zero; ///< every component 0

  /// Assignment and products with a matrix: set assigns the components;
  /// getRow and getCol copy row r or column c of m (0-based; out of range
  /// leaves this unchanged); mul sets this = v * m and mulTranspose this =
  /// v * transpose(m), the forms with w multiplying the row (v, w) and
  /// keeping its first components; operator*= multiplies this in place.
  /// @{
  void set(float x, float y, float z, float w);
  void getRow(const Mat4f &m, int r);
  void getCol(const Mat4f &m, int c);
  void mul(const Vec4f &v, const Mat4f &m);
  void operator*=(const Mat4f &m);
  void mulTranspose(const Vec4f &v, const Mat4f &m);
  void mul(const Vec3f &v, float w, const Mat4f &m);
  void mulTranspose(const Vec3f &v, float w, const Mat4f &m);
  /// @}

  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Vec4f &) const = default;
};

/// A 2x2 matrix of doubles, row by row.
class ORRERY_MATH_API Mat2d {
public:
  using Scalar = double;          ///< the component type
  static constexpr int kSize = 2; ///< rows and columns
  double m[4];                    ///< the elements, row by row

  static const Mat2d identity; ///< the identity matrix

  /// Sets the elements, row by row.
  void set(double m00, double m01, double m10, double m11);
  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Mat2d &) const = default;
};

/// A 3x3 matrix of doubles, row by row.
class ORRERY_MATH_API Mat3d {
public:
  using Scalar = double;          ///< the component type
  static constexpr int kSize = 3; ///< rows and columns
  double m[9];                    ///< the elements, row by row

  static const Mat3d identity; ///< the identity matrix

  /// Sets the elements, row by row.
  void set(double m00, double m01, double m02, double m10, double m11, double m12, double m20,
           double m21, double m22);
  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Mat3d &) const = default;
};

/// A 4x4 transform of doubles, row by row, for row vectors.
class ORRERY_MATH_API Mat4d {
public:
  using Scalar = double;          ///< the component type
  static constexpr int kSize = 4; ///< rows and columns
  double m[16];                   ///< the elements, row by row

  static const Mat4d identity; ///< the identity matrix

  /// Elements left uninitialised.
  Mat4d() = default;
  /// Widens each element; positions are kept.
  /// @{
  explicit Mat4d(const Mat4f &f);
  void operator=(const Mat4f &f);
  /// @}

  /// Sets the elements, row by row.
  void set(double m00, double m01, double m02, double m03, double m10, double m11, double m12,
           double m13, double m20, double m21, double m22, double m23, double m30, double m31,
           double m32, double m33);
  /// this = a * b: the transform that applies a first, then b.
  void mul(const Mat4d &a, const Mat4d &b);

  /// The rotation of q (normalised first) with no translation.
  void fromQuaternion(const Quatd &q);

  /// Sets this to the view matrix (world to camera space, the camera looking
  /// along its -z) of a camera at eye looking at target with up as its up
  /// direction.
  void buildLookAt(const Vec3d &eye, const Vec3d &target, const Vec3d &up);
  /// The perspective projection to pair with a view matrix in Frustum::build:
  /// row vectors, camera space looking along -z, fovY the vertical field of
  /// view in radians, aspect width over height. After the divide by w (which
  /// is -z) depth runs from -1 at zNear to 1 at zFar. Nothing is checked: fovY
  /// in (0, pi), aspect > 0 and 0 < zNear < zFar make a usable projection.
  void buildPerspective(double fovY, double aspect, double zNear, double zFar);
  /// Reads a view matrix: the camera's position and its unit forward, up
  /// and right axes, from the inverse (math::invertFullPivot). False, with
  /// the outputs untouched, when the matrix cannot be inverted.
  bool getNormalizedViewParams(Vec3d &position, Vec3d &forward, Vec3d &up, Vec3d &right) const;
  /// The roll of a view matrix in radians: the asin of the camera's right
  /// axis against the up direction of the horizon seen from its position
  /// (the position taken as the local vertical). 0 when the matrix cannot be
  /// inverted or the camera looks straight along the vertical.
  double getRoll() const;
  /// Turns the camera about its line of sight so that getRoll reads roll
  /// (a turn the other way for an upside-down camera); nothing when the
  /// matrix cannot be inverted.
  void setRoll(double roll);

  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Mat4d &) const = default;
};

/// A 2x2 matrix of floats, row by row.
class ORRERY_MATH_API Mat2f {
public:
  using Scalar = float;           ///< the component type
  static constexpr int kSize = 2; ///< rows and columns
  float m[4];                     ///< the elements, row by row

  static const Mat2f identity; ///< the identity matrix

  /// Sets the elements, row by row.
  void set(float m00, float m01, float m10, float m11);
  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Mat2f &) const = default;
};

/// A 3x3 matrix of floats, row by row.
class ORRERY_MATH_API Mat3f {
public:
  using Scalar = float;           ///< the component type
  static constexpr int kSize = 3; ///< rows and columns
  float m[9];                     ///< the elements, row by row

  static const Mat3f identity; ///< the identity matrix

  /// Sets the elements, row by row.
  void set(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
           float m22);
  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Mat3f &) const = default;
};

/// A 4x4 transform of floats, row by row, for row vectors.
class ORRERY_MATH_API Mat4f {
public:
  using Scalar = float;           ///< the component type
  static constexpr int kSize = 4; ///< rows and columns
  float m[16];                    ///< the elements, row by row

  static const Mat4f identity; ///< the identity matrix

  /// Elements left uninitialised.
  Mat4f() = default;
  /// Rounds each element to float; positions are kept.
  /// @{
  explicit Mat4f(const Mat4d &d);
  void operator=(const Mat4d &d);
  /// @}

  /// Sets the elements, row by row.
  void set(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
           float m20, float m21, float m22, float m23, float m30, float m31, float m32, float m33);
  /// Component by component: -0 equals +0, NaN equals nothing.
  bool operator==(const Mat4f &) const = default;
};

// Inline component arithmetic shared by the twins.

/// The vector types of the inline arithmetic, by size.
/// @{
template <class V>
concept Vector2 = std::same_as<V, Vec2d> || std::same_as<V, Vec2f>;
template <class V>
concept Vector3 = std::same_as<V, Vec3d> || std::same_as<V, Vec3f>;
template <class V>
concept Vector4 = std::same_as<V, Vec4d> || std::same_as<V, Vec4f>;
/// @}

/// Component-wise sum, difference, negation and scaling of vectors of one
/// size, their dot products (summed in component order) and the cross
/// product of 3-vectors.
/// @{
template <Vector2 V> constexpr V operator+(const V &a, const V &b) {
  return {a.x + b.x, a.y + b.y};
}
template <Vector2 V> constexpr V operator-(const V &a, const V &b) {
  return {a.x - b.x, a.y - b.y};
}
template <Vector2 V> constexpr V operator-(const V &a) { return {-a.x, -a.y}; }
template <Vector2 V> constexpr V operator*(const V &a, typename V::Scalar s) {
  return {a.x * s, a.y * s};
}
template <Vector2 V> constexpr V operator/(const V &a, typename V::Scalar s) {
  return {a.x / s, a.y / s};
}
template <Vector2 V> constexpr typename V::Scalar dot(const V &a, const V &b) {
  return a.x * b.x + a.y * b.y;
}

template <Vector3 V> constexpr V operator+(const V &a, const V &b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <Vector3 V> constexpr V operator-(const V &a, const V &b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <Vector3 V> constexpr V operator-(const V &a) { return {-a.x, -a.y, -a.z}; }
template <Vector3 V> constexpr V operator*(const V &a, typename V::Scalar s) {
  return {a.x * s, a.y * s, a.z * s};
}
template <Vector3 V> constexpr V operator/(const V &a, typename V::Scalar s) {
  return {a.x / s, a.y / s, a.z / s};
}
template <Vector3 V> constexpr typename V::Scalar dot(const V &a, const V &b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <Vector3 V> constexpr V cross(const V &a, const V &b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <Vector4 V> constexpr V operator+(const V &a, const V &b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
template <Vector4 V> constexpr V operator-(const V &a, const V &b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
template <Vector4 V> constexpr V operator-(const V &a) { return {-a.x, -a.y, -a.z, -a.w}; }
template <Vector4 V> constexpr V operator*(const V &a, typename V::Scalar s) {
  return {a.x * s, a.y * s, a.z * s, a.w * s};
}
template <Vector4 V> constexpr V operator/(const V &a, typename V::Scalar s) {
  return {a.x / s, a.y / s, a.z / s, a.w / s};
}
template <Vector4 V> constexpr typename V::Scalar dot(const V &a, const V &b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
/// @}

/// s * a, the same as a * s.
template <class V>
requires Vector2<V> || Vector3<V> || Vector4<V>
constexpr V operator*(typename V::Scalar s, const V &a) { return a * s; }

/// Euclidean length; the square root of a sum of squares, so it equals the
/// guarded FastMath::sqrt bit for bit.
template <class V>
requires Vector2<V> || Vector3<V> || Vector4<V>
inline typename V::Scalar length(const V &a) { return std::sqrt(dot(a, a)); }

/// Divides v by its length unless that length is exactly 0 (a zero vector
/// stays zero) and returns the length. Unlike FastMath::normalize this divides
/// in full precision.
template <class V>
requires Vector2<V> || Vector3<V> || Vector4<V>
inline typename V::Scalar divideByLength(V &v) {
  const typename V::Scalar len = length(v);
  if (len != 0) {
    v = v / len;
  }
  return len;
}

} // namespace orrery
