// The slow path of the elementary functions: the rare arguments whose
// rounding the fast evaluation cannot decide are computed by MPFR, which is
// correctly rounded by construction. The numbers live on the stack. The
// constants (pi, log 2) and working memory that MPFR allocates with malloc on
// the way stay in its per-thread caches for the thread's next slow call,
// which they make about four times faster; a guard frees them when the
// thread ends, so nothing outlives the thread.

#include "math/detail/DoubleDouble.h"

#include <mpfr.h>

namespace orrery::detail {
namespace {

using Unary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
using Binary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);

Unary unary(Slow f) {
  switch (f) {
  case Slow::Sin:
    return mpfr_sin;
  case Slow::Cos:
    return mpfr_cos;
  case Slow::Tan:
    return mpfr_tan;
  case Slow::Asin:
    return mpfr_asin;
  case Slow::Acos:
    return mpfr_acos;
  case Slow::Atan:
    return mpfr_atan;
  case Slow::Sinh:
    return mpfr_sinh;
  case Slow::Tanh:
    return mpfr_tanh;
  case Slow::Asinh:
    return mpfr_asinh;
  case Slow::Atanh:
    return mpfr_atanh;
  case Slow::Expm1:
    return mpfr_expm1;
  case Slow::Log:
    return mpfr_log;
  case Slow::Log10:
    return mpfr_log10;
  default:
    return nullptr;
  }
}

Binary binary(Slow f) {
  switch (f) {
  case Slow::Atan2:
    return mpfr_atan2;
  case Slow::Hypot:
    return mpfr_hypot;
  case Slow::Pow:
    return mpfr_pow;
  default:
    return nullptr;
  }
}

// A number of at most 64 bits with its significand on the stack.
struct StackNumber {
  mpfr_t value;
  mp_limb_t limbs[(64 + GMP_NUMB_BITS - 1) / GMP_NUMB_BITS];

  explicit StackNumber(mpfr_prec_t precision) {
    mpfr_custom_init(limbs, precision);
    mpfr_custom_init_set(value, MPFR_ZERO_KIND, 0, precision, limbs);
  }
};

// f(x) or f(x, y), rounded to nearest in the format with the given precision
// and exponent range, subnormals included.
template <class T>
T evaluate(Slow f, T x, T y, mpfr_prec_t precision, mpfr_exp_t emin, mpfr_exp_t emax) {
  const mpfr_exp_t savedMin = mpfr_get_emin();
  const mpfr_exp_t savedMax = mpfr_get_emax();
  mpfr_set_emin(emin);
  mpfr_set_emax(emax);
  StackNumber a(precision), b(precision), r(precision);
  mpfr_set_d(a.value, double(x), MPFR_RNDN);
  mpfr_set_d(b.value, double(y), MPFR_RNDN);
  int inexact = 0;
  if (const Unary u = unary(f)) {
    inexact = u(r.value, a.value, MPFR_RNDN);
  } else {
    inexact = binary(f)(r.value, a.value, b.value, MPFR_RNDN);
  }
  inexact = mpfr_subnormalize(r.value, inexact, MPFR_RNDN);
  const double result = mpfr_get_d(r.value, MPFR_RNDN);
  mpfr_set_emin(savedMin);
  mpfr_set_emax(savedMax);
  return static_cast<T>(result);
}

// Frees this thread's MPFR caches when the thread ends. MPFR itself never
// frees them, so a thread that made a slow call would otherwise leave them
// behind.
struct ThreadCaches {
  ThreadCaches() = default;
  ThreadCaches(const ThreadCaches &) = delete;
  ThreadCaches &operator=(const ThreadCaches &) = delete;
  ~ThreadCaches() {
    mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);
    mpfr_mp_memory_cleanup();
  }
};

// Registers the guard on the thread's first slow call; a thread that never
// makes one registers nothing.
void keepCachesUntilThreadEnds() { thread_local const ThreadCaches caches; }

} // namespace

#ifdef ORRERY_ELEMENTARY_STATS
// Calls of the slow path on this thread. Only the accuracy program
// (scripts/elementary-accuracy.sh) and the fuzzing build, which compile the
// sources themselves with this defined, count them; the library as built
// carries no counter.
thread_local unsigned long long slowCalls = 0;
#endif

namespace {
void countCall() {
#ifdef ORRERY_ELEMENTARY_STATS
  ++slowCalls;
#endif
}
} // namespace

double correctlyRounded(Slow f, double x, double y) {
  countCall();
  keepCachesUntilThreadEnds();
  return evaluate<double>(f, x, y, 53, -1073, 1024);
}
float correctlyRounded(Slow f, float x, float y) {
  countCall();
  keepCachesUntilThreadEnds();
  return evaluate<float>(f, x, y, 24, -148, 128);
}

} // namespace orrery::detail
