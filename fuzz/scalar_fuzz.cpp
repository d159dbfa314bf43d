// FastMath on arbitrary doubles and floats: the guarded functions stay in
// their ranges, the approximations keep their stated error inside their
// domain and give NaN outside it, and nothing allocates.

#include "fuzz/FuzzSupport.h"
#include "math/FastMath.h"

#include <cmath>
#include <cstring>

using namespace orrery;

namespace {

template <class T> bool signBitClear(T x) { return !std::signbit(x); }

template <class T> void checkScalar(T x, T tolerance) {
  const T a = FastMath::fabs(x);
  FUZZ_CHECK(signBitClear(a));
  FUZZ_CHECK(std::isnan(x) ? std::isnan(a) : a == std::fabs(x));

  const int s = FastMath::sign(x);
  FUZZ_CHECK(s == 0 ? x == T(0) : (s == 1 ? x > T(0) : !(x >= T(0))));

  const T r = FastMath::sqrt(x);
  if (x < T(0) && -x < tolerance) {
    FUZZ_CHECK(r == T(0));
  } else if (x >= T(0)) {
    FUZZ_CHECK(r == std::sqrt(x));
  } else {
    FUZZ_CHECK(std::isnan(r));
  }

  const T as = FastMath::asin(x);
  const T ac = FastMath::acos(x);
  FUZZ_CHECK(std::isnan(as) == std::isnan(x));
  FUZZ_CHECK(std::isnan(ac) == std::isnan(x));
  if (!std::isnan(x)) {
    FUZZ_CHECK(std::fabs(as) <= T(1.5707964));
    FUZZ_CHECK(ac >= T(0) && ac <= T(3.1415927));
  }

  // Parabolic sine and cosine: below 0.0214 from the true values on
  // [-2 pi, 2 pi], and the same whichever entry point is used.
  T ps, pc;
  FastMath::sincos(x, ps, pc);
  const T ss = FastMath::sin(x);
  const T cc = FastMath::cos(x);
  FUZZ_CHECK(std::memcmp(&ps, &ss, sizeof ps) == 0 && std::memcmp(&pc, &cc, sizeof pc) == 0);
  if (std::fabs(x) <= T(6.283185307179586)) {
    FUZZ_CHECK(std::fabs(double(ps) - std::sin(double(x))) < 0.0214);
    FUZZ_CHECK(std::fabs(double(pc) - std::cos(double(x))) < 0.0214);
  }

  (void)FastMath::inv(x);
  (void)FastMath::log(x);
  (void)FastMath::log10(x);
  (void)FastMath::log2(x);
  (void)FastMath::pow(x, a);
}

void checkFastSin(float x) {
  const float s = FastMath::fastsin(x);
  const double q = double(x) * double(0.31830987f);
  if (std::fabs(x) <= 10.0f) {
    FUZZ_CHECK(std::fabs(double(s) - std::sin(double(x))) < 7.5e-7);
  } else if (!(std::fabs(q) < 2147483000.0)) {
    // Beyond the 32-bit turn count (infinities and NaN included): NaN.
    FUZZ_CHECK(std::isnan(s) || std::fabs(q) < 2147483648.5);
  } else {
    // Far arguments lose accuracy in the float reduction but stay finite.
    FUZZ_CHECK(std::isfinite(s));
  }
  (void)FastMath::fastcos(x);
}

template <class V> void checkNormalize(V v) {
  const auto squared = dot(v, v);
  const V before = v;
  const auto f = FastMath::normalize(v);
  if (squared == 0) {
    FUZZ_CHECK(std::isinf(f) && f > 0);
    return;
  }
  // A squared length well inside the float range, with components that are
  // not subnormal, leaves a unit vector to single precision.
  if (double(squared) > 1e-30 && double(squared) < 1e30) {
    FUZZ_CHECK(std::fabs(double(length(v)) - 1.0) < 4e-7);
    FUZZ_CHECK(v.x == before.x * f);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  orrery::fuzz::Input in(data, size);
  const double x = in.number();
  const float xf = in.numberF();
  orrery::fuzz::NoAllocation none;
  checkScalar<double>(x, kAlmostEqualTolerance);
  checkScalar<float>(xf, kAlmostEqualToleranceF);
  checkScalar<float>(static_cast<float>(x), kAlmostEqualToleranceF);
  checkFastSin(xf);
  checkFastSin(static_cast<float>(x));
  checkNormalize(Vec2d{x, in.number()});
  checkNormalize(Vec3d{in.number(), x, in.number()});
  checkNormalize(Vec2f{xf, in.numberF()});
  checkNormalize(Vec3f{in.numberF(), in.numberF(), xf});
  return 0;
}
