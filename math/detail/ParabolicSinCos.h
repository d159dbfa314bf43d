#pragma once

// Internal to the library (not installed): the parabolic sine and cosine of
// FastMath::fastSinCos, inline so that the library's own callers (the
// quaternion slerp) compute it in place instead of through the exported call.

#include "math/FastMath.h"

namespace orrery::detail {

// The constants of the parabolic sine for one precision.
template <class T> struct Quadrants;
template <> struct Quadrants<double> {
  static constexpr double kHalfPi = 1.5707963267948966;
  static constexpr double kPi = 3.141592653589793;
  static constexpr double kThreeHalfPi = 4.71238898038469;
  static constexpr double kTwoPi = 6.283185307179586;
};
template <> struct Quadrants<float> {
  static constexpr float kHalfPi = 1.5707964f;
  static constexpr float kPi = 3.1415927f;
  static constexpr float kThreeHalfPi = 4.712389f;
  static constexpr float kTwoPi = 6.2831855f;
};

// One parabola per quadrant through 0, C and 1 at its start, middle and end.
template <class T> inline void parabolicSinCos(T x, T &s, T &c) {
  using Q = Quadrants<T>;
  if (x < T(0)) {
    x += Q::kTwoPi;
  }
  const T h = Q::kHalfPi;
  const T m = static_cast<T>(FastMath::C);
  const T a = m * T(-4) + T(2);
  if (x <= h) {
    const T t = x / h - T(0.5);
    const T p = a * t * t + m;
    c = p - t;
    s = t + p;
  } else if (x <= Q::kPi) {
    const T u = T(0.5) - (x - h) / h;
    const T p = a * u * u + m;
    c = u - p;
    s = u + p;
  } else if (x <= Q::kThreeHalfPi) {
    const T t = (x - Q::kPi) / h - T(0.5);
    const T q = (m * T(4) - T(2)) * t * t - m;
    c = t + q;
    s = q - t;
  } else {
    const T t = (x - Q::kThreeHalfPi) / h - T(0.5);
    const T p = a * t * t + m;
    c = t + p;
    s = t - p;
  }
}

template <class T> inline T parabolicSin(T x) {
  T s;
  T c;
  parabolicSinCos(x, s, c);
  return s;
}

template <class T> inline T parabolicCos(T x) {
  T s;
  T c;
  parabolicSinCos(x, s, c);
  return c;
}

} // namespace orrery::detail
