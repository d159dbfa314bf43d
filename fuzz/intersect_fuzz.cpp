// Ray, triangle and point queries against brute force: the point-ray
// distance is the least distance over the ray, the point-triangle distance
// is no more than that of any sampled point of the triangle and is reached
// by the reported closest point, the 2-D and ray triangle tests agree with
// sign tests away from the edges and report points on the triangle. Nothing
// allocates.

#include "fuzz/FuzzSupport.h"
#include "math/Intersect.h"

#include <cmath>

using namespace orrery;

namespace {

Vec3f toF(const Vec3d &v) { return {float(v.x), float(v.y), float(v.z)}; }
Vec3d toD(const Vec3f &v) { return {v.x, v.y, v.z}; }

float maxMagnitude(const Vec3f &v) {
  return std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
}

// Distance from the point p to the line through the origin along d (the
// length of p when d is zero).
double distanceToLine(const Vec3d &p, const Vec3d &d) {
  const double dd = dot(d, d);
  return dd > 0.0 ? length(p - d * (dot(p, d) / dd)) : length(p);
}

void checkRayPoint(fuzz::Input &in) {
  const Vec3d o = in.vec3(10.0);
  Vec3d d = in.vec3(1.0);
  if (divideByLength(d) < 1e-3) {
    return;
  }
  const Vec3d p = in.vec3(10.0);
  const auto [distance, behind] = geometry::RayPointDistance(o, d, p);
  FUZZ_CHECK(distance >= 0.0);
  FUZZ_CHECK(behind == (dot(p - o, d) < 0.0));
  // The nearest point of the ray, found independently.
  const double t = std::fmax(0.0, dot(p - o, d));
  const double nearest = length(o + d * t - p);
  FUZZ_CHECK(std::fabs(distance - nearest) < 1e-9);
  (void)geometry::RayPointDistance(in.vec3(), in.vec3(), in.vec3());
}

void checkPointTriangle(fuzz::Input &in) {
  const Vec3f v0 = toF(in.vec3(10.0));
  const Vec3f v1 = in.flag() ? v0 : toF(in.vec3(10.0));
  const Vec3f v2 = toF(in.vec3(10.0));
  const Vec3f p = toF(in.vec3(10.0));
  Vec3f closest{}, normal{};
  const float sq = geometry::PtTriSqrDistance(p, v0, v1, v2, closest, normal);
  FUZZ_CHECK(sq >= 0.0f);
  // The reported closest point reaches the reported distance.
  const Vec3d pd = toD(p);
  const double reached = dot(toD(closest) - pd, toD(closest) - pd);
  const double scale =
      1.0 + dot(pd, pd) + dot(toD(v0), toD(v0)) + dot(toD(v1), toD(v1)) + dot(toD(v2), toD(v2));
  FUZZ_CHECK(std::fabs(reached - double(sq)) < 1e-4 * scale);
  // No point of the triangle is nearer (a grid of barycentric samples).
  // The float region method loses about 2^-23 / sin^2 of the angle at v0 of
  // the longest edge, so slivers between the flat ones (answered by their
  // longest edge) and sin^2 = 1e-3 are left out of this comparison.
  const Vec3d e0 = toD(v1) - toD(v0);
  const Vec3d e1 = toD(v2) - toD(v0);
  const double ac = dot(e0, e0) * dot(e1, e1);
  const double sin2 = ac > 0.0 ? dot(cross(e0, e1), cross(e0, e1)) / ac : 0.0;
  const bool conditioned = !(sin2 > 0x1p-21 && sin2 < 1e-3);
  // A flat triangle answers for its longest edge, off by up to its height.
  const double longest = std::sqrt(
      std::fmax(std::fmax(dot(e0, e0), dot(e1, e1)), dot(toD(v2) - toD(v1), toD(v2) - toD(v1))));
  const double height = sin2 <= 0x1p-21 ? longest * std::sqrt(sin2) : 0.0;
  const double slack = 2.0 * std::sqrt(double(sq)) * height + height * height + 1e-4 * scale;
  for (int i = 0; conditioned && i <= 8; ++i) {
    for (int j = 0; i + j <= 8; ++j) {
      const double a = i / 8.0;
      const double b = j / 8.0;
      const Vec3d s = toD(v0) * (1.0 - a - b) + toD(v1) * a + toD(v2) * b;
      FUZZ_CHECK(double(sq) <= dot(s - pd, s - pd) + slack);
    }
  }
  const float n = length(normal);
  // Unit or zero. The normal is (s E0) x (t E1): for a nearly flat triangle,
  // or a closest point within rounding of one of the edges through v0 (s or
  // t too small to show in closest), that product can be subnormal in float
  // and normalise inexactly.
  const Vec3d offset = toD(closest) - toD(v0);
  const double ulp = 0x1p-22 * (1.0 + maxMagnitude(v0) + maxMagnitude(v1) + maxMagnitude(v2));
  const bool nearEdgeThroughV0 =
      distanceToLine(offset, e0) < ulp || distanceToLine(offset, e1) < ulp;
  FUZZ_CHECK(n == 0.0f || std::fabs(n - 1.0f) < 1e-5f || sin2 < 1e-6 || nearEdgeThroughV0);
  (void)geometry::PtTriSqrDistance(toF(in.vec3()), toF(in.vec3()), toF(in.vec3()), toF(in.vec3()),
                                   closest, normal);
}

// Twice the signed area of a b c in the x-y plane.
double area2(const Vec3d &a, const Vec3d &b, const Vec3d &c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

void checkTriangle2d(fuzz::Input &in) {
  const Vec3d v0 = in.vec3(10.0);
  const Vec3d v1 = in.vec3(10.0);
  const Vec3d v2 = in.flag() ? v1 : in.vec3(10.0);
  const Vec2d p{in.within(-10.0, 10.0), in.within(-10.0, 10.0)};
  double z = 12345.0;
  const bool inside = Pt2dTriIntersect<double, Vec2d, Vec3d>(p, v0, v1, v2, z);
  const Vec3d q{p.x, p.y, 0.0};
  const double a = area2(v0, v1, v2);
  const double w0 = area2(q, v1, v2);
  const double w1 = area2(v0, q, v2);
  const double w2 = area2(v0, v1, q);
  const double margin = 1e-9 * (1.0 + std::fabs(a));
  if (std::fabs(a) > 1e-6) {
    const bool clearlyIn = (a > 0 && w0 > margin && w1 > margin && w2 > margin) ||
                           (a < 0 && w0 < -margin && w1 < -margin && w2 < -margin);
    const bool clearlyOut = (a > 0 && (w0 < -margin || w1 < -margin || w2 < -margin)) ||
                            (a < 0 && (w0 > margin || w1 > margin || w2 > margin));
    if (clearlyIn) {
      FUZZ_CHECK(inside);
      const double expected = (w0 * v0.z + w1 * v1.z + w2 * v2.z) / a;
      FUZZ_CHECK(std::fabs(z - expected) < 1e-6 * (1.0 + std::fabs(expected)));
    }
    if (clearlyOut) {
      FUZZ_CHECK(!inside);
    }
  }
  if (a == 0.0 && v1 == v2) {
    FUZZ_CHECK(!inside);
  }
  double zz = 0.0;
  (void)Pt2dTriIntersect<double, Vec2d, Vec3d>(Vec2d{in.number(), in.number()}, in.vec3(),
                                               in.vec3(), in.vec3(), zz);
}

template <class S, class V>
void checkRayTriangleIn(const V &o, const V &d, const V &v0, const V &v1, const V &v2,
                        double tolerance) {
  V hit{};
  S t = S(-1);
  V bary{};
  if (!RayTriIntersect<S, V>(o, d, v0, v1, v2, hit, t, &bary)) {
    return;
  }
  // A hit is ahead of the origin, on the ray and inside the triangle.
  FUZZ_CHECK(t >= S(0));
  const Vec3d h{double(hit.x), double(hit.y), double(hit.z)};
  const Vec3d along{double(o.x) + double(d.x) * double(t), double(o.y) + double(d.y) * double(t),
                    double(o.z) + double(d.z) * double(t)};
  const double scale = 1.0 + std::fabs(h.x) + std::fabs(h.y) + std::fabs(h.z);
  FUZZ_CHECK(length(h - along) < tolerance * scale);
  FUZZ_CHECK(bary.x >= S(0) && bary.y >= S(0) && bary.z >= S(0));
  FUZZ_CHECK(std::fabs(double(bary.x + bary.y + bary.z) - 1.0) < tolerance);
}

void checkRayTriangle(fuzz::Input &in) {
  const Vec3d v0 = in.vec3(10.0);
  const Vec3d v1 = in.vec3(10.0);
  const Vec3d v2 = in.vec3(10.0);
  const Vec3d o = in.vec3(10.0);
  // Aim at a point given by barycentric weights: inside when all are
  // clearly positive.
  const double a = in.within(-0.5, 1.5);
  const double b = in.within(-0.5, 1.5);
  const Vec3d target = v0 * (1.0 - a - b) + v1 * a + v2 * b;
  const Vec3d d = (target - o) * in.within(0.1, 10.0);
  Vec3d n = cross(v1 - v0, v2 - v0);
  const double area = divideByLength(n);
  Vec3d dn = d;
  const double dl = divideByLength(dn);
  const double slope = std::fabs(dot(n, dn));
  // A ray (nearly) in the triangle's plane leaves only rounding in the
  // signed volumes; its answers carry no meaning.
  // The weights' rounding grows as the triangle thins: scale the tolerance by
  // the square of its longest edge over twice its area.
  const double longest2 =
      std::fmax(std::fmax(dot(v1 - v0, v1 - v0), dot(v2 - v0, v2 - v0)), dot(v2 - v1, v2 - v1));
  if (area > 1e-2 && dl > 1e-6 && slope > 1e-2) {
    const double thinness = longest2 / area;
    checkRayTriangleIn<double, Vec3d>(o, d, v0, v1, v2, 1e-10 * thinness / slope);
    checkRayTriangleIn<float, Vec3f>(toF(o), toF(d), toF(v0), toF(v1), toF(v2),
                                     1e-5 * thinness / slope);
  }

  Vec3d hit{};
  double t = 0.0;
  const bool hitD = RayTriIntersect<double, Vec3d>(o, d, v0, v1, v2, hit, t, nullptr);
  const double rest = 1.0 - a - b;
  // Clearly inside, clearly crossing the plane, triangle not a sliver.
  if (area > 1e-2 && dl > 1e-6 && slope > 1e-2 && a > 1e-3 && b > 1e-3 && rest > 1e-3) {
    FUZZ_CHECK(hitD);
    FUZZ_CHECK(length(hit - target) < 1e-6 * (1.0 + length(target)));
  }
  if (area > 1e-2 && slope > 1e-2 && (a < -1e-3 || b < -1e-3 || rest < -1e-3)) {
    FUZZ_CHECK(!hitD);
  }
  Vec3d wildHit{};
  double wildT = 0.0;
  Vec3d wildBary{};
  (void)RayTriIntersect<double, Vec3d>(in.vec3(), in.vec3(), in.vec3(), in.vec3(), in.vec3(),
                                       wildHit, wildT, &wildBary);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return fuzz::runOne(data, size,
                      {checkRayPoint, checkPointTriangle, checkTriangle2d, checkRayTriangle}, true);
}
