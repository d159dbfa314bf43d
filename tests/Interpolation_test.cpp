#include "math/Interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace orrery;

namespace {

constexpr double kE = 2.718281828459045;

// Independent closed form of the half-plane distance.
double closedFormDistance(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1, dy = y2 - y1;
  return std::acosh(1.0 + (dx * dx + dy * dy) / (2.0 * y1 * y2));
}

TEST(Hyperbolic, DistanceMatchesTheArccoshClosedForm) {
  EXPECT_NEAR(hdist_uhp(0, 1, 0, kE), 1.0, 2e-16);
  EXPECT_EQ(hdist_uhp(5, 2, 5, 2), 0.0);
  EXPECT_NEAR(hdist_uhp(3, 7, 3, 7 * kE * kE), 2.0, 4e-16);
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> x(-5.0, 5.0), logY(-3.0, 3.0);
  for (int i = 0; i < 1000; ++i) {
    const double x1 = x(rng), y1 = std::exp(logY(rng)), x2 = x(rng), y2 = std::exp(logY(rng));
    const double ref = closedFormDistance(x1, y1, x2, y2);
    EXPECT_NEAR(hdist_uhp(x1, y1, x2, y2), ref, 1e-12 * (1.0 + ref)) << x1 << " " << y1;
    // Symmetric, and invariant under the half-plane's translations and scalings.
    EXPECT_NEAR(hdist_uhp(x2, y2, x1, y1), ref, 1e-12 * (1.0 + ref));
    EXPECT_NEAR(hdist_uhp(3 * x1 + 1, 3 * y1, 3 * x2 + 1, 3 * y2), ref, 1e-12 * (1.0 + ref));
  }
}

TEST(Hyperbolic, InterpolatedPointsLieOnTheGeodesicAtTheFraction) {
  std::mt19937_64 rng(23);
  std::uniform_real_distribution<double> x(-5.0, 5.0), logY(-3.0, 3.0);
  for (int i = 0; i < 300; ++i) {
    const double x1 = x(rng), y1 = std::exp(logY(rng)), x2 = x(rng), y2 = std::exp(logY(rng));
    const double d = closedFormDistance(x1, y1, x2, y2);
    for (double t : {0.2, 0.5, 0.9, 1.5, -0.4}) {
      double px, py;
      const double got = hlerp_uhp(x1, y1, x2, y2, t, &px, &py);
      EXPECT_NEAR(got, d, 1e-12 * (1.0 + d));
      // Distances add up along a geodesic and nowhere else.
      const double tol = 2e-9 * (1.0 + d);
      EXPECT_NEAR(closedFormDistance(x1, y1, px, py), std::fabs(t) * d, tol);
      EXPECT_NEAR(closedFormDistance(px, py, x2, y2), std::fabs(1.0 - t) * d, tol);
    }
  }
}

TEST(Hyperbolic, EndpointsVerticalMidpointAndArcingPath) {
  double x, y;
  EXPECT_NEAR(hlerp_uhp(0, 1, 0, kE * kE, 0.5, &x, &y), 2.0, 4e-16);
  EXPECT_NEAR(x, 0.0, 1e-15);
  EXPECT_NEAR(y, kE, 4e-15); // the geometric mean of the heights
  // Equal heights: the geodesic is the half-circle about (1, 0) of radius sqrt 2.
  hlerp_uhp(0, 1, 2, 1, 0.5, &x, &y);
  EXPECT_NEAR(x, 1.0, 1e-15);
  EXPECT_NEAR(y, std::sqrt(2.0), 1e-15);
  hlerp_uhp(-1.5, 0.3, 4.0, 2.5, 0.0, &x, &y);
  EXPECT_NEAR(x, -1.5, 1e-15);
  EXPECT_NEAR(y, 0.3, 1e-15);
  hlerp_uhp(-1.5, 0.3, 4.0, 2.5, 1.0, &x, &y);
  EXPECT_NEAR(x, 4.0, 1e-13);
  EXPECT_NEAR(y, 2.5, 1e-13);
  // Each output is optional on its own.
  double only = -1.0;
  hlerp_uhp(0, 1, 2, 1, 0.5, nullptr, &only);
  EXPECT_NEAR(only, std::sqrt(2.0), 1e-15);
  only = -1.0;
  hlerp_uhp(0, 1, 2, 1, 0.5, &only, nullptr);
  EXPECT_NEAR(only, 1.0, 1e-15);
}

TEST(Hyperbolic, NearCoincidenceUsesFirstOrderFormsOnlyWhileBothTermsRoundAway) {
  // Coincident points: r = 0 would be 0 / 0 in the general branch.
  for (double t : {0.0, 0.3, 1.0, -7.0, 1e6}) {
    double x = 0, y = 0;
    EXPECT_EQ(hlerp_uhp(2.5, 0.75, 2.5, 0.75, t, &x, &y), 0.0);
    EXPECT_EQ(x, 2.5);
    EXPECT_EQ(y, 0.75);
  }
  // Points 1e-10 apart (s2 about 2.5e-21) extrapolated a billion times: s2 t^2
  // no longer rounds away, and only tanh keeps the point on the geodesic.
  const double x1 = 0.0, y1 = 1.0, x2 = 1e-10, y2 = 1.0, t = 1e9;
  double x, y;
  const double d = hlerp_uhp(x1, y1, x2, y2, t, &x, &y);
  EXPECT_NEAR(d, 1e-10, 1e-22);
  EXPECT_NEAR(closedFormDistance(x1, y1, x, y), t * d, 1e-7);
  // Without the extrapolation the first-order forms are exact to rounding.
  hlerp_uhp(x1, y1, x2, y2, 0.5, &x, &y);
  EXPECT_NEAR(x, 5e-11, 1e-26);
  EXPECT_NEAR(y, 1.0, 1e-16);
}

// Linear blend of scalars that records its calls and can fail at a given call.
struct Recorder {
  std::vector<double> weights;
  int failAt = -1;
};

bool blendScalars(const void *a, const void *b, double w, void *out, void *context) {
  auto *rec = static_cast<Recorder *>(context);
  if (static_cast<int>(rec->weights.size()) == rec->failAt) {
    rec->weights.push_back(w);
    return false;
  }
  rec->weights.push_back(w);
  const double va = *static_cast<const double *>(a), vb = *static_cast<const double *>(b);
  *static_cast<double *>(out) = (1.0 - w) * va + w * vb;
  return true;
}

double evalSpline(const double (&times)[4], const double (&keys)[4], double t, Recorder &rec,
                  bool *ok = nullptr) {
  double out = -99.0, s01 = 0.0, s23 = 0.0;
  const bool r = spline(times[0], &keys[0], times[1], &keys[1], times[2], &keys[2], times[3],
                        &keys[3], t, blendScalars, &rec, &out, &s01, &s23);
  if (ok != nullptr) {
    *ok = r;
  }
  return out;
}

// Hermite through key1 and key2 with tangents of the quadratics through
// (t0, t1, t2) and (t1, t2, t3), written from Lagrange's derivative formula.
double catmullRomReference(const double (&ts)[4], const double (&ks)[4], double t) {
  auto quadSlope = [](double ta, double ka, double tb, double kb, double tc, double kc) {
    // Derivative at tb of the quadratic through the three points.
    return ka * (tb - tc) / ((ta - tb) * (ta - tc)) +
           kb * ((tb - ta) + (tb - tc)) / ((tb - ta) * (tb - tc)) +
           kc * (tb - ta) / ((tc - ta) * (tc - tb));
  };
  const double h = ts[2] - ts[1];
  const double m1 = quadSlope(ts[0], ks[0], ts[1], ks[1], ts[2], ks[2]) * h;
  const double m2 = quadSlope(ts[1], ks[1], ts[2], ks[2], ts[3], ks[3]) * h;
  const double s = (t - ts[1]) / h;
  return (2 * s * s * s - 3 * s * s + 1) * ks[1] + (s * s * s - 2 * s * s + s) * m1 +
         (-2 * s * s * s + 3 * s * s) * ks[2] + (s * s * s - s * s) * m2;
}

TEST(Spline, PassesThroughTheInnerKeysExactlyWithTheDegeneratePairAtMidBlend) {
  const double times[4] = {0, 1, 2, 3};
  const double keys[4] = {0.3, 1.7, -2.2, 5.0};
  Recorder rec;
  EXPECT_EQ(evalSpline(times, keys, 1.0, rec), 1.7);
  EXPECT_EQ(rec.weights, (std::vector<double>{1.0, 0.5, 0.0}));
  rec.weights.clear();
  EXPECT_EQ(evalSpline(times, keys, 2.0, rec), -2.2);
  EXPECT_EQ(rec.weights, (std::vector<double>{0.5, 0.0, 1.0}));
  rec.weights.clear();
  const double line[4] = {0, 1, 2, 3};
  EXPECT_NEAR(evalSpline(times, line, 1.5, rec), 1.5, 1e-15);
}

TEST(Spline, MatchesNonUniformCatmullRomWeights) {
  std::mt19937_64 rng(29);
  std::uniform_real_distribution<double> gap(0.1, 3.0), key(-10.0, 10.0), frac(-0.2, 1.2);
  for (int i = 0; i < 500; ++i) {
    double times[4];
    times[0] = key(rng);
    for (int k = 1; k < 4; ++k) {
      times[k] = times[k - 1] + gap(rng);
    }
    const double keys[4] = {key(rng), key(rng), key(rng), key(rng)};
    const double t = times[1] + frac(rng) * (times[2] - times[1]);
    Recorder rec;
    const double ref = catmullRomReference(times, keys, t);
    EXPECT_NEAR(evalSpline(times, keys, t, rec), ref, 1e-9 * (1.0 + std::fabs(ref)));
  }
}

TEST(Spline, StopsAtTheFirstFailingBlendAndLeavesOutUntouched) {
  const double times[4] = {0, 1, 2, 4};
  const double keys[4] = {1, 2, 3, 4};
  for (int failAt = 0; failAt < 3; ++failAt) {
    Recorder rec;
    rec.failAt = failAt;
    bool ok = true;
    const double out = evalSpline(times, keys, 1.25, rec, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(static_cast<int>(rec.weights.size()), failAt + 1);
    EXPECT_EQ(out, -99.0);
  }
  Recorder rec;
  bool ok = false;
  evalSpline(times, keys, 1.25, rec, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(rec.weights.size(), 3u);
}

} // namespace
