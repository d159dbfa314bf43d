#pragma once

/// @file
/// Interpolation for smooth camera flights.
///
/// Hyperbolic geodesics in the Poincare upper half-plane (points (x, y) with
/// y > 0, curvature -1): moving at constant hyperbolic speed between two points
/// rises along a half-circle when they are far apart for their heights and
/// stays nearly straight when they are close. Points on or below the x axis
/// give meaningless results; nothing is checked.
///
/// A four-key cubic spline over opaque key values, reduced to three blends of
/// two keys by a caller-supplied callback.

#include "math/Export.h"

namespace orrery {

/// The hyperbolic distance between (x1, y1) and (x2, y2) (|ln(y2 / y1)| on a
/// vertical line), and, for each output pointer that is not null, the point at
/// fraction t of that distance along the geodesic from the first point to the
/// second. t = 0 gives the first point, t = 1 the second; t outside [0, 1]
/// extrapolates along the same geodesic. Coincident points give distance 0 and
/// the first point for every finite t (an infinite t gives NaN).
/// The distance is taken as 2 atanh(r) of a disk radius r within about e^-d of
/// 1, so its absolute error grows like e^d times the rounding of 1: about 1e-9
/// at a distance of 16.
ORRERY_MATH_API double hlerp_uhp(double x1, double y1, double x2, double y2, double t, double *outX,
                                 double *outY);

/// The hyperbolic distance alone.
ORRERY_MATH_API double hdist_uhp(double x1, double y1, double x2, double y2);

/// Blends two key values into out: (1 - w) a + w b in the key type's sense
/// (w = 0 gives a, w = 1 gives b, w may lie outside [0, 1]). Returns false on
/// failure.
using SplineInterpFn = bool (*)(const void *a, const void *b, double w, void *out, void *context);

/// Evaluates at time t (normally between t1 and t2) the non-uniform Catmull-Rom
/// spline through key0..key3 at the strictly increasing times t0 < t1 < t2 < t3:
/// through key1 at t1 and key2 at t2, with end tangents from the quadratic
/// through each end's three nearest keys. The value is B0 key0 + B1 key1 +
/// B2 key2 + B3 key3 (weights summing to 1), formed as
///   scratch01 = interp(key0, key1, B1 / (B0 + B1)),
///   scratch23 = interp(key2, key3, B3 / (B2 + B3)),
///   out = interp(scratch01, scratch23, B2 + B3),
/// a pair weight being 0.5 when its pair's weights sum to exactly 0. Returns
/// false as soon as a callback fails, without calling the rest (out is then
/// untouched). The caller owns out and the two scratch buffers: three distinct
/// objects able to hold one key each. Times that are not strictly ordered give
/// infinite or NaN weights.
ORRERY_MATH_API bool spline(double t0, const void *key0, double t1, const void *key1, double t2,
                            const void *key2, double t3, const void *key3, double t,
                            SplineInterpFn interp, void *context, void *out, void *scratch01,
                            void *scratch23);

} // namespace orrery
