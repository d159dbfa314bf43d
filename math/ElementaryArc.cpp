// Inverse trigonometric functions and the hypotenuse.

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"

#include <cmath>

namespace orrery::elementary {

// Placeholders until the library's own evaluations land.
double asin(double x) { return std::asin(x); }
double acos(double x) { return std::acos(x); }
double atan(double x) { return std::atan(x); }
double atan2(double y, double x) { return std::atan2(y, x); }
float asin(float x) { return std::asin(x); }
float acos(float x) { return std::acos(x); }
double hypot(double x, double y) { return std::hypot(x, y); }

} // namespace orrery::elementary
