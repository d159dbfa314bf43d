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

/// @name Exponential, logarithmic and hyperbolic functions
/// Correctly rounded. Each evaluates a double-double logarithm kernel
/// (512-entry table, series of log(1 + t) for |t| <= 2^-9, relative error
/// 2^-71.0 measured) or exponential kernel (2^(j/128) table, series of
/// e^r - 1 for |r| <= ln 2 / 256: 2^-78.3, and 2^-70.3 for e^x - 1), then
/// rounds with a rounding test whose bound is 4 to 8 times the largest error
/// measured against MPFR; undecided roundings (the slow-path share below)
/// go to MPFR. The float functions evaluate in plain double (2^-51 measured)
/// and test the rounding on the float grid.
///
/// Against MPFR at 53 (24) bits, round to nearest: 0 mismatches on one
/// million seeded random arguments per function over the library's ranges
/// and far beyond, built with and without the fused multiply-add, plus the
/// hard cases of the unit tests. Speed against the C library, random
/// arguments in the library's ranges, on a loaded two-core machine (the
/// range of several runs):
///
/// | function | fast-path error bound | slow path | time vs C library |
/// |----------|-----------------------|-----------|-------------------|
/// | log      | 2^-69 relative (2^-98 within 2^-20 of 1) | 1 in 70,000 | 2.3-2.9x |
/// | log10    | 2^-69 | 1 in 70,000 | 1.7-2.1x |
/// | expm1    | 2^-67 | 1 in 10,000 | 1.1-1.2x |
/// | sinh     | 2^-67 | 1 in 10,000 | 1.5-1.7x |
/// | tanh     | 2^-67 | 1 in 9,000 | 1.2-1.5x |
/// | asinh    | 2^-67 | 1 in 9,000 | 2.5-3.1x |
/// | atanh    | 2^-67 | 1 in 9,000 | 1.2-1.3x |
/// | pow      | 2^-74 + 2^-69 abs(y log x) | 1 in 7,000 (x < 10, abs(y) < 10) | 2.7-3.6x |
/// | float log, log10 | 2^-47 | 1 in 500,000 | 1.2-2.6x |
/// | float pow | 2^-47 (1 + abs(y log x)) | 1 in 125,000 | 2.3-3.0x |
///
/// The error bounds are relative to the result, before its final rounding;
/// every result is within 0.5 ulp.
///@{

/// sinh x; tiny x (below 2^-26) give x, overflow from 710.48 gives +-inf.
ORRERY_MATH_API double sinh(double x);
/// tanh x; tiny x give x, |x| above 22 give +-1, +-inf give +-1.
ORRERY_MATH_API double tanh(double x);
/// asinh x, odd; tiny x give x, +-inf give +-inf.
ORRERY_MATH_API double asinh(double x);
/// atanh x, odd; +-1 give +-inf, |x| > 1 gives NaN.
ORRERY_MATH_API double atanh(double x);
/// e^x - 1; -0 gives -0, x below -38 gives -1, x above 709.78 gives +inf.
ORRERY_MATH_API double expm1(double x);

/// Natural logarithm: log(+-0) = -inf, log(1) = +0, negative x give NaN,
/// log(+inf) = +inf; subnormal x are exact arguments.
ORRERY_MATH_API double log(double x);
/// Base-10 logarithm, exact for the powers of ten up to 1e22; otherwise as
/// log().
ORRERY_MATH_API double log10(double x);
/// x^y with the C standard's special values: pow(x, +-0) = 1 and pow(1, y) = 1
/// even for NaN, negative x with integer y signed by y's parity, negative x
/// with non-integer y NaN, pow(+-0, y) and pow(+-inf, y) by y's sign and
/// parity (pow(-0, 0.5) = +0, pow(-inf, 0.5) = +inf), |x| against 1 for
/// infinite y. Overflow gives +-inf, underflow +-0, and subnormal results are
/// rounded once. y = 0.5, 1, 2 and -1 are sqrt, x, x * x and 1 / x.
ORRERY_MATH_API double pow(double x, double y);
/// The float versions of log, log10 and pow, with the same special values.
ORRERY_MATH_API float log(float x);
ORRERY_MATH_API float log10(float x);
ORRERY_MATH_API float pow(float x, float y);
///@}

} // namespace orrery::elementary
