#pragma once

/// @file
/// The point of the celestial sphere directly overhead an observer.

#include "common/DateTime.h"
#include "math/Export.h"
#include "math/Vector.h"

namespace orrery::skymath {

/// The zenith of an observer at location (x: latitude, in any angular unit,
/// returned unchanged as the declination; y: longitude in radians, east
/// positive) at the instant when (its Julian date on the UT scale), as
/// (declination, right ascension). The right ascension is the local mean
/// sidereal time (IAU 1982 Greenwich mean sidereal time plus the longitude) as
/// the angle (hours / 12 - 1) pi: hour 0 at -pi, hour 12 at 0. Divided by pi it
/// is a normalised longitude, so convert::SphToHms of the quotient gives hours,
/// minutes and seconds. It lies in [-pi, pi] (pi only where rounding lands the
/// hours on exactly 24). An invalid date or a NaN or infinite longitude gives a
/// NaN right ascension.
ORRERY_MATH_API Vec2d ComputeZenithInDecRA(const DateTime &when, const Vec2d &location);

} // namespace orrery::skymath
