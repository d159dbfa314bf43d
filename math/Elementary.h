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
/// The trigonometric functions, against MPFR on 10 million seeded random
/// arguments (angles in [-8, 8], [-1.5, 1.5] and [-48, 48], the whole
/// exponent range, random bits, doubles next to multiples of pi/1024), each
/// through both the fused multiply-add copy and the plain one, 2 million
/// floats for the float twins, and the hard cases of the unit test:
///
/// | function | MPFR mismatches | first bound (measured) | second stage | slow path | / C library |
/// |----------|-----------------|------------------------|--------------|-----------|-------------|
/// | sin      | 0               | 2^-64 (2^-68.3)        | 1 in 1,270   | 2.1e-5    | 0.95x       |
/// | cos      | 0               | 2^-64 (2^-68.3)        | 1 in 1,280   | 2.0e-5    | 0.88x       |
/// | sincos   | 0               | as sin and cos         | 1 in 640     | 4.1e-5    | 1.1x        |
/// | tan      | 0               | 2^-67 (2^-71.3)        | 1 in 11,600  | 3.3e-5    | 1.26x       |
///
/// Below 48 a first stage in plain double decides the rounding with the
/// relative error bound given (about 2^-11 and 2^-14 ulp; the measured worst
/// in brackets), plus 2^-98 absolute for the reduction (relative to the
/// cosine for tan, which dominates next to its poles); the share of random
/// arguments in [-10, 10] it leaves to the second stage (the accurate
/// double-double evaluation, bound 2^-12 ulp, about 15 ns more) follows, and
/// the share that stage leaves to MPFR (1 to 2 us each once the thread has
/// made one such call, whose constants MPFR then keeps). The last column is
/// the time per call on random arguments in [-8, 8] (tan: [-1.5, 1.5])
/// against the C library's sin, cos, sincos and tan (glibc 2.36, x86-64 with
/// FMA, loaded machine), which miss the correctly rounded result on about 1.2
/// (sin, cos) and 2.2 (tan) arguments in 1000.
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
/// sin() of a float, correctly rounded to float: the double result rounded
/// once more, or decided by the slow path at a float midpoint.
ORRERY_MATH_API float sin(float x);
/// cos() of a float, correctly rounded to float, as sin(float).
ORRERY_MATH_API float cos(float x);

/// Arcsine in [-pi/2, pi/2], correctly rounded. Domain [-1, 1]:
/// asin(+-0) = +-0, asin(+-1) = +-pi/2 (rounded), NaN outside and for NaN.
/// Below 2^-26 the result is x itself. A first stage in plain double with
/// an exact leading product (pieces of degree 9 up to 7/8, a root form above)
/// decides almost every rounding; a double-double second stage and the slow
/// path the rest. Times: random arguments in [-1, 1], x86-64 with the fused
/// multiply-add (whose copies also evaluate the first stages' polynomials),
/// C library of the same machine, one run on a loaded machine.
///
/// | MPFR mismatches   | 0 of 10^7 (random, near 1, piece edges), 0 of 4,500 edge cases |
/// | first-stage bound | 2^-65.4 of the result + 2^-48 of its terms from t^2 on       |
/// | second stage      | 1 in 1,700 (none of the 1,024 benchmark arguments)          |
/// | slow path         | 1 in 10^6                                                   |
/// | time vs C library | 1.7x (7.3 ns vs 4.2 ns)                                     |
ORRERY_MATH_API double asin(double x);
/// Arccosine in [0, pi], correctly rounded. Domain [-1, 1]: acos(1) = +0,
/// acos(-1) = pi (rounded), acos(+-0) = pi/2 (rounded), NaN outside and for NaN.
/// The stages of asin() with the quadrant offsets.
///
/// | MPFR mismatches   | 0 of 10^7 (random, near 1, piece edges), 0 of 4,500 edge cases |
/// | first-stage bound | as asin(), absolute                                          |
/// | second stage      | 1 in 1,900                                                   |
/// | slow path         | 1 in 10^7                                                    |
/// | time vs C library | 1.7x (7.1 ns vs 4.2 ns)                                      |
ORRERY_MATH_API double acos(double x);
/// Arctangent in [-pi/2, pi/2], correctly rounded: atan(+-0) = +-0,
/// atan(+-inf) = +-pi/2 (rounded), NaN for NaN. Below 2^-27 the result is x.
///
/// | MPFR mismatches   | 0 of 6 * 10^6 random, 0 of 1,600 edge cases |
/// | fast error bound  | 2^-66 of the result (2^-13 ulp)             |
/// | slow path         | 1 in 6 * 10^6                               |
/// | time vs C library | 1.7x (15 ns vs 8.7 ns)                      |
ORRERY_MATH_API double atan(double x);
/// The angle of (x, y) in [-pi, pi], correctly rounded, subnormal results
/// included. Signed zeros and infinities as the C standard's Annex F has
/// them: atan2(+-0, +0 or x > 0) = +-0, atan2(+-0, -0 or x < 0) = +-pi,
/// atan2(y, +-0) = +-pi/2 for y != 0, atan2(+-y, +inf) = +-0 and
/// atan2(+-y, -inf) = +-pi for finite y, atan2(+-inf, finite) = +-pi/2,
/// atan2(+-inf, +inf) = +-pi/4, atan2(+-inf, -inf) = +-3pi/4; NaN in, NaN out.
///
/// | MPFR mismatches   | 0 of 10^7 random, 0 of 1,400 edge cases     |
/// | fast error bound  | 2^-66 of the result (2^-13 ulp)             |
/// | slow path         | 1 in 5 * 10^6, none in [-10, 10]^2          |
/// | time vs C library | 1.2x (18 ns vs 15 ns)                       |
ORRERY_MATH_API double atan2(double y, double x);
/// asin() of a float, correctly rounded to float (same special values). The
/// first stage of asin() in plain double with its polynomials cut short; the
/// double first stage where that cannot decide, then the slow path.
///
/// | MPFR mismatches   | 0 of 10^7 (random, near 1, piece edges), 0 of 4,500 edge cases |
/// | first-stage bound | 2^-34 of the result                                          |
/// | second stage      | 1 in 1,500                                                   |
/// | slow path         | none in 10^7                                                 |
/// | time vs C library | 1.5x (4.5 ns vs 3.0 ns)                                      |
ORRERY_MATH_API float asin(float x);
/// acos() of a float, correctly rounded to float (same special values), as
/// asin(float).
///
/// | MPFR mismatches   | 0 of 10^7 (random, near 1, piece edges), 0 of 4,500 edge cases |
/// | first-stage bound | 2^-34 of the result                                          |
/// | second stage      | 1 in 1,500                                                   |
/// | slow path         | none in 10^7                                                 |
/// | time vs C library | 1.2x (4.8 ns vs 3.9 ns)                                      |
ORRERY_MATH_API float acos(float x);

/// sqrt(x^2 + y^2) correctly rounded, without intermediate overflow or
/// underflow (subnormal results included): hypot(+-inf, anything, NaN too) =
/// +inf, otherwise NaN in, NaN out; hypot(-0, -0) = +0.
///
/// | MPFR mismatches   | 0 of 1.2 * 10^7 random, 0 of 250 edge cases |
/// | fast error bound  | 2^-100 of the result (2^-47 ulp)            |
/// | slow path         | exact ties only: none in 1.2 * 10^7         |
/// | time vs C library | 1.3x (5.2 ns vs 3.9 ns)                     |
ORRERY_MATH_API double hypot(double x, double y);

/// @name Exponential, logarithmic and hyperbolic functions
/// Correctly rounded. Each first evaluates a plain double approximation whose
/// leading part is exact (logarithm: k ln 2 - log r + t over a 512-entry
/// table, the rest a degree-7 series in t, |t| <= 2^-9; exponential:
/// 2^(j/128) (1 + r) - c over a 128-entry table, the rest a degree-6 series,
/// |r| <= ln 2 / 256), with an error bound proven term by term in
/// math/detail/ExpLogKernels.h (at least three times the largest error
/// measured against MPFR), and tests the rounding; undecided roundings go to
/// the double-double kernels (logarithm 2^-71.0 measured, exponential
/// 2^-78.3, e^x - 1 2^-70.3; their bounds 4 to 8 times that), then to MPFR.
/// Processors with the fused multiply-add run a copy with exact products
/// and fused polynomial steps (one rounding where the others round two, within
/// the same bounds): same bits. The float functions evaluate in plain double and test the
/// rounding on the float grid (log and log10 on a shorter series: the same
/// bits as the longer one on every positive float).
///
/// Against MPFR at 53 (24) bits, round to nearest: 0 mismatches on ten
/// million seeded random arguments per function over the library's ranges
/// and far beyond plus the hard cases (scripts/elementary-accuracy.sh), with
/// the fused multiply-add; without it, the same bits on a million random
/// arguments per function. Shares of calls and speed against the C library
/// on the benchmark's arguments (bench/Elementary_bench.cpp), runs on a
/// heavily loaded two-core machine:
///
/// | function | first-stage bound | second stage | slow path | time vs C library |
/// |----------|-------------------|--------------|-----------|-------------------|
/// | log      | 2^-65 + 2^-49 t^2 / log x relative | 1 in 2,800 | 1 in 43,000 | 1.8-1.9x |
/// | log10    | (kernel only) 2^-69 | - | 1 in 67,000 | 1.2-1.5x |
/// | expm1    | 2^-74 + 2^-49 r^2 / e^r | 1 in 8,600 | 1 in 26,000 | 1.1-1.8x |
/// | sinh     | as expm1, twice | 1 in 7,200 | 1 in 20,000 | 1.9x |
/// | tanh     | as expm1, + 2^-96 | 1 in 8,500 | 1 in 19,000 | 1.3-1.7x |
/// | asinh    | as log | 1 in 2,500 | 1 in 10,000 | 1.7x |
/// | atanh    | as log, twice | 1 in 2,350 | 1 in 9,400 | 1.3-1.8x |
/// | pow      | exp's + abs(y) log's + 2^-74 abs(y log x) | 1 in 1,000 | 1 in 16,000 | 1.8-2.0x |
/// | float log, log10 | 2^-45 (2^-47.1 proven) | - | 1 in 500,000 | 1.7x, 0.75x |
/// | float pow | 2^-47 (1 + abs(y log x)), 2^-52 measured | - | 1 in 900,000 | 1.9x |
///
/// The bounds are on the value before it is rounded (t and r: the reduced
/// arguments); every result is within 0.5 ulp.
///@{

/// sinh x; tiny x (below 2^-26) give x, overflow from 710.48 gives +-inf.
/// Up to |x| = 1/4 a shorter first stage tries the odd series first, a + a^3/6
/// exact to 2^-100 and the rest in plain double (bound 2^-47 of the rest +
/// 2^-65 of the result), which leaves one rounding in 600 between 1/8 and
/// 1/4 and one in 2,200 below to the one above: the grid's small arguments
/// take it.
ORRERY_MATH_API double sinh(double x);
/// tanh x; tiny x give x, |x| above 22 give +-1, +-inf give +-1.
ORRERY_MATH_API double tanh(double x);
/// asinh x, odd; tiny x give x, +-inf give +-inf. Up to |x| = 1/8 the odd
/// series is tried first, as in sinh().
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
