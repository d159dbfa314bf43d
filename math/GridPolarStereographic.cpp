// The polar stereographic projection of an ellipsoid, exact but for rounding
// (the conformal latitude, a series of sixth order, errs by under 1e-17
// radians).

#include "math/detail/Angles.h"
#include "math/detail/GridCore.h"

#include <cmath>

namespace orrery::detail {

// rho = 2 k0 a / C tan(pi/4 - chi/2) from the pole, and tan(pi/4 - chi/2) =
// cos chi / (1 + sin chi).
PolarPoint polarForward(const GridEllipsoid &ell, double k0, double absLatitude, double longitude) {
  double sinPhi, cosPhi, sinLam, cosLam, sinChi, cosChi;
  sinCosDegrees(absLatitude, sinPhi, cosPhi);
  sinCosDegrees(longitude, sinLam, cosLam);
  conformalLatitude(ell, sinPhi, cosPhi, sinChi, cosChi);
  const double rho = 2.0 * k0 * ell.a / ell.polarC * cosChi / (1.0 + sinChi);
  PolarPoint p;
  p.x = rho * sinLam;
  p.y = rho * cosLam;
  p.scale = rho == 0.0 ? k0 : rho / ell.a * overParallel(ell, sinPhi, cosPhi);
  return p;
}

// tan(pi/4 - chi/2) = t gives sin chi : cos chi = 1 - t^2 : 2 t.
PolarPosition polarReverse(const GridEllipsoid &ell, double k0, double x, double y) {
  const double rho = std::hypot(x, y);
  const double t = rho * ell.polarC / (2.0 * k0 * ell.a);
  const GeographicLatitude lat = geographicLatitude(ell, (1.0 - t) * (1.0 + t), 2.0 * t);
  PolarPosition p;
  p.latitude = lat.degrees;
  p.longitude = std::atan2(x, y) * kRadToDeg;
  p.scale = rho == 0.0 ? k0 : rho / ell.a * overParallel(ell, lat.sinPhi, lat.cosPhi);
  return p;
}

} // namespace orrery::detail
