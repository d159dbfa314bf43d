#include "math/SkyMath.h"
#include "math/detail/Angles.h"

#include <cmath>

namespace orrery::skymath {

namespace {

constexpr double kJ2000 = 2451545.0;        // Julian date of 2000-01-01 12:00
constexpr double kDaysPerCentury = 36525.0; // Julian century

} // namespace

Vec2d ComputeZenithInDecRA(const DateTime &when, const Vec2d &location) {
  const double jd = static_cast<double>(when.toJulianDate());
  const double d = jd - kJ2000;
  const double t = d / kDaysPerCentury;
  // Greenwich mean sidereal time in degrees. It is left unreduced: far from
  // J2000 it is large, and only the hours below are brought into one day.
  const double gmst = d * 360.98564736629 + 280.46061837 + t * t * (0.000387933 - t / 38710000.0);
  double hours = (gmst + 180.0 * location.y / orrery::detail::kPi) / 15.0;
  hours = hours - std::floor(hours / 24.0) * 24.0;
  if (hours < 0.0) {
    hours += 24.0; // the product above can round past the value reduced
  }
  return {location.x, (hours / 12.0 - 1.0) * orrery::detail::kPi};
}

} // namespace orrery::skymath
