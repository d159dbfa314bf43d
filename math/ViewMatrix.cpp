#include "math/ViewMatrix.h"

#include "math/FastMath.h"

#include <cmath>
#include <utility>

namespace orrery {

namespace math {

bool invertFullPivot(Mat4d &mat) {
  double *a = mat.m;
  int count[4] = {0, 0, 0, 0};
  int pivotRows[4];
  int pivotCols[4];
  for (int step = 0; step < 4; ++step) {
    double largest = 0.0;
    int row = 0;
    int col = 0;
    for (int j = 0; j < 4; ++j) {
      if (count[j] == 1) {
        continue;
      }
      for (int k = 0; k < 4; ++k) {
        if (count[k] == 0) {
          const double magnitude = FastMath::fabs(a[j * 4 + k]);
          if (magnitude >= largest) {
            largest = magnitude;
            row = j;
            col = k;
          }
        } else if (count[k] > 1) {
          return false;
        }
      }
    }
    ++count[col];
    if (row != col) {
      for (int l = 0; l < 4; ++l) {
        std::swap(a[row * 4 + l], a[col * 4 + l]);
      }
    }
    pivotRows[step] = row;
    pivotCols[step] = col;
    if (a[col * 4 + col] == 0.0) {
      return false;
    }
    const double p = 1.0 / a[col * 4 + col];
    a[col * 4 + col] = 1.0;
    for (int l = 0; l < 4; ++l) {
      a[col * 4 + l] *= p;
    }
    for (int l = 0; l < 4; ++l) {
      if (l == col) {
        continue;
      }
      const double d = a[l * 4 + col];
      a[l * 4 + col] = 0.0;
      for (int e = 0; e < 4; ++e) {
        a[l * 4 + e] -= a[col * 4 + e] * d;
      }
    }
  }
  for (int step = 3; step >= 0; --step) {
    if (pivotRows[step] != pivotCols[step]) {
      for (int k = 0; k < 4; ++k) {
        std::swap(a[k * 4 + pivotRows[step]], a[k * 4 + pivotCols[step]]);
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
