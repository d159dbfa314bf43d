// The exponential, logarithmic and hyperbolic functions bit for bit: the C
// standard's special values, the arguments beside each branch boundary and
// the known hard roundings, and seeded random samples, each against MPFR's
// correctly rounded value (subnormals included).

#include "math/Elementary.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

namespace {

namespace el = orrery::elementary;

enum class F { Log, Log10, Expm1, Sinh, Tanh, Asinh, Atanh, Pow };
constexpr const char *kNames[] = {"log", "log10", "expm1", "sinh", "tanh", "asinh", "atanh", "pow"};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double ours(F f, double x, double y) {
  switch (f) {
  case F::Log:
    return el::log(x);
  case F::Log10:
    return el::log10(x);
  case F::Expm1:
    return el::expm1(x);
  case F::Sinh:
    return el::sinh(x);
  case F::Tanh:
    return el::tanh(x);
  case F::Asinh:
    return el::asinh(x);
  case F::Atanh:
    return el::atanh(x);
  default:
    return el::pow(x, y);
  }
}

float ours(F f, float x, float y) {
  return f == F::Log ? el::log(x) : f == F::Log10 ? el::log10(x) : el::pow(x, y);
}

// MPFR's value rounded to nearest in T's format, subnormals included.
template <class T> T reference(F f, T x, T y) {
  const bool isFloat = sizeof(T) == sizeof(float);
  const mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
  mpfr_set_emin(isFloat ? -148 : -1073);
  mpfr_set_emax(isFloat ? 128 : 1024);
  mpfr_t a, b, r;
  mpfr_inits2(isFloat ? 24 : 53, a, b, r, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(a, double(x), MPFR_RNDN);
  mpfr_set_d(b, double(y), MPFR_RNDN);
  using Unary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
  constexpr Unary kUnary[] = {mpfr_log,  mpfr_log10, mpfr_expm1, mpfr_sinh,
                              mpfr_tanh, mpfr_asinh, mpfr_atanh};
  int inexact =
      f == F::Pow ? mpfr_pow(r, a, b, MPFR_RNDN) : kUnary[static_cast<int>(f)](r, a, MPFR_RNDN);
  inexact = mpfr_subnormalize(r, inexact, MPFR_RNDN);
  const auto result = static_cast<T>(mpfr_get_d(r, MPFR_RNDN));
  mpfr_clears(a, b, r, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_emin(emin);
  mpfr_set_emax(emax);
  return result;
}

// Equal bits, or both NaN.
template <class T> bool same(T got, T want) {
  return std::isnan(want) ? std::isnan(got)
                          : std::bit_cast<std::uint64_t>(double(got)) ==
                                std::bit_cast<std::uint64_t>(double(want));
}

struct Case {
  F f;
  double x;
  double y;
};

template <class T> void expectReference(const Case &c) {
  const T got = ours(c.f, T(c.x), T(c.y));
  const T want = reference<T>(c.f, T(c.x), T(c.y));
  EXPECT_TRUE(same(got, want)) << kNames[static_cast<int>(c.f)] << "(" << std::hexfloat << T(c.x)
                               << ", " << T(c.y) << ") gives " << got << ", not " << want;
}

} // namespace

// Annex F: signed zeros kept, infinities, NaN in and out, pow's table (1 for
// a zero power or a base of 1 even beside NaN, the sign of an odd integer
// power, -0 and -inf bases, |x| against 1 for infinite y) and exact results.
TEST(ElementaryExpLog, SpecialValuesFollowTheCStandard) {
  const double tiny = 0x1p-1074, dmax = std::numeric_limits<double>::max();
  const struct {
    F f;
    double x, y, want;
  } cases[] = {
      {F::Log, 0.0, 0, -kInf},        {F::Log, -0.0, 0, -kInf},
      {F::Log, -1.0, 0, kNaN},        {F::Log, kInf, 0, kInf},
      {F::Log, -kInf, 0, kNaN},       {F::Log, kNaN, 0, kNaN},
      {F::Log, 1.0, 0, 0.0},          {F::Log10, -0.0, 0, -kInf},
      {F::Log10, 1e22, 0, 22.0},      {F::Log10, 1e-5, 0, -5.0},
      {F::Log10, 1.0, 0, 0.0},        {F::Log10, -tiny, 0, kNaN},
      {F::Expm1, -0.0, 0, -0.0},      {F::Expm1, kInf, 0, kInf},
      {F::Expm1, -kInf, 0, -1.0},     {F::Expm1, 710.0, 0, kInf},
      {F::Expm1, -tiny, 0, -tiny},    {F::Expm1, kNaN, 0, kNaN},
      {F::Sinh, -0.0, 0, -0.0},       {F::Sinh, -kInf, 0, -kInf},
      {F::Sinh, -711.0, 0, -kInf},    {F::Sinh, tiny, 0, tiny},
      {F::Tanh, -0.0, 0, -0.0},       {F::Tanh, -kInf, 0, -1.0},
      {F::Tanh, 30.0, 0, 1.0},        {F::Tanh, kNaN, 0, kNaN},
      {F::Asinh, -0.0, 0, -0.0},      {F::Asinh, -kInf, 0, -kInf},
      {F::Asinh, kNaN, 0, kNaN},      {F::Atanh, -0.0, 0, -0.0},
      {F::Atanh, -1.0, 0, -kInf},     {F::Atanh, 1.0, 0, kInf},
      {F::Atanh, 1.5, 0, kNaN},       {F::Atanh, -kInf, 0, kNaN},
      {F::Pow, kNaN, 0.0, 1.0},       {F::Pow, kNaN, -0.0, 1.0},
      {F::Pow, 1.0, kNaN, 1.0},       {F::Pow, -1.0, kInf, 1.0},
      {F::Pow, -1.0, -kInf, 1.0},     {F::Pow, 0.0, -3.0, kInf},
      {F::Pow, -0.0, -3.0, -kInf},    {F::Pow, -0.0, -2.0, kInf},
      {F::Pow, -0.0, -0.5, kInf},     {F::Pow, -0.0, -kInf, kInf},
      {F::Pow, -0.0, 3.0, -0.0},      {F::Pow, -0.0, 2.0, 0.0},
      {F::Pow, -0.0, 0.5, 0.0},       {F::Pow, 0.5, -kInf, kInf},
      {F::Pow, 2.0, -kInf, 0.0},      {F::Pow, -0.5, kInf, 0.0},
      {F::Pow, -2.0, kInf, kInf},     {F::Pow, -kInf, -3.0, -0.0},
      {F::Pow, -kInf, -2.0, 0.0},     {F::Pow, -kInf, 3.0, -kInf},
      {F::Pow, -kInf, 0.5, kInf},     {F::Pow, kInf, -0.5, 0.0},
      {F::Pow, -2.0, 0.5, kNaN},      {F::Pow, -kInf, kNaN, kNaN},
      {F::Pow, 2.0, kNaN, kNaN},      {F::Pow, -2.0, 3.0, -8.0},
      {F::Pow, -2.0, 1025.0, -kInf},  {F::Pow, -2.0, -1075.0, -0.0},
      {F::Pow, -2.0, -1074.0, tiny},  {F::Pow, -2.0, -1073.0, -2 * tiny},
      {F::Pow, 2.0, 1024.0, kInf},    {F::Pow, 9.0, 1.5, 27.0},
      {F::Pow, dmax, -1.0, 1 / dmax}, {F::Pow, tiny, 2.0, 0.0},
      {F::Pow, 4.0, -0.5, 0.5},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message()
                 << kNames[static_cast<int>(c.f)] << "(" << c.x << ", " << c.y << ")");
    EXPECT_TRUE(same(ours(c.f, c.x, c.y), c.want)) << ours(c.f, c.x, c.y);
  }
  EXPECT_TRUE(same(el::pow(-0.0f, -3.0f), -HUGE_VALF));
  EXPECT_TRUE(same(el::pow(-2.0f, 0.5f), std::numeric_limits<float>::quiet_NaN()));
  EXPECT_TRUE(same(el::log10(1000.0f), 3.0f));
  EXPECT_TRUE(same(el::log(-0.0f), -HUGE_VALF));
}

// Each side of every branch (the tiny-argument returns, the series near 1 of
// log, the table buckets beside 1, overflow and underflow thresholds and the
// subnormal results of pow), the arguments that need the slow path, midpoints
// of float powers, and the calls the library makes.
TEST(ElementaryExpLog, BranchBoundariesAndHardCasesAreCorrectlyRounded) {
  const double below1 = 0x1.fffffffffffffp-1, above1 = 0x1.0000000000001p+0;
  const Case cases[] = {
      {F::Log, below1, 0},
      {F::Log, above1, 0},
      {F::Log, 0x1.ffffffffffff4p-1, 0},
      {F::Log, 1 + 0x1p-20, 0},
      {F::Log, 1 - 0x1p-20, 0},
      {F::Log, 1 + 0x1p-9, 0},
      {F::Log, 1 - 0x1p-10, 0},
      {F::Log, 0.6875, 0},
      {F::Log, 1.375, 0},
      {F::Log, 0x1p-1074, 0},
      {F::Log, 0x1p-1022, 0},
      {F::Log, 0x1.fffffffffffffp1023, 0},
      {F::Log, 0x1.2d0e9934724cp+558, 0},
      {F::Log, 0x1.46cd3bdc1321cp+6, 0},
      {F::Log10, 1e23, 0},
      {F::Log10, 0x1p-1074, 0},
      {F::Log10, below1, 0},
      {F::Expm1, 0x1p-54, 0},
      {F::Expm1, -0x1p-54, 0},
      {F::Expm1, 0x1.fffffffffffffp-55, 0},
      {F::Expm1, -38.0, 0},
      {F::Expm1, -37.4, 0},
      {F::Expm1, 0x1.62e42fefa39efp+9, 0},
      {F::Expm1, 709.79, 0},
      {F::Expm1, 0x1.62e42fefa39fp+9, 0},
      {F::Expm1, 0x1.62e42fefa39efp-9, 0},
      {F::Expm1, -0.5, 0},
      {F::Sinh, 0x1p-26, 0},
      {F::Sinh, 0x1.fffffffffffffp-27, 0},
      {F::Sinh, 36.0, 0},
      {F::Sinh, 36.000000001, 0},
      {F::Sinh, 710.4758600739439, 0},
      {F::Sinh, -710.4758600739440, 0},
      {F::Sinh, 1e-5, 0},
      {F::Sinh, 0.25, 0},
      {F::Sinh, 0x1.0000000000001p-2, 0},
      {F::Sinh, -0x1.fffffffffffffp-3, 0},
      {F::Tanh, 0x1p-27, 0},
      {F::Tanh, 0x1.fffffffffffffp-28, 0},
      {F::Tanh, 22.0, 0},
      {F::Tanh, 19.06, 0},
      {F::Tanh, -0.5, 0},
      {F::Asinh, 0x1p-27, 0},
      {F::Asinh, 0x1p28, 0},
      {F::Asinh, 0x1.0000000000001p28, 0},
      {F::Asinh, -1e300, 0},
      {F::Asinh, 0x1.fffffffffffffp1023, 0},
      {F::Asinh, 1.0, 0},
      {F::Asinh, 0.125, 0},
      {F::Asinh, 0x1.0000000000001p-3, 0},
      {F::Asinh, -0x1.fffffffffffffp-4, 0},
      {F::Atanh, 0x1p-27, 0},
      {F::Atanh, below1, 0},
      {F::Atanh, -0.5, 0},
      {F::Atanh, 0.9999, 0},
      {F::Pow, 2.0, 0.5},
      {F::Pow, 10.0, 308.0},
      {F::Pow, 10.0, -308.0},
      {F::Pow, 10.0, -323.0},
      {F::Pow, 2.0, -1074.5},
      {F::Pow, 0.5, 1074.4},
      {F::Pow, above1, 0x1p62},
      {F::Pow, below1, -0x1p62},
      {F::Pow, 27.0, 1.0 / 3},
      {F::Pow, 2.0, 1023.9999999},
      {F::Pow, 0x1p-1074, 0.99},
      {F::Pow, 0x1.fffffffffffffp1023, 1.0000000001},
      {F::Pow, 0.995, 1.5},
      {F::Pow, 0x1.7p-1000, -1.0001},
      {F::Pow, -3.0, 41.0},
      {F::Pow, 7.0, -0.25},
  };
  for (const Case &c : cases) {
    expectReference<double>(c);
  }
  const Case floats[] = {
      {F::Log, 0x1.fffffep-1, 0}, {F::Log, 0x1p-149, 0}, {F::Log, 0x1.fffffep127, 0},
      {F::Log10, 0x1p-149, 0},    {F::Log10, 10.0, 0},   {F::Pow, 2.0, -149.0},
      {F::Pow, 2.0, -150.0},      {F::Pow, 2.0, 128.0},  {F::Pow, 4097.0, 2.0},
      {F::Pow, -3.0, 15.0},       {F::Pow, 10.0, -45.0}, {F::Pow, 0x1.fffffep-1, -0x1p30},
  };
  for (const Case &c : floats) {
    expectReference<float>(c);
  }
}

// Seeded random arguments over the library's ranges and far beyond, 12,000
// per function.
TEST(ElementaryExpLog, RandomArgumentsMatchMpfr) {
  std::mt19937_64 rng(24);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const auto spread = [&](double lo, double hi) {
    return std::exp2(lo + (hi - lo) * std::abs(unit(rng)));
  };
  for (int i = 0; i < 12000; ++i) {
    const double u = unit(rng), wide = (u < 0 ? -1 : 1) * spread(-1074, 1024);
    const Case cases[] = {
        {F::Log, std::abs(i % 2 ? wide : 1 + u * spread(-52, -2)), 0},
        {F::Log10, std::abs(i % 2 ? wide : 50 * (u + 1)), 0},
        {F::Expm1, i % 2 ? 720 * u : u * spread(-54, 2), 0},
        {F::Sinh, i % 2 ? 720 * u : u * spread(-27, 3), 0},
        {F::Tanh, i % 2 ? 25 * u : u * spread(-28, 2), 0},
        {F::Asinh, i % 2 ? wide : u * spread(-28, 4), 0},
        {F::Atanh, i % 2 ? u : u * spread(-28, 0), 0},
        {F::Pow, 10 * std::abs(u), 10 * unit(rng)},
        {F::Pow, std::abs(wide), 2 * unit(rng)},
        {F::Pow, 1 + u * spread(-40, -1), unit(rng) * spread(0, 40)},
    };
    for (const Case &c : cases) {
      expectReference<double>(c);
    }
    const Case floats[] = {
        {F::Log, spread(-149, 128), 0},
        {F::Log10, 100 * std::abs(u), 0},
        {F::Pow, 10 * std::abs(u), 20 * unit(rng)},
    };
    for (const Case &c : floats) {
      expectReference<float>(c);
    }
  }
}
