#pragma once

// Units, the planet radius and the geodetic conversions.

#include "math/Export.h"
#include "math/Vector.h"

namespace orrery {

// The angle, clockwise about the axis n, from b to a: -atan2(a . (n x b), a . b),
// in [-pi, pi].
ORRERY_MATH_API double clockwiseAngle(const Vec3d &a, const Vec3d &b, const Vec3d &n);

} // namespace orrery
