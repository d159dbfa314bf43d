#pragma once

// Internal to the library (not installed): the layers under the grid family.
// An ellipsoid and its latitudes (GridEllipsoid.cpp), the transverse Mercator
// (GridTransverseMercator.cpp) and polar stereographic
// (GridPolarStereographic.cpp) projections of any ellipsoid, and the
// constants of the UTM and UPS grids that the grid rules (GridUtmUps.cpp) and
// the MGRS lettering (GridMgrs.cpp) share. Angles are degrees where named so,
// radians otherwise.

namespace orrery::detail {

// Square root by Newton's method, for constants (v > 0).
constexpr double constSqrt(double v) {
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
constexpr double constExpEAtanhE(double e) {
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
inline constexpr double kKruegerAlpha[6][6][2] = {
    {{1, 2}, {-2, 3}, {5, 16}, {41, 180}, {-127, 288}, {7891, 37800}},
    {{13, 48}, {-3, 5}, {557, 1440}, {281, 630}, {-1983433, 1935360}},
    {{61, 240}, {-103, 140}, {15061, 26880}, {167603, 181440}},
    {{49561, 161280}, {-179, 168}, {6601661, 7257600}},
    {{34729, 80640}, {-3418889, 1995840}},
    {{212378941, 319334400}},
};
inline constexpr double kKruegerBeta[6][6][2] = {
    {{1, 2}, {-2, 3}, {37, 96}, {-1, 360}, {-81, 512}, {96199, 604800}},
    {{1, 48}, {1, 15}, {-437, 1440}, {46, 105}, {-1118711, 3870720}},
    {{17, 480}, {-37, 840}, {-209, 4480}, {5569, 90720}},
    {{4397, 161280}, {-11, 504}, {-830251, 7257600}},
    {{4583, 161280}, {-108847, 3991680}},
    {{20648693, 638668800}},
};
// The conformal latitude chi from the geographic phi (chi = phi + sum c_j
// sin 2j phi), and back (phi = chi + sum d_j sin 2j chi), to the same order.
inline constexpr double kConformalChi[6][6][2] = {
    {{-2, 1}, {2, 3}, {4, 3}, {-82, 45}, {32, 45}, {4642, 4725}},
    {{5, 3}, {-16, 15}, {-13, 9}, {904, 315}, {-1522, 945}},
    {{-26, 15}, {34, 21}, {8, 5}, {-12686, 2835}},
    {{1237, 630}, {-12, 5}, {-24832, 14175}},
    {{-734, 315}, {109598, 31185}},
    {{444337, 155925}},
};
inline constexpr double kConformalPhi[6][6][2] = {
    {{2, 1}, {-2, 3}, {-2, 1}, {116, 45}, {26, 45}, {-2854, 675}},
    {{7, 3}, {-8, 5}, {-227, 45}, {2704, 315}, {2323, 945}},
    {{56, 15}, {-136, 35}, {-1262, 105}, {73814, 2835}},
    {{4279, 630}, {-332, 35}, {-399572, 14175}},
    {{4174, 315}, {-144838, 6237}},
    {{601676, 22275}},
};

// Evaluates row j of a coefficient table at n by Horner's rule.
constexpr double seriesCoefficient(const double (&row)[6][2], int j, double n) {
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

// The ellipsoid of semi-major axis a (metres) and flattening f.
constexpr GridEllipsoid gridMakeEllipsoid(double a, double f) {
  GridEllipsoid g{};
  const double n = f / (2.0 - f);
  g.a = a;
  g.e2 = f * (2.0 - f);
  g.e = constSqrt(g.e2);
  g.oneMinusE2 = 1.0 - g.e2;
  const double n2 = n * n;
  g.rectifyingOverA = (1.0 + n2 * (1.0 / 4 + n2 * (1.0 / 64 + n2 / 256))) / (1.0 + n);
  g.polarC = constSqrt(g.oneMinusE2) * constExpEAtanhE(g.e);
  for (int j = 0; j < 6; ++j) {
    g.alpha[j] = seriesCoefficient(kKruegerAlpha[j], j, n);
    g.beta[j] = seriesCoefficient(kKruegerBeta[j], j, n);
    g.chi[j] = seriesCoefficient(kConformalChi[j], j, n);
    g.phi[j] = seriesCoefficient(kConformalPhi[j], j, n);
  }
  return g;
}

inline constexpr GridEllipsoid kWgs84 = gridMakeEllipsoid(6378137.0, 1.0 / 298.257223563);

// The UTM and UPS grids.
inline constexpr double kUtmScale = 0.9996;
inline constexpr double kUtmFalseEasting = 500000.0;    // metres
inline constexpr double kUtmFalseNorthing = 10000000.0; // metres, southern hemisphere
inline constexpr double kUpsScale = 0.994;
inline constexpr double kUpsFalseOrigin = 2000000.0;              // metres, easting and northing
inline constexpr char kUtmBandLetters[] = "CDEFGHJKLMNPQRSTUVWX"; // from -80, 8 degrees each

// The index of c in a NUL-terminated letter set, or -1 (also for c == 0).
constexpr int letterIndex(const char *letters, char c) {
  for (int i = 0; letters[i] != '\0'; ++i) {
    if (letters[i] == c) {
      return i;
    }
  }
  return -1;
}

// --- The ellipsoid's latitudes (GridEllipsoid.cpp) ---

// sin and cos of an angle of at most 180 degrees in magnitude. The angle is
// first reduced exactly (Sterbenz) to within 45 degrees of 0, 90 or 180, so
// that latitudes near the poles and longitudes near the quarter turns keep
// their full relative accuracy, and 90 and 180 give exact zeros.
void sinCosDegrees(double deg, double &s, double &c);

// a over the radius of the parallel of phi, sqrt(1 - e^2 sin^2 phi) / cos phi.
double overParallel(const GridEllipsoid &ell, double sinPhi, double cosPhi);

// sin and cos of the conformal latitude chi from those of the geographic
// latitude phi (cos phi >= 0).
void conformalLatitude(const GridEllipsoid &ell, double sinPhi, double cosPhi, double &sinChi,
                       double &cosChi);

// The geographic latitude of a conformal latitude given as sin chi : cos chi
// = s : w (w >= 0, not both zero): in degrees, with its sine and cosine.
struct GeographicLatitude {
  double degrees, sinPhi, cosPhi;
};

GeographicLatitude geographicLatitude(const GridEllipsoid &ell, double s, double w);

// --- Transverse Mercator with unit central scale (GridTransverseMercator.cpp) ---

// A point of the projection in units of the rectifying radius A:
// zeta = (northing + i easting) / A.
struct TmPoint {
  double xi, eta;  // northing and easting over A
  double gamma;    // convergence, radians
  double scale;    // point scale with unit central scale
  double latitude; // degrees
  double lambda;   // degrees from the central meridian
};

// Forward: latitude and longitude from the central meridian (|lambda| < 90
// degrees), both in degrees.
TmPoint tmForward(const GridEllipsoid &ell, double latitude, double lambda);

// Reverse: from xi = northing / A and eta = easting / A.
TmPoint tmReverse(const GridEllipsoid &ell, double xi, double eta);

// --- Polar stereographic (GridPolarStereographic.cpp) ---

// A point of the projection with central scale k0 about the pole of the
// latitude's hemisphere: x towards longitude 90 degrees east, y along the
// meridian of longitude 0 away from the pole (metres), and the point scale.
struct PolarPoint {
  double x, y, scale;
};

// Forward: the magnitude of the latitude and the longitude, degrees.
PolarPoint polarForward(const GridEllipsoid &ell, double k0, double absLatitude, double longitude);

// Reverse: latitude (of the northern hemisphere's sign) and longitude in
// degrees from x and y as the forward gives them, and the point scale.
struct PolarPosition {
  double latitude, longitude, scale;
};

PolarPosition polarReverse(const GridEllipsoid &ell, double k0, double x, double y);

} // namespace orrery::detail

namespace orrery::detail {

// --- MGRS squares (GridMgrsSquares.cpp, written by scripts/mgrs-squares.cpp) ---

// The distinct tables of the zones' MGRS rows and each zone's table: every
// zone shares one but those that the irregular bands widen or narrow.
extern const unsigned char kMgrsRowTables[][20][8][2];
extern const unsigned char kMgrsZoneRowTable[60];

// For UTM zone (1..60), band (index into kUtmBandLetters) and MGRS column
// (1..8), the first and last 100 km row (northing / 100 km in the band's
// hemisphere) that meet the grid zone; first > last where the column misses
// it. A column's rows span fewer than 20, so a row letter names at most one
// of them.
inline const unsigned char *mgrsRows(int zone, int band, int column) {
  return kMgrsRowTables[kMgrsZoneRowTable[zone - 1]][band][column - 1];
}

// The northings (metres, in the hemisphere of the bands they bound) of the
// bands' parallels at kMgrsEdgeStep intervals of easting from the central
// meridian out to 400 km: rows 0..10 are -80 to 0 degrees for the southern
// bands, rows 11..21 are 0 to 72 and 84 degrees for the northern ones.
// Between two entries a parallel's northing lies between their values.
inline constexpr double kMgrsEdgeStep = 6250.02; // metres; 64 steps pass 400 km
extern const double kMgrsEdgeNorthings[22][65];

} // namespace orrery::detail
