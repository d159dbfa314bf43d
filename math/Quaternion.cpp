#include "math/Quaternion.h"
#include "math/Elementary.h"
#include "math/detail/Angles.h"
#include "math/detail/ParabolicSinCos.h"

#include "math/FastMath.h"

#include <cmath>

namespace orrery {

namespace {

// Whether v lies within the almostEqual tolerance of (1, 0, 0).
bool nearUnitX(const Vec3d &v) {
  const Vec3d d = v - Vec3d{1.0, 0.0, 0.0};
  return FastMath::sqrt(dot(d, d)) < kAlmostEqualTolerance;
}

// The quaternion with components (x, y, z, w) normalised.
Quatd unitQuaternion(double x, double y, double z, double w) {
  Quatd q(x, y, z, w);
  divideByNorm(q);
  return q;
}

} // namespace

Quatd::~Quatd() = default;

void Quatd::set(double x, double y, double z, double w) {
  this->x = x;
  this->y = y;
  this->z = z;
  this->w = w;
}

Quatd Quatd::operator*(const Quatd &q) const {
  const Quatd &a = *this;
  const Quatd &b = q;
  return unitQuaternion(
      b.w * a.x + b.x * a.w + b.z * a.y - b.y * a.z, b.w * a.y + b.y * a.w + b.x * a.z - b.z * a.x,
      b.w * a.z + b.z * a.w + b.y * a.x - b.x * a.y, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z);
}

Quatd &Quatd::operator*=(const Quatd &q) {
  *this = *this * q;
  return *this;
}

void Mat4d::fromQuaternion(const Quatd &q) {
  const Quatd n = unitQuaternion(q.x, q.y, q.z, q.w);
  const double x = n.x;
  const double y = n.y;
  const double z = n.z;
  const double w = n.w;
  // Each off-diagonal term is doubled by adding it to itself.
  const double xyMinusZw = x * y - z * w;
  const double xyPlusZw = x * y + z * w;
  const double xzPlusYw = x * z + y * w;
  const double xzMinusYw = x * z - y * w;
  const double yzMinusXw = y * z - x * w;
  const double yzPlusXw = y * z + x * w;
  // Stored element by element: staging all sixteen for Mat4d::set costs
  // store-forwarding stalls on this hot path.
  m[0] = (y * y + z * z) * -2.0 + 1.0;
  m[1] = xyMinusZw + xyMinusZw;
  m[2] = xzPlusYw + xzPlusYw;
  m[3] = 0.0;
  m[4] = xyPlusZw + xyPlusZw;
  m[5] = (x * x + z * z) * -2.0 + 1.0;
  m[6] = yzMinusXw + yzMinusXw;
  m[7] = 0.0;
  m[8] = xzMinusYw + xzMinusYw;
  m[9] = yzPlusXw + yzPlusXw;
  m[10] = (x * x + y * y) * -2.0 + 1.0;
  m[11] = 0.0;
  m[12] = 0.0;
  m[13] = 0.0;
  m[14] = 0.0;
  m[15] = 1.0;
}

void Quatd::fromMatrix(const Mat4d &mat) {
  const auto m = [&mat](int r, int c) { return mat.m[r * 4 + c]; };
  const double trace = m(0, 0) + m(1, 1) + m(2, 2) + 1.0;
  // Written so that a NaN trace takes this branch too.
  if (!(std::fabs(trace) < kAlmostEqualTolerance)) {
    const double s = 0.5 / FastMath::sqrt(trace);
    set((m(2, 1) - m(1, 2)) * s, (m(0, 2) - m(2, 0)) * s, (m(1, 0) - m(0, 1)) * s, 0.25 / s);
    return;
  }
  // A half turn: w is near 0, so recover the largest vector component from
  // the largest diagonal element instead (ties go to the lower index).
  const int i = m(1, 1) > m(0, 0) ? 1 : 0;
  const int largest = m(2, 2) > m(i, i) ? 2 : i;
  if (largest == 0) {
    const double s = 0.5 / FastMath::sqrt(m(0, 0) + 1.0 - m(1, 1) - m(2, 2));
    set(0.25 / s, (m(0, 1) + m(1, 0)) * s, (m(0, 2) + m(2, 0)) * s, (m(2, 1) - m(1, 2)) * s);
  } else if (largest == 1) {
    const double s = 0.5 / FastMath::sqrt(m(1, 1) + 1.0 - m(0, 0) - m(2, 2));
    set((m(0, 1) + m(1, 0)) * s, 0.25 / s, (m(1, 2) + m(2, 1)) * s, (m(0, 2) - m(2, 0)) * s);
  } else {
    const double s = 0.5 / FastMath::sqrt(m(2, 2) + 1.0 - m(0, 0) - m(1, 1));
    set((m(0, 2) + m(2, 0)) * s, (m(1, 2) + m(2, 1)) * s, 0.25 / s, (m(1, 0) - m(0, 1)) * s);
  }
}

void Quatd::buildRotation(const Vec3d &from, const Vec3d &to) {
  const double lf = FastMath::sqrt(dot(from, from));
  if (lf == 0.0) {
    set(0.0, 0.0, 0.0, 1.0);
    return;
  }
  const Vec3d u = from / lf;
  const double lt = FastMath::sqrt(dot(to, to));
  if (lt == 0.0) {
    set(0.0, 0.0, 0.0, 1.0);
    return;
  }
  const Vec3d v = to / lt;
  const Vec3d h = u + v;
  const double n = FastMath::sqrt(dot(h, h));
  if (!(n < kAlmostEqualTolerance)) {
    // Half-way construction: |u + v| = 2 cos(angle / 2) and |v x u| =
    // sin(angle), so the result already has unit length.
    const Vec3d c = cross(v, u);
    const double inv = 1.0 / n;
    set(c.x * inv, c.y * inv, c.z * inv, n * 0.5);
    return;
  }
  // Opposite directions: any axis perpendicular to from gives a half turn.
  // Crossing with the x axis fails for a from along +x or -x (of any length),
  // so those use the y axis instead.
  const bool alongX = nearUnitX(from) || nearUnitX(u) || nearUnitX(-u);
  const Vec3d k = alongX ? Vec3d{0.0, 1.0, 0.0} : Vec3d{1.0, 0.0, 0.0};
  const Vec3d p = cross(from, k);
  const double lp = FastMath::sqrt(dot(p, p));
  if (lp == 0.0) {
    set(0.0, 0.0, 0.0, 1.0);
    return;
  }
  const double s = elementary::sin(detail::kHalfPi);
  set(p.x / lp * s, p.y / lp * s, p.z / lp * s, elementary::cos(detail::kHalfPi));
}

void Quatd::buildRotation(const Vec3d &a1, const Vec3d &a2, const Vec3d &b1, const Vec3d &b2) {
  Vec3d e1 = a1;
  Vec3d e2 = a2;
  Vec3d e3 = b1;
  Vec3d e4 = b2;
  divideByLength(e1);
  divideByLength(e2);
  divideByLength(e3);
  divideByLength(e4);

  buildRotation(e1, e3);
  Mat4d m;
  m.fromQuaternion(*this);
  Vec3d r2 = e2;
  r2 *= m;
  const double theta = FastMath::acos(dot(e4, r2));
  Vec3d r1 = e1;
  r1 *= m;
  const double l = FastMath::sqrt(dot(r1, r1));
  if (l == 0.0) {
    *this *= Quatd(0.0, 0.0, 0.0, 1.0);
    return;
  }
  const Vec3d a = r1 / l;
  // q2 = (a sin h, cos h) with h = -angle / 2 turns right-handed about a.
  // When r2 has to go the other way round a to reach e4, turn left-handed.
  // A triple product within rounding of 0 (r2 or e4 along a, or the two
  // already aligned) keeps the right-handed sense, so nearly collinear inputs
  // give a stable result.
  double h = -(theta * 0.5);
  if (dot(cross(r2, e4), a) < -kAlmostEqualTolerance) {
    h = theta * 0.5;
  }
  double s, c;
  elementary::sincos(h, s, c);
  *this *= Quatd(a.x * s, a.y * s, a.z * s, c);
}

double Quatd::slerp(Quatd a, Quatd b, double t) {
  divideByNorm(a);
  divideByNorm(b);
  double c = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  if (c < 0.0) {
    // Take the shorter arc: -a is the same rotation as a.
    a.set(-a.x, -a.y, -a.z, -a.w);
    c = -c;
  }
  double k0 = 1.0 - t;
  double k1 = t;
  // Below this the sine of the angle is too small to divide by safely, and
  // linear weights are as good (the inputs differ by less than 0.0283 rad).
  if (c < 0.9999) {
    const double theta = FastMath::acos(c);
    const double s = detail::parabolicSin(theta);
    k0 = detail::parabolicSin((1.0 - t) * theta) / s;
    k1 = detail::parabolicSin(t * theta) / s;
  }
  set(k0 * a.x + k1 * b.x, k0 * a.y + k1 * b.y, k0 * a.z + k1 * b.z, k0 * a.w + k1 * b.w);
  divideByNorm(*this);
  return 1.0 - c;
}

} // namespace orrery
