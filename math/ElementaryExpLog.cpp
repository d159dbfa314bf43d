// Exponential and logarithmic functions, and the hyperbolic functions built on
// them.

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"

#include <cmath>

namespace orrery::elementary {

// Placeholders until the library's own evaluations land.
double sinh(double x) { return std::sinh(x); }
double tanh(double x) { return std::tanh(x); }
double asinh(double x) { return std::asinh(x); }
double atanh(double x) { return std::atanh(x); }
double expm1(double x) { return std::expm1(x); }
double log(double x) { return std::log(x); }
double log10(double x) { return std::log10(x); }
double pow(double x, double y) { return std::pow(x, y); }
float log(float x) { return std::log(x); }
float log10(float x) { return std::log10(x); }
float pow(float x, float y) { return std::pow(x, y); }

} // namespace orrery::elementary
