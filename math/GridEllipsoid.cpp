// The ellipsoid's latitudes under the grid projections: degrees to sine and
// cosine, the conformal latitude and back, the radius of a parallel.

#include "math/Elementary.h"
#include "math/detail/Angles.h"
#include "math/detail/GridCore.h"

#include <cmath>

namespace orrery::detail {

namespace {

// sum c_j sin(2j x) by Clenshaw's recurrence, from sin 2x and cos 2x.
double sineSeries(const double (&c)[6], double sin2, double cos2) {
  const double twoCos = 2.0 * cos2;
  double b1 = 0.0, b2 = 0.0;
  for (int k = 5; k >= 0; --k) {
    const double b = twoCos * b1 - b2 + c[k];
    b2 = b1;
    b1 = b;
  }
  return b1 * sin2;
}

// Turns the angle whose sine and cosine are s and c by d radians, |d| below
// 0.004 (the most the conformal and geographic latitudes differ); the sine
// and cosine of d are their Taylor series, whose next terms fall below
// 1e-19 there.
void turn(double &s, double &c, double d) {
  const double d2 = d * d;
  const double sinD = d * (1.0 - d2 / 6.0 * (1.0 - d2 / 20.0));
  const double cosD = 1.0 - d2 / 2.0 * (1.0 - d2 / 12.0);
  const double turnedS = s * cosD + c * sinD;
  c = c * cosD - s * sinD;
  s = turnedS;
}

} // namespace

void sinCosDegrees(double deg, double &s, double &c) {
  const double a = std::fabs(deg);
  double sa, ca;
  if (a <= 45.0) {
    const double r = a * kDegToRad;
    elementary::sincos(r, sa, ca);
  } else if (a <= 135.0) {
    const double r = (90.0 - a) * kDegToRad;
    elementary::sincos(r, ca, sa);
  } else {
    const double r = (180.0 - a) * kDegToRad;
    elementary::sincos(r, sa, ca);
    ca = -ca;
  }
  s = std::copysign(sa, deg);
  c = ca;
}

double overParallel(const GridEllipsoid &ell, double sinPhi, double cosPhi) {
  return std::sqrt(cosPhi * cosPhi + ell.oneMinusE2 * sinPhi * sinPhi) / cosPhi;
}

// Near the poles both cosines vanish together and their ratio keeps its full
// accuracy.
void conformalLatitude(const GridEllipsoid &ell, double sinPhi, double cosPhi, double &sinChi,
                       double &cosChi) {
  const double d =
      sineSeries(ell.chi, 2.0 * sinPhi * cosPhi, (cosPhi - sinPhi) * (cosPhi + sinPhi));
  sinChi = sinPhi;
  cosChi = cosPhi;
  turn(sinChi, cosChi, d);
}

// Beyond 45 degrees the latitude is 90 minus the colatitude, rounded once at
// its own magnitude.
GeographicLatitude geographicLatitude(const GridEllipsoid &ell, double s, double w) {
  const double as = std::fabs(s);
  const double r2 = as * as + w * w;
  const double d = sineSeries(ell.phi, 2.0 * as * w / r2, (w - as) * (w + as) / r2);
  GeographicLatitude lat;
  lat.degrees = as <= w ? (elementary::atan2(as, w) + d) * kRadToDeg
                        : 90.0 - (elementary::atan2(w, as) - d) * kRadToDeg;
  const double r = std::sqrt(r2);
  lat.sinPhi = as / r;
  lat.cosPhi = w / r;
  turn(lat.sinPhi, lat.cosPhi, d);
  lat.degrees = std::copysign(lat.degrees, s);
  lat.sinPhi = std::copysign(lat.sinPhi, s);
  return lat;
}

} // namespace orrery::detail
