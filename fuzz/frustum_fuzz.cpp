// Frustum::build from arbitrary and from sensible view and projection
// matrices, and its point tests: a failed build uses no planes (every point
// inside, none z-culled), NaN points are never inside, and for a perspective
// camera the points mapped from well inside and well outside the
// normalised-device cube classify accordingly. Nothing allocates.

#include "fuzz/FuzzSupport.h"
#include "math/BoundingVolume.h"
#include "math/ViewMatrix.h"

#include <cmath>

using namespace orrery;

namespace {

// The world point whose normalised-device coordinates are ndc.
Vec3d fromDevice(const Mat4d &inverseViewProjection, const Vec3d &ndc) {
  Vec4d h;
  h.mul(Vec4d{ndc.x, ndc.y, ndc.z, 1.0}, inverseViewProjection);
  return {h.x / h.w, h.y / h.w, h.z / h.w};
}

void checkArbitrary(fuzz::Input &in) {
  Mat4d view, projection;
  for (double &e : view.m) {
    e = in.number();
  }
  for (double &e : projection.m) {
    e = in.number();
  }
  const Vec3d p{in.number(), in.number(), in.number()};
  Frustum f;
  fuzz::NoAllocation none;
  const bool built = f.build(view, projection);
  FUZZ_CHECK(f.count == (built ? 6 : 0));
  if (!built) {
    FUZZ_CHECK(f.isPtInside(p));
    FUZZ_CHECK(!f.isZCulled(p));
  }
  if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) {
    FUZZ_CHECK(!built || !f.isPtInside(p));
    FUZZ_CHECK(!built || f.isZCulled(p));
  }
}

void checkPerspective(fuzz::Input &in) {
  const Vec3d eye = in.vec3(100.0);
  Vec3d forward = in.vec3(1.0);
  if (divideByLength(forward) < 0.1) {
    return;
  }
  Vec3d hint = in.vec3(1.0);
  Vec3d up = hint - forward * dot(hint, forward);
  if (divideByLength(up) < 0.1) {
    return;
  }
  Mat4d view;
  view.buildLookAt(eye, eye + forward, up);
  const double fovY = in.within(0.1, 2.5);
  const double aspect = in.within(0.25, 4.0);
  const double nearD = in.within(0.01, 10.0);
  const double farD = nearD * in.within(1.5, 1000.0);
  const Mat4d projection = fuzz::perspective(fovY, aspect, nearD, farD);

  Frustum f;
  {
    fuzz::NoAllocation none;
    FUZZ_CHECK(f.build(view, projection));
  }
  FUZZ_CHECK(f.count == 6);
  FUZZ_CHECK(length(f.eye - eye) < 1e-9 * (1.0 + length(eye)));
  for (int i = 0; i < 6; ++i) {
    const Vec3d n{f.planes[i].x, f.planes[i].y, f.planes[i].z};
    FUZZ_CHECK(std::fabs(length(n) - 1.0) < 1e-12);
  }
  for (const Vec3d &edge : f.edges) {
    FUZZ_CHECK(std::fabs(length(edge) - 1.0) < 1e-12);
    FUZZ_CHECK(dot(edge, forward) > 0.0);
  }

  Mat4d inverse;
  inverse.mul(view, projection);
  FUZZ_CHECK(math::invertFullPivot(inverse));
  const Vec3d inside{in.within(-0.9, 0.9), in.within(-0.9, 0.9), in.within(-0.9, 0.9)};
  const Vec3d p = fromDevice(inverse, inside);
  fuzz::NoAllocation none;
  FUZZ_CHECK(f.isPtInside(p));
  FUZZ_CHECK(!f.isZCulled(p));
  // Beyond one side of the cube (for z, possibly behind the eye).
  Vec3d outside = inside;
  const int axis = in.integer(0, 2);
  const double beyond = in.flag() ? in.within(1.1, 3.0) : -in.within(1.1, 3.0);
  (&outside.x)[axis] = beyond;
  const Vec3d q = fromDevice(inverse, outside);
  FUZZ_CHECK(!f.isPtInside(q));
  if (axis == 2) {
    FUZZ_CHECK(f.isZCulled(q));
  }
  // Behind the eye.
  FUZZ_CHECK(!f.isPtInside(eye - forward * nearD));
  FUZZ_CHECK(f.isZCulled(eye - forward * nearD));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return fuzz::runOne(data, size, {checkPerspective, checkArbitrary}, false);
}
