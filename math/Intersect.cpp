#include "math/Intersect.h"

#include "math/FastMath.h"

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
float isectTriQuadratic(float a, float b, float c, float d, float e, float f, float s, float t) {
  return s * (a * s + b * t + 2.0f * d) + t * (b * s + c * t + 2.0f * e) + f;
}

// Nearest point of a zero-area triangle: its longest edge holds the other
// two, so the clamped projection onto that edge, as (s, t).
void isectTriDegenerate(float a, float b, float c, float d, float e, float &s, float &t) {
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
  const float det = FastMath::fabs(a * c - b * b);
  float s = b * e - c * d;
  float t = b * d - a * e;
  float sq = f;

  if (s + t <= det) {
    if (s < 0.0f) {
      if (t < 0.0f && d < 0.0f) { // region 4, nearest on edge t = 0
        t = 0.0f;
        if (-d >= a) {
          s = 1.0f;
          sq = a + 2.0f * d + f;
        } else {
          s = -d / a;
          sq = d * s + f;
        }
      } else { // region 3 (and region 4 towards edge s = 0)
        s = 0.0f;
        if (e >= 0.0f) {
          t = 0.0f;
          sq = f;
        } else if (-e >= c) {
          t = 1.0f;
          sq = c + 2.0f * e + f;
        } else {
          t = -e / c;
          sq = e * t + f;
        }
      }
    } else if (t < 0.0f) { // region 5
      t = 0.0f;
      if (d >= 0.0f) {
        s = 0.0f;
        sq = f;
      } else if (-d >= a) {
        s = 1.0f;
        sq = a + 2.0f * d + f;
      } else {
        s = -d / a;
        sq = d * s + f;
      }
    } else { // region 0
      if (det == 0.0f) {
        isectTriDegenerate(a, b, c, d, e, s, t);
      } else {
        const float inv = 1.0f / det;
        s = s * inv;
        t = t * inv;
      }
      sq = isectTriQuadratic(a, b, c, d, e, f, s, t);
    }
  } else {
    const float denom = a - 2.0f * b + c;
    if (s < 0.0f) { // region 2
      const float tmp0 = b + d;
      const float tmp1 = c + e;
      if (tmp1 > tmp0) {
        const float numer = tmp1 - tmp0;
        if (numer >= denom) {
          s = 1.0f;
          t = 0.0f;
          sq = a + 2.0f * d + f;
        } else {
          s = numer / denom;
          t = 1.0f - s;
          sq = isectTriQuadratic(a, b, c, d, e, f, s, t);
        }
      } else {
        s = 0.0f;
        if (tmp1 <= 0.0f) {
          t = 1.0f;
          sq = c + 2.0f * e + f;
        } else if (e >= 0.0f) {
          t = 0.0f;
          sq = f;
        } else {
          t = -e / c;
          sq = e * t + f;
        }
      }
    } else if (t < 0.0f) { // region 6
      const float tmp0 = a + d;
      const float tmp1 = b + e;
      if (tmp0 > tmp1) {
        const float numer = tmp0 - tmp1;
        if (numer >= denom) {
          t = 1.0f;
          s = 0.0f;
          sq = c + 2.0f * e + f;
        } else {
          t = numer / denom;
          s = 1.0f - t;
          sq = isectTriQuadratic(a, b, c, d, e, f, s, t);
        }
      } else {
        t = 0.0f;
        if (tmp0 <= 0.0f) {
          s = 1.0f;
          sq = a + 2.0f * d + f;
        } else if (d >= 0.0f) {
          s = 0.0f;
          sq = f;
        } else {
          s = -d / a;
          sq = d * s + f;
        }
      }
    } else { // region 1
      const float numer = c + e - b - d;
      if (numer <= 0.0f) {
        s = 0.0f;
        t = 1.0f;
        sq = c + 2.0f * e + f;
      } else if (numer >= denom) {
        s = 1.0f;
        t = 0.0f;
        sq = a + 2.0f * d + f;
      } else {
        s = numer / denom;
        t = 1.0f - s;
        sq = isectTriQuadratic(a, b, c, d, e, f, s, t);
      }
    }
  }

  closest = v0 + e0 * s + e1 * t;
  normal = cross(e0 * s, e1 * t);
  divideByLength(normal); // zero on the edges through v0
  return FastMath::fabs(sq);
}

} // namespace geometry

namespace {

// The signed weights w0, w1, w2 of the three vertices must not have opposite
// signs (a zero weight agrees with either), which accepts both windings;
// w1 is computed only once w2 and w0 agree. On success the weights are
// normalised by one reciprocal of their sum. A zero sum (every weight zero:
// a zero-area triangle or, for a ray, one in the triangle's plane) and NaN
// weights are rejected.
template <class S, class Weight1>
bool isectTriWeights(S w2, S w0, Weight1 weight1, S zero, S one, S (&b)[3]) {
  if (w2 * w0 < zero) {
    return false;
  }
  const S w1 = weight1();
  const S r = w2 == zero ? w0 : w2;
  if (r * w1 < zero) {
    return false;
  }
  const S sum = w2 + w0 + w1;
  if (!(sum < zero || sum > zero)) {
    return false;
  }
  const S inv = one / sum;
  b[0] = w0 * inv;
  b[1] = w1 * inv;
  b[2] = w2 * inv;
  return true;
}

} // namespace

template <class S, class V2, class V3>
bool Pt2dTriIntersect(const V2 &p, const V3 &v0, const V3 &v1, const V3 &v2, S &z) {
  static constexpr S zero = 0;
  static constexpr S one = 1;
  const V2 r0{v0.x - p.x, v0.y - p.y};
  const V2 r1{v1.x - p.x, v1.y - p.y};
  const V2 r2{v2.x - p.x, v2.y - p.y};
  const S w2 = r0.x * r1.y - r0.y * r1.x;
  const S w0 = r1.x * r2.y - r1.y * r2.x;
  S b[3];
  if (!isectTriWeights(
          w2, w0, [&] { return r0.y * r2.x - r0.x * r2.y; }, zero, one, b)) {
    return false;
  }
  z = b[0] * v0.z + b[1] * v1.z + b[2] * v2.z;
  return true;
}

template <class S, class V>
bool RayTriIntersect(const V &o, const V &d, const V &v0, const V &v1, const V &v2, V &hit, S &t,
                     V *bary) {
  static constexpr S zero = 0;
  static constexpr S one = 1;
  const V r0 = v0 - o;
  const V r1 = v1 - o;
  const V r2 = v2 - o;
  const S w2 = dot(d, cross(r0, r1));
  const S w0 = dot(d, cross(r1, r2));
  S b[3];
  if (!isectTriWeights(
          w2, w0, [&] { return dot(d, cross(r2, r0)); }, zero, one, b)) {
    return false;
  }
  if (bary != nullptr) {
    *bary = {b[0], b[1], b[2]};
  }
  hit = v0 * b[0] + v1 * b[1] + v2 * b[2];
  t = dot(hit - o, d);
  if (!(t >= zero)) { // behind the origin, or NaN
    return false;
  }
  t = t / dot(d, d);
  return true;
}

template bool Pt2dTriIntersect<double, Vec2d, Vec3d>(const Vec2d &, const Vec3d &, const Vec3d &,
                                                     const Vec3d &, double &);
template bool RayTriIntersect<float, Vec3f>(const Vec3f &, const Vec3f &, const Vec3f &,
                                            const Vec3f &, const Vec3f &, Vec3f &, float &,
                                            Vec3f *);
template bool RayTriIntersect<double, Vec3d>(const Vec3d &, const Vec3d &, const Vec3d &,
                                             const Vec3d &, const Vec3d &, Vec3d &, double &,
                                             Vec3d *);

} // namespace orrery
