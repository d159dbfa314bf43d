// The transverse Mercator projection of an ellipsoid by Krueger's series to
// sixth order in the third flattening, with unit central scale.

#include "math/Elementary.h"
#include "math/detail/Angles.h"
#include "math/detail/GridCore.h"

#include <cmath>

namespace orrery::detail {

namespace {

// Clenshaw summation of sum c_j sin(2j zeta) and of 1 + sign sum 2j c_j cos(2j zeta)
// for complex zeta, given sin 2zeta = (s, t) and cos 2zeta = (c, -u) as real
// and imaginary parts.
struct ComplexSums {
  double sumRe, sumIm;     // sum c_j sin 2j zeta
  double slopeRe, slopeIm; // 1 + sign sum 2j c_j cos 2j zeta
};

ComplexSums clenshaw(const double (&c)[6], double sign, double sin2Re, double sin2Im, double cos2Re,
                     double cos2Im) {
  // b_k = 2 cos(2 zeta) b_{k+1} - b_{k+2} + c_k, and the same for 2k c_k.
  const double ar = 2.0 * cos2Re;
  const double ai = 2.0 * cos2Im;
  double b1r = 0.0, b1i = 0.0, b2r = 0.0, b2i = 0.0; // sine sum: b_{k+1}, b_{k+2}
  double d1r = 0.0, d1i = 0.0, d2r = 0.0, d2i = 0.0; // derivative sum
  for (int k = 5; k >= 0; --k) {
    const double br = ar * b1r - ai * b1i - b2r + c[k];
    const double bi = ar * b1i + ai * b1r - b2i;
    const double dr = ar * d1r - ai * d1i - d2r + 2.0 * (k + 1) * c[k];
    const double di = ar * d1i + ai * d1r - d2i;
    b2r = b1r;
    b2i = b1i;
    b1r = br;
    b1i = bi;
    d2r = d1r;
    d2i = d1i;
    d1r = dr;
    d1i = di;
  }
  ComplexSums s;
  // sine series: b_1 sin 2zeta; cosine series: b_1 cos 2zeta - b_2.
  s.sumRe = b1r * sin2Re - b1i * sin2Im;
  s.sumIm = b1r * sin2Im + b1i * sin2Re;
  s.slopeRe = 1.0 + sign * (d1r * cos2Re - d1i * cos2Im - d2r);
  s.slopeIm = sign * (d1r * cos2Im + d1i * cos2Re - d2i);
  return s;
}

} // namespace

TmPoint tmForward(const GridEllipsoid &ell, double latitude, double lambda) {
  double sinPhi, cosPhi, sinLam, cosLam, sinChi, cosChi;
  sinCosDegrees(latitude, sinPhi, cosPhi);
  sinCosDegrees(lambda, sinLam, cosLam);
  conformalLatitude(ell, sinPhi, cosPhi, sinChi, cosChi);
  // The conformal sphere's transverse Mercator: tan xi' = tan chi / cos lambda
  // and sinh eta' = cos chi sin lambda / q, cosh eta' = 1 / q with
  // q = sqrt(sin^2 chi + cos^2 chi cos^2 lambda).
  const double cosChiCosLam = cosChi * cosLam;
  const double cosChiSinLam = cosChi * sinLam;
  const double q2 = sinChi * sinChi + cosChiCosLam * cosChiCosLam;
  const double q = std::sqrt(q2);
  const double xip = elementary::atan2(sinChi, cosChiCosLam);
  const double etap = elementary::asinh(cosChiSinLam / q);
  const double sin2Xi = 2.0 * sinChi * cosChiCosLam / q2;
  const double cos2Xi = (cosChiCosLam - sinChi) * (cosChiCosLam + sinChi) / q2;
  const double sinh2Eta = 2.0 * cosChiSinLam / q2;
  const double cosh2Eta = (1.0 + cosChiSinLam * cosChiSinLam) / q2;
  const ComplexSums s = clenshaw(ell.alpha, 1.0, sin2Xi * cosh2Eta, cos2Xi * sinh2Eta,
                                 cos2Xi * cosh2Eta, -sin2Xi * sinh2Eta);
  TmPoint out;
  out.xi = xip + s.sumRe;
  out.eta = etap + s.sumIm;
  // Sphere's convergence: tan gamma' = sin chi tan lambda; zeta puts north
  // first, so the series' turn arg(dzeta/dzeta') takes grid north back
  // toward true north: gamma = gamma' - arg. The scale takes its modulus.
  const double gr = cosLam;
  const double gi = sinChi * sinLam;
  out.gamma = elementary::atan2(gi * s.slopeRe - gr * s.slopeIm, gr * s.slopeRe + gi * s.slopeIm);
  // Sphere's scale cos chi / q against the parallel's radius; near the poles
  // cos chi and cos phi are small together and accurate.
  const double kp = overParallel(ell, sinPhi, cosPhi) * cosChi / q;
  out.scale = ell.rectifyingOverA * kp * elementary::hypot(s.slopeRe, s.slopeIm);
  out.latitude = latitude;
  out.lambda = lambda;
  return out;
}

TmPoint tmReverse(const GridEllipsoid &ell, double xi, double eta) {
  double sin2Xi = 0.0;
  double cos2Xi = 0.0;
  elementary::sincos(2.0 * xi, sin2Xi, cos2Xi);
  // sinh and cosh of 2 eta from one exponential, without cancellation near 0.
  const double u = elementary::expm1(2.0 * eta);
  const double sinh2Eta = 0.5 * u * (u + 2.0) / (u + 1.0);
  const double cosh2Eta = 0.5 * (u + 1.0 + 1.0 / (u + 1.0));
  const ComplexSums s = clenshaw(ell.beta, -1.0, sin2Xi * cosh2Eta, cos2Xi * sinh2Eta,
                                 cos2Xi * cosh2Eta, -sin2Xi * sinh2Eta);
  const double xip = xi - s.sumRe;
  const double etap = eta - s.sumIm;
  double sinXip = 0.0;
  double cosXip = 0.0;
  elementary::sincos(xip, sinXip, cosXip);
  const double sinhEtap = elementary::sinh(etap);
  const double coshEtap = std::sqrt(1.0 + sinhEtap * sinhEtap);
  // The conformal latitude: sin chi : cos chi = sin xi' : w.
  const double w = std::sqrt(sinhEtap * sinhEtap + cosXip * cosXip);
  const GeographicLatitude lat = geographicLatitude(ell, sinXip, w);
  TmPoint out;
  out.xi = xi;
  out.eta = eta;
  out.latitude = lat.degrees;
  out.lambda = elementary::atan2(sinhEtap, cosXip) * kRadToDeg;
  // Sphere's convergence tan gamma' = tan xi' tanh eta', plus arg(dzeta'/dzeta)
  // (see the forward); the sphere's scale, against the parallel, is w.
  const double gr = cosXip * coshEtap;
  const double gi = sinXip * sinhEtap;
  out.gamma = elementary::atan2(gr * s.slopeIm + gi * s.slopeRe, gr * s.slopeRe - gi * s.slopeIm);
  out.scale = ell.rectifyingOverA * overParallel(ell, lat.sinPhi, lat.cosPhi) * w /
              elementary::hypot(s.slopeRe, s.slopeIm);
  return out;
}

} // namespace orrery::detail
