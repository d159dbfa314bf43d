#pragma once

/// @file
/// The library's scalar functions: square roots, arc sines and arc cosines
/// guarded against arguments that rounding pushes just outside their domain,
/// cheap sine and cosine approximations, and vector normalisation.
///
/// FastMath::sin, cos and sincos are always the parabolic approximation (error
/// below 0.0214 on [-2pi, 2pi]); call elementary::sin and elementary::cos
/// (math/Elementary.h) for full accuracy.

#include "math/Export.h"
#include "math/Vector.h"

namespace orrery {

/// The library's notion of zero within rounding: |x| < tolerance counts as zero.
extern ORRERY_MATH_API const double kAlmostEqualTolerance; ///< 2^-45
extern ORRERY_MATH_API const float kAlmostEqualToleranceF; ///< 33 * 2^-23

/// Scalar functions in float and double twins: some the library's own
/// correctly rounded elementary functions (math/Elementary.h) with their
/// arguments guarded, some polynomial or parabolic approximations
/// (their accuracy is stated with each). Each overload computes in its
/// argument's precision unless said otherwise.
class ORRERY_MATH_API FastMath {
public:
  /// Value of the parabolic sine and cosine at the middle of each quadrant.
  static constexpr double C = 0.7035;

  /// |x|: the sign bit cleared, NaN included.
  /// @{
  static float fabs(float x);
  static double fabs(double x);
  /// @}
  /// 0 for either zero, 1 for positive, -1 for negative and NaN.
  /// @{
  static int sign(float x);
  static int sign(double x);
  /// @}
  /// 1 / x, unchecked.
  /// @{
  static float inv(float x);
  static double inv(double x);
  /// @}
  /// Exact single-precision square root, then a single-precision division.
  static float rsqrt(float x);
  /// The square root; a negative x of magnitude below the almostEqual
  /// tolerance gives 0, other negative x give NaN.
  /// @{
  static float sqrt(float x);
  static double sqrt(double x);
  /// @}
  /// elementary::asin and acos (correctly rounded) of the argument clamped
  /// to [-1, 1]; NaN passes through.
  /// @{
  static float asin(float x);
  static double asin(double x);
  static float acos(float x);
  static double acos(double x);
  /// @}
  /// elementary::pow, log and log10 (correctly rounded), unguarded.
  /// @{
  static float pow(float x, float y);
  static double pow(double x, double y);
  static float log(float x);
  static double log(double x);
  static float log10(float x);
  static double log10(double x);
  /// @}
  /// log(x) times 1 / ln 2 (so log2(8.0) is 2.9999999999999996); the float
  /// one multiplies in double.
  /// @{
  static float log2(float x);
  static double log2(double x);
  /// @}

  /// Polynomial sine, within 7.5e-7 of the true sine for |x| <= 10. Arguments
  /// whose quotient by pi leaves the 32-bit integer range (|x| above about
  /// 6.7e9, infinities) are outside the domain and give NaN.
  static float fastsin(float x);
  /// fastsin(x + pi / 2), the offset rounded to float.
  static float fastcos(float x);

  /// The parabolic sine and cosine of fastSinCos (same domain, same
  /// accuracy), one or both.
  /// @{
  static float sin(float x);
  static float cos(float x);
  static double sin(double x);
  static double cos(double x);
  static void sincos(float x, float &s, float &c);
  static void sincos(double x, double &s, double &c);
  /// @}

  /// Parabolic sine and cosine for x in [-2pi, 2pi]; x below 0 is shifted up
  /// by one turn, nothing else is reduced.
  template <class T> static void fastSinCos(T x, T &s, T &c);

  /// Scales v to unit length with a single-precision factor and returns the
  /// factor (1 / length). A zero vector gives an infinite factor and NaNs; a
  /// double vector whose squared length exceeds the float range rounds it to
  /// infinity and gives the factor 0 and a zero vector.
  /// @{
  static double normalize(Vec2d &v);
  static double normalize(Vec3d &v);
  static float normalize(Vec2f &v);
  static float normalize(Vec3f &v);
  /// @}
};

extern template ORRERY_MATH_API void FastMath::fastSinCos<float>(float, float &, float &);
extern template ORRERY_MATH_API void FastMath::fastSinCos<double>(double, double &, double &);

} // namespace orrery
