#include "math/Interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using namespace orrery;

namespace {

constexpr double kE = 2.718281828459045;

// Independent closed form of the half-plane distance.
double acoshDistance(double x1, double y1, double x2, double y2) {
  return std::acosh(1.0 + ((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1)) / (2.0 * y1 * y2));
}

TEST(Hyperbolic, DistanceAndPointsFollowTheGeodesicAtTheFraction) {
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> x(-5.0, 5.0), logY(-3.0, 3.0);
  for (int i = 0; i < 300; ++i) {
    const double x1 = x(rng), y1 = std::exp(logY(rng)), x2 = x(rng), y2 = std::exp(logY(rng));
    const double d = acoshDistance(x1, y1, x2, y2);
    EXPECT_NEAR(hdist_uhp(x1, y1, x2, y2), d, 1e-12 * (1.0 + d));
    for (double t : {0.2, 0.9, 1.0, 1.5, -0.4}) {
      double px, py;
      hlerp_uhp(x1, y1, x2, y2, t, &px, &py);
      // Distances add up along the geodesic and nowhere else.
      EXPECT_NEAR(acoshDistance(x1, y1, px, py), std::fabs(t) * d, 2e-9 * (1.0 + d));
      EXPECT_NEAR(acoshDistance(px, py, x2, y2), std::fabs(1.0 - t) * d, 2e-9 * (1.0 + d));
    }
  }
}

TEST(Hyperbolic, VerticalMidpointArcingPathAndOptionalOutputs) {
  double x, y;
  EXPECT_NEAR(hlerp_uhp(0, 1, 0, kE * kE, 0.5, &x, &y), 2.0, 4e-16);
  EXPECT_NEAR(x, 0.0, 1e-15);
  EXPECT_NEAR(y, kE, 4e-15); // the geometric mean height
  // Equal heights: the half-circle about (1, 0) through both points. Either
  // output may be null (no x: the interpolation fuzz harness).
  double only = -1.0;
  hlerp_uhp(0, 1, 2, 1, 0.5, &only, nullptr);
  EXPECT_NEAR(only, 1.0, 1e-15);
}

TEST(Hyperbolic, FirstOrderFormsOnlyWhileBothTermsRoundAway) {
  // Coincident: r = 0, no 0 / 0; s2 t t is formed as (s2 t) t, which stays 0
  // for any finite t. An infinite t takes the general branch: 0 / 0.
  const double inf = std::numeric_limits<double>::infinity();
  for (double t : {0.0, 0.3, -7.0, 1e6, 1e155, -1e300, std::numeric_limits<double>::max(), -inf}) {
    double x = 0, y = 0, d = hlerp_uhp(2.5, 0.75, 2.5, 0.75, t, &x, &y);
    EXPECT_TRUE(d == 0.0 && (t == -inf ? std::isnan(x) && std::isnan(y) : x == 2.5 && y == 0.75))
        << t;
  }
  // 1e-10 apart, extrapolated 1e9 times: s2 t^2 no longer rounds away, and
  // only tanh keeps the point on the geodesic (t would overshoot by 8e-5).
  double x, y;
  const double d = hlerp_uhp(0, 1, 1e-10, 1, 1e9, &x, &y);
  EXPECT_NEAR(acoshDistance(0, 1, x, y), 1e9 * d, 1e-7);
}

// Linear scalar blend that records its weights and can fail at a given call.
struct Recorder {
  std::vector<double> weights;
  std::size_t failAt = SIZE_MAX; // never
};

bool blendScalars(const void *a, const void *b, double w, void *out, void *context) {
  auto *rec = static_cast<Recorder *>(context);
  rec->weights.push_back(w);
  if (rec->weights.size() == rec->failAt + 1) {
    return false;
  }
  const double va = *static_cast<const double *>(a), vb = *static_cast<const double *>(b);
  *static_cast<double *>(out) = (1.0 - w) * va + w * vb;
  return true;
}

double evalSpline(const double (&ts)[4], const double (&ks)[4], double t, Recorder &rec, bool &ok) {
  double out = -99.0, s01 = 0.0, s23 = 0.0;
  ok = spline(ts[0], &ks[0], ts[1], &ks[1], ts[2], &ks[2], ts[3], &ks[3], t, blendScalars, &rec,
              &out, &s01, &s23);
  return out;
}

// Hermite through key1 and key2 with the slopes of the quadratics through
// (t0, t1, t2) and (t1, t2, t3) at the inner keys, from Lagrange's formula.
double catmullRom(const double (&ts)[4], const double (&ks)[4], double t) {
  auto slope = [](double ta, double ka, double tb, double kb, double tc, double kc) {
    return ka * (tb - tc) / ((ta - tb) * (ta - tc)) +
           kb * (2 * tb - ta - tc) / ((tb - ta) * (tb - tc)) +
           kc * (tb - ta) / ((tc - ta) * (tc - tb));
  };
  const double h = ts[2] - ts[1], s = (t - ts[1]) / h;
  const double m1 = slope(ts[0], ks[0], ts[1], ks[1], ts[2], ks[2]) * h;
  const double m2 = slope(ts[1], ks[1], ts[2], ks[2], ts[3], ks[3]) * h;
  return (2 * s * s * s - 3 * s * s + 1) * ks[1] + (s * s * s - 2 * s * s + s) * m1 +
         (3 * s * s - 2 * s * s * s) * ks[2] + (s * s * s - s * s) * m2;
}

TEST(Spline, MatchesNonUniformCatmullRomAndHitsInnerKeysExactly) {
  const double even[4] = {0, 1, 2, 3}, keys[4] = {0.3, 1.7, -2.2, 5.0};
  Recorder rec;
  bool ok;
  EXPECT_EQ(evalSpline(even, keys, 1.0, rec, ok), 1.7);
  EXPECT_EQ(evalSpline(even, keys, 2.0, rec, ok), -2.2);
  // Weights at t1 then t2: a pair with no weight blends at 0.5.
  EXPECT_EQ(rec.weights, (std::vector<double>{1.0, 0.5, 0.0, 0.5, 0.0, 1.0}));
  std::mt19937_64 rng(29);
  std::uniform_real_distribution<double> gap(0.1, 3.0), key(-10.0, 10.0), frac(-0.2, 1.2);
  for (int i = 0; i < 300; ++i) {
    double ts[4] = {key(rng)};
    for (int k = 1; k < 4; ++k) {
      ts[k] = ts[k - 1] + gap(rng);
    }
    const double ks[4] = {key(rng), key(rng), key(rng), key(rng)};
    const double t = ts[1] + frac(rng) * (ts[2] - ts[1]), ref = catmullRom(ts, ks, t);
    EXPECT_NEAR(evalSpline(ts, ks, t, rec, ok), ref, 1e-9 * (1.0 + std::fabs(ref)));
  }
}

TEST(Spline, StopsAtTheFirstFailingBlendAndLeavesOutUntouched) {
  const double ts[4] = {0, 1, 2, 4}, ks[4] = {1, 2, 3, 4};
  for (std::size_t failAt = 0; failAt < 3; ++failAt) {
    Recorder rec{{}, failAt};
    bool ok = true;
    EXPECT_EQ(evalSpline(ts, ks, 1.25, rec, ok), -99.0);
    EXPECT_TRUE(!ok && rec.weights.size() == failAt + 1) << failAt;
  }
}

} // namespace
