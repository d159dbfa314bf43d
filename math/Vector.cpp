#include "math/Vector.h"

#include "math/detail/LanePair.h"

#include <type_traits>

namespace orrery {

namespace {

// Products of a row vector and a double matrix are computed two result
// columns at a time; each lane still sums its own column over the rows in
// order, so the bits are those of the scalar sums.
using detail::LanePair;
using detail::loadPair;
using detail::storePair;

// The row vector in[0..N-1] times the N x N row-major matrix m, columns
// 0..K-1: out[c] = in[0]*m(0,c) + in[1]*m(1,c) + ..., summed in row order.
template <int N, int K, class S>
[[gnu::always_inline]] inline void rowTimesMatrix(const S (&in)[N], const S *m, S (&out)[K]) {
  int c = 0;
  if constexpr (std::is_same_v<S, double>) {
#pragma GCC unroll 2
    for (; c + 1 < K; c += 2) {
      LanePair sum = LanePair{in[0], in[0]} * loadPair(m + c);
#pragma GCC unroll 3
      for (int r = 1; r < N; ++r) {
        sum = sum + LanePair{in[r], in[r]} * loadPair(m + r * N + c);
      }
      storePair(out + c, sum);
    }
  }
#pragma GCC unroll 4
  for (; c < K; ++c) {
    S sum = in[0] * m[c];
#pragma GCC unroll 3
    for (int r = 1; r < N; ++r) {
      sum = sum + in[r] * m[r * N + c];
    }
    out[c] = sum;
  }
}

// The matrix times in[] as a column, rows 0..K-1: out[r] = sum over c of
// m(r,c)*in[c], summed in column order.
template <int N, int K, class S>
[[gnu::always_inline]] inline void matrixTimesColumn(const S (&in)[N], const S *m, S (&out)[K]) {
#pragma GCC unroll 4
  for (int r = 0; r < K; ++r) {
    S sum = m[r * N] * in[0];
#pragma GCC unroll 3
    for (int c = 1; c < N; ++c) {
      sum = sum + m[r * N + c] * in[c];
    }
    out[r] = sum;
  }
}

template <int N, class M> constexpr M identityMatrix() {
  M id{};
  for (int i = 0; i < N; ++i) {
    id.m[i * N + i] = 1;
  }
  return id;
}

// Stores each argument straight into its element; going through a temporary
// array makes the compiler reload it in wider pieces than it was written.
template <class S, class... A> [[gnu::always_inline]] inline void storeElements(S *m, A... v) {
  int i = 0;
  ((m[i++] = v), ...);
}

// Stores out[] into the components of v through its set().
template <class V, class S> [[gnu::always_inline]] inline void storeInto(V &v, const S (&o)[2]) {
  v.set(o[0], o[1]);
}
template <class V, class S> [[gnu::always_inline]] inline void storeInto(V &v, const S (&o)[3]) {
  v.set(o[0], o[1], o[2]);
}
template <class V, class S> [[gnu::always_inline]] inline void storeInto(V &v, const S (&o)[4]) {
  v.set(o[0], o[1], o[2], o[3]);
}

template <int K, class V, class S, int N, class M>
[[gnu::always_inline]] inline void mulInto(V &out, const S (&in)[N], const M &m) {
  S o[K];
  rowTimesMatrix<N, K>(in, m.m, o);
  storeInto(out, o);
}

template <int K, class V, class S, int N, class M>
[[gnu::always_inline]] inline void mulTransposeInto(V &out, const S (&in)[N], const M &m) {
  S o[K];
  matrixTimesColumn<N, K>(in, m.m, o);
  storeInto(out, o);
}

// An index outside 0 .. N-1 leaves v as it was instead of reading past the
// elements.
template <class V, class M> void copyRow(V &v, const M &m, int r) {
  if (r < 0 || r >= M::kSize) {
    return;
  }
  typename M::Scalar o[M::kSize];
  for (int c = 0; c < M::kSize; ++c) {
    o[c] = m.m[r * M::kSize + c];
  }
  storeInto(v, o);
}

template <class V, class M> void copyCol(V &v, const M &m, int c) {
  if (c < 0 || c >= M::kSize) {
    return;
  }
  typename M::Scalar o[M::kSize];
  for (int r = 0; r < M::kSize; ++r) {
    o[r] = m.m[r * M::kSize + c];
  }
  storeInto(v, o);
}

template <class V3, class M4> void projectPoint(V3 &v, const M4 &m) {
  using S = typename M4::Scalar;
  const S in[4] = {v.x, v.y, v.z, S(1)};
  S o[4];
  rowTimesMatrix<4, 4>(in, m.m, o);
  const S s = S(1) / o[3];
  v.set(s * o[0], s * o[1], s * o[2]);
}

template <class To, class From> void convertMatrix(To &to, const From &from) {
  for (int i = 0; i < 16; ++i) {
    to.m[i] = static_cast<typename To::Scalar>(from.m[i]);
  }
}

} // namespace

constinit const Vec2d Vec2d::zero{0.0, 0.0};
constinit const Vec3d Vec3d::zero{0.0, 0.0, 0.0};
constinit const Vec4d Vec4d::zero{0.0, 0.0, 0.0, 0.0};
constinit const Vec2f Vec2f::zero{0.0f, 0.0f};
constinit const Vec3f Vec3f::zero{0.0f, 0.0f, 0.0f};
constinit const Vec4f Vec4f::zero{0.0f, 0.0f, 0.0f, 0.0f};
constinit const Mat2d Mat2d::identity = identityMatrix<2, Mat2d>();
constinit const Mat3d Mat3d::identity = identityMatrix<3, Mat3d>();
constinit const Mat4d Mat4d::identity = identityMatrix<4, Mat4d>();
constinit const Mat2f Mat2f::identity = identityMatrix<2, Mat2f>();
constinit const Mat3f Mat3f::identity = identityMatrix<3, Mat3f>();
constinit const Mat4f Mat4f::identity = identityMatrix<4, Mat4f>();

// Vec2d

void Vec2d::set(double x_, double y_) {
  x = x_;
  y = y_;
}
void Vec2d::getRow(const Mat2d &m, int r) { copyRow(*this, m, r); }
void Vec2d::getCol(const Mat2d &m, int c) { copyCol(*this, m, c); }
void Vec2d::mul(const Vec2d &v, const Mat2d &m) { mulInto<2>(*this, {v.x, v.y}, m); }
void Vec2d::operator*=(const Mat2d &m) { mul(*this, m); }
void Vec2d::mulTranspose(const Vec2d &v, const Mat2d &m) {
  mulTransposeInto<2>(*this, {v.x, v.y}, m);
}
void Vec2d::mul(const Vec2d &v, double w, const Mat3d &m) { mulInto<2>(*this, {v.x, v.y, w}, m); }
void Vec2d::mulTranspose(const Vec2d &v, double w, const Mat3d &m) {
  mulTransposeInto<2>(*this, {v.x, v.y, w}, m);
}

// Vec3d

void Vec3d::set(double x_, double y_, double z_) {
  x = x_;
  y = y_;
  z = z_;
}
void Vec3d::getRow(const Mat3d &m, int r) { copyRow(*this, m, r); }
void Vec3d::getCol(const Mat3d &m, int c) { copyCol(*this, m, c); }
void Vec3d::mul(const Vec3d &v, const Mat3d &m) { mulInto<3>(*this, {v.x, v.y, v.z}, m); }
void Vec3d::operator*=(const Mat3d &m) { mul(*this, m); }
void Vec3d::mulTranspose(const Vec3d &v, const Mat3d &m) {
  mulTransposeInto<3>(*this, {v.x, v.y, v.z}, m);
}
void Vec3d::mul(const Vec2d &v, double w, const Mat3d &m) { mulInto<3>(*this, {v.x, v.y, w}, m); }
void Vec3d::mulTranspose(const Vec2d &v, double w, const Mat3d &m) {
  mulTransposeInto<3>(*this, {v.x, v.y, w}, m);
}
void Vec3d::mul(const Vec3d &v, double w, const Mat4d &m) {
  mulInto<3>(*this, {v.x, v.y, v.z, w}, m);
}
void Vec3d::mulTranspose(const Vec3d &v, double w, const Mat4d &m) {
  mulTransposeInto<3>(*this, {v.x, v.y, v.z, w}, m);
}
void Vec3d::operator*=(const Mat4d &m) { mul(*this, 1.0, m); }
void Vec3d::project(const Mat4d &m) { projectPoint(*this, m); }

// Vec4d

void Vec4d::set(double x_, double y_, double z_, double w_) {
  x = x_;
  y = y_;
  z = z_;
  w = w_;
}
void Vec4d::getRow(const Mat4d &m, int r) { copyRow(*this, m, r); }
void Vec4d::getCol(const Mat4d &m, int c) { copyCol(*this, m, c); }
void Vec4d::mul(const Vec4d &v, const Mat4d &m) { mulInto<4>(*this, {v.x, v.y, v.z, v.w}, m); }
void Vec4d::operator*=(const Mat4d &m) { mul(*this, m); }
void Vec4d::mulTranspose(const Vec4d &v, const Mat4d &m) {
  mulTransposeInto<4>(*this, {v.x, v.y, v.z, v.w}, m);
}
void Vec4d::mul(const Vec3d &v, double w_, const Mat4d &m) {
  mulInto<4>(*this, {v.x, v.y, v.z, w_}, m);
}
void Vec4d::mulTranspose(const Vec3d &v, double w_, const Mat4d &m) {
  mulTransposeInto<4>(*this, {v.x, v.y, v.z, w_}, m);
}

// Vec2f

void Vec2f::set(float x_, float y_) {
  x = x_;
  y = y_;
}
void Vec2f::getRow(const Mat2f &m, int r) { copyRow(*this, m, r); }
void Vec2f::getCol(const Mat2f &m, int c) { copyCol(*this, m, c); }
void Vec2f::mul(const Vec2f &v, const Mat2f &m) { mulInto<2>(*this, {v.x, v.y}, m); }
void Vec2f::operator*=(const Mat2f &m) { mul(*this, m); }
void Vec2f::mulTranspose(const Vec2f &v, const Mat2f &m) {
  mulTransposeInto<2>(*this, {v.x, v.y}, m);
}
void Vec2f::mul(const Vec2f &v, float w, const Mat3f &m) { mulInto<2>(*this, {v.x, v.y, w}, m); }
void Vec2f::mulTranspose(const Vec2f &v, float w, const Mat3f &m) {
  mulTransposeInto<2>(*this, {v.x, v.y, w}, m);
}

// Vec3f

void Vec3f::set(float x_, float y_, float z_) {
  x = x_;
  y = y_;
  z = z_;
}
void Vec3f::setDouble(double x_, double y_, double z_) {
  set(static_cast<float>(x_), static_cast<float>(y_), static_cast<float>(z_));
}
void Vec3f::getRow(const Mat3f &m, int r) { copyRow(*this, m, r); }
void Vec3f::getCol(const Mat3f &m, int c) { copyCol(*this, m, c); }
void Vec3f::mul(const Vec3f &v, const Mat3f &m) { mulInto<3>(*this, {v.x, v.y, v.z}, m); }
void Vec3f::operator*=(const Mat3f &m) { mul(*this, m); }
void Vec3f::mulTranspose(const Vec3f &v, const Mat3f &m) {
  mulTransposeInto<3>(*this, {v.x, v.y, v.z}, m);
}
void Vec3f::mul(const Vec2f &v, float w, const Mat3f &m) { mulInto<3>(*this, {v.x, v.y, w}, m); }
void Vec3f::mulTranspose(const Vec2f &v, float w, const Mat3f &m) {
  mulTransposeInto<3>(*this, {v.x, v.y, w}, m);
}
void Vec3f::mul(const Vec3f &v, float w, const Mat4f &m) {
  mulInto<3>(*this, {v.x, v.y, v.z, w}, m);
}
void Vec3f::mulTranspose(const Vec3f &v, float w, const Mat4f &m) {
  mulTransposeInto<3>(*this, {v.x, v.y, v.z, w}, m);
}
void Vec3f::operator*=(const Mat4f &m) { mul(*this, 1.0f, m); }
void Vec3f::project(const Mat4f &m) { projectPoint(*this, m); }

// Vec4f

void Vec4f::set(float x_, float y_, float z_, float w_) {
  x = x_;
  y = y_;
  z = z_;
  w = w_;
}
void Vec4f::getRow(const Mat4f &m, int r) { copyRow(*this, m, r); }
void Vec4f::getCol(const Mat4f &m, int c) { copyCol(*this, m, c); }
void Vec4f::mul(const Vec4f &v, const Mat4f &m) { mulInto<4>(*this, {v.x, v.y, v.z, v.w}, m); }
void Vec4f::operator*=(const Mat4f &m) { mul(*this, m); }
void Vec4f::mulTranspose(const Vec4f &v, const Mat4f &m) {
  mulTransposeInto<4>(*this, {v.x, v.y, v.z, v.w}, m);
}
void Vec4f::mul(const Vec3f &v, float w_, const Mat4f &m) {
  mulInto<4>(*this, {v.x, v.y, v.z, w_}, m);
}
void Vec4f::mulTranspose(const Vec3f &v, float w_, const Mat4f &m) {
  mulTransposeInto<4>(*this, {v.x, v.y, v.z, w_}, m);
}

// Matrices

void Mat2d::set(double m00, double m01, double m10, double m11) {
  storeElements(m, m00, m01, m10, m11);
}

void Mat3d::set(double m00, double m01, double m02, double m10, double m11, double m12, double m20,
                double m21, double m22) {
  storeElements(m, m00, m01, m02, m10, m11, m12, m20, m21, m22);
}

Mat4d::Mat4d(const Mat4f &f) { convertMatrix(*this, f); }
void Mat4d::operator=(const Mat4f &f) { convertMatrix(*this, f); }

void Mat4d::set(double m00, double m01, double m02, double m03, double m10, double m11, double m12,
                double m13, double m20, double m21, double m22, double m23, double m30, double m31,
                double m32, double m33) {
  storeElements(m, m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33);
}

// out = a * b for distinct out, a and b: row i of out is the sum over k of
// a(i,k) * row k of b, two columns per register, k = 0..3 in order in every
// lane. b stays in registers; each row of out is stored once it is summed.
[[gnu::always_inline]] inline void mul4x4(double *__restrict out, const double *__restrict a,
                                          const double *__restrict b) {
  LanePair bLo[4];
  LanePair bHi[4];
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) {
    bLo[k] = loadPair(b + k * 4);
    bHi[k] = loadPair(b + k * 4 + 2);
  }
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    const LanePair lo = loadPair(a + i * 4);
    const LanePair hi = loadPair(a + i * 4 + 2);
    const LanePair a0 = __builtin_shufflevector(lo, lo, 0, 0);
    const LanePair a1 = __builtin_shufflevector(lo, lo, 1, 1);
    const LanePair a2 = __builtin_shufflevector(hi, hi, 0, 0);
    const LanePair a3 = __builtin_shufflevector(hi, hi, 1, 1);
    const LanePair rLo = a0 * bLo[0] + a1 * bLo[1] + a2 * bLo[2] + a3 * bLo[3];
    const LanePair rHi = a0 * bHi[0] + a1 * bHi[1] + a2 * bHi[2] + a3 * bHi[3];
    storePair(out + i * 4, rLo);
    storePair(out + i * 4 + 2, rHi);
  }
}

void Mat4d::mul(const Mat4d &a, const Mat4d &b) {
  // A product written into one of its factors reads copies, so every input
  // is read before it is overwritten.
  if (this == &a || this == &b) [[unlikely]] {
    const Mat4d fa = a;
    const Mat4d fb = b;
    mul4x4(m, fa.m, fb.m);
    return;
  }
  mul4x4(m, a.m, b.m);
}

void Mat2f::set(float m00, float m01, float m10, float m11) {
  storeElements(m, m00, m01, m10, m11);
}

void Mat3f::set(float m00, float m01, float m02, float m10, float m11, float m12, float m20,
                float m21, float m22) {
  storeElements(m, m00, m01, m02, m10, m11, m12, m20, m21, m22);
}

Mat4f::Mat4f(const Mat4d &d) { convertMatrix(*this, d); }
void Mat4f::operator=(const Mat4d &d) { convertMatrix(*this, d); }

void Mat4f::set(float m00, float m01, float m02, float m03, float m10, float m11, float m12,
                float m13, float m20, float m21, float m22, float m23, float m30, float m31,
                float m32, float m33) {
  storeElements(m, m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33);
}

} // namespace orrery
