// Builds a look-at view matrix for a camera above the globe, inverts it and
// prints the camera's position, axes and roll.
#include "math/all.h"

#include <cstdio>

namespace {

void print(const char *name, const orrery::Vec3d &v) {
  std::printf("%-9s (% .6f, % .6f, % .6f)\n", name, v.x, v.y, v.z);
}

} // namespace

int main() {
  using namespace orrery;
  // One planet radius above latitude 0, longitude 0 (the globe is the unit
  // sphere, +Y north, longitude 0 at -Z), looking north-down at the surface,
  // then rolled by 0.2 rad about the viewing axis.
  const Vec3d eye{0.0, 0.0, -2.0};
  const Vec3d target{0.0, 0.5, -1.0};
  const Vec3d up{0.0, 1.0, -0.5}; // perpendicular to eye - target

  Mat4d view;
  view.buildLookAt(eye, target, up);
  std::printf("%-9s % .6f rad\n", "roll", view.getRoll());
  view.setRoll(0.2);

  Vec3d position, forward, upAxis, right;
  if (!view.getNormalizedViewParams(position, forward, upAxis, right)) {
    std::puts("view matrix is singular");
    return 1;
  }
  std::puts("look-at view matrix (rows):");
  for (int r = 0; r < 4; ++r) {
    std::printf("  % .6f % .6f % .6f % .6f\n", view.m[r * 4], view.m[r * 4 + 1], view.m[r * 4 + 2],
                view.m[r * 4 + 3]);
  }
  print("position", position);
  print("forward", forward);
  print("up", upAxis);
  print("right", right);
  std::printf("%-9s % .6f rad\n", "new roll", view.getRoll());
  return 0;
}
