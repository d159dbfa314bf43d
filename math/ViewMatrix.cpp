#include "math/ViewMatrix.h"
#include "math/Elementary.h"

#include "math/FastMath.h"
#include "math/detail/LanePair.h"

#include <cmath>
#include <utility>

namespace orrery {

namespace {

using detail::LanePair;
using detail::loadPair;
using detail::storePair;

// The rows of the matrix being inverted, elements (0, 1) in lo and (2, 3) in
// hi, held in registers between the steps of the elimination.
struct InvRows {
  LanePair lo[4];
  LanePair hi[4];
};

[[gnu::always_inline]] inline void invStoreRows(double *a, const InvRows &rows) {
#pragma GCC unroll 4
  for (int r = 0; r < 4; ++r) {
    storePair(a + r * 4, rows.lo[r]);
    storePair(a + r * 4 + 2, rows.hi[r]);
  }
}

// Element C of a row, in both lanes.
template <int C> [[gnu::always_inline]] inline LanePair invElement(LanePair lo, LanePair hi) {
  if constexpr (C < 2) {
    return __builtin_shufflevector(lo, lo, C, C);
  } else {
    return __builtin_shufflevector(hi, hi, C - 2, C - 2);
  }
}

// The row with element C replaced by x.
template <int C>
[[gnu::always_inline]] inline void invReplace(LanePair &lo, LanePair &hi, double x) {
  const LanePair xx{x, x};
  if constexpr (C == 0) {
    lo = __builtin_shufflevector(lo, xx, 2, 1);
  } else if constexpr (C == 1) {
    lo = __builtin_shufflevector(lo, xx, 0, 3);
  } else if constexpr (C == 2) {
    hi = __builtin_shufflevector(hi, xx, 2, 1);
  } else {
    hi = __builtin_shufflevector(hi, xx, 0, 3);
  }
}

template <int C> [[gnu::always_inline]] inline void invSwapWith(InvRows &rows, int row) {
  switch (row) {
  case 0:
    std::swap(rows.lo[0], rows.lo[C]);
    std::swap(rows.hi[0], rows.hi[C]);
    break;
  case 1:
    std::swap(rows.lo[1], rows.lo[C]);
    std::swap(rows.hi[1], rows.hi[C]);
    break;
  case 2:
    std::swap(rows.lo[2], rows.lo[C]);
    std::swap(rows.hi[2], rows.hi[C]);
    break;
  default:
    std::swap(rows.lo[3], rows.lo[C]);
    std::swap(rows.hi[3], rows.hi[C]);
    break;
  }
}

// One elimination step with the pivot in column C, found in row `row`:
// exchange rows row and C, stop on a zero pivot (rows left exchanged), set
// the pivot element to 1 and scale its row by 1 / pivot, then in every other
// row set element C to 0 and subtract d times the pivot row, d being the
// element's value before. The column is a template argument so that every
// lane index is fixed and the rows stay in registers.
template <int C> [[gnu::always_inline]] inline bool invEliminate(InvRows &rows, int row) {
  if (row != C) {
    invSwapWith<C>(rows, row);
  }
  const LanePair pivot = invElement<C>(rows.lo[C], rows.hi[C]);
  if (pivot[0] == 0.0) {
    return false;
  }
  const LanePair p = LanePair{1.0, 1.0} / pivot;
  invReplace<C>(rows.lo[C], rows.hi[C], 1.0);
  rows.lo[C] *= p;
  rows.hi[C] *= p;
#pragma GCC unroll 4
  for (int l = 0; l < 4; ++l) {
    if (l != C) {
      const LanePair d = invElement<C>(rows.lo[l], rows.hi[l]);
      invReplace<C>(rows.lo[l], rows.hi[l], 0.0);
      rows.lo[l] = rows.lo[l] - rows.lo[C] * d;
      rows.hi[l] = rows.hi[l] - rows.hi[C] * d;
    }
  }
  return true;
}

} // namespace

namespace math {

bool invertFullPivot(Mat4d &mat) {
  double *a = mat.m;
  InvRows rows;
#pragma GCC unroll 4
  for (int r = 0; r < 4; ++r) {
    rows.lo[r] = loadPair(a + r * 4);
    rows.hi[r] = loadPair(a + r * 4 + 2);
  }
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
      invStoreRows(a, rows);
      return false;
    }
    // The last candidate in row-major order of largest magnitude wins, 0
    // included; NaN never wins. When every candidate is NaN, element 0 is
    // taken. The search branches: the choice is predictable from one call to
    // the next, which keeps it off the elimination's critical path.
    double largest = 0.0;
    int row = 0;
    int col = 0;
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
        const double magnitude = std::fabs(k < 2 ? rows.lo[j][k] : rows.hi[j][k - 2]);
        if (magnitude >= largest) {
          largest = magnitude;
          row = j;
          col = k;
        }
      }
    }
    chosenTwice = (unused >> col & 1u) == 0;
    unused &= ~(1u << col);
    pivotRows[step] = row;
    pivotCols[step] = col;
    bool ok;
    switch (col) {
    case 0:
      ok = invEliminate<0>(rows, row);
      break;
    case 1:
      ok = invEliminate<1>(rows, row);
      break;
    case 2:
      ok = invEliminate<2>(rows, row);
      break;
    default:
      ok = invEliminate<3>(rows, row);
      break;
    }
    if (!ok) {
      invStoreRows(a, rows);
      return false;
    }
  }
  invStoreRows(a, rows);
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

void Mat4d::buildPerspective(double fovY, double aspect, double zNear, double zFar) {
  const double t = 1.0 / elementary::tan(0.5 * fovY);
  const double depth = zNear - zFar;
  set(t / aspect, 0.0, 0.0, 0.0, 0.0, t, 0.0, 0.0, 0.0, 0.0, (zNear + zFar) / depth, -1.0, 0.0, 0.0,
      2.0 * zNear * zFar / depth, 0.0);
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
  double s, c;
  elementary::sincos(delta, s, c);
  Mat4d rz;
  rz.set(c, s, -0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0);
  mul(*this, rz);
}

} // namespace orrery
