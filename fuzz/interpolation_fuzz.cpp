// Hyperbolic interpolation and the four-key spline on arbitrary values: the
// distance is symmetric and non-negative, the path starts and ends at its
// points, coincident points stay put, the spline calls its callback as
// documented and reproduces linear keys, and nothing allocates.

#include "fuzz/FuzzSupport.h"
#include "math/Interpolation.h"

#include <cmath>

using namespace orrery;

namespace {

void checkHyperbolic(fuzz::Input &in) {
  // Arbitrary values: defined, whatever they mean.
  double x = 0.0, y = 0.0;
  (void)hlerp_uhp(in.number(), in.number(), in.number(), in.number(), in.number(), &x, &y);
  (void)hlerp_uhp(in.number(), in.number(), in.number(), in.number(), in.number(), nullptr, &y);

  // Points of the half-plane at moderate heights and offsets.
  const double x1 = in.within(-1e3, 1e3);
  const double y1 = std::exp(in.within(-10.0, 10.0));
  const double x2 = in.flag() ? x1 : in.within(-1e3, 1e3);
  const double y2 = in.flag() ? y1 : std::exp(in.within(-10.0, 10.0));
  const double d = hdist_uhp(x1, y1, x2, y2);
  const double back = hdist_uhp(x2, y2, x1, y1);
  FUZZ_CHECK(d >= 0.0 && back >= 0.0);
  if (x1 == x2 && y1 == y2) {
    // Coincident points: distance 0 and the first point for every finite t.
    FUZZ_CHECK(d == 0.0);
    const double t = in.number();
    if (std::isfinite(t)) {
      FUZZ_CHECK(hlerp_uhp(x1, y1, x2, y2, t, &x, &y) == 0.0);
      FUZZ_CHECK(x == x1 && y == y1);
    }
    return;
  }
  if (d < 25.0) {
    // The disk model takes atanh of a radius within about e^-d of 1, so the
    // absolute error of the distance grows like e^d times the rounding.
    const double tolerance = 1e-14 * std::exp(d);
    FUZZ_CHECK(std::fabs(d - back) <= tolerance);
    // On a vertical line the distance is |ln(y2 / y1)|.
    if (x1 == x2) {
      FUZZ_CHECK(std::fabs(d - std::fabs(std::log(y2 / y1))) <= tolerance);
    }
    // The ends of the path.
    const double scale = y1 + y2 + std::fabs(x2 - x1);
    FUZZ_CHECK(hlerp_uhp(x1, y1, x2, y2, 0.0, &x, &y) == d);
    FUZZ_CHECK(std::fabs(x - x1) <= 1e-12 * scale && std::fabs(y - y1) <= 1e-12 * scale);
    (void)hlerp_uhp(x1, y1, x2, y2, 1.0, &x, &y);
    FUZZ_CHECK(std::fabs(x - x2) <= tolerance * scale && std::fabs(y - y2) <= tolerance * scale);
  }
}

struct SplineContext {
  int calls = 0;
  int failAt = -1;
};

bool blend(const void *a, const void *b, double w, void *out, void *context) {
  auto *c = static_cast<SplineContext *>(context);
  if (c->calls++ == c->failAt) {
    return false;
  }
  const double va = *static_cast<const double *>(a);
  const double vb = *static_cast<const double *>(b);
  *static_cast<double *>(out) = (1.0 - w) * va + w * vb;
  return true;
}

void checkSpline(fuzz::Input &in) {
  double times[4];
  double keys[4];
  for (int i = 0; i < 4; ++i) {
    times[i] = in.number();
    keys[i] = in.number();
  }
  SplineContext context;
  context.failAt = in.integer(-1, 3);
  double out = 12345.0, s01 = 0.0, s23 = 0.0;
  const bool ok = spline(times[0], &keys[0], times[1], &keys[1], times[2], &keys[2], times[3],
                         &keys[3], in.number(), blend, &context, &out, &s01, &s23);
  if (context.failAt >= 0 && context.failAt < 3) {
    FUZZ_CHECK(!ok && context.calls == context.failAt + 1 && out == 12345.0);
    return;
  }
  FUZZ_CHECK(ok && context.calls == 3);

  // Ordered times and keys on a line through the times: the spline is the
  // line itself, and it passes through key1 and key2 exactly at t1 and t2.
  double t[4];
  t[0] = in.within(-100.0, 100.0);
  for (int i = 1; i < 4; ++i) {
    t[i] = t[i - 1] + in.within(0.01, 10.0);
  }
  const double slope = in.within(-10.0, 10.0);
  const double offset = in.within(-100.0, 100.0);
  double line[4];
  for (int i = 0; i < 4; ++i) {
    line[i] = offset + slope * t[i];
  }
  SplineContext linear;
  const double at = in.within(t[1], t[2]);
  FUZZ_CHECK(spline(t[0], &line[0], t[1], &line[1], t[2], &line[2], t[3], &line[3], at, blend,
                    &linear, &out, &s01, &s23));
  const double span = (t[3] - t[0]) / std::fmin(t[2] - t[1], std::fmin(t[1] - t[0], t[3] - t[2]));
  FUZZ_CHECK(std::fabs(out - (offset + slope * at)) <=
             1e-10 * span * span *
                 (1.0 + std::fabs(offset) + 10.0 * std::fabs(slope) * (1.0 + std::fabs(at))));
  FUZZ_CHECK(spline(t[0], &line[0], t[1], &line[1], t[2], &line[2], t[3], &line[3], t[1], blend,
                    &linear, &out, &s01, &s23));
  FUZZ_CHECK(out == line[1]);
  FUZZ_CHECK(spline(t[0], &line[0], t[1], &line[1], t[2], &line[2], t[3], &line[3], t[2], blend,
                    &linear, &out, &s01, &s23));
  // At t2 the local parameter (t2 - t1) / (t2 - t1) may round below 1.
  FUZZ_CHECK(std::fabs(out - line[2]) <= 1e-12 * (1.0 + std::fabs(line[2])) * span);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return fuzz::runOne(data, size, {checkSpline, checkHyperbolic}, true);
}
