#pragma once

// Units, the planet radius and the geodetic conversions.
//
// The planet radius is the library's only process-wide setting. It is read
// without a lock, so set it once, before other threads use the library.

#include "math/Export.h"
#include "math/Vector.h"

namespace orrery {

// Length and area conversion over fixed unit tables. Two length units depend
// on the planet radius (one radius, and one degree of arc along the surface);
// setPlanetRadius rewrites them. Arguments are not validated: an enumeration
// value out of range is undefined, and a unit whose factor is 0 divides by
// zero under the floating-point rules.
class ORRERY_MATH_API Units {
public:
  // Index into distanceToMeters.
  enum LType {
    kMillimeters = 0,
    kCentimeters = 1,
    kMeters = 2,
    kKilometers = 3,
    kInches = 4,
    kFeet = 5,
    kYards = 6,
    kMiles = 7,
    kPlanetRadii = 8,
    kNauticalMiles = 9,
    kCustomLength = 10,
    kDegrees = 11
  };

  // Index into areaToMeters; the last three entries of the table are 0.
  enum AType {
    kSquareMeters = 0,
    kAres = 1,
    kHectares = 2,
    kSquareKilometers = 3,
    kSquareFeet = 4,
    kSquareYards = 5,
    kSquareMiles = 6,
    kAcres = 7,
    kSquareNauticalMiles = 8
  };

  // Metres; 6371000.0 from load time until the next setPlanetRadius.
  static double sPlanetRadius;
  // 1 / sPlanetRadius.
  static double sInvPlanetRadius;
  // Metres per length unit, by LType.
  static double distanceToMeters[12];
  // Square metres per area unit, by AType.
  static double areaToMeters[12];

  // Sets the radius (metres, positive and finite), its reciprocal and the
  // kPlanetRadii and kDegrees length factors. Never reset by the library.
  static void setPlanetRadius(double radius);
  // (1 / factor[to]) * (value * factor[from]): a unit converted to itself
  // may differ from value in the last bit.
  static double convertLength(double value, LType from, LType to);
  static double convertArea(double value, AType from, AType to);
};

// The angle, clockwise about the axis n, from b to a: -atan2(a . (n x b), a . b),
// in [-pi, pi].
ORRERY_MATH_API double clockwiseAngle(const Vec3d &a, const Vec3d &b, const Vec3d &n);

} // namespace orrery
