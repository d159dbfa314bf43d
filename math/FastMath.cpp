#include "math/FastMath.h"
#include "math/Elementary.h"
#include "math/detail/ParabolicSinCos.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace orrery {

// Floating-point division by zero, narrowing a double beyond the float range
// to float (normalize of a long Vec3d), infinities and NaN all follow IEEE 754
// arithmetic here, so they are defined results rather than undefined
// behaviour.
static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<float>::is_iec559);

constexpr double kAlmostEqualTolerance = 0x1p-45;
constexpr float kAlmostEqualToleranceF = 33.0f * 0x1p-23f;

namespace {

constexpr double kInvLn2 = 1.4426950408889634;

template <class T> T clearSign(T x) {
  // Clears the bit itself so that -0 and NaN lose their sign as well.
  using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
  Bits b;
  std::memcpy(&b, &x, sizeof b);
  b &= ~(Bits(1) << (sizeof(T) * 8 - 1));
  std::memcpy(&x, &b, sizeof b);
  return x;
}

template <class T> int signOf(T x) {
  if (x == T(0)) {
    return 0;
  }
  return x > T(0) ? 1 : -1;
}

template <class T> T guardedSqrt(T x, T tolerance) {
  if (x < T(0) && -x < tolerance) {
    return T(0);
  }
  return std::sqrt(x);
}

template <class T> T clampUnit(T x) {
  if (x > T(1)) {
    return T(1);
  }
  if (x < T(-1)) {
    return T(-1);
  }
  return x;
}

template <class V> typename V::Scalar scaleToUnit(V &v, typename V::Scalar f) {
  v = v * f;
  return f;
}

} // namespace

float FastMath::fabs(float x) { return clearSign(x); }
double FastMath::fabs(double x) { return clearSign(x); }
int FastMath::sign(float x) { return signOf(x); }
int FastMath::sign(double x) { return signOf(x); }
float FastMath::inv(float x) { return 1.0f / x; }
double FastMath::inv(double x) { return 1.0 / x; }
float FastMath::rsqrt(float x) { return 1.0f / std::sqrt(x); }
float FastMath::sqrt(float x) { return guardedSqrt(x, kAlmostEqualToleranceF); }
double FastMath::sqrt(double x) { return guardedSqrt(x, kAlmostEqualTolerance); }
float FastMath::asin(float x) { return elementary::asin(clampUnit(x)); }
double FastMath::asin(double x) { return elementary::asin(clampUnit(x)); }
float FastMath::acos(float x) { return elementary::acos(clampUnit(x)); }
double FastMath::acos(double x) { return elementary::acos(clampUnit(x)); }
float FastMath::pow(float x, float y) { return elementary::pow(x, y); }
double FastMath::pow(double x, double y) { return elementary::pow(x, y); }
float FastMath::log(float x) { return elementary::log(x); }
double FastMath::log(double x) { return elementary::log(x); }
float FastMath::log10(float x) { return elementary::log10(x); }
double FastMath::log10(double x) { return elementary::log10(x); }
float FastMath::log2(float x) { return static_cast<float>(double(log(x)) * kInvLn2); }
double FastMath::log2(double x) { return log(x) * kInvLn2; }

float FastMath::fastsin(float x) {
  constexpr float kHalfPi = 1.5707964f;
  constexpr float kPi = 3.1415927f;
  constexpr float kInvPi = 0.31830987f;
  float r = x;
  bool negate = false;
  if (x > kHalfPi || x < 0.0f) {
    const float q = x * kInvPi;
    // Truncation is only defined inside the int range; beyond it the
    // argument is outside the function's domain.
    if (!(q >= -2147483648.0f && q < 2147483648.0f)) {
      return std::numeric_limits<float>::quiet_NaN();
    }
    const auto k = static_cast<std::int32_t>(q);
    r = x + static_cast<float>(k) * -kPi;
    negate = r < 0.0f;
    if (r < 0.0f) {
      r = -r;
    }
    if (k % 2 != 0) {
      negate = !negate;
    }
    if (r > kHalfPi) {
      r = kPi - r;
    }
  }
  const double rd = r;
  const double r2 = rd * rd;
  const double s =
      ((((2.5842385779145e-06 * r2 - 0.00019799147955241832) * r2 + 0.00833291093532942) * r2 -
        0.16666652675811644) *
           r2 +
       1.0) *
      rd;
  const auto sf = static_cast<float>(s);
  return negate ? -sf : sf;
}

float FastMath::fastcos(float x) { return fastsin(x + 1.5707964f); }

template <class T> void FastMath::fastSinCos(T x, T &s, T &c) { detail::parabolicSinCos(x, s, c); }

template void FastMath::fastSinCos<float>(float, float &, float &);
template void FastMath::fastSinCos<double>(double, double &, double &);

float FastMath::sin(float x) { return detail::parabolicSin(x); }
float FastMath::cos(float x) { return detail::parabolicCos(x); }
double FastMath::sin(double x) { return detail::parabolicSin(x); }
double FastMath::cos(double x) { return detail::parabolicCos(x); }
void FastMath::sincos(float x, float &s, float &c) { detail::parabolicSinCos(x, s, c); }
void FastMath::sincos(double x, double &s, double &c) { detail::parabolicSinCos(x, s, c); }

double FastMath::normalize(Vec2d &v) {
  return scaleToUnit(v, double(rsqrt(static_cast<float>(v.x * v.x + v.y * v.y))));
}
double FastMath::normalize(Vec3d &v) {
  return scaleToUnit(v, double(rsqrt(static_cast<float>(v.x * v.x + v.y * v.y + v.z * v.z))));
}
float FastMath::normalize(Vec2f &v) { return scaleToUnit(v, rsqrt(v.x * v.x + v.y * v.y)); }
float FastMath::normalize(Vec3f &v) {
  return scaleToUnit(v, rsqrt(v.x * v.x + v.y * v.y + v.z * v.z));
}

} // namespace orrery
