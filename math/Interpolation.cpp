#include "math/Interpolation.h"
#include "math/Elementary.h"

#include "math/FastMath.h"

#include <cmath>

namespace orrery {

namespace {

// Inversion in the circle of centre (0, -1) and radius sqrt(2): exchanges the
// upper half-plane and the open unit disk, sends (0, 1) to the centre and the
// real axis to the unit circle, and is its own inverse.
void canonical_circular_invert(double x, double y, double *outX, double *outY) {
  const double y1 = y + 1.0;
  const double k = 2.0 / (x * x + y1 * y1);
  *outX = x * k;
  *outY = y1 * k - 1.0;
}

} // namespace

double hlerp_uhp(double x1, double y1, double x2, double y2, double t, double *outX, double *outY) {
  // Move the first point to (0, 1), then to the centre of the disk, where
  // geodesics through it are diameters.
  const double a = (x2 - x1) / y1;
  const double b = y2 / y1;
  double u, v;
  canonical_circular_invert(a, b, &u, &v);

  const double s2 = u * u + v * v;
  const double r = FastMath::sqrt(s2);
  double d, f;
  if (1.0 - s2 == 1.0 && 1.0 - s2 * t * t == 1.0) {
    // Below rounding atanh(r) is r and tanh(r t) / r is t; this also keeps
    // coincident points (r = 0) away from 0 / 0.
    d = r;
    f = t;
  } else {
    d = elementary::atanh(r);
    f = elementary::tanh(d * t) / r;
  }

  double p, q;
  canonical_circular_invert(u * f, v * f, &p, &q);
  if (outX != nullptr) {
    *outX = y1 * p + x1;
  }
  if (outY != nullptr) {
    *outY = y1 * q;
  }
  return 2.0 * d;
}

double hdist_uhp(double x1, double y1, double x2, double y2) {
  return hlerp_uhp(x1, y1, x2, y2, 0.0, nullptr, nullptr);
}

bool spline(double t0, const void *key0, double t1, const void *key1, double t2, const void *key2,
            double t3, const void *key3, double t, SplineInterpFn interp, void *context, void *out,
            void *scratch01, void *scratch23) {
  // Key1 at s = 0, key2 at s = 1.
  const double invSpan = 1.0 / (t2 - t1);
  const double tau0 = (t0 - t1) * invSpan;
  const double tau3 = (t3 - t1) * invSpan;
  const double s = (t - t1) * invSpan;

  // Tangents at s = 0 and s = 1 as weights of the keys: the derivative of the
  // quadratic through the three nearest keys at their own times.
  const double a0 = 1.0 / (tau0 * (1.0 - tau0));
  const double a1 = 1.0 / ((1.0 - tau0) * (-tau0)) + tau0 / (1.0 - tau0);
  const double a2 = -tau0 / (1.0 - tau0);
  const double b1 = -(tau3 - 1.0) / tau3;
  const double b2 = (tau3 - 1.0) / tau3 - 1.0 / (tau3 * (tau3 - 1.0));
  const double b3 = 1.0 / (tau3 * (tau3 - 1.0));

  // Cubic Hermite basis.
  const double sq = s * s;
  const double cube = sq * s;
  const double h00 = 2.0 * cube - 3.0 * sq + 1.0;
  const double h10 = cube - 2.0 * sq + s;
  const double h01 = -2.0 * cube + 3.0 * sq;
  const double h11 = cube - sq;

  const double w0 = a0 * h10;
  const double w1 = h00 + a1 * h10 + b1 * h11;
  const double w2 = a2 * h10 + h01 + b2 * h11;
  const double w3 = b3 * h11;

  // Blend pairwise; a pair with no weight at all gets an arbitrary mid blend,
  // which the final blend then discards.
  const double w01 = w0 + w1 == 0.0 ? 0.5 : w1 / (w0 + w1);
  const double w23 = w2 + w3 == 0.0 ? 0.5 : w3 / (w2 + w3);
  if (!interp(key0, key1, w01, scratch01, context)) {
    return false;
  }
  if (!interp(key2, key3, w23, scratch23, context)) {
    return false;
  }
  return interp(scratch01, scratch23, w2 + w3, out, context);
}

} // namespace orrery
