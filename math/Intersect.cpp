#include "math/Intersect.h"

#include <cmath>

namespace orrery {

namespace geometry {

std::pair<double, bool> RayPointDistance(const Vec3d &o, const Vec3d &d, const Vec3d &p) {
  const bool behind = dot(p - o, d) < 0.0;
  const Vec3d op = o - p;
  const double distance = behind ? length(op) : length(cross(d, op));
  return {distance, behind};
}

namespace {

// The squared distance of V0 + s*E0 + t*E1 from p, from the quadratic form
// a s^2 + 2b st + c t^2 + 2d s + 2e t + f.
float triQuadratic(float a, float b, float c, float d, float e, float f, float s, float t) {
  return s * (a * s + b * t + 2.0f * d) + t * (b * s + c * t + 2.0f * e) + f;
}

// det = |a c - b^2| = a c sin^2 of the angle at V0, formed in float with an
// error of a few 2^-24 a c: below this fraction of a c the area is noise.
constexpr float kTriFlatArea = 0x1p-20f;

// Nearest point of a zero-area triangle: its longest edge holds the other
// two, so the clamped projection onto that edge, as (s, t).
void triDegenerate(float a, float b, float c, float d, float e, float &s, float &t) {
  const float opposite = a - 2.0f * b + c; // |V2 - V1|^2
  auto clampUnit = [](float x) { return x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x); };
  s = 0.0f;
  t = 0.0f;
  if (opposite > a && opposite > c) {
    t = clampUnit((a + d - b - e) / opposite);
    s = 1.0f - t;
  } else if (a >= c && a > 0.0f) {
    s = clampUnit(-d / a);
  } else if (c > 0.0f) {
    t = clampUnit(-e / c);
  }
}

// Minimises len2 u^2 + 2 lin u + f over u in [0, 1] along an edge through
// V0 (len2 = |edge|^2, lin = edge . (V0 - p)): sets u, returns the value.
float triAlongEdge(float len2, float lin, float f, float &u) {
  if (lin >= 0.0f) {
    u = 0.0f;
    return f;
  }
  if (-lin >= len2) {
    u = 1.0f;
    return len2 + 2.0f * lin + f;
  }
  u = -lin / len2;
  return lin * u + f;
}

} // namespace

float PtTriSqrDistance(const Vec3f &p, const Vec3f &v0, const Vec3f &v1, const Vec3f &v2,
                       Vec3f &closest, Vec3f &normal) {
  // Minimises over the parameter plane (s, t) of v0 + s*E0 + t*E1; the
  // regions are numbered round the triangle, 0 being its inside.
  const Vec3f e0 = v1 - v0;
  const Vec3f e1 = v2 - v0;
  const Vec3f diff = v0 - p;
  const float a = dot(e0, e0);
  const float b = dot(e0, e1);
  const float c = dot(e1, e1);
  const float d = dot(e0, diff);
  const float e = dot(e1, diff);
  const float f = dot(diff, diff);
  const float det = std::fabs(a * c - b * b);
  float s = b * e - c * d;
  float t = b * d - a * e;
  float sq = f;

  // Along the edge V1-V2, where s + t = 1: u is s for regions 1 and 2 and t
  // for region 6, w the other; atOne is the value at u = 1.
  const float denom = a - 2.0f * b + c;
  const float atS1 = a + 2.0f * d + f; // at V1
  const float atT1 = c + 2.0f * e + f; // at V2
  auto alongOpposite = [&](float numer, float &u, float &w, float atOne) {
    if (numer >= denom) {
      u = 1.0f;
      w = 0.0f;
      return atOne;
    }
    u = numer / denom;
    w = 1.0f - u;
    return triQuadratic(a, b, c, d, e, f, s, t);
  };
  // Regions 2 and 6, beside a vertex: along the opposite edge when the slope
  // towards it (toward - away) is positive, else along the edge u = 0
  // (coefficients len2W and linW), reaching w = 1 when toward <= 0.
  auto besideVertex = [&](float toward, float away, float &u, float &w, float len2W, float linW,
                          float atUOne, float atWOne) {
    if (toward > away) {
      return alongOpposite(toward - away, u, w, atUOne);
    }
    u = 0.0f;
    if (toward <= 0.0f) {
      w = 1.0f;
      return atWOne;
    }
    return triAlongEdge(len2W, linW, f, w);
  };

  // A triangle whose area is lost in the rounding of a*c - b*b (collinear
  // vertices, or a sliver thinner than about 1e-3 of its edges) has no
  // reliable regions: rounding alone picks one. It answers for its longest
  // edge, which holds the nearest point of a zero-area triangle.
  const bool flat = det <= kTriFlatArea * (a * c);
  if (flat) {
    triDegenerate(a, b, c, d, e, s, t);
    sq = triQuadratic(a, b, c, d, e, f, s, t);
  } else if (s + t <= det) {
    if (t < 0.0f && (s >= 0.0f || d < 0.0f)) { // region 5, or 4 towards edge t = 0
      t = 0.0f;
      sq = triAlongEdge(a, d, f, s);
    } else if (s < 0.0f) { // region 3, or 4 towards edge s = 0
      s = 0.0f;
      sq = triAlongEdge(c, e, f, t);
    } else { // region 0
      const float inv = 1.0f / det;
      s = s * inv;
      t = t * inv;
      sq = triQuadratic(a, b, c, d, e, f, s, t);
    }
  } else if (s < 0.0f) { // region 2
    sq = besideVertex(c + e, b + d, s, t, c, e, atS1, atT1);
  } else if (t < 0.0f) { // region 6
    sq = besideVertex(a + d, b + e, t, s, a, d, atT1, atS1);
  } else { // region 1
    const float numer = c + e - b - d;
    if (numer <= 0.0f) {
      s = 0.0f;
      t = 1.0f;
      sq = atT1;
    } else {
      sq = alongOpposite(numer, s, t, atS1);
    }
  }

  closest = v0 + e0 * s + e1 * t;
  if (flat) {
    normal = Vec3f::zero;
  } else {
    normal = cross(e0 * s, e1 * t);
    divideByLength(normal); // zero on the edges through v0
  }
  return std::fabs(sq);
}

} // namespace geometry

template bool Pt2dTriIntersect<double, Vec2d, Vec3d>(const Vec2d &, const Vec3d &, const Vec3d &,
                                                     const Vec3d &, double &);
template bool RayTriIntersect<float, Vec3f>(const Vec3f &, const Vec3f &, const Vec3f &,
                                            const Vec3f &, const Vec3f &, Vec3f &, float &,
                                            Vec3f *);
template bool RayTriIntersect<double, Vec3d>(const Vec3d &, const Vec3d &, const Vec3d &,
                                             const Vec3d &, const Vec3d &, Vec3d &, double &,
                                             Vec3d *);

} // namespace orrery
