// Sine, cosine and tangent.

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"

#include <cmath>

namespace orrery::elementary {

// Placeholders until the library's own evaluations land.
double sin(double x) { return std::sin(x); }
double cos(double x) { return std::cos(x); }
void sincos(double x, double &s, double &c) {
  s = sin(x);
  c = cos(x);
}
double tan(double x) { return std::tan(x); }

} // namespace orrery::elementary
