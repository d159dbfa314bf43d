#include "math/Elementary.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mpfr.h>
#include <random>

namespace el = orrery::elementary;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Equal to the last bit, the sign of zero included; any NaN matches any NaN.
bool same(double got, double want) {
  return std::isnan(want) ? std::isnan(got)
                          : std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(want);
}

enum Fn { kSin, kCos, kTan };

// f(x) correctly rounded to double (subnormals included), by MPFR.
double reference(Fn f, double x) {
  const mpfr_exp_t emin = mpfr_get_emin();
  const mpfr_exp_t emax = mpfr_get_emax();
  mpfr_set_emin(-1073);
  mpfr_set_emax(1024);
  mpfr_t a;
  mpfr_t r;
  mpfr_init2(a, 53);
  mpfr_init2(r, 53);
  mpfr_set_d(a, x, MPFR_RNDN);
  int t = f == kSin ? mpfr_sin(r, a, MPFR_RNDN)
                    : (f == kCos ? mpfr_cos(r, a, MPFR_RNDN) : mpfr_tan(r, a, MPFR_RNDN));
  t = mpfr_subnormalize(r, t, MPFR_RNDN);
  const double y = mpfr_get_d(r, MPFR_RNDN);
  mpfr_clear(a);
  mpfr_clear(r);
  mpfr_set_emin(emin);
  mpfr_set_emax(emax);
  return y;
}

// sin, cos and tan of x as the library gives them, and sincos beside them.
void expectTrig(double x, double s, double c, double t) {
  SCOPED_TRACE(testing::Message() << std::hexfloat << "x = " << x);
  EXPECT_TRUE(same(el::sin(x), s)) << std::hexfloat << el::sin(x) << " != " << s;
  EXPECT_TRUE(same(el::cos(x), c)) << std::hexfloat << el::cos(x) << " != " << c;
  EXPECT_TRUE(same(el::tan(x), t)) << std::hexfloat << el::tan(x) << " != " << t;
  double ss = 0.0;
  double cc = 0.0;
  el::sincos(x, ss, cc);
  EXPECT_TRUE(same(ss, s) && same(cc, c)) << std::hexfloat << ss << ", " << cc;
}

} // namespace

TEST(ElementaryTrig, SignedZerosInfinitiesAndNaNFollowTheCStandard) {
  expectTrig(0.0, 0.0, 1.0, 0.0);
  expectTrig(-0.0, -0.0, 1.0, -0.0);
  expectTrig(kInf, kNaN, kNaN, kNaN);
  expectTrig(-kInf, kNaN, kNaN, kNaN);
  expectTrig(kNaN, kNaN, kNaN, kNaN);
}

// Each row is {x, sin x, cos x, tan x}, correctly rounded (MPFR). The odd
// and even symmetries are checked on -x.
TEST(ElementaryTrig, HardArgumentsGiveTheCorrectlyRoundedBits) {
  const double cases[][4] = {
      // Doubles nearest to multiples of pi/4 and pi/2 (tiny sines and cosines,
      // tangents near +-1 and huge).
      {0x1.921fb54442d18p+0, 0x1p+0, 0x1.1a62633145c07p-54, 0x1.d02967c31cdb5p+53},
      {-0x1.921fb54442d18p+1, -0x1.1a62633145c07p-53, -0x1p+0, 0x1.1a62633145c07p-53},
      {0x1.921fb54442d18p-1, 0x1.6a09e667f3bccp-1, 0x1.6a09e667f3bcdp-1, 0x1.fffffffffffffp-1},
      {0x1.2d97c7f3321d2p+1, 0x1.6a09e667f3bcdp-1, -0x1.6a09e667f3bccp-1, -0x1.0000000000001p+0},
      {0x1.921fb54442d18p+2, -0x1.1a62633145c07p-52, 0x1p+0, -0x1.1a62633145c07p-52},
      {0x1.ff539020c29bcp+18, 0x1p+0, 0x1.2a09e3a3aef2ep-36, 0x1.b7c82bba3948dp+35},
      {0x1.921fb5444463ap+40, 0x1.ffffffef05dcap-1, 0x1.07b373e2bcb55p-14, 0x1.f10c3daf5dc47p+13},
      // Huge: 10^22, 2^1023, the largest double, and the double closest to a
      // multiple of pi/2 (6381956970095103 2^797).
      {0x1.0f0cf064dd592p+73, -0x1.b453ab76bf397p-1, 0x1.0be2cef01c8f4p-1, -0x1.a0f79c1b6b257p+0},
      {0x1p+1023, 0x1.205248cbdb76p-1, -0x1.a719f26c232bfp-1, -0x1.5ce6b4c0d02a3p-1},
      {0x1.fffffffffffffp+1023, 0x1.452fc98b34e97p-8, -0x1.fffe62ecfab75p-1, -0x1.4530cfe729484p-8},
      {0x1.6ac5b262ca1ffp+849, 0x1p+0, -0x1.14ae72e6ba22fp-61, -0x1.d9ba9a7975636p+60},
      // Either side of the changes of reduction at 48 and 2^20.
      {0x1.8p+5, -0x1.8958accac4f81p-1, -0x1.47c0ffb57abe8p-1, 0x1.333b89fc391c8p+0},
      {0x1.7ffffffffffffp+5, -0x1.8958accac4f58p-1, -0x1.47c0ffb57ac1ap-1, 0x1.333b89fc3917ap+0},
      {0x1p+20, 0x1.526ccb2fc8656p-2, 0x1.e33ada92fe2aep-1, 0x1.6692e5779206fp-2},
      {0x1.fffffffffffffp+19, 0x1.526ccb2de52a8p-2, 0x1.e33ada9352c61p-1, 0x1.6692e575533f1p-2},
      // Either side of the small arguments that are their own sine and tangent
      // and whose cosine is 1; subnormals.
      {0x1p-26, 0x1p-26, 0x1.fffffffffffffp-1, 0x1p-26},
      {0x1.fffffffffffffp-27, 0x1.fffffffffffffp-27, 0x1.fffffffffffffp-1, 0x1p-26},
      {0x1p-27, 0x1p-27, 0x1p+0, 0x1p-27},
      {0x1.fffffffffffffp-28, 0x1.fffffffffffffp-28, 0x1p+0, 0x1.fffffffffffffp-28},
      {0x1p-1022, 0x1p-1022, 0x1p+0, 0x1p-1022},
      {0x0.0000000000001p-1022, 0x0.0000000000001p-1022, 0x1p+0, 0x0.0000000000001p-1022},
      // Results within 2^-19 ulp of a rounding midpoint (two sines, cosines
      // and tangents each): a loose error bound rounds them the wrong way.
      {-0x1.2f993703713b8p+0, -0x1.da8bfbabb1c5bp-1, 0x1.8071b3d128c7cp-2, -0x1.3bffc13644638p+1},
      {-0x1.78c0c33e7791cp-24, -0x1.78c0c33e77914p-24, 0x1.fffffffffffddp-1,
       -0x1.78c0c33e7792dp-24},
      {-0x1.e213c85f348p-2, -0x1.d0775b9e97f0ep-2, 0x1.c84d62b680dp-1, -0x1.04948a5d62e63p-1},
      {-0x1.7cbf55520f144p+1, -0x1.546f8fdeb7a61p-3, -0x1.f8e06e6e46425p-1, 0x1.593d2f610084dp-3},
      {0x1.ca0cce0a4d0b8p+1, -0x1.b14f30187dcd9p-2, -0x1.cfe6d3a60bac7p-1, 0x1.de3c5c1ab38fep-2},
      {0x1.fc6b26cf95a28p+2, 0x1.fdecd421a1f9ap-1, -0x1.706175652a85dp-4, -0x1.625d29f7bb589p+3},
      {-0x1.c2623d8a78f12p+1, 0x1.78ff37e0467f5p-2, -0x1.dc09c49127c17p-1, -0x1.957a10bc8e38ep-2},
      {-0x1.36f664a4a3011p+3, 0x1.278f8ce460c82p-2, -0x1.ea358793acf63p-1, -0x1.34b2f73f46ebbp-2},
      {0x1.ee3725b79cffp+2, 0x1.fb8e12c74abe9p-1, 0x1.0d476bbf0f5bep-3, 0x1.e2869e50e336cp+2},
      {-0x1.4b178a412470bp+2, 0x1.ca91a5839c9a6p-1, 0x1.c7730aab9f1b4p-2, 0x1.01c0e1b00c30fp+1},
      {0x1.d344cc7f77c2p+2, 0x1.b3b66e60fd3fp-1, 0x1.0ce24257e7dc6p-1, 0x1.9ed5c4ec7f5b6p+0},
      {0x1.d427dc2c5f064p+2, 0x1.b765a4cb516bp-1, 0x1.06d1dd0627c11p-1, 0x1.abfecf626ff67p+0},
      // A tangent within 2^-17 ulp of a midpoint, closer than the first
      // evaluation's error: it rounds the wrong way if that bound is dropped.
      {0x1.1aafb3ebf1b4p-5, 0x1.1aa15765cf84ap-5, 0x1.ffb1f8173ca45p-1, 0x1.1acc70e95f27fp-5},
      // Roundings the fast evaluation leaves undecided (sin, sin, cos, cos,
      // tan, tan).
      {-0x1.be95d678f594cp+2, -0x1.47c368b31174fp-1, 0x1.8956aaacdd6d6p-1, -0x1.aaa466be70d73p-1},
      {0x1.2249fe8c0c5dp+1, 0x1.888ef4eecc74ep-1, -0x1.48b27f10d1394p-1, -0x1.31bcb50ca7291p+0},
      {0x1.a38d58f43294p-2, 0x1.97e974609bd9cp-2, 0x1.d59f8b022cf5cp-1, 0x1.bcb85c1ea22d4p-2},
      {-0x1.febeccdd0b958p+0, -0x1.d2995513b85c1p-1, -0x1.a590d38aed63p-2, 0x1.1b58cce9cdbc2p+1},
      {-0x1.a0f6041eae79dp+2, -0x1.d68c068e7a3cap-3, 0x1.f24d7ec769e23p-1, -0x1.e37b37524752ap-3},
      {0x1.63ba57e78af6ap+2, -0x1.53804a0729721p-1, 0x1.7f40cef43b91fp-1, -0x1.c58cdf5e86d2ep-1},
  };
  for (const auto &c : cases) {
    expectTrig(c[0], c[1], c[2], c[3]);
    expectTrig(-c[0], -c[1], c[2], -c[3]);
  }
}

// A seeded sample over the angles the library uses, the whole exponent range
// and random bit patterns (NaN and infinities included), compared with MPFR
// bit for bit; sincos gives the bits of sin and cos.
TEST(ElementaryTrig, RandomArgumentsMatchMpfr) {
  std::mt19937_64 random(20240607);
  const auto angle = [&random] { // in (-16, 16)
    return std::ldexp(static_cast<double>(static_cast<std::int64_t>(random() >> 10)), -50);
  };
  const auto anyExponent = [&random] { // |x| in [2^-30, 2^1024)
    const std::uint64_t r = random();
    return std::ldexp(1.0 + static_cast<double>(r >> 12) * 0x1p-52,
                      static_cast<int>(r % 1054) - 30);
  };
  const auto anyBits = [&random] { return std::bit_cast<double>(random()); };
  int mismatches = 0;
  for (int i = 0; i < 45000; ++i) {
    const double x = i % 3 == 0 ? angle() : (i % 3 == 1 ? anyExponent() : anyBits());
    const double s = reference(kSin, x);
    const double c = reference(kCos, x);
    const double t = reference(kTan, x);
    double ss = 0.0;
    double cc = 0.0;
    el::sincos(x, ss, cc);
    const bool ok = same(el::sin(x), s) && same(el::cos(x), c) && same(el::tan(x), t) &&
                    same(ss, s) && same(cc, c);
    if (!ok && ++mismatches <= 5) {
      ADD_FAILURE() << std::hexfloat << "x = " << x << ": sin " << el::sin(x) << " (" << s
                    << "), cos " << el::cos(x) << " (" << c << "), tan " << el::tan(x) << " (" << t
                    << "), sincos " << ss << ", " << cc;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// The float twins round the double result again; a wrong midpoint decision
// or a float computed in double and rounded twice shows as a mismatch here.
TEST(ElementaryTrig, FloatTwinsMatchMpfrAtSinglePrecision) {
  const auto reference24 = [](Fn f, float x) {
    mpfr_set_emin(-148);
    mpfr_set_emax(128);
    mpfr_t a;
    mpfr_t r;
    mpfr_init2(a, 24);
    mpfr_init2(r, 24);
    mpfr_set_flt(a, x, MPFR_RNDN);
    int t = f == kSin ? mpfr_sin(r, a, MPFR_RNDN) : mpfr_cos(r, a, MPFR_RNDN);
    t = mpfr_subnormalize(r, t, MPFR_RNDN);
    const float y = mpfr_get_flt(r, MPFR_RNDN);
    mpfr_clears(a, r, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    return y;
  };
  std::mt19937 random(7);
  int mismatches = 0;
  for (int i = 0; i < 40000; ++i) {
    const auto bits = static_cast<std::uint32_t>(random());
    const float x = i % 2 == 0 ? std::bit_cast<float>(bits) : static_cast<float>(bits) * 0x1p-28f;
    const float s = reference24(kSin, x);
    const float c = reference24(kCos, x);
    const bool ok = std::bit_cast<std::uint32_t>(el::sin(x)) == std::bit_cast<std::uint32_t>(s) &&
                    std::bit_cast<std::uint32_t>(el::cos(x)) == std::bit_cast<std::uint32_t>(c);
    if (!ok && !std::isnan(x) && ++mismatches <= 5) {
      ADD_FAILURE() << std::hexfloat << "x = " << x << ": sin " << el::sin(x) << " (" << s
                    << "), cos " << el::cos(x) << " (" << c << ")";
    }
  }
  EXPECT_EQ(mismatches, 0);
}
