#pragma once

// Internal to the library (not installed): the circle constants every family
// shares, as the nearest doubles. One definition serves all the sources of a
// unity translation unit.

namespace orrery::detail {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kDegToRad = 0.017453292519943295; // pi / 180
constexpr double kRadToDeg = 57.29577951308232;    // 180 / pi

} // namespace orrery::detail
