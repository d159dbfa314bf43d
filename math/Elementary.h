#pragma once

/// @file
/// The library's own elementary functions: the same bits on every IEEE 754
/// binary64 machine (x86-64 with or without FMA, aarch64, any C library, any
/// supported compiler), because each is computed here in a fixed order of
/// operations instead of by the platform's C library.
///
/// Each result is correctly rounded (round to nearest, ties to even) unless
/// the function's comment says otherwise: a fast evaluation carries a bound on
/// its own error, and when that bound leaves the rounding undecided a rare
/// slow path decides it. Special values follow the C standard's Annex F
/// (signed zeros, infinities, NaN in and NaN out).

#include "math/Export.h"

namespace orrery::elementary {

ORRERY_MATH_API double sin(double x);
ORRERY_MATH_API double cos(double x);
/// Sine and cosine of one argument, each as sin() and cos() give it.
ORRERY_MATH_API void sincos(double x, double &s, double &c);
ORRERY_MATH_API double tan(double x);

ORRERY_MATH_API double asin(double x);
ORRERY_MATH_API double acos(double x);
ORRERY_MATH_API double atan(double x);
ORRERY_MATH_API double atan2(double y, double x);
ORRERY_MATH_API float asin(float x);
ORRERY_MATH_API float acos(float x);

ORRERY_MATH_API double hypot(double x, double y);

ORRERY_MATH_API double sinh(double x);
ORRERY_MATH_API double tanh(double x);
ORRERY_MATH_API double asinh(double x);
ORRERY_MATH_API double atanh(double x);
ORRERY_MATH_API double expm1(double x);

ORRERY_MATH_API double log(double x);
ORRERY_MATH_API double log10(double x);
ORRERY_MATH_API double pow(double x, double y);
ORRERY_MATH_API float log(float x);
ORRERY_MATH_API float log10(float x);
ORRERY_MATH_API float pow(float x, float y);

} // namespace orrery::elementary
