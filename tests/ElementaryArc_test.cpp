#include "math/Elementary.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace el = orrery::elementary;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = 0x1p-1074;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kPi = 0x1.921fb54442d18p+1;

enum class Fn { Asin, Acos, Atan, Atan2, Hypot, AsinF, AcosF };

// f(x) or f(y, x) correctly rounded by MPFR in the target format, subnormals
// included.
double reference(Fn f, double a, double b = 0.0) {
  const bool single = f == Fn::AsinF || f == Fn::AcosF;
  const mpfr_exp_t savedMin = mpfr_get_emin();
  const mpfr_exp_t savedMax = mpfr_get_emax();
  mpfr_set_emin(single ? -148 : -1073);
  mpfr_set_emax(single ? 128 : 1024);
  mpfr_t x, y, r;
  mpfr_inits2(single ? 24 : 53, x, y, r, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(x, a, MPFR_RNDN);
  mpfr_set_d(y, b, MPFR_RNDN);
  int inexact = 0;
  switch (f) {
  case Fn::Asin:
  case Fn::AsinF:
    inexact = mpfr_asin(r, x, MPFR_RNDN);
    break;
  case Fn::Acos:
  case Fn::AcosF:
    inexact = mpfr_acos(r, x, MPFR_RNDN);
    break;
  case Fn::Atan:
    inexact = mpfr_atan(r, x, MPFR_RNDN);
    break;
  case Fn::Atan2:
    inexact = mpfr_atan2(r, x, y, MPFR_RNDN);
    break;
  case Fn::Hypot:
    inexact = mpfr_hypot(r, x, y, MPFR_RNDN);
    break;
  }
  mpfr_subnormalize(r, inexact, MPFR_RNDN);
  const double result = mpfr_get_d(r, MPFR_RNDN);
  mpfr_clears(x, y, r, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_emin(savedMin);
  mpfr_set_emax(savedMax);
  return result;
}

double ours(Fn f, double a, double b = 0.0) {
  switch (f) {
  case Fn::Asin:
    return el::asin(a);
  case Fn::Acos:
    return el::acos(a);
  case Fn::Atan:
    return el::atan(a);
  case Fn::Atan2:
    return el::atan2(a, b);
  case Fn::Hypot:
    return el::hypot(a, b);
  case Fn::AsinF:
    return el::asin(static_cast<float>(a));
  case Fn::AcosF:
    return el::acos(static_cast<float>(a));
  }
  return kNaN;
}

// The same bits, any NaN matching any NaN.
bool sameBits(double got, double want) {
  return std::isnan(want) ? std::isnan(got)
                          : std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(want);
}

struct Case {
  Fn f;
  double a;
  double b;
};

const char *name(Fn f) {
  constexpr const char *kNames[] = {"asin", "acos", "atan", "atan2", "hypot", "asinf", "acosf"};
  return kNames[static_cast<int>(f)];
}

// Every case equal to MPFR's correctly rounded value; at most ten failures
// reported.
void expectMpfr(const std::vector<Case> &cases) {
  int failures = 0;
  for (const Case &c : cases) {
    const double got = ours(c.f, c.a, c.b);
    const double want = reference(c.f, c.a, c.b);
    if (!sameBits(got, want) && ++failures <= 10) {
      ADD_FAILURE() << name(c.f) << "(" << std::hexfloat << c.a << ", " << c.b << ") = " << got
                    << ", correctly rounded " << want;
    }
  }
  EXPECT_EQ(failures, 0) << "of " << cases.size();
}

} // namespace

// Annex F: signed zeros, infinities and NaN, each with its exact result.
TEST(ElementaryArc, SpecialValues) {
  const struct {
    Fn f;
    double a, b, want;
  } cases[] = {
      {Fn::Asin, 0.0, 0, 0.0},
      {Fn::Asin, -0.0, 0, -0.0},
      {Fn::Asin, 1.0, 0, kHalfPi},
      {Fn::Asin, -1.0, 0, -kHalfPi},
      {Fn::Asin, 0x1.0000000000001p0, 0, kNaN},
      {Fn::Asin, -kInf, 0, kNaN},
      {Fn::Asin, kNaN, 0, kNaN},
      {Fn::Acos, 1.0, 0, 0.0},
      {Fn::Acos, -1.0, 0, kPi},
      {Fn::Acos, -0.0, 0, kHalfPi},
      {Fn::Acos, -0x1.0000000000001p0, 0, kNaN},
      {Fn::Acos, kInf, 0, kNaN},
      {Fn::Atan, -0.0, 0, -0.0},
      {Fn::Atan, kInf, 0, kHalfPi},
      {Fn::Atan, -kInf, 0, -kHalfPi},
      {Fn::Atan, kNaN, 0, kNaN},
      {Fn::Atan2, 0.0, 0.0, 0.0},
      {Fn::Atan2, -0.0, 0.0, -0.0},
      {Fn::Atan2, 0.0, -0.0, kPi},
      {Fn::Atan2, -0.0, -0.0, -kPi},
      {Fn::Atan2, -0.0, -3.0, -kPi},
      {Fn::Atan2, 0.0, kTiny, 0.0},
      {Fn::Atan2, -2.0, 0.0, -kHalfPi},
      {Fn::Atan2, kTiny, -0.0, kHalfPi},
      {Fn::Atan2, 5.0, kInf, 0.0},
      {Fn::Atan2, -5.0, kInf, -0.0},
      {Fn::Atan2, 5.0, -kInf, kPi},
      {Fn::Atan2, -kMax, -kInf, -kPi},
      {Fn::Atan2, kInf, -7.0, kHalfPi},
      {Fn::Atan2, -kInf, 0.0, -kHalfPi},
      {Fn::Atan2, kInf, kInf, 0x1.921fb54442d18p-1},
      {Fn::Atan2, -kInf, -kInf, -0x1.2d97c7f3321d2p+1},
      {Fn::Atan2, kNaN, 1.0, kNaN},
      {Fn::Atan2, kInf, kNaN, kNaN},
      {Fn::Hypot, kInf, kNaN, kInf},
      {Fn::Hypot, kNaN, -kInf, kInf},
      {Fn::Hypot, kNaN, 1.0, kNaN},
      {Fn::Hypot, -0.0, -0.0, 0.0},
      {Fn::Hypot, -3.0, 4.0, 5.0},
      {Fn::Hypot, kMax, kMax, kInf},
      {Fn::Hypot, kMax, 1.0, kMax},
      {Fn::Hypot, 3 * kTiny, 4 * kTiny, 5 * kTiny},
      {Fn::AsinF, -0.0, 0, -0.0},
      {Fn::AsinF, -1.0, 0, -0x1.921fb6p+0},
      {Fn::AsinF, 0x1.000002p0, 0, kNaN},
      {Fn::AcosF, -1.0, 0, 0x1.921fb6p+1},
      {Fn::AcosF, 1.0, 0, 0.0},
      {Fn::AcosF, kNaN, 0, kNaN},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message()
                 << name(c.f) << "(" << std::hexfloat << c.a << ", " << c.b << ")");
    EXPECT_TRUE(sameBits(ours(c.f, c.a, c.b), c.want)) << std::hexfloat << ours(c.f, c.a, c.b);
  }
}

// The edges of every branch: the tiny-argument shortcuts, the switch from the
// arcsine's pieces to its root form at 7/8 and to the complementary angle at
// sqrt(1/2), the piece and table boundaries (i + 1/2) / 128,
// arguments next to +-1, subnormal quotients (one exactly halfway between
// two subnormals, whose arctangent rounds toward zero), scaled hypotenuses
// near overflow and underflow, and an exact tie of the hypotenuse.
TEST(ElementaryArc, BranchEdgesMatchMpfr) {
  std::vector<Case> cases;
  auto around = [&](Fn f, double a, double b = 0.0) {
    for (const double x : {std::nextafter(a, -kInf), a, std::nextafter(a, kInf)}) {
      cases.push_back({f, x, b});
      cases.push_back({f, -x, b});
    }
  };
  for (const Fn f : {Fn::Asin, Fn::Acos, Fn::AsinF, Fn::AcosF}) {
    for (const double a :
         {0x1p-27, 0x1p-26, 0x1p-13, 0x1p-12, 0x1p-55, 0x1p-54, 0.5, 0x1.6a09e667f3bcdp-1, 0x1p-8,
          0x1.8p-7, 0.875, 1.0 - 0x1p-53, 1.0 - 0x1p-30, 1.0 - 0x1p-24, kTiny, 0x1p-1022}) {
      around(f, a);
    }
    for (int i = 0; i < 113; ++i) {
      around(f, (i + 0.5) / 128);
    }
  }
  for (int i = 0; i < 128; ++i) {
    around(Fn::Atan, (i + 0.5) / 128);
    around(Fn::Atan, 128 / (i + 0.5));
    around(Fn::Atan2, (i + 0.5) / 128 * 0x1p-1000, -0x1p-1000);
    around(Fn::Atan2, 0x1p1000, (i + 0.5) / 128 * 0x1p1000);
  }
  for (const double a : {0x1p-27, 0x1p-26, 0x1p60, 0x1p54, 1.0, kTiny, kMax}) {
    around(Fn::Atan, a);
  }
  for (const double x : {1.0, -1.0, 0x1.8p-1000, -0x1p1023, 0x1p990, kMax}) {
    for (const double y : {0x1p-60, 0x1p-61, 0x1p-1022, 3 * kTiny, kTiny}) {
      around(Fn::Atan2, y * std::fabs(x), x);
      around(Fn::Atan2, std::fabs(x), y * x);
    }
  }
  cases.push_back({Fn::Atan2, 3 * kTiny, 2.0});  // 1.5 * 2^-1074: rounds down
  cases.push_back({Fn::Atan2, -kTiny, 2.0});     // half the least subnormal: -0
  cases.push_back({Fn::Atan2, 5 * kTiny, -2.0}); // pi minus a subnormal
  cases.push_back({Fn::Atan2, 7 * kTiny, 0x1p-1022});
  for (const double a : {0x1p500, 0x1p-400, 0x1p-1021, 0x1p-1022, kTiny, 0x1p1023, kMax}) {
    for (const double r : {1.0, 0x1.6a09e667f3bcdp-1, 0.75, 0x1p-27, 0x1p-54, 0x1p-56}) {
      around(Fn::Hypot, a, a * r);
    }
  }
  // 0x1.333332ede98adp+52^2 + 0x1.99999ad1fce7cp+52^2 is the square of the odd
  // 9007199473198901, halfway between two doubles.
  cases.push_back({Fn::Hypot, 0x1.333332ede98adp+52, 0x1.99999ad1fce7cp+52});
  cases.push_back({Fn::Hypot, 0x1.333332ede98adp-1000, -0x1.99999ad1fce7cp-1000});
  expectMpfr(cases);
}

// Seeded random arguments over the ranges the library uses and beyond, each
// result equal to MPFR's.
TEST(ElementaryArc, RandomArgumentsMatchMpfr) {
  std::mt19937_64 gen(20240611);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> wide(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-60, 60);
  auto logUniform = [&](int lo, int hi) {
    return std::ldexp(unit(gen), std::uniform_int_distribution<int>(lo, hi)(gen));
  };
  auto anyBits = [&] {
    for (;;) {
      const double d = std::bit_cast<double>(gen());
      if (std::isfinite(d)) {
        return d;
      }
    }
  };
  std::vector<Case> cases;
  for (int i = 0; i < 8000; ++i) {
    const double nearOne =
        std::copysign(1.0 - std::ldexp(std::fabs(unit(gen)), exponent(gen) / 2 - 25), unit(gen));
    cases.push_back({Fn::Asin, unit(gen), 0});
    cases.push_back({Fn::Asin, logUniform(-30, 0), 0});
    cases.push_back({Fn::Asin, nearOne, 0});
    cases.push_back({Fn::Acos, unit(gen), 0});
    cases.push_back({Fn::Acos, logUniform(-56, 0), 0});
    cases.push_back({Fn::Acos, nearOne, 0});
    cases.push_back({Fn::Atan, wide(gen), 0});
    cases.push_back({Fn::Atan, logUniform(-30, 60), 0});
    cases.push_back({Fn::Atan2, wide(gen), wide(gen)});
    cases.push_back({Fn::Atan2, logUniform(-70, 70), logUniform(-70, 70)});
    cases.push_back({Fn::Atan2, anyBits(), anyBits()});
    cases.push_back({Fn::Hypot, wide(gen) * 1e6, wide(gen) * 1e6});
    cases.push_back({Fn::Hypot, logUniform(-70, 70), logUniform(-70, 70)});
    cases.push_back({Fn::Hypot, anyBits(), anyBits()});
    cases.push_back({Fn::AsinF, unit(gen), 0});
    cases.push_back({Fn::AcosF, unit(gen), 0});
    cases.push_back({Fn::AcosF, nearOne, 0});
  }
  expectMpfr(cases);
}
