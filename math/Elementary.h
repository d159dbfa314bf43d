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

/// Sine of x in radians, correctly rounded for every double. sin(+-0) is +-0,
/// sin(+-inf) and sin(NaN) are NaN; every finite argument, up to the largest
/// double, is reduced exactly (Payne-Hanek beyond 2^20).
///
/// The trigonometric functions, against MPFR on 10.5 million seeded random
/// arguments (angles in [-40, 40], the whole exponent range, random bits,
/// doubles next to multiples of pi/4) and the hard cases of the unit test:
///
/// | function | MPFR mismatches | error bound (measured) | slow path | time / C library |
/// |----------|-----------------|------------------------|-----------|------------------|
/// | sin      | 0               | 2^-12 ulp (5e-6 ulp)   | 1.7e-5    | 0.7x, 1.3x       |
/// | cos      | 0               | 2^-12 ulp (5e-6 ulp)   | 2.0e-5    | 0.7x, 1.3x       |
/// | sincos   | 0               | as sin and cos         | 3.7e-5    | 0.65x, 1.3x      |
/// | tan      | 0               | 2^-11 ulp (6e-6 ulp)   | 3.6e-5    | 1.0x, 1.6x       |
///
/// The error bound is that of the fast evaluation before rounding, in ulps of
/// the result; the slow path is the share of random arguments in [-10, 10]
/// whose rounding it leaves to MPFR (about 9 us each); times are per call on
/// random arguments in [-10, 10] and in [-1, 1], against the C library's
/// sin, cos, sincos and tan (glibc 2.36, x86-64 with FMA; without FMA our
/// tangent takes about a quarter longer), which miss the correctly rounded
/// result on about 1.2 (sin, cos) and 2.2 (tan) arguments in 1000.
ORRERY_MATH_API double sin(double x);
/// Cosine of x in radians, correctly rounded for every double: cos(+-0) = 1,
/// cos(+-inf) and cos(NaN) are NaN. Accuracy and speed: see sin().
ORRERY_MATH_API double cos(double x);
/// Sine and cosine of one argument, each as sin() and cos() give it, from
/// one reduction of the argument.
ORRERY_MATH_API void sincos(double x, double &s, double &c);
/// Tangent of x in radians, correctly rounded for every double: tan(+-0) is
/// +-0, tan(+-inf) and tan(NaN) are NaN; no double is close enough to an odd
/// multiple of pi/2 for the result to overflow. Accuracy and speed: see sin().
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
