#include "math/Units.h"

#include <cmath>

namespace orrery {

double clockwiseAngle(const Vec3d &a, const Vec3d &b, const Vec3d &n) {
  Vec3d c;
  c.set(n.y * b.z - n.z * b.y, n.z * b.x - n.x * b.z, n.x * b.y - n.y * b.x);
  return -std::atan2(dot(a, c), dot(a, b));
}

} // namespace orrery
