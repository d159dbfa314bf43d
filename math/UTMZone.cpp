#include "math/UTMZone.h"
#include "math/Elementary.h"
#include "math/detail/Angles.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace gridlot {

namespace {

// WGS 84 with the squared eccentricity rounded, and the UTM projection.
constexpr double kUtmA = 6378137.0;                   // semi-major axis, metres
constexpr double kUtmE2 = 0.00669438;                 // e^2
constexpr double kUtmEp2 = 0.006739496752268451;      // e'^2 = e^2 / (1 - e^2)
constexpr double kUtmK0 = 0.9996;                     // scale on the central meridian
constexpr double kUtmFalseEasting = 500000.0;         // metres
constexpr double kUtmFalseNorthingSouth = 10000000.0; // metres

// Meridian arc M / a = m0 phi - m2 sin 2phi + m4 sin 4phi - m6 sin 6phi.
constexpr double kUtmM0 = 0.9983242984503243;      // 1 - e2/4 - 3e4/64 - 5e6/256
constexpr double kUtmM2 = 0.002514607064228144;    // 3e2/8 + 3e4/32 + 45e6/1024
constexpr double kUtmM4 = 2.639046602129982e-06;   // 15e4/256 + 45e6/1024
constexpr double kUtmM6 = 3.418046101696858e-09;   // 35e6/3072
constexpr double kUtmArcScale = 6367449.145945056; // a m0
// Footpoint latitude series in e1 = (1 - sqrt(1 - e2)) / (1 + sqrt(1 - e2)).
constexpr double kUtmF2 = 0.002518826588112575;
constexpr double kUtmF4 = 3.7009490465577744e-06;
constexpr double kUtmF6 = 7.447813800519332e-09;
constexpr double kUtmAOneMinusE2 = 6335439.32722994; // a (1 - e2)

// Multiples of e'^2 appearing in the series.
constexpr double kUtmEp2x8 = 0.05391597401814761;
constexpr double kUtmEp2x9 = 0.06065547077041606;
constexpr double kUtmEp2x58 = 0.39089081163157013;
constexpr double kUtmEp2x252 = 1.6983531815716497;
constexpr double kUtmEp2x330 = 2.2240339282485886;

// Wraps a longitude of -180 or more into [-180, 180): the whole turns are
// counted towards zero in 32-bit integers and removed in integer arithmetic.
// Longitudes whose turn count leaves the 32-bit range (and NaN, infinities)
// have no wrap and give NaN.
double utmWrapLongitude(double longitude) {
  const double shifted = longitude + 180.0;
  const double turns = shifted / 360.0;
  // 2^31: the turn count must truncate to a 32-bit integer.
  if (!(std::fabs(turns) < 2147483648.0)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const std::int64_t whole = 360 * static_cast<std::int64_t>(static_cast<std::int32_t>(turns));
  return shifted - static_cast<double>(whole) - 180.0;
}

} // namespace

UTMZone::UTMZone(double latitude, double longitude) {
  const double lon = utmWrapLongitude(longitude);
  if (std::isnan(lon)) {
    mZoneNumber = 0;
  } else {
    // A wrapped longitude lies in [-540, 180), so the quotient fits easily;
    // below -180 it is outside the domain and the number wraps modulo 256.
    mZoneNumber = static_cast<unsigned char>(static_cast<std::int32_t>((180.0 + lon) / 6.0) + 1);
    if (latitude >= 56.0 && latitude < 64.0 && lon >= 3.0 && lon < 12.0) {
      mZoneNumber = 32;
    }
    if (latitude >= 72.0 && latitude < 84.0) {
      if (lon >= 0.0 && lon < 9.0) {
        mZoneNumber = 31;
      } else if (lon >= 9.0 && lon < 21.0) {
        mZoneNumber = 33;
      } else if (lon >= 21.0 && lon < 33.0) {
        mZoneNumber = 35;
      } else if (lon >= 33.0 && lon < 42.0) {
        mZoneNumber = 37;
      }
    }
  }
  mZoneLetter = ComputeUTMZoneLetter(latitude);
}

UTMZone::UTMZone(unsigned char zone, char letter) : mZoneNumber(zone), mZoneLetter(letter) {}

UTMZone::UTMZone(const UTMZone &other) = default;

UTMZone &UTMZone::operator=(const UTMZone &other) = default;

char UTMZone::ComputeUTMZoneLetter(double latitude) {
  // The top band is 12 degrees and closed at 84; NaN fails every test.
  if (latitude <= 84.0 && latitude >= 72.0) {
    return 'X';
  }
  static constexpr char kBands[] = "CDEFGHJKLMNPQRSTUVW"; // from -80 up, 8 degrees each
  for (int band = 18; band >= 0; --band) {
    const double lower = -80.0 + 8.0 * band;
    if (latitude < lower + 8.0 && latitude >= lower) {
      return kBands[band];
    }
  }
  return 'Z';
}

void UTMZone::LatLongToUTM(const double &latitude, const double &longitude, double *easting,
                           double *northing) const {
  const double phi = latitude * orrery::detail::kDegToRad;
  const double lambda = utmWrapLongitude(longitude) * orrery::detail::kDegToRad;
  const double lambda0 = (6 * int(mZoneNumber) - 183) * orrery::detail::kDegToRad;

  double sinPhi = 0.0;
  double cosPhi = 0.0;
  orrery::elementary::sincos(phi, sinPhi, cosPhi);
  const double tanPhi = orrery::elementary::tan(phi);
  const double n = kUtmA / std::sqrt(1.0 - kUtmE2 * sinPhi * sinPhi);
  const double t = tanPhi * tanPhi;
  const double k = kUtmEp2 * cosPhi * cosPhi;
  const double a = cosPhi * (lambda - lambda0);
  const double m = kUtmA * (kUtmM0 * phi - kUtmM2 * orrery::elementary::sin(2.0 * phi) +
                            kUtmM4 * orrery::elementary::sin(4.0 * phi) -
                            kUtmM6 * orrery::elementary::sin(6.0 * phi));

  const double a2 = a * a;
  const double a3 = a2 * a;
  const double a4 = a3 * a;
  const double a5 = a4 * a;
  const double a6 = a5 * a;
  *easting = kUtmK0 * n *
                 (a + (1.0 - t + k) * a3 / 6.0 +
                  (5.0 - 18.0 * t + t * t + 72.0 * k - kUtmEp2x58) * a5 / 120.0) +
             kUtmFalseEasting;
  *northing = kUtmK0 * (m + n * tanPhi *
                                (a2 / 2.0 + (5.0 - t + 9.0 * k + 4.0 * k * k) * a4 / 24.0 +
                                 (61.0 - 58.0 * t + t * t + 600.0 * k - kUtmEp2x330) * a6 / 720.0));
  if (latitude < 0.0) {
    *northing += kUtmFalseNorthingSouth;
  }
}

void UTMZone::UTMToLatLong(const double &easting, const double &northing, double *latitude,
                           double *longitude) const {
  const double x = easting - kUtmFalseEasting;
  double y = northing;
  if (mZoneLetter < 'N') {
    y -= kUtmFalseNorthingSouth;
  }
  const double lambda0 = 6 * int(mZoneNumber) - 183;

  const double mu = y / kUtmK0 / kUtmArcScale;
  const double phi1 = mu + kUtmF2 * orrery::elementary::sin(2.0 * mu) +
                      kUtmF4 * orrery::elementary::sin(4.0 * mu) +
                      kUtmF6 * orrery::elementary::sin(6.0 * mu);

  double s = 0.0;
  double c = 0.0;
  orrery::elementary::sincos(phi1, s, c);
  const double tanPhi1 = orrery::elementary::tan(phi1);
  const double w = 1.0 - kUtmE2 * s * s;
  const double n1 = kUtmA / std::sqrt(w);
  const double t1 = tanPhi1 * tanPhi1;
  const double k1 = kUtmEp2 * c * c;
  const double r1 = kUtmAOneMinusE2 / orrery::elementary::pow(w, 1.5);
  const double d = x / (n1 * kUtmK0);

  const double d2 = d * d;
  const double d3 = d2 * d;
  const double d4 = d3 * d;
  const double d5 = d4 * d;
  const double d6 = d5 * d;
  *latitude =
      (phi1 - (n1 * tanPhi1 / r1) *
                  (d2 / 2.0 - (5.0 + 3.0 * t1 + 10.0 * k1 - 4.0 * k1 * k1 - kUtmEp2x9) * d4 / 24.0 +
                   (61.0 + 90.0 * t1 + 298.0 * k1 + 45.0 * t1 * t1 - kUtmEp2x252 - 3.0 * k1 * k1) *
                       d6 / 720.0)) *
      orrery::detail::kRadToDeg;
  *longitude =
      lambda0 +
      (d - (1.0 + 2.0 * t1 + k1) * d3 / 6.0 +
       (5.0 - 2.0 * k1 + 28.0 * t1 - 3.0 * k1 * k1 + kUtmEp2x8 + 24.0 * t1 * t1) * d5 / 120.0) /
          c * orrery::detail::kRadToDeg;
}

} // namespace gridlot
