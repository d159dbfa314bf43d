#pragma once

/// @file
/// Units, the planet radius and the geodetic conversions.
///
/// The planet radius is the library's only process-wide setting. It is read
/// without a lock, so set it once, before other threads use the library.

#include "math/Export.h"
#include "math/Vector.h"

namespace orrery {

/// Length and area conversion over fixed unit tables. Two length units depend
/// on the planet radius (one radius, and one degree of arc along the surface);
/// setPlanetRadius rewrites them. Arguments are not validated beyond the table
/// bounds: a unit outside the table (an index below 0 or above 11) converts to
/// NaN, and a unit whose factor is 0 divides by zero under the floating-point
/// rules.
class ORRERY_MATH_API Units {
public:
  /// Index into distanceToMeters.
  enum LType {
    kMillimeters = 0,   ///< 0.001 m
    kCentimeters = 1,   ///< 0.01 m
    kMeters = 2,        ///< 1 m
    kKilometers = 3,    ///< 1000 m
    kInches = 4,        ///< 0.0254 m
    kFeet = 5,          ///< 0.3048 m
    kYards = 6,         ///< 0.9144 m
    kMiles = 7,         ///< 1609.344 m
    kPlanetRadii = 8,   ///< the planet radius, sPlanetRadius
    kNauticalMiles = 9, ///< 1852 m
    kCustomLength = 10, ///< 1.7018 m until the table entry is changed
    kDegrees = 11       ///< one degree of arc along the surface: radius * pi / 180
  };

  /// Index into areaToMeters; the last three entries of the table are 0.
  enum AType {
    kSquareMeters = 0,       ///< 1 m^2
    kAres = 1,               ///< 100 m^2
    kHectares = 2,           ///< 10,000 m^2
    kSquareKilometers = 3,   ///< 1000000 m^2
    kSquareFeet = 4,         ///< 0.092903034966 m^2
    kSquareYards = 5,        ///< 0.836127314691 m^2
    kSquareMiles = 6,        ///< 2589988 m^2
    kAcres = 7,              ///< 4046.856 m^2
    kSquareNauticalMiles = 8 ///< 3429903.85388 m^2
  };

  /// Metres; 6371000.0 from load time until the next setPlanetRadius.
  static double sPlanetRadius;
  /// 1 / sPlanetRadius.
  static double sInvPlanetRadius;
  /// Metres per length unit, by LType.
  static double distanceToMeters[12];
  /// Square metres per area unit, by AType.
  static double areaToMeters[12];

  /// Sets the radius (metres, positive and finite), its reciprocal and the
  /// kPlanetRadii and kDegrees length factors. Never reset by the library.
  static void setPlanetRadius(double radius);
  /// (1 / factor[to]) * (value * factor[from]): a unit converted to itself
  /// may differ from value in the last bit.
  /// @{
  static double convertLength(double value, LType from, LType to);
  static double convertArea(double value, AType from, AType to);
  /// @}
};

/// Geodetic conventions. Normalised spherical form ("Norm"): x = longitude /
/// 180 deg in [-1, 1] (east positive), y = latitude / 180 deg in [-0.5, 0.5],
/// z = altitude / planet radius. Geographic form ("LLA"): longitude and
/// latitude in degrees, altitude in metres, same component order. Cartesian
/// form: the planet is the unit sphere at the origin, +Y points to the north
/// pole, longitude 0 on the equator is -Z, longitude +90 (east) is -X, and a
/// point at normalised altitude h lies at distance 1 + h from the origin. The
/// Cartesian conversions are the spherical members of Vec3d and Vec3f.
namespace convert {

/// (lon / 180, lat / 180, alt / planet radius); neither wraps nor clamps. Both
/// read the radius current at the call.
/// @{
ORRERY_MATH_API Vec3d LLAToNorm(const Vec3d &lla);
ORRERY_MATH_API Vec3d NormToLLA(const Vec3d &norm);
/// @}

/// Splits a normalised longitude into (hours, minutes, seconds) with -1 at 0 h,
/// 0 at 12 h; v outside [-1, 1) gives (0, 0, 0). Seconds are not rounded. The
/// hours stay below 24 except where 1 + v rounds to 2 (v within 2^-53 of 1),
/// which gives (24, 0, 0). NaN gives NaN in every component.
ORRERY_MATH_API Vec3d SphToHms(double v);

/// Splits degrees into (whole degrees truncated towards zero, minutes,
/// seconds); the sign is carried by the degrees alone, minutes and seconds are
/// never negative and seconds are not rounded. Input below -180 or above 180
/// (infinities included) gives (-180, 0, 0) or (180, 0, 0); NaN gives NaN in
/// every component.
ORRERY_MATH_API Vec3d SphToDms(double degrees);

/// (whole degrees, decimal minutes), clamped like SphToDms: out of range gives
/// (-180, 0) or (180, 0), NaN gives (NaN, NaN).
ORRERY_MATH_API Vec2d SphToDmm(double degrees);

/// angle - 2 asin(sin(angle / 2) (R - altitude) / R), with R the planet radius,
/// altitude in the radius' unit and angle in radians; 0 at altitude 0.
ORRERY_MATH_API double altToArcDegrees(double altitude, double angle);

} // namespace convert

/// Initial great-circle bearing from point 1 to point 2, clockwise from north
/// (0 north, pi/2 east), in (-pi, pi]; every argument and the result in radians.
ORRERY_MATH_API double azimuthToPoint(double lat1, double lon1, double lat2, double lon2);

/// The angle, clockwise about the axis n, from b to a: -atan2(a . (n x b), a . b),
/// in [-pi, pi].
ORRERY_MATH_API double clockwiseAngle(const Vec3d &a, const Vec3d &b, const Vec3d &n);

} // namespace orrery
