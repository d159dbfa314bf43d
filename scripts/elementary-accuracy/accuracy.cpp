// The elementary functions against MPFR, correctly rounded to nearest at 53
// bits (24 for float): for each function, N seeded random arguments over the
// library's ranges and beyond plus the hard cases (near multiples of pi/4,
// huge, tiny and subnormal, +-0, +-inf, NaN, branch boundaries, each with its
// neighbours). Prints per function the mismatches with MPFR and the worst
// error in ulp, the C library's own on the same arguments, the share of calls
// that took the slow path, and the time per call on each path.
//
// Built by scripts/elementary-accuracy.sh from the library sources with
// ORRERY_ELEMENTARY_STATS, under which the slow path counts its calls.
//
//   accuracy [N [FUNCTION]]   N per function (default 10000000), one function
//   accuracy --verify         reads lines "FUNCTION X Y RESULT..." (X, Y in %a,
//                             RESULT in hex bits: what `golden --expand`
//                             prints) and says whether each is MPFR's

#include "math/Elementary.h"
#include "tests/golden/Draw.h"

#include <mpfr.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <time.h>
#include <vector>

namespace orrery::detail {
extern thread_local unsigned long long slowCalls;
}

namespace {

namespace e = orrery::elementary;
using orrery::detail::slowCalls;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using orrery::golden::Draw;

enum class Kind { None, Angle, Unit, Real, Positive };

// Mostly the library's range |x| < 2^k, then wider ranges and hard regions.
double argument(Draw &d, Kind kind, int k, int lo, int hi) {
  const int slot = int(d.next() % 16);
  switch (kind) {
  case Kind::Angle:
    return slot < 10   ? d.within(k)
           : slot < 12 ? d.near(0x1.921fb54442d18p-1, slot == 10 ? 8 : 30)
           : slot < 14 ? d.within(20)
           : slot < 15 ? d.magnitude(20, hi)
                       : d.magnitude(lo, -20);
  case Kind::Unit:
    return slot < 10   ? d.within(0)
           : slot < 12 ? std::copysign(1.0, d.within(0)) - d.within(-20)
           : slot < 13 ? d.near(0.5, 1)
           : slot < 15 ? d.magnitude(lo, -1)
                       : d.magnitude(-3, 4);
  case Kind::Real:
    return slot < 10   ? d.within(k)
           : slot < 12 ? d.within(k + 4)
           : slot < 13 ? d.within(10)
           : slot < 14 ? d.magnitude(lo, -20)
                       : d.magnitude(-20, hi);
  case Kind::Positive:
    return slot < 6    ? std::fabs(d.magnitude(lo, hi))
           : slot < 10 ? 1.0 + d.within(-4)
           : slot < 12 ? 1.0 + d.within(-30)
           : slot < 15 ? std::fabs(d.within(k))
                       : -std::fabs(d.magnitude(lo, hi));
  case Kind::None:
    break;
  }
  return 2.0;
}

// Centres of the hard cases, each tried with its 8 neighbours either side.
std::vector<double> hardCentres(Kind kind, bool single) {
  std::vector<double> c = {0.0, kInf, std::numeric_limits<double>::min(), 1.0, 0.5, 2.0};
  c.push_back(single ? double(std::numeric_limits<float>::denorm_min())
                     : std::numeric_limits<double>::denorm_min());
  c.push_back(single ? double(std::numeric_limits<float>::max())
                     : std::numeric_limits<double>::max());
  for (int ex = -60; ex <= 60; ex += 2) {
    c.push_back(std::ldexp(1.0, ex));
  }
  switch (kind) {
  case Kind::Angle:
    for (int k = 1; k <= 256; ++k) {
      c.push_back(k * 0x1.921fb54442d18p-1);
    }
    c.push_back(0x1.6ac5b262ca1ffp+849); // the double nearest a multiple of pi/2
    c.push_back(0x1.921fb54442d18p+1023);
    break;
  case Kind::Unit:
    for (const double x : {0x1p-26, 0x1p-27, 0.125, 0.25, 0.4, 0.5625, 0.75, 0.875, 0.9375}) {
      c.push_back(x);
    }
    break;
  case Kind::Real:
    for (const double x :
         {0x1p-26, 0x1p-28, 0.125, 0.25, 0.5493, 0.6931471805599453, 1.5, 3.0, 19.0, 22.0, 37.4,
          44.0, 709.782712893384, 710.4758600739439, -745.1332191019412, 1e300}) {
      c.push_back(x);
    }
    break;
  case Kind::Positive:
    for (double p = 10.0; p < 1e300; p *= 10.0) {
      c.push_back(p);
    }
    c.push_back(2.718281828459045);
    break;
  case Kind::None:
    break;
  }
  std::vector<double> out;
  for (const double x : c) {
    for (const double s : {x, -x}) {
      double lower = s;
      double upper = s;
      out.push_back(s);
      for (int i = 0; i < 8; ++i) {
        lower = std::nextafter(lower, -kInf);
        upper = std::nextafter(upper, kInf);
        out.push_back(lower);
        out.push_back(upper);
      }
    }
  }
  out.push_back(kNaN);
  return out;
}

using MpfrUnary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
using MpfrBinary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);

struct Function {
  const char *name;
  Kind kx, ky;
  int k;          // the library's range: |x| < 2^k
  bool single;    // a float function
  int outputs;    // 2 for sincos
  MpfrUnary u[2]; // the references (unary), or
  MpfrBinary b;   // the reference (binary)
  void (*ours)(double, double, double *);
  void (*libc)(double, double, double *);
};

#define UNARY(f) [](double x, double, double *r) { r[0] = f(x); }
#define UNARYF(f) [](double x, double, double *r) { r[0] = f(float(x)); }
#define BINARY(f) [](double x, double y, double *r) { r[0] = f(x, y); }
#define BINARYF(f) [](double x, double y, double *r) { r[0] = f(float(x), float(y)); }

using Evaluation = void (*)(double, double, double *);

Function unary(const char *name, Kind kx, int k, MpfrUnary u, Evaluation ours, Evaluation libc,
               bool single = false) {
  return {name, kx, Kind::None, k, single, 1, {u, nullptr}, nullptr, ours, libc};
}
Function binary(const char *name, Kind kx, Kind ky, int k, MpfrBinary b, Evaluation ours,
                Evaluation libc, bool single = false) {
  return {name, kx, ky, k, single, 1, {nullptr, nullptr}, b, ours, libc};
}

const Function kFunctions[] = {
    unary("sin", Kind::Angle, 3, mpfr_sin, UNARY(e::sin), UNARY(std::sin)),
    unary("cos", Kind::Angle, 3, mpfr_cos, UNARY(e::cos), UNARY(std::cos)),
    {"sincos",
     Kind::Angle,
     Kind::None,
     3,
     false,
     2,
     {mpfr_sin, mpfr_cos},
     nullptr,
     [](double x, double, double *r) { e::sincos(x, r[0], r[1]); },
     [](double x, double, double *r) { ::sincos(x, &r[0], &r[1]); }},
    unary("tan", Kind::Angle, 1, mpfr_tan, UNARY(e::tan), UNARY(std::tan)),
    unary("asin", Kind::Unit, 0, mpfr_asin, UNARY(e::asin), UNARY(std::asin)),
    unary("acos", Kind::Unit, 0, mpfr_acos, UNARY(e::acos), UNARY(std::acos)),
    unary("atan", Kind::Real, 3, mpfr_atan, UNARY(e::atan), UNARY(std::atan)),
    binary("atan2", Kind::Real, Kind::Real, 3, mpfr_atan2, BINARY(e::atan2), BINARY(std::atan2)),
    binary("hypot", Kind::Real, Kind::Real, 3, mpfr_hypot, BINARY(e::hypot), BINARY(std::hypot)),
    unary("sinh", Kind::Real, 3, mpfr_sinh, UNARY(e::sinh), UNARY(std::sinh)),
    unary("tanh", Kind::Real, 2, mpfr_tanh, UNARY(e::tanh), UNARY(std::tanh)),
    unary("asinh", Kind::Real, 3, mpfr_asinh, UNARY(e::asinh), UNARY(std::asinh)),
    unary("atanh", Kind::Unit, 0, mpfr_atanh, UNARY(e::atanh), UNARY(std::atanh)),
    unary("expm1", Kind::Real, 3, mpfr_expm1, UNARY(e::expm1), UNARY(std::expm1)),
    unary("log", Kind::Positive, 8, mpfr_log, UNARY(e::log), UNARY(std::log)),
    unary("log10", Kind::Positive, 8, mpfr_log10, UNARY(e::log10), UNARY(std::log10)),
    binary("pow", Kind::Positive, Kind::Real, 3, mpfr_pow, BINARY(e::pow), BINARY(std::pow)),
    unary("asinf", Kind::Unit, 0, mpfr_asin, UNARYF(e::asin), UNARYF(std::asin), true),
    unary("acosf", Kind::Unit, 0, mpfr_acos, UNARYF(e::acos), UNARYF(std::acos), true),
    unary("logf", Kind::Positive, 8, mpfr_log, UNARYF(e::log), UNARYF(std::log), true),
    unary("log10f", Kind::Positive, 8, mpfr_log10, UNARYF(e::log10), UNARYF(std::log10), true),
    binary("powf", Kind::Positive, Kind::Real, 3, mpfr_pow, BINARYF(e::pow), BINARYF(std::pow),
           true),
};

// f(x, y) with MPFR at 'precision' bits: correctly rounded to the format
// (subnormals included) for the format's precision, else just precise.
double reference(const Function &f, int which, double x, double y, bool single, int precision) {
  const bool format = precision == (single ? 24 : 53);
  const mpfr_exp_t savedMin = mpfr_get_emin();
  const mpfr_exp_t savedMax = mpfr_get_emax();
  if (format) {
    mpfr_set_emin(single ? -148 : -1073);
    mpfr_set_emax(single ? 128 : 1024);
  }
  mpfr_t a, b, r;
  mpfr_inits2(64, a, b, static_cast<mpfr_ptr>(nullptr));
  mpfr_init2(r, precision);
  mpfr_set_d(a, x, MPFR_RNDN);
  mpfr_set_d(b, y, MPFR_RNDN);
  int t = f.b != nullptr ? f.b(r, a, b, MPFR_RNDN) : f.u[which](r, a, MPFR_RNDN);
  if (format) {
    t = mpfr_subnormalize(r, t, MPFR_RNDN);
  }
  const double v = mpfr_get_d(r, MPFR_RNDN);
  mpfr_clears(a, b, r, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_emin(savedMin);
  mpfr_set_emax(savedMax);
  return single && format ? double(float(v)) : v;
}

bool same(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// |got - exact| in units in the last place of the correctly rounded result.
double ulpError(const Function &f, int which, double x, double y, double got, double rounded) {
  if (std::isnan(got) || std::isnan(rounded) || std::isinf(got) || std::isinf(rounded)) {
    return kInf;
  }
  const int minExp = f.single ? -149 : -1074;
  const int bits = f.single ? 24 : 53;
  int ex = 0;
  std::frexp(rounded, &ex);
  const int ulpExp = rounded == 0.0 ? minExp : std::max(ex - bits, minExp);
  mpfr_t exact, g;
  mpfr_init2(exact, 200);
  mpfr_init2(g, 200);
  mpfr_t a, b;
  mpfr_inits2(64, a, b, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(a, x, MPFR_RNDN);
  mpfr_set_d(b, y, MPFR_RNDN);
  if (f.b != nullptr) {
    f.b(exact, a, b, MPFR_RNDN);
  } else {
    f.u[which](exact, a, MPFR_RNDN);
  }
  mpfr_clears(a, b, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(g, got, MPFR_RNDN);
  mpfr_sub(g, g, exact, MPFR_RNDN);
  mpfr_abs(g, g, MPFR_RNDN);
  mpfr_mul_2si(g, g, -ulpExp, MPFR_RNDN);
  const double err = mpfr_get_d(g, MPFR_RNDU);
  mpfr_clears(exact, g, static_cast<mpfr_ptr>(nullptr));
  return err;
}

struct Tally {
  long mismatches = 0, libcMismatches = 0, slow = 0;
  double worst = 0, libcWorst = 0;
  double worstX = 0, worstY = 0;
  void add(const Tally &o) {
    mismatches += o.mismatches;
    libcMismatches += o.libcMismatches;
    slow += o.slow;
    if (o.worst > worst) {
      worst = o.worst;
      worstX = o.worstX;
      worstY = o.worstY;
    }
    libcWorst = std::max(libcWorst, o.libcWorst);
  }
};

void check(const Function &f, const std::vector<double> &xs, const std::vector<double> &ys,
           std::size_t from, std::size_t to, Tally &t, std::vector<char> &slowFlags) {
  for (std::size_t i = from; i < to; ++i) {
    double ours[2] = {0, 0};
    double libc[2] = {0, 0};
    const unsigned long long before = slowCalls;
    f.ours(xs[i], ys[i], ours);
    slowFlags[i] = slowCalls != before ? 1 : 0;
    t.slow += slowFlags[i];
    f.libc(xs[i], ys[i], libc);
    bool oursOff = false;
    bool libcOff = false;
    for (int w = 0; w < f.outputs; ++w) {
      const double r = reference(f, w, xs[i], ys[i], f.single, f.single ? 24 : 53);
      if (!same(ours[w], r)) {
        oursOff = true;
        const double err = ulpError(f, w, xs[i], ys[i], ours[w], r);
        if (err > t.worst) {
          t.worst = err;
          t.worstX = xs[i];
          t.worstY = ys[i];
        }
      }
      if (!same(libc[w], r)) {
        libcOff = true;
        t.libcWorst = std::max(t.libcWorst, ulpError(f, w, xs[i], ys[i], libc[w], r));
      }
    }
    t.mismatches += oursOff ? 1 : 0;
    t.libcMismatches += libcOff ? 1 : 0;
  }
}

// This thread's CPU time in nanoseconds: other processes on a shared
// machine do not count.
double cpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// Nanoseconds per call of op over the selected arguments: the fastest of
// five passes.
template <class Op>
double timePerCall(const std::vector<double> &xs, const std::vector<double> &ys,
                   const std::vector<std::size_t> &which, Op op) {
  if (which.empty()) {
    return 0.0;
  }
  double best = kInf;
  for (int pass = 0; pass < 5; ++pass) {
    double sink = 0;
    const double t0 = cpuNs();
    for (const std::size_t i : which) {
      double r[2] = {0, 0};
      op(xs[i], ys[i], r);
      sink += r[0];
    }
    best = std::min(best, cpuNs() - t0);
    volatile double keep = sink;
    (void)keep;
  }
  return best / double(which.size());
}

bool hexFloat(const std::string &t) {
  return t.find("0x") != std::string::npos || t == "inf" || t == "-inf";
}

// Checks each line "FUNCTION X Y RESULT..." of the input against MPFR.
int verify() {
  char text[512];
  long checked = 0;
  long wrong = 0;
  while (std::fgets(text, sizeof text, stdin) != nullptr) {
    std::vector<std::string> w;
    for (char *t = std::strtok(text, " \n"); t != nullptr; t = std::strtok(nullptr, " \n")) {
      w.emplace_back(t);
    }
    const Function *f = nullptr;
    for (const Function &g : kFunctions) {
      f = !w.empty() && w[0] == g.name ? &g : f;
    }
    if (f == nullptr || w.size() != std::size_t(3 + f->outputs) || !hexFloat(w[1]) ||
        !hexFloat(w[2])) {
      continue;
    }
    const double x = std::strtod(w[1].c_str(), nullptr);
    const double y = std::strtod(w[2].c_str(), nullptr);
    std::printf("%s %a %a:", f->name, x, y);
    for (int k = 0; k < f->outputs; ++k) {
      const std::uint64_t b = std::strtoull(w[3 + std::size_t(k)].c_str(), nullptr, 16);
      const double got = w[3 + std::size_t(k)] == "nan" ? kNaN
                         : f->single ? double(std::bit_cast<float>(std::uint32_t(b)))
                                     : std::bit_cast<double>(b);
      const double r = reference(*f, k, x, y, f->single, f->single ? 24 : 53);
      ++checked;
      if (same(got, r)) {
        std::printf(" correctly rounded");
      } else {
        ++wrong;
        std::printf(" NOT correctly rounded (%a, MPFR %a, %.3g ulp)", got, r,
                    ulpError(*f, k, x, y, got, r));
      }
    }
    std::printf("\n");
  }
  std::printf("%ld of %ld results not correctly rounded\n", wrong, checked);
  return wrong == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::string(argv[1]) == "--verify") {
    return verify();
  }
  const long n = argc > 1 ? std::atol(argv[1]) : 10000000;
  const std::string only = argc > 2 ? argv[2] : "";
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::printf("%-7s %10s %9s %9s %11s %9s %8s %9s %9s %9s  %s\n", "fn", "args", "wrong", "worst",
              "libc wrong", "worst", "slow%", "fast ns", "slow ns", "libc ns", "worst at");
  bool clean = true;
  for (const Function &f : kFunctions) {
    if (!only.empty() && only != f.name) {
      continue;
    }
    std::uint64_t seed = 0xacc;
    for (const char *c = f.name; *c != 0; ++c) {
      seed = seed * 131 + std::uint64_t(*c);
    }
    Draw d{seed};
    const int lo = f.single ? -149 : -1074;
    const int hi = f.single ? 127 : 1023;
    std::vector<double> xs;
    std::vector<double> ys;
    const std::vector<double> hard = hardCentres(f.kx, f.single);
    const std::vector<double> hardY =
        f.ky == Kind::None ? std::vector<double>{2.0} : hardCentres(f.ky, f.single);
    for (const double x : hard) { // hard x against a few hard y, then the reverse
      for (std::size_t j = 0; j < hardY.size(); j += hardY.size() / 7 + 1) {
        xs.push_back(x);
        ys.push_back(hardY[j]);
      }
    }
    if (f.ky != Kind::None) {
      for (const double y : hardY) {
        for (const double x : {1.0, -1.0, 0.5, 2.0, -2.0, 0.0, -0.0, 10.0, 0x1p-1074, kInf}) {
          xs.push_back(x);
          ys.push_back(y);
        }
      }
    }
    for (long i = 0; i < n; ++i) {
      xs.push_back(argument(d, f.kx, f.k, lo, hi));
      ys.push_back(f.ky == Kind::None ? 2.0 : argument(d, f.ky, f.k, lo, hi));
    }
    if (f.single) {
      for (std::size_t i = 0; i < xs.size(); ++i) {
        xs[i] = double(float(xs[i]));
        ys[i] = double(float(ys[i]));
      }
    }
    std::vector<char> slowFlags(xs.size());
    std::vector<Tally> tallies(threads);
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) {
      pool.emplace_back([&, t] {
        check(f, xs, ys, xs.size() * t / threads, xs.size() * (t + 1) / threads, tallies[t],
              slowFlags);
      });
    }
    Tally all;
    for (unsigned t = 0; t < threads; ++t) {
      pool[t].join();
      all.add(tallies[t]);
    }
    // Times over the random arguments only: the library's ranges and beyond.
    const std::size_t first = xs.size() - std::size_t(n);
    std::vector<std::size_t> fast;
    std::vector<std::size_t> slow;
    std::vector<std::size_t> every;
    for (std::size_t i = first; i < xs.size(); ++i) {
      (slowFlags[i] != 0 ? slow : fast).push_back(i);
      every.push_back(i);
    }
    const double fastNs = timePerCall(xs, ys, fast, f.ours);
    const double slowNs = timePerCall(xs, ys, slow, f.ours);
    const double libcNs = timePerCall(xs, ys, every, f.libc);
    clean = clean && all.mismatches == 0;
    char at[80] = "";
    if (all.mismatches > 0 && f.ky == Kind::None) {
      std::snprintf(at, sizeof at, "%a", all.worstX);
    } else if (all.mismatches > 0) {
      std::snprintf(at, sizeof at, "%a, %a", all.worstX, all.worstY);
    }
    std::printf("%-7s %10zu %9ld %9.3g %11ld %9.3g %8.4f %9.1f %9.1f %9.1f  %s\n", f.name,
                xs.size(), all.mismatches, all.mismatches > 0 ? all.worst : 0.5, all.libcMismatches,
                all.libcMismatches > 0 ? all.libcWorst : 0.5,
                100.0 * double(all.slow) / double(xs.size()), fastNs, slowNs, libcNs, at);
    std::fflush(stdout);
  }
  std::printf("worst: error in ulp of the correctly rounded result (0.5 when none differs); "
              "slow%%: share of calls on the slow path; CPU time per call over the random "
              "arguments\n");
  return clean ? 0 : 1;
}
