#include "math/Units.h"
#include "math/Elementary.h"
#include "math/detail/Angles.h"

#include "math/FastMath.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace orrery {

namespace {

constexpr double kDefaultRadius = 6371000.0; // metres, the mean Earth radius
// One degree of arc along the surface of the default planet.
constexpr double kDefaultDegree = kDefaultRadius * detail::kDegToRad;

// Both unit tables have this many entries.
constexpr int kTableSize = 12;

double convertByTable(const double *table, double value, int from, int to) {
  // A unit outside the table has no factor; reading one would be undefined.
  if (from < 0 || from >= kTableSize || to < 0 || to >= kTableSize) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  // The reciprocal of the target factor times the value already in metres.
  return (1.0 / table[to]) * (value * table[from]);
}

// pi in the scalar type of the vector converted: the float twin works with the
// float pi throughout.
template <class T> constexpr T kPiAs = T(detail::kPi);

// Normalised spherical to Cartesian. Angles and radius are formed in T; the
// products are formed in double.
template <class T> Vec3d cartesianOf(T lon, T lat, T alt) {
  const double rd = double(T(1) + alt);
  const T theta = (T(0.5) + lon) * kPiAs<T>;
  const T phi = kPiAs<T> * lat;
  const double rCosPhi = rd * double(elementary::cos(phi));
  return {double(elementary::cos(theta)) * rCosPhi, rd * double(elementary::sin(phi)),
          -double(elementary::sin(theta)) * rCosPhi};
}

// Cartesian to normalised spherical. The squared sums and their square roots
// are formed in T; atan2 and everything after it in double.
template <class T> Vec3d sphericalOf(T cx, T cy, T cz) {
  constexpr double pi = double(kPiAs<T>);
  const double alt = double(FastMath::sqrt(cx * cx + cy * cy + cz * cz)) - 1.0;
  const double horizontal = double(FastMath::sqrt(cz * cz + cx * cx));
  // Degrees first, then the half turn: the division order is part of the result.
  const double lat = ((elementary::atan2(double(cy), horizontal) * 180.0) / pi) / 180.0;
  double lon = ((elementary::atan2(double(cz), double(cx)) * 180.0) / (-pi) - 90.0) / 180.0;
  // atan2 spans [-1.5, 0.5] here, so only the lower wrap acts on finite input.
  if (lon < -1.0) {
    lon += 2.0;
  } else if (lon > 1.0) {
    lon -= 2.0;
  }
  return {lon, lat, alt};
}

// Whole degrees (truncated towards zero) and the magnitude whose fraction gives
// minutes, clamped to +-180. NaN is kept apart: it has no integer truncation.
struct DegreeSplit {
  double whole;
  double magnitude;
};

DegreeSplit splitDegrees(double degrees) {
  if (degrees < -180.0) {
    return {-180.0, 180.0};
  }
  if (degrees > 180.0) {
    return {180.0, 180.0};
  }
  if (std::isnan(degrees)) {
    return {degrees, degrees};
  }
  return {double(static_cast<std::int32_t>(degrees)), std::fabs(degrees)};
}

} // namespace

// Constant-initialised, so the defaults are in place before any caller runs.
constinit double Units::sPlanetRadius = kDefaultRadius;
constinit double Units::sInvPlanetRadius = 1.0 / kDefaultRadius;
constinit double Units::distanceToMeters[12] = {
    0.001,          // kMillimeters
    0.01,           // kCentimeters
    1.0,            // kMeters
    1000.0,         // kKilometers
    0.0254,         // kInches
    0.3048,         // kFeet
    0.9144,         // kYards
    1609.344,       // kMiles
    kDefaultRadius, // kPlanetRadii
    1852.0,         // kNauticalMiles
    1.7018,         // kCustomLength
    kDefaultDegree, // kDegrees
};
// Taken as tabulated, not derived from the length factors.
constinit double Units::areaToMeters[12] = {
    1.0,            // kSquareMeters
    100.0,          // kAres
    10000.0,        // kHectares
    1000000.0,      // kSquareKilometers
    0.092903034966, // kSquareFeet
    0.836127314691, // kSquareYards
    2589988.0,      // kSquareMiles
    4046.856,       // kAcres
    3429903.85388,  // kSquareNauticalMiles
    0.0,
    0.0,
    0.0,
};

void Units::setPlanetRadius(double radius) {
  sPlanetRadius = radius;
  sInvPlanetRadius = 1.0 / radius;
  distanceToMeters[kPlanetRadii] = radius;
  distanceToMeters[kDegrees] = radius * detail::kDegToRad;
}

double Units::convertLength(double value, LType from, LType to) {
  return convertByTable(distanceToMeters, value, from, to);
}

double Units::convertArea(double value, AType from, AType to) {
  return convertByTable(areaToMeters, value, from, to);
}

double clockwiseAngle(const Vec3d &a, const Vec3d &b, const Vec3d &n) {
  const Vec3d c = {n.y * b.z - n.z * b.y, n.z * b.x - n.x * b.z, n.x * b.y - n.y * b.x};
  return -elementary::atan2(dot(a, c), dot(a, b));
}

namespace convert {

Vec3d LLAToNorm(const Vec3d &lla) {
  return {lla.x / 180.0, lla.y / 180.0, lla.z * Units::sInvPlanetRadius};
}

Vec3d NormToLLA(const Vec3d &norm) {
  return {180.0 * norm.x, norm.y * 180.0, norm.z * Units::sPlanetRadius};
}

Vec3d SphToHms(double v) {
  double t = v; // NaN stays NaN
  if (v >= -1.0 && v < 1.0) {
    t = 1.0 + v;
  } else if (v < -1.0 || v >= 1.0) {
    t = 0.0;
  }
  const double h = t * 12.0;
  const double hours = std::floor(h);
  const double m = (h - hours) * 60.0;
  const double minutes = std::floor(m);
  return {hours, minutes, (m - minutes) * 60.0};
}

Vec3d SphToDms(double degrees) {
  const DegreeSplit d = splitDegrees(degrees);
  const double m = (d.magnitude - std::trunc(d.magnitude)) * 60.0;
  const double minutes = std::trunc(m);
  return {d.whole, minutes, (m - minutes) * 60.0};
}

Vec2d SphToDmm(double degrees) {
  const DegreeSplit d = splitDegrees(degrees);
  return {d.whole, (d.magnitude - std::trunc(d.magnitude)) * 60.0};
}

double altToArcDegrees(double altitude, double angle) {
  const double r = Units::sPlanetRadius;
  return elementary::asin(elementary::sin(angle * 0.5) * (r - altitude) / r) * -2.0 + angle;
}

} // namespace convert

double azimuthToPoint(double lat1, double lon1, double lat2, double lon2) {
  const double dLon = lon2 - lon1;
  double sinDLon, cosDLon, sinLat1, cosLat1, sinLat2, cosLat2;
  elementary::sincos(dLon, sinDLon, cosDLon);
  elementary::sincos(lat1, sinLat1, cosLat1);
  elementary::sincos(lat2, sinLat2, cosLat2);
  return elementary::atan2(sinDLon * cosLat2, cosLat1 * sinLat2 - sinLat1 * cosLat2 * cosDLon);
}

// The conversions read all of their input before they write, so the
// argument may be this vector.
void Vec3d::toCartesian(const Vec3d &sph) { *this = cartesianOf(sph.x, sph.y, sph.z); }

Vec3d Vec3d::getCartesian() const {
  Vec3d c;
  c.toCartesian(*this);
  return c;
}

void Vec3d::toSpherical(const Vec3d &cart) { *this = sphericalOf(cart.x, cart.y, cart.z); }

Vec3d Vec3d::getSpherical() const {
  Vec3d s;
  s.toSpherical(*this);
  return s;
}

void Vec3f::toCartesian() {
  const Vec3d c = cartesianOf(x, y, z);
  setDouble(c.x, c.y, c.z);
}

void Vec3f::toSpherical() {
  const Vec3d s = sphericalOf(x, y, z);
  setDouble(s.x, s.y, s.z);
}

} // namespace orrery
