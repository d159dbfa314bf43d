#include "math/ViewMatrix.h"

#include "math/FastMath.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace orrery {

namespace {

// Two doubles of one matrix row in an SSE register, and the matching masks.
using InvLanePair = double __attribute__((vector_size(16)));
using InvLaneMask = long long __attribute__((vector_size(16)));

[[gnu::always_inline]] inline InvLanePair invLoad(const double *p) {
  InvLanePair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

[[gnu::always_inline]] inline void invStore(double *p, InvLanePair v) {
  std::memcpy(p, &v, sizeof v);
}

// Lanes of mask from y, the others from x.
[[gnu::always_inline]] inline InvLanePair invSelect(InvLaneMask mask, InvLanePair y,
                                                    InvLanePair x) {
  return reinterpret_cast<InvLanePair>((reinterpret_cast<InvLaneMask>(y) & mask) |
                                       (reinterpret_cast<InvLaneMask>(x) & ~mask));
}

// Element c of the row held in lo (elements 0, 1) and hi (elements 2, 3),
// in both lanes. The masks select it; the bits are moved, never computed on,
// so -0 and NaN come through unchanged.
[[gnu::always_inline]] inline InvLanePair invBroadcast(InvLanePair lo, InvLanePair hi,
                                                       InvLaneMask atLo, InvLaneMask atHi) {
  const InvLaneMask one =
      (reinterpret_cast<InvLaneMask>(lo) & atLo) | (reinterpret_cast<InvLaneMask>(hi) & atHi);
  return reinterpret_cast<InvLanePair>(one | __builtin_shufflevector(one, one, 1, 0));
}

} // namespace

namespace math {

bool invertFullPivot(Mat4d &mat) {
  double *a = mat.m;
  // Bit i is set while index i has not been used as a pivot column. Rows and
  // columns share it: a pivot chosen in column c is moved into row c.
  unsigned unused = 0xFu;
  // A column taken a second time (only when every candidate is NaN) makes
  // the next search report a singular matrix.
  bool chosenTwice = false;
  int pivotRows[4];
  int pivotCols[4];
  for (int step = 0; step < 4; ++step) {
    if (chosenTwice) {
      return false;
    }
    // The last candidate in row-major order of largest magnitude wins, 0
    // included; NaN never wins. When every candidate is NaN, element 0 is
    // taken. The search branches: the choice is predictable from one call to
    // the next, which keeps it off the elimination's critical path.
    double largest = 0.0;
    int at = 0;
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
      if ((unused >> j & 1u) == 0) {
        continue;
      }
#pragma GCC unroll 4
      for (int k = 0; k < 4; ++k) {
        if ((unused >> k & 1u) == 0) {
          continue;
        }
        const double magnitude = std::fabs(a[j * 4 + k]);
        if (magnitude >= largest) {
          largest = magnitude;
          at = j * 4 + k;
        }
      }
    }
    const int row = at / 4;
    const int col = at % 4;
    chosenTwice = (unused >> col & 1u) == 0;
    unused &= ~(1u << col);
    pivotRows[step] = row;
    pivotCols[step] = col;

    // Exchange rows row and col (a no-op when they are the same).
    const InvLaneMask atLo{-(col == 0), -(col == 1)};
    const InvLaneMask atHi{-(col == 2), -(col == 3)};
    double *pivotRow = a + col * 4;
    double *other = a + row * 4;
    InvLanePair lo = invLoad(other);
    InvLanePair hi = invLoad(other + 2);
    const InvLanePair otherLo = invLoad(pivotRow);
    const InvLanePair otherHi = invLoad(pivotRow + 2);
    invStore(other, otherLo);
    invStore(other + 2, otherHi);
    const InvLanePair pivot = invBroadcast(lo, hi, atLo, atHi);
    if (pivot[0] == 0.0) {
      invStore(pivotRow, lo);
      invStore(pivotRow + 2, hi);
      return false;
    }
    // The pivot element is set to 1 before the row is scaled by 1 / pivot.
    const InvLanePair one{1.0, 1.0};
    const InvLanePair p = one / pivot;
    lo = invSelect(atLo, one, lo) * p;
    hi = invSelect(atHi, one, hi) * p;
    invStore(pivotRow, lo);
    invStore(pivotRow + 2, hi);
    // Every other row: element col set to 0, then d times the pivot row
    // subtracted, d being the element's value before.
    const InvLanePair zero{0.0, 0.0};
#pragma GCC unroll 4
    for (int l = 0; l < 4; ++l) {
      if (l == col) {
        continue;
      }
      double *target = a + l * 4;
      const InvLanePair targetLo = invLoad(target);
      const InvLanePair targetHi = invLoad(target + 2);
      const InvLanePair d = invBroadcast(targetLo, targetHi, atLo, atHi);
      invStore(target, invSelect(atLo, zero, targetLo) - lo * d);
      invStore(target + 2, invSelect(atHi, zero, targetHi) - hi * d);
    }
  }
  for (int step = 3; step >= 0; --step) {
    const int r = pivotRows[step];
    const int c = pivotCols[step];
    if (r != c) {
      for (int k = 0; k < 4; ++k) {
        std::swap(a[k * 4 + r], a[k * 4 + c]);
      }
    }
  }
  return true;
}

} // namespace math

namespace {

// Row r (0..3) of m, first three elements.
Vec3d viewRow(const Mat4d &m, int r) { return {m.m[r * 4], m.m[r * 4 + 1], m.m[r * 4 + 2]}; }

} // namespace

void Mat4d::buildLookAt(const Vec3d &eye, const Vec3d &target, const Vec3d &up) {
  Vec3d b = eye - target;
  divideByLength(b);
  Vec3d u = up;
  divideByLength(u);
  Vec3d r = cross(u, b);
  divideByLength(r);
  Mat4d rotation;
  rotation.set(r.x, u.x, b.x, 0.0, r.y, u.y, b.y, 0.0, r.z, u.z, b.z, 0.0, 0.0, 0.0, 0.0, 1.0);
  Mat4d translation;
  translation.set(1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, -eye.x, -eye.y,
                  -eye.z, 1.0);
  mul(translation, rotation);
}

bool Mat4d::getNormalizedViewParams(Vec3d &position, Vec3d &forward, Vec3d &up,
                                    Vec3d &right) const {
  Mat4d w = *this;
  if (!math::invertFullPivot(w)) {
    return false;
  }
  position = viewRow(w, 3);
  forward = -viewRow(w, 2);
  divideByLength(forward);
  up = viewRow(w, 1);
  divideByLength(up);
  right = viewRow(w, 0);
  divideByLength(right);
  return true;
}

double Mat4d::getRoll() const {
  Mat4d w = *this;
  if (!math::invertFullPivot(w)) {
    return 0.0;
  }
  Vec3d d = -viewRow(w, 2);
  divideByLength(d);
  Vec3d g = viewRow(w, 3);
  divideByLength(g);
  // Looking straight up or down: the horizon gives no reference.
  Vec3d h = cross(d, g);
  if (divideByLength(h) < kAlmostEqualTolerance) {
    return 0.0;
  }
  Vec3d v = cross(h, d);
  if (divideByLength(v) < kAlmostEqualTolerance) {
    return 0.0;
  }
  Vec3d c = viewRow(w, 0);
  divideByLength(c);
  return FastMath::asin(dot(c, v));
}

void Mat4d::setRoll(double roll) {
  double delta = getRoll() - roll;
  Mat4d w = *this;
  if (!math::invertFullPivot(w)) {
    return;
  }
  // An upside-down camera turns the other way for the same change of roll.
  if (dot(viewRow(w, 1), viewRow(w, 3)) < 0.0) {
    delta = -delta;
  }
  const double c = std::cos(delta);
  const double s = std::sin(delta);
  Mat4d rz;
  rz.set(c, s, -0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0);
  mul(*this, rz);
}

} // namespace orrery
