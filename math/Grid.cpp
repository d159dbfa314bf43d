#include "math/Grid.h"
#include "math/detail/Angles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace orrery {

namespace {

constexpr double kGridNaN = std::numeric_limits<double>::quiet_NaN();

// Square root by Newton's method, for constants (v > 0).
constexpr double gridConstSqrt(double v) {
  double x = v > 1.0 ? v : 1.0;
  for (int i = 0; i < 200; ++i) {
    const double next = 0.5 * (x + v / x);
    if (next == x) {
      break;
    }
    x = next;
  }
  return x;
}

// exp(e atanh e) by their power series, for constants (0 < e < 0.5).
constexpr double gridConstExpEAtanhE(double e) {
  double atanh = 0.0;
  double power = e;
  for (int k = 0; k < 60; ++k, power *= e * e) {
    atanh += power / (2 * k + 1);
  }
  const double x = e * atanh;
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k < 30; ++k) {
    term *= x / k;
    sum += term;
  }
  return sum;
}

// Krueger's series coefficients to sixth order in the third flattening n:
// alpha takes the conformal sphere's transverse Mercator (zeta') to the
// ellipsoid's (zeta = zeta' + sum alpha_j sin 2j zeta'), beta the reverse
// (zeta' = zeta - sum beta_j sin 2j zeta). Row j holds the rational
// coefficients of n^j .. n^6, as numerator and denominator pairs.
constexpr double kGridAlpha[6][6][2] = {
    {{1, 2}, {-2, 3}, {5, 16}, {41, 180}, {-127, 288}, {7891, 37800}},
    {{13, 48}, {-3, 5}, {557, 1440}, {281, 630}, {-1983433, 1935360}},
    {{61, 240}, {-103, 140}, {15061, 26880}, {167603, 181440}},
    {{49561, 161280}, {-179, 168}, {6601661, 7257600}},
    {{34729, 80640}, {-3418889, 1995840}},
    {{212378941, 319334400}},
};
constexpr double kGridBeta[6][6][2] = {
    {{1, 2}, {-2, 3}, {37, 96}, {-1, 360}, {-81, 512}, {96199, 604800}},
    {{1, 48}, {1, 15}, {-437, 1440}, {46, 105}, {-1118711, 3870720}},
    {{17, 480}, {-37, 840}, {-209, 4480}, {5569, 90720}},
    {{4397, 161280}, {-11, 504}, {-830251, 7257600}},
    {{4583, 161280}, {-108847, 3991680}},
    {{20648693, 638668800}},
};
// The conformal latitude chi from the geographic phi (chi = phi + sum c_j
// sin 2j phi), and back (phi = chi + sum d_j sin 2j chi), to the same order.
constexpr double kGridChi[6][6][2] = {
    {{-2, 1}, {2, 3}, {4, 3}, {-82, 45}, {32, 45}, {4642, 4725}},
    {{5, 3}, {-16, 15}, {-13, 9}, {904, 315}, {-1522, 945}},
    {{-26, 15}, {34, 21}, {8, 5}, {-12686, 2835}},
    {{1237, 630}, {-12, 5}, {-24832, 14175}},
    {{-734, 315}, {109598, 31185}},
    {{444337, 155925}},
};
constexpr double kGridPhi[6][6][2] = {
    {{2, 1}, {-2, 3}, {-2, 1}, {116, 45}, {26, 45}, {-2854, 675}},
    {{7, 3}, {-8, 5}, {-227, 45}, {2704, 315}, {2323, 945}},
    {{56, 15}, {-136, 35}, {-1262, 105}, {73814, 2835}},
    {{4279, 630}, {-332, 35}, {-399572, 14175}},
    {{4174, 315}, {-144838, 6237}},
    {{601676, 22275}},
};

// Evaluates row j of a coefficient table at n by Horner's rule.
constexpr double gridSeriesCoefficient(const double (&row)[6][2], int j, double n) {
  double sum = 0.0;
  for (int m = 5 - j; m >= 0; --m) {
    sum = sum * n + row[m][0] / row[m][1];
  }
  for (int m = 0; m <= j; ++m) {
    sum *= n;
  }
  return sum;
}

// The ellipsoid and everything the projections derive from it.
struct GridEllipsoid {
  double a;  // semi-major axis, metres
  double e2; // eccentricity squared
  double e;  // eccentricity
  double oneMinusE2;
  double rectifyingOverA; // A / a, the rectifying radius in units of a
  double polarC;          // sqrt(1 - e^2) exp(e atanh e), polar stereographic
  double alpha[6], beta[6], chi[6], phi[6];
};

constexpr GridEllipsoid gridMakeEllipsoid(double a, double f) {
  GridEllipsoid g{};
  const double n = f / (2.0 - f);
  g.a = a;
  g.e2 = f * (2.0 - f);
  g.e = gridConstSqrt(g.e2);
  g.oneMinusE2 = 1.0 - g.e2;
  const double n2 = n * n;
  g.rectifyingOverA = (1.0 + n2 * (1.0 / 4 + n2 * (1.0 / 64 + n2 / 256))) / (1.0 + n);
  g.polarC = gridConstSqrt(g.oneMinusE2) * gridConstExpEAtanhE(g.e);
  for (int j = 0; j < 6; ++j) {
    g.alpha[j] = gridSeriesCoefficient(kGridAlpha[j], j, n);
    g.beta[j] = gridSeriesCoefficient(kGridBeta[j], j, n);
    g.chi[j] = gridSeriesCoefficient(kGridChi[j], j, n);
    g.phi[j] = gridSeriesCoefficient(kGridPhi[j], j, n);
  }
  return g;
}

constexpr GridEllipsoid kWgs84 = gridMakeEllipsoid(6378137.0, 1.0 / 298.257223563);

constexpr double kUtmScale = 0.9996;
constexpr double kUtmFalseEasting = 500000.0;    // metres
constexpr double kUtmFalseNorthing = 10000000.0; // metres, southern hemisphere
constexpr double kUpsScale = 0.994;
constexpr double kUpsFalseOrigin = 2000000.0; // metres, easting and northing

// sum c_j sin(2j x) by Clenshaw's recurrence, from sin 2x and cos 2x.
double gridSineSeries(const double (&c)[6], double sin2, double cos2) {
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
void gridTurn(double &s, double &c, double d) {
  const double d2 = d * d;
  const double sinD = d * (1.0 - d2 / 6.0 * (1.0 - d2 / 20.0));
  const double cosD = 1.0 - d2 / 2.0 * (1.0 - d2 / 12.0);
  const double turnedS = s * cosD + c * sinD;
  c = c * cosD - s * sinD;
  s = turnedS;
}

// sin and cos of the conformal latitude chi from those of the geographic
// latitude phi (cos phi >= 0). Near the poles both cosines vanish together
// and their ratio keeps its full accuracy.
void gridConformal(double sinPhi, double cosPhi, double &sinChi, double &cosChi) {
  const double d =
      gridSineSeries(kWgs84.chi, 2.0 * sinPhi * cosPhi, (cosPhi - sinPhi) * (cosPhi + sinPhi));
  sinChi = sinPhi;
  cosChi = cosPhi;
  gridTurn(sinChi, cosChi, d);
}

// The geographic latitude of a conformal latitude given as sin chi : cos chi
// = s : w (w >= 0, not both zero): in degrees, with its sine and cosine.
// Beyond 45 degrees the latitude is 90 minus the colatitude, rounded once at
// its own magnitude.
struct GridLatitude {
  double degrees, sinPhi, cosPhi;
};

GridLatitude gridGeographic(double s, double w) {
  const double as = std::fabs(s);
  const double r2 = as * as + w * w;
  const double d = gridSineSeries(kWgs84.phi, 2.0 * as * w / r2, (w - as) * (w + as) / r2);
  GridLatitude lat;
  lat.degrees = as <= w ? (std::atan2(as, w) + d) * detail::kRadToDeg
                        : 90.0 - (std::atan2(w, as) - d) * detail::kRadToDeg;
  const double r = std::sqrt(r2);
  lat.sinPhi = as / r;
  lat.cosPhi = w / r;
  gridTurn(lat.sinPhi, lat.cosPhi, d);
  lat.degrees = std::copysign(lat.degrees, s);
  lat.sinPhi = std::copysign(lat.sinPhi, s);
  return lat;
}

// a over the radius of the parallel of phi, sqrt(1 - e^2 sin^2 phi) / cos phi.
double gridOverParallel(double sinPhi, double cosPhi) {
  return std::sqrt(cosPhi * cosPhi + kWgs84.oneMinusE2 * sinPhi * sinPhi) / cosPhi;
}

// sin and cos of an angle of at most 180 degrees in magnitude. The angle is
// first reduced exactly (Sterbenz) to within 45 degrees of 0, 90 or 180, so
// that latitudes near the poles and longitudes near the quarter turns keep
// their full relative accuracy, and 90 and 180 give exact zeros.
void gridSinCosDeg(double deg, double &s, double &c) {
  const double a = std::fabs(deg);
  double sa, ca;
  if (a <= 45.0) {
    const double r = a * detail::kDegToRad;
    sa = std::sin(r);
    ca = std::cos(r);
  } else if (a <= 135.0) {
    const double r = (90.0 - a) * detail::kDegToRad;
    sa = std::cos(r);
    ca = std::sin(r);
  } else {
    const double r = (180.0 - a) * detail::kDegToRad;
    sa = std::sin(r);
    ca = -std::cos(r);
  }
  s = std::copysign(sa, deg);
  c = ca;
}

// Longitude reduced exactly into [-180, 180].
double gridReduceLongitude(double lon) { return std::remainder(lon, 360.0); }

// Transverse Mercator of the ellipsoid with unit central scale, the result in
// units of the rectifying radius A: zeta = (northing + i easting) / A.
struct GridTm {
  double xi, eta;  // northing and easting over A
  double gamma;    // convergence, radians
  double scale;    // point scale with unit central scale
  double latitude; // degrees
  double lambda;   // degrees from the central meridian
};

// Clenshaw summation of sum c_j sin(2j zeta) and of 1 + sign sum 2j c_j cos(2j zeta)
// for complex zeta, given sin 2zeta = (s, t) and cos 2zeta = (c, -u) as real
// and imaginary parts.
struct GridComplexSums {
  double sumRe, sumIm;     // sum c_j sin 2j zeta
  double slopeRe, slopeIm; // 1 + sign sum 2j c_j cos 2j zeta
};

GridComplexSums gridClenshaw(const double (&c)[6], double sign, double sin2Re, double sin2Im,
                             double cos2Re, double cos2Im) {
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
  GridComplexSums s;
  // sine series: b_1 sin 2zeta; cosine series: b_1 cos 2zeta - b_2.
  s.sumRe = b1r * sin2Re - b1i * sin2Im;
  s.sumIm = b1r * sin2Im + b1i * sin2Re;
  s.slopeRe = 1.0 + sign * (d1r * cos2Re - d1i * cos2Im - d2r);
  s.slopeIm = sign * (d1r * cos2Im + d1i * cos2Re - d2i);
  return s;
}

// Forward: latitude phi and longitude lambda from the central meridian
// (|lambda| < 90 degrees), both in degrees.
GridTm gridTmForward(double lat, double lambdaDeg) {
  double sinPhi, cosPhi, sinLam, cosLam, sinChi, cosChi;
  gridSinCosDeg(lat, sinPhi, cosPhi);
  gridSinCosDeg(lambdaDeg, sinLam, cosLam);
  gridConformal(sinPhi, cosPhi, sinChi, cosChi);
  // The conformal sphere's transverse Mercator: tan xi' = tan chi / cos lambda
  // and sinh eta' = cos chi sin lambda / q, cosh eta' = 1 / q with
  // q = sqrt(sin^2 chi + cos^2 chi cos^2 lambda).
  const double cosChiCosLam = cosChi * cosLam;
  const double cosChiSinLam = cosChi * sinLam;
  const double q2 = sinChi * sinChi + cosChiCosLam * cosChiCosLam;
  const double q = std::sqrt(q2);
  const double xip = std::atan2(sinChi, cosChiCosLam);
  const double etap = std::asinh(cosChiSinLam / q);
  const double sin2Xi = 2.0 * sinChi * cosChiCosLam / q2;
  const double cos2Xi = (cosChiCosLam - sinChi) * (cosChiCosLam + sinChi) / q2;
  const double sinh2Eta = 2.0 * cosChiSinLam / q2;
  const double cosh2Eta = (1.0 + cosChiSinLam * cosChiSinLam) / q2;
  const GridComplexSums s = gridClenshaw(kWgs84.alpha, 1.0, sin2Xi * cosh2Eta, cos2Xi * sinh2Eta,
                                         cos2Xi * cosh2Eta, -sin2Xi * sinh2Eta);
  GridTm out;
  out.xi = xip + s.sumRe;
  out.eta = etap + s.sumIm;
  // Sphere's convergence: tan gamma' = sin chi tan lambda; zeta puts north
  // first, so the series' turn arg(dzeta/dzeta') takes grid north back
  // toward true north: gamma = gamma' - arg. The scale takes its modulus.
  const double gr = cosLam;
  const double gi = sinChi * sinLam;
  out.gamma = std::atan2(gi * s.slopeRe - gr * s.slopeIm, gr * s.slopeRe + gi * s.slopeIm);
  // Sphere's scale cos chi / q against the parallel's radius; near the poles
  // cos chi and cos phi are small together and accurate.
  const double kp = gridOverParallel(sinPhi, cosPhi) * cosChi / q;
  out.scale = kWgs84.rectifyingOverA * kp * std::hypot(s.slopeRe, s.slopeIm);
  out.latitude = lat;
  out.lambda = lambdaDeg;
  return out;
}

// Reverse: from xi = northing / A and eta = easting / A.
GridTm gridTmReverse(double xi, double eta) {
  const double sin2Xi = std::sin(2.0 * xi);
  const double cos2Xi = std::cos(2.0 * xi);
  // sinh and cosh of 2 eta from one exponential, without cancellation near 0.
  const double u = std::expm1(2.0 * eta);
  const double sinh2Eta = 0.5 * u * (u + 2.0) / (u + 1.0);
  const double cosh2Eta = 0.5 * (u + 1.0 + 1.0 / (u + 1.0));
  const GridComplexSums s = gridClenshaw(kWgs84.beta, -1.0, sin2Xi * cosh2Eta, cos2Xi * sinh2Eta,
                                         cos2Xi * cosh2Eta, -sin2Xi * sinh2Eta);
  const double xip = xi - s.sumRe;
  const double etap = eta - s.sumIm;
  const double sinXip = std::sin(xip);
  const double cosXip = std::cos(xip);
  const double sinhEtap = std::sinh(etap);
  const double coshEtap = std::sqrt(1.0 + sinhEtap * sinhEtap);
  // The conformal latitude: sin chi : cos chi = sin xi' : w.
  const double w = std::sqrt(sinhEtap * sinhEtap + cosXip * cosXip);
  const GridLatitude lat = gridGeographic(sinXip, w);
  GridTm out;
  out.xi = xi;
  out.eta = eta;
  out.latitude = lat.degrees;
  out.lambda = std::atan2(sinhEtap, cosXip) * detail::kRadToDeg;
  // Sphere's convergence tan gamma' = tan xi' tanh eta', plus arg(dzeta'/dzeta)
  // (see the forward); the sphere's scale, against the parallel, is w.
  const double gr = cosXip * coshEtap;
  const double gi = sinXip * sinhEtap;
  out.gamma = std::atan2(gr * s.slopeIm + gi * s.slopeRe, gr * s.slopeRe - gi * s.slopeIm);
  out.scale = kWgs84.rectifyingOverA * gridOverParallel(lat.sinPhi, lat.cosPhi) * w /
              std::hypot(s.slopeRe, s.slopeIm);
  return out;
}

// Coordinate limits in metres: [minimum, maximum] of easting and northing.
struct GridLimits {
  double eMin, eMax, nMin, nMax;
};

GridLimits gridLimits(int zone, bool north) {
  if (zone == kUpsZone) {
    return north ? GridLimits{1200e3, 2800e3, 1200e3, 2800e3}
                 : GridLimits{700e3, 3300e3, 700e3, 3300e3};
  }
  return north ? GridLimits{0.0, 1000e3, -9100e3, 9600e3} : GridLimits{0.0, 1000e3, 900e3, 19600e3};
}

bool gridInside(const GridLimits &l, double easting, double northing) {
  return easting >= l.eMin && easting <= l.eMax && northing >= l.nMin && northing <= l.nMax;
}

constexpr char kGridUtmBands[] = "CDEFGHJKLMNPQRSTUVWX"; // from -80, 8 degrees each

char gridUtmBand(double lat, bool north) {
  int index = static_cast<int>(std::floor(lat / 8.0)) + 10;
  index = std::clamp(index, 0, 19);
  if (!north && index >= 10) {
    index = 9; // latitude -0 is southern
  }
  return kGridUtmBands[index];
}

GridPosition gridFailure(GridError error) {
  return GridPosition{error, 0, false, 0, kGridNaN, kGridNaN, kGridNaN, kGridNaN};
}

GeoPosition geoFailure(GridError error) {
  return GeoPosition{error, kGridNaN, kGridNaN, kGridNaN, kGridNaN};
}

// MGRS lettering of the 100 km squares (I and O never used).
constexpr const char *kMgrsUtmColumns[3] = {"ABCDEFGH", "JKLMNPQR", "STUVWXYZ"}; // zone mod 3
constexpr char kMgrsUtmRows[] = "ABCDEFGHJKLMNPQRSTUV";                          // 2000 km cycle
constexpr int kMgrsEvenZoneRowShift = 5; // rows of even zones start at F
// UPS columns west and east of the pole meridian, and rows, from their first
// 100 km index (easting or northing / 100 km).
struct MgrsUpsLetters {
  const char *west, *east, *rows;
  int first, last; // 100 km indices of the lettered squares, both ways
};
constexpr MgrsUpsLetters kMgrsUpsNorth = {"RSTUXYZ", "ABCFGHJ", "ABCDEFGHJKLMNP", 13, 26};
constexpr MgrsUpsLetters kMgrsUpsSouth = {"JKLPQRSTUXYZ", "ABCFGHJKLPQR",
                                          "ABCDEFGHJKLMNPQRSTUVWXYZ", 8, 31};
constexpr int kMgrsUpsEastColumn = 20; // 2000 km, the first column of bands B and Z
constexpr double kMgrsPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11};
constexpr int kMgrsMaxDigits = 11;

// The cell index floor(v 10^(digits - 5)) of a coordinate: the coordinate is
// first truncated to whole micrometres, the finest cell, after one rounding of
// the scaling, so that every precision names a cell of the finest one and
// the digits agree with GeoConvert's.
std::int64_t mgrsCell(double v, int digits) {
  const auto micrometres = static_cast<std::int64_t>(std::floor(v * 1e6));
  const auto perCell = static_cast<std::int64_t>(kMgrsPow10[kMgrsMaxDigits - digits]);
  // Floor division (v may be slightly negative for a forced zone).
  const std::int64_t q = micrometres / perCell;
  return q * perCell > micrometres ? q - 1 : q;
}

// The coordinate of a cell's corner (offset 0) or centre (offset 0.5),
// rounded once.
double mgrsCellCoordinate(std::int64_t cell, double offset, int digits) {
  const double c = static_cast<double>(cell) + offset;
  return digits >= 5 ? c / kMgrsPow10[digits - 5] : c * kMgrsPow10[5 - digits];
}

int mgrsFind(const char *letters, char c) {
  for (int i = 0; letters[i] != '\0'; ++i) {
    if (letters[i] == c) {
      return i;
    }
  }
  return -1;
}

MgrsReference mgrsFailure(GridError error) {
  MgrsReference r{};
  r.error = error;
  return r;
}

MgrsSquare mgrsSquareFailure(GridError error) {
  return MgrsSquare{error, 0, false, 0, 0, kGridNaN, kGridNaN};
}

// Northing of a latitude at 'lambda' degrees from the central meridian, in
// units of 100 km.
double mgrsNorthing(double lat, double lambda, bool north) {
  const GridTm tm = gridTmForward(lat, lambda);
  return (kUtmScale * kWgs84.a * kWgs84.rectifyingOverA * tm.xi +
          (north ? 0.0 : kUtmFalseNorthing)) /
         1e5;
}

// The 100 km indices of easting and northing of the square with these
// letters in 'zone' (1..60 with a UTM band, kUpsZone with a UPS band, both
// checked by the caller), or why there is none.
GridError mgrsSquare(int zone, char band, char columnLetter, char rowLetter, std::int64_t &column,
                     std::int64_t &row) {
  if (zone == kUpsZone) {
    const bool north = band >= 'Y';
    const MgrsUpsLetters &ups = north ? kMgrsUpsNorth : kMgrsUpsSouth;
    const bool east = band == 'B' || band == 'Z';
    const int c = mgrsFind(east ? ups.east : ups.west, columnLetter);
    if (c < 0) {
      return GridError::BadColumnLetter;
    }
    column = c + (east ? kMgrsUpsEastColumn : ups.first);
    const int r = mgrsFind(ups.rows, rowLetter);
    if (r < 0) {
      return GridError::BadRowLetter;
    }
    row = r + ups.first;
    return GridError::None;
  }
  const bool north = band >= 'N';
  const int c = mgrsFind(kMgrsUtmColumns[(zone - 1) % 3], columnLetter);
  if (c < 0) {
    return GridError::BadColumnLetter;
  }
  column = c + 1;
  const int r = mgrsFind(kMgrsUtmRows, rowLetter);
  if (r < 0) {
    return GridError::BadRowLetter;
  }
  const int cycleRow = (r + 20 - (zone % 2 == 0 ? kMgrsEvenZoneRowShift : 0)) % 20;
  // The band's northings pick the 2000 km cycle. Its parallels bow away
  // from the equator across the zone, so it reaches from its low parallel
  // on the central meridian (north; at 6 degrees off, the widest zone's
  // edge, south) to its high one at 6 degrees off (north; on the meridian,
  // south).
  const int bandIndex = mgrsFind(kGridUtmBands, band);
  const double latLow = -80.0 + 8.0 * bandIndex;
  const double latHigh = bandIndex == 19 ? 84.0 : latLow + 8.0;
  constexpr double kWidestHalfZone = 6.0; // degrees, Norway and Svalbard
  const double low = mgrsNorthing(latLow, north ? 0.0 : kWidestHalfZone, north);
  const double high = mgrsNorthing(latHigh, north ? kWidestHalfZone : 0.0, north);
  std::int64_t first = static_cast<std::int64_t>(std::floor(low));
  if (north) {
    first = std::max<std::int64_t>(first, 0);
  }
  row = first + (cycleRow - first % 20 + 40) % 20;
  if (!(static_cast<double>(row) < high) || (!north && row > 99)) {
    return GridError::SquareNotInBand;
  }
  return GridError::None;
}

} // namespace

const char *GridErrorText(GridError error) {
  switch (error) {
  case GridError::None:
    return "";
  case GridError::NotFinite:
    return "coordinate is NaN or infinite";
  case GridError::LatitudeOutOfRange:
    return "latitude outside [-90, 90]";
  case GridError::ZoneOutOfRange:
    return "zone outside 0..60";
  case GridError::OutsideZone:
    return "point outside the limits of the zone";
  case GridError::PrecisionOutOfRange:
    return "MGRS precision outside 0..11 digits";
  case GridError::OutsideMgrsRange:
    return "coordinates outside the MGRS squares of the zone";
  case GridError::BadZoneNumber:
    return "MGRS zone number missing or outside 1..60";
  case GridError::BadBandLetter:
    return "MGRS band letter unknown";
  case GridError::BadColumnLetter:
    return "MGRS column letter not used in this zone";
  case GridError::BadRowLetter:
    return "MGRS row letter not used in this grid";
  case GridError::SquareNotInBand:
    return "MGRS 100 km square outside its latitude band";
  case GridError::OddDigitCount:
    return "MGRS easting and northing digits differ in number";
  case GridError::TooManyDigits:
    return "MGRS reference has more than 11 digits per coordinate";
  case GridError::MissingSquare:
    return "MGRS reference lacks its 100 km square letters";
  case GridError::BadCharacter:
    return "MGRS reference has an unexpected character";
  }
  return "unknown grid error";
}

int StandardGridZone(double latitude, double longitude) {
  if (!(std::fabs(latitude) <= 90.0) || !std::isfinite(longitude)) {
    return kStandardZone;
  }
  if (latitude >= 84.0 || latitude < -80.0) {
    return kUpsZone;
  }
  // Whole degrees in [-180, 180): the zone edges fall on integers, so the
  // floor decides exactly which side a longitude lies.
  int degree = static_cast<int>(std::floor(gridReduceLongitude(longitude)));
  if (degree == 180) {
    degree = -180;
  }
  int zone = (degree + 180) / 6 + 1;
  if (latitude >= 56.0 && latitude < 64.0 && degree >= 3 && degree < 12) {
    zone = 32;
  } else if (latitude >= 72.0 && degree >= 0 && degree < 42) {
    zone = 2 * ((degree + 3) / 12) + 31; // 0-8: 31, 9-20: 33, 21-32: 35, 33-41: 37
  }
  return zone;
}

GridPosition LatLonToGrid(double latitude, double longitude, int zone) {
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) {
    return gridFailure(GridError::NotFinite);
  }
  if (!(std::fabs(latitude) <= 90.0)) {
    return gridFailure(GridError::LatitudeOutOfRange);
  }
  if (zone == kStandardZone) {
    zone = StandardGridZone(latitude, longitude);
  } else if (zone < 0 || zone > 60) {
    return gridFailure(GridError::ZoneOutOfRange);
  }
  GridPosition p;
  p.error = GridError::None;
  p.zone = zone;
  p.north = !std::signbit(latitude);
  const double lon = gridReduceLongitude(longitude);
  if (zone == kUpsZone) {
    // Polar stereographic: rho = 2 k0 a / C tan(pi/4 - chi/2) from the pole,
    // and tan(pi/4 - chi/2) = cos chi / (1 + sin chi).
    double sinPhi, cosPhi, sinLam, cosLam, sinChi, cosChi;
    gridSinCosDeg(std::fabs(latitude), sinPhi, cosPhi);
    gridSinCosDeg(lon, sinLam, cosLam);
    gridConformal(sinPhi, cosPhi, sinChi, cosChi);
    const double rho = 2.0 * kUpsScale * kWgs84.a / kWgs84.polarC * cosChi / (1.0 + sinChi);
    const double x = rho * sinLam;
    const double y = rho * cosLam;
    p.easting = kUpsFalseOrigin + x;
    p.northing = p.north ? kUpsFalseOrigin - y : kUpsFalseOrigin + y;
    p.convergence = p.north ? lon : -lon;
    p.scale = rho == 0.0 ? kUpsScale : rho / kWgs84.a * gridOverParallel(sinPhi, cosPhi);
    p.band = p.north ? (p.easting >= kUpsFalseOrigin ? 'Z' : 'Y')
                     : (p.easting >= kUpsFalseOrigin ? 'B' : 'A');
  } else {
    // Longitude from the central meridian, taken near it before subtracting
    // so that the difference is rounded once, at its own magnitude.
    double centre = 6.0 * zone - 183.0;
    if (lon - centre > 180.0) {
      centre += 360.0;
    } else if (lon - centre < -180.0) {
      centre -= 360.0;
    }
    const double dlon = lon - centre;
    if (std::fabs(dlon) > 60.0) {
      return gridFailure(GridError::OutsideZone);
    }
    const GridTm tm = gridTmForward(latitude, dlon);
    const double scaleA = kUtmScale * kWgs84.a * kWgs84.rectifyingOverA;
    p.easting = kUtmFalseEasting + scaleA * tm.eta;
    p.northing = scaleA * tm.xi + (p.north ? 0.0 : kUtmFalseNorthing);
    p.convergence = tm.gamma * detail::kRadToDeg;
    p.scale = kUtmScale * tm.scale;
    p.band = gridUtmBand(latitude, p.north);
  }
  if (!gridInside(gridLimits(zone, p.north), p.easting, p.northing)) {
    return gridFailure(GridError::OutsideZone);
  }
  return p;
}

GeoPosition GridToLatLon(int zone, bool north, double easting, double northing) {
  if (!std::isfinite(easting) || !std::isfinite(northing)) {
    return geoFailure(GridError::NotFinite);
  }
  if (zone < 0 || zone > 60) {
    return geoFailure(GridError::ZoneOutOfRange);
  }
  if (!gridInside(gridLimits(zone, north), easting, northing)) {
    return geoFailure(GridError::OutsideZone);
  }
  GeoPosition g;
  g.error = GridError::None;
  if (zone == kUpsZone) {
    const double x = easting - kUpsFalseOrigin;
    const double y = northing - kUpsFalseOrigin;
    const double rho = std::hypot(x, y);
    // tan(pi/4 - chi/2) = t gives sin chi : cos chi = 1 - t^2 : 2 t.
    const double t = rho * kWgs84.polarC / (2.0 * kUpsScale * kWgs84.a);
    const GridLatitude lat = gridGeographic((1.0 - t) * (1.0 + t), 2.0 * t);
    g.latitude = north ? lat.degrees : -lat.degrees;
    g.longitude = std::atan2(x, north ? -y : y) * detail::kRadToDeg;
    g.convergence = north ? g.longitude : -g.longitude;
    g.scale = rho == 0.0 ? kUpsScale : rho / kWgs84.a * gridOverParallel(lat.sinPhi, lat.cosPhi);
  } else {
    const double scaleA = kUtmScale * kWgs84.a * kWgs84.rectifyingOverA;
    const double xi = (northing - (north ? 0.0 : kUtmFalseNorthing)) / scaleA;
    const double eta = (easting - kUtmFalseEasting) / scaleA;
    const GridTm tm = gridTmReverse(xi, eta);
    g.latitude = tm.latitude;
    g.longitude = gridReduceLongitude(6.0 * zone - 183.0 + tm.lambda);
    g.convergence = tm.gamma * detail::kRadToDeg;
    g.scale = kUtmScale * tm.scale;
  }
  if (g.longitude == -180.0) {
    g.longitude = 180.0;
  }
  return g;
}

MgrsReference GridToMgrs(const GridPosition &position, int digits) {
  if (position.error != GridError::None) {
    return mgrsFailure(position.error);
  }
  if (digits < 0 || digits > kMgrsMaxDigits) {
    return mgrsFailure(GridError::PrecisionOutOfRange);
  }
  if (!std::isfinite(position.easting) || !std::isfinite(position.northing)) {
    return mgrsFailure(GridError::NotFinite);
  }
  const int zone = position.zone;
  if (zone < 0 || zone > 60) {
    return mgrsFailure(GridError::ZoneOutOfRange);
  }
  const std::int64_t perSquare = static_cast<std::int64_t>(kMgrsPow10[digits]);
  // Coordinates beyond a few thousand km cannot be lettered; keep the casts defined.
  if (!(std::fabs(position.easting) < 1e8 && std::fabs(position.northing) < 1e8)) {
    return mgrsFailure(GridError::OutsideMgrsRange);
  }
  const std::int64_t x = mgrsCell(position.easting, digits);
  std::int64_t y = mgrsCell(position.northing, digits);
  MgrsReference r{};
  char *out = r.text;
  if (zone == kUpsZone) {
    const MgrsUpsLetters &ups = position.north ? kMgrsUpsNorth : kMgrsUpsSouth;
    const std::int64_t column = x / perSquare, row = y / perSquare;
    if (x < 0 || y < 0 || column < ups.first || column > ups.last || row < ups.first ||
        row > ups.last) {
      return mgrsFailure(GridError::OutsideMgrsRange);
    }
    const bool east = column >= kMgrsUpsEastColumn;
    *out++ = position.north ? (east ? 'Z' : 'Y') : (east ? 'B' : 'A');
    *out++ = east ? ups.east[column - kMgrsUpsEastColumn] : ups.west[column - ups.first];
    *out++ = ups.rows[row - ups.first];
  } else {
    if (mgrsFind(kGridUtmBands, position.band) < 0 || position.band == '\0') {
      return mgrsFailure(GridError::BadBandLetter);
    }
    // The southern grid ends just below the equator's 10000 km.
    if (!position.north) {
      y = std::min(y, 100 * perSquare - 1);
    }
    const std::int64_t column = x / perSquare, row = y / perSquare;
    const bool rowOk = position.north ? (y >= 0 && row < 95) : (row >= 10);
    if (x < 0 || column < 1 || column > 8 || !rowOk) {
      return mgrsFailure(GridError::OutsideMgrsRange);
    }
    *out++ = static_cast<char>('0' + zone / 10);
    *out++ = static_cast<char>('0' + zone % 10);
    *out++ = position.band;
    *out++ = kMgrsUtmColumns[(zone - 1) % 3][column - 1];
    *out++ = kMgrsUtmRows[(row + (zone % 2 == 0 ? kMgrsEvenZoneRowShift : 0)) % 20];
  }
  std::int64_t ex = x % perSquare, ny = y % perSquare;
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + ex % 10);
    out[digits + i] = static_cast<char>('0' + ny % 10);
    ex /= 10;
    ny /= 10;
  }
  out[2 * digits] = '\0';
  r.error = GridError::None;
  return r;
}

MgrsReference LatLonToMgrs(double latitude, double longitude, int digits) {
  return GridToMgrs(LatLonToGrid(latitude, longitude), digits);
}

MgrsSquare MgrsToGrid(std::string_view reference, bool centre) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t pos = 0;
  int zone = 0;
  while (pos < reference.size() && isDigit(reference[pos])) {
    if (pos == 2) {
      return mgrsSquareFailure(GridError::BadZoneNumber);
    }
    zone = 10 * zone + (reference[pos++] - '0');
  }
  const bool utm = pos > 0;
  if (pos == reference.size()) {
    return mgrsSquareFailure(utm ? GridError::BadBandLetter : GridError::BadZoneNumber);
  }
  MgrsSquare sq{};
  sq.error = GridError::None;
  sq.band = upper(reference[pos++]);
  if (utm) {
    if (zone < 1 || zone > 60) {
      return mgrsSquareFailure(GridError::BadZoneNumber);
    }
    if (mgrsFind(kGridUtmBands, sq.band) < 0) {
      return mgrsSquareFailure(GridError::BadBandLetter);
    }
    sq.north = sq.band >= 'N';
  } else {
    if (sq.band != 'A' && sq.band != 'B' && sq.band != 'Y' && sq.band != 'Z') {
      // A UTM band letter without its zone number.
      return mgrsSquareFailure(mgrsFind(kGridUtmBands, sq.band) >= 0 ? GridError::BadZoneNumber
                                                                     : GridError::BadBandLetter);
    }
    sq.north = sq.band >= 'Y';
  }
  sq.zone = zone;
  if (reference.size() - pos < 2) {
    return mgrsSquareFailure(GridError::MissingSquare);
  }
  const char columnLetter = upper(reference[pos++]);
  const char rowLetter = upper(reference[pos++]);
  const std::size_t count = reference.size() - pos;
  for (std::size_t i = pos; i < reference.size(); ++i) {
    if (!isDigit(reference[i])) {
      return mgrsSquareFailure(GridError::BadCharacter);
    }
  }
  if (count % 2 != 0) {
    return mgrsSquareFailure(GridError::OddDigitCount);
  }
  if (count > 2 * kMgrsMaxDigits) {
    return mgrsSquareFailure(GridError::TooManyDigits);
  }
  const int digits = static_cast<int>(count / 2);
  sq.digits = digits;

  // The square's 100 km indices of easting and northing.
  std::int64_t column = 0, row = 0;
  const GridError squareError = mgrsSquare(zone, sq.band, columnLetter, rowLetter, column, row);
  if (squareError != GridError::None) {
    return mgrsSquareFailure(squareError);
  }

  std::int64_t e = 0, n = 0;
  for (int i = 0; i < digits; ++i) {
    e = 10 * e + (reference[pos + i] - '0');
    n = 10 * n + (reference[pos + digits + i] - '0');
  }
  const std::int64_t perSquare = static_cast<std::int64_t>(kMgrsPow10[digits]);
  const double offset = centre ? 0.5 : 0.0;
  sq.easting = mgrsCellCoordinate(column * perSquare + e, offset, digits);
  sq.northing = mgrsCellCoordinate(row * perSquare + n, offset, digits);
  return sq;
}

GridZoneDesignator ParseGridZone(std::string_view text, GridZoneLetters letters) {
  GridZoneDesignator z{GridError::None, kUpsZone, true, '\0'};
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    if (digits == 2) {
      return GridZoneDesignator{GridError::BadZoneNumber, 0, false, '\0'};
    }
    z.zone = 10 * z.zone + (text[digits++] - '0');
  }
  const std::string_view rest = text.substr(digits);
  const bool utm = digits > 0 && z.zone != kUpsZone;
  if (z.zone > 60) {
    return GridZoneDesignator{GridError::BadZoneNumber, 0, false, '\0'};
  }
  const auto failure = [](GridError error) { return GridZoneDesignator{error, 0, false, '\0'}; };
  // Hemisphere words in either case, single letters as the reading says.
  const auto word = [rest](std::string_view w) {
    if (rest.size() != w.size()) {
      return false;
    }
    for (std::size_t i = 0; i < w.size(); ++i) {
      const char c = rest[i] >= 'A' && rest[i] <= 'Z' ? static_cast<char>(rest[i] + 32) : rest[i];
      if (c != w[i]) {
        return false;
      }
    }
    return true;
  };
  if (rest == "n" || word("north")) {
    z.north = true;
    return z;
  }
  if (rest == "s" || word("south")) {
    z.north = false;
    return z;
  }
  if (rest.size() != 1) {
    return failure(rest.empty() && digits == 0 ? GridError::BadZoneNumber
                                               : GridError::BadBandLetter);
  }
  const char c = rest[0];
  if ((c == 'N' || c == 'S') && (!utm || letters == GridZoneLetters::Hemispheres)) {
    z.north = c == 'N';
    return z;
  }
  if (utm) {
    if (mgrsFind(kGridUtmBands, c) < 0) {
      return failure(GridError::BadBandLetter);
    }
    z.north = c >= 'N';
  } else {
    if (c != 'A' && c != 'B' && c != 'Y' && c != 'Z') {
      // A UTM band letter without its zone number.
      return failure(digits == 0 && mgrsFind(kGridUtmBands, c) >= 0 ? GridError::BadZoneNumber
                                                                    : GridError::BadBandLetter);
    }
    z.north = c >= 'Y';
  }
  z.band = c;
  return z;
}

GridZoneText FormatGridZone(const GridZoneDesignator &zone) {
  GridZoneText t{};
  if (zone.error != GridError::None || zone.zone < 0 || zone.zone > 60) {
    return t;
  }
  char *out = t.text;
  if (zone.zone != kUpsZone) {
    if (zone.zone >= 10) {
      *out++ = static_cast<char>('0' + zone.zone / 10);
    }
    *out++ = static_cast<char>('0' + zone.zone % 10);
  }
  if (zone.band == '\0') {
    *out = zone.north ? 'n' : 's';
    return t;
  }
  const bool fits = zone.zone == kUpsZone ? (zone.north ? zone.band == 'Y' || zone.band == 'Z'
                                                        : zone.band == 'A' || zone.band == 'B')
                                          : mgrsFind(kGridUtmBands, zone.band) >= 0 &&
                                                (zone.band >= 'N') == zone.north;
  if (!fits) {
    return GridZoneText{};
  }
  *out = zone.band;
  return t;
}

GridLatitudeRange GridBandLatitudes(char band) {
  if (band == 'A' || band == 'B') {
    return GridLatitudeRange{GridError::None, -90.0, kUtmSouthLimit};
  }
  if (band == 'Y' || band == 'Z') {
    return GridLatitudeRange{GridError::None, kUtmNorthLimit, 90.0};
  }
  const int index = band == '\0' ? -1 : mgrsFind(kGridUtmBands, band);
  if (index < 0) {
    return GridLatitudeRange{GridError::BadBandLetter, kGridNaN, kGridNaN};
  }
  const double south = kUtmSouthLimit + 8.0 * index;
  return GridLatitudeRange{GridError::None, south, index == 19 ? kUtmNorthLimit : south + 8.0};
}

char UtmBand(double latitude) {
  if (!(latitude >= kUtmSouthLimit && latitude <= kUtmNorthLimit)) {
    return '\0';
  }
  return gridUtmBand(latitude, !std::signbit(latitude));
}

char UpsBand(bool north, double easting) {
  if (std::isnan(easting)) {
    return '\0';
  }
  const bool east = easting >= kUpsFalseOrigin;
  return north ? (east ? 'Z' : 'Y') : (east ? 'B' : 'A');
}

double GridBandAllowance(double uncertainty, double convergence) {
  if (!(uncertainty >= 0.0) || !std::isfinite(uncertainty) || !std::isfinite(convergence)) {
    return kGridNaN;
  }
  // An error of u in both easting and northing moves a point at most
  // u (|cos g| + |sin g|) grid metres along the meridian; on the ground that
  // is at most 1 / 0.9996 times as far, and a degree of latitude is nowhere
  // shorter than on the equator, where the meridian's radius is a (1 - e^2).
  constexpr double kConversionMetres = 1e-6; // projection and decimal reading, with room
  double s, c;
  gridSinCosDeg(std::remainder(convergence, 360.0), s, c);
  const double metres = uncertainty * (std::fabs(c) + std::fabs(s)) + kConversionMetres;
  return metres / (kUtmScale * kWgs84.a * kWgs84.oneMinusE2) * detail::kRadToDeg;
}

GridError CheckGridBand(const GridZoneDesignator &zone, double easting, const GeoPosition &found,
                        double uncertainty) {
  if (zone.band == '\0') {
    return GridError::None;
  }
  if (zone.zone == kUpsZone) {
    if (!std::isfinite(easting) || !std::isfinite(uncertainty)) {
      return GridError::NotFinite;
    }
    const double slack = uncertainty + 1e-6; // metres, as GridBandAllowance
    switch (zone.band) {
    case 'A':
    case 'Y':
      return (zone.band == 'Y') == zone.north && easting < kUpsFalseOrigin + slack
                 ? GridError::None
                 : GridError::BadBandLetter;
    case 'B':
    case 'Z':
      return (zone.band == 'Z') == zone.north && easting >= kUpsFalseOrigin - slack
                 ? GridError::None
                 : GridError::BadBandLetter;
    default:
      return GridError::BadBandLetter;
    }
  }
  const GridLatitudeRange range = GridBandLatitudes(zone.band);
  if (range.error != GridError::None || zone.band == 'A' || zone.band == 'B' || zone.band == 'Y' ||
      zone.band == 'Z' || (zone.band >= 'N') != zone.north) {
    return GridError::BadBandLetter;
  }
  const double allowance = GridBandAllowance(uncertainty, found.convergence);
  if (std::isnan(allowance) || !std::isfinite(found.latitude)) {
    return GridError::NotFinite;
  }
  return found.latitude >= range.south - allowance && found.latitude <= range.north + allowance
             ? GridError::None
             : GridError::BadBandLetter;
}

bool MgrsSquareExists(int zone, char band, char column, char row) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  band = upper(band);
  const bool ups = band == 'A' || band == 'B' || band == 'Y' || band == 'Z';
  if (zone == kUpsZone ? !ups : (zone < 1 || zone > 60 || mgrsFind(kGridUtmBands, band) < 0)) {
    return false;
  }
  std::int64_t e = 0, n = 0;
  return mgrsSquare(zone, band, upper(column), upper(row), e, n) == GridError::None;
}

} // namespace orrery
