// Vectors, matrices and view matrices on arbitrary values: products may
// alias their inputs, row and column reads stay defined for any index, a
// look-at matrix of a sensible camera reads back its own position and
// direction, and nothing allocates.

#include "fuzz/FuzzSupport.h"
#include "math/FastMath.h"
#include "math/ViewMatrix.h"

#include <cmath>

using namespace orrery;

namespace {

using test::sameBits;

Mat4d readMat4d(fuzz::Input &in) {
  Mat4d m;
  for (double &e : m.m) {
    e = in.number();
  }
  return m;
}

void checkProducts(fuzz::Input &in) {
  const Mat4d a = readMat4d(in);
  const Mat4d b = readMat4d(in);
  Mat4d c;
  c.mul(a, b);
  Mat4d aliased = a;
  aliased.mul(aliased, b);
  FUZZ_CHECK(sameBits(c, aliased));
  aliased = b;
  aliased.mul(a, aliased);
  FUZZ_CHECK(sameBits(c, aliased));

  const Vec4d v{in.number(), in.number(), in.number(), in.number()};
  Vec4d w;
  w.mul(v, a);
  Vec4d self = v;
  self *= a;
  FUZZ_CHECK(sameBits(w, self));
  Vec4d t;
  t.mulTranspose(v, a);
  self = v;
  self.mulTranspose(self, a);
  FUZZ_CHECK(sameBits(t, self));

  Vec3d p{v.x, v.y, v.z};
  Vec3d q = p;
  q.project(a); // w of 0 gives infinities or NaN, nothing worse
  p *= a;

  // Rounding to float and back keeps the position of every element.
  const Mat4f f(a);
  const Mat4d back(f);
  for (int i = 0; i < 16; ++i) {
    FUZZ_CHECK(sameBits(back.m[i], double(static_cast<float>(a.m[i]))));
  }
  Vec3f pf{f.m[0], f.m[5], f.m[10]};
  pf.project(f);

  // Rows and columns for any index: in range they are the elements.
  const int r = in.integer(-3, 6);
  Vec4d row{1.0, 2.0, 3.0, 4.0};
  row.getRow(a, r);
  Vec4d col{1.0, 2.0, 3.0, 4.0};
  col.getCol(a, r);
  if (r >= 0 && r < 4) {
    FUZZ_CHECK(sameBits(row.x, a.m[r * 4]) && sameBits(row.w, a.m[r * 4 + 3]));
    FUZZ_CHECK(sameBits(col.x, a.m[r]) && sameBits(col.w, a.m[12 + r]));
  }
  Vec3d row3;
  row3.getRow(Mat3d::identity, r);
  Vec2f col2;
  col2.getCol(Mat2f::identity, r);
}

void checkInversion(fuzz::Input &in) {
  Mat4d m = readMat4d(in);
  // A row of zeros makes the matrix singular whatever the rest holds.
  const int zeroRow = in.integer(0, 4);
  if (zeroRow < 4) {
    for (int c = 0; c < 4; ++c) {
      m.m[zeroRow * 4 + c] = 0.0;
    }
  }
  // Elements of moderate magnitude keep the elimination clear of overflow;
  // beyond that infinities and NaN can hide a zero pivot.
  bool moderate = true;
  for (const double e : m.m) {
    moderate = moderate && (e == 0.0 || (std::fabs(e) > 1e-30 && std::fabs(e) < 1e30));
  }
  const bool inverted = math::invertFullPivot(m);
  if (zeroRow < 4 && moderate) {
    FUZZ_CHECK(!inverted);
  }
}

bool sensible(const Vec3d &v) {
  return std::fabs(v.x) < 1e6 && std::fabs(v.y) < 1e6 && std::fabs(v.z) < 1e6;
}

void checkLookAt(fuzz::Input &in) {
  const Vec3d eye = in.vec3();
  const Vec3d target = in.vec3();
  Vec3d up = in.vec3();
  // The up vector is used as given, not made perpendicular to the viewing
  // direction; only a perpendicular one gives back the direction exactly.
  const bool perpendicular = in.flag();
  if (perpendicular) {
    Vec3d d = target - eye;
    divideByLength(d);
    up = up - d * dot(up, d);
  }
  Mat4d view;
  view.buildLookAt(eye, target, up);

  Vec3d position, forward, upOut, right;
  const bool ok = view.getNormalizedViewParams(position, forward, upOut, right);
  const double roll = view.getRoll();
  FUZZ_CHECK(std::isnan(roll) || std::fabs(roll) <= 1.5707963267948966);

  Vec3d dir = target - eye;
  const double distance = length(dir);
  Vec3d upUnit = up;
  const double upLength = length(upUnit);
  if (sensible(eye) && sensible(target) && sensible(up) && distance > 1e-3 && upLength > 1e-3) {
    divideByLength(dir);
    divideByLength(upUnit);
    if (length(cross(dir, upUnit)) > 1e-3) {
      FUZZ_CHECK(ok);
      const double scale = 1.0 + std::fabs(eye.x) + std::fabs(eye.y) + std::fabs(eye.z);
      FUZZ_CHECK(length(position - eye) < 1e-9 * scale);
      if (perpendicular && std::fabs(dot(upUnit, dir)) < 1e-12) {
        FUZZ_CHECK(length(forward - dir) < 1e-9);
        FUZZ_CHECK(std::fabs(dot(right, upOut)) < 1e-9);
      }
      FUZZ_CHECK(!std::isnan(roll));

      // A rigid view matrix inverts to within rounding.
      Mat4d inverse = view;
      FUZZ_CHECK(math::invertFullPivot(inverse));
      Mat4d product;
      product.mul(view, inverse);
      for (int i = 0; i < 16; ++i) {
        FUZZ_CHECK(std::fabs(product.m[i] - Mat4d::identity.m[i]) < 1e-9 * scale);
      }

      // Setting the roll it already has rotates by a zero angle.
      Mat4d same = view;
      same.setRoll(roll);
      FUZZ_CHECK(same == view);
    }
  }
  view.setRoll(in.number());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return fuzz::runOne(data, size, {checkProducts, checkInversion, checkLookAt}, true);
}
