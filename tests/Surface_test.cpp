#include "math/Surface.h"

#include "math/Units.h"

#include "CountingMemory.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>
#include <random>
#include <vector>

using namespace orrery;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kEps = 2.220446049250313e-16;

Eigen::Vector3d eig(const Vec3d &v) { return {v.x, v.y, v.z}; }
double dist(const Vec3d &a, const Vec3d &b) { return length(a - b); }

// Rows right, up, back (each scaled), then the viewpoint.
Mat4d placementOf(const Eigen::Matrix3d &rot, const Vec3d &at, double scale = 1) {
  Mat4d m = Mat4d::identity;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      m.m[r * 4 + c] = scale * rot(c, r);
    }
  }
  m.m[12] = at.x;
  m.m[13] = at.y;
  m.m[14] = at.z;
  return m;
}

Mat4d randomPlacement(std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> u(-3, 3);
  const Eigen::Quaterniond q(Eigen::Vector4d(u(rng), u(rng), u(rng), u(rng)).normalized());
  return placementOf(q.toRotationMatrix(), {u(rng), u(rng), u(rng)});
}

// The row-vector perspective projection: vertical field of view fovY,
// width / height aspect, near and far distances n and f.
Mat4d perspective(double fovY, double aspect, double n, double f) {
  const double t = 1 / std::tan(0.5 * fovY);
  Mat4d m = {};
  m.set(t / aspect, 0, 0, 0, 0, t, 0, 0, 0, 0, (n + f) / (n - f), -1, 0, 0, 2 * n * f / (n - f), 0);
  return m;
}

constexpr double kHuge = 8.988465674311579e+307; // bounds of the empty rectangle

// A frustum for a camera at eye looking at target, with up the hint made
// perpendicular to the line of sight (so the view has no roll about it).
void lookAt(Frustum &f, const Vec3d &eye, const Vec3d &target, const Vec3d &upHint, double fovY,
            double aspect) {
  const Vec3d fwd = target - eye;
  Mat4d view = {};
  view.buildLookAt(eye, target, upHint - fwd * (dot(fwd, upHint) / dot(fwd, fwd)));
  ASSERT_TRUE(f.build(view, perspective(fovY, aspect, 0.01, 100)));
}

// The direction at azimuth a and elevation e in a surface's frame.
Vec3d dirAt(const FovDelimitedSurface &s, double a, double e) {
  return s.viewDir * (std::cos(e) * std::cos(a)) + s.rightAxis * (std::cos(e) * std::sin(a)) +
         s.upAxis * std::sin(e);
}

// Brute force: the bounds of the points of an n x n grid of the photograph
// that the frustum contains. For a periodic u, the shortest interval around
// the circle holding the visible columns, starting at or above -1.
Rect<double, Vec2d> bruteVisible(const FovDelimitedSurface &s, const Frustum &f, int n) {
  Rect<double, Vec2d> r = {{kHuge, kHuge}, {-kHuge, -kHuge}};
  std::vector<double> cols;
  for (int i = 0; i <= n; ++i) {
    const double u = -1 + 2.0 * i / n;
    bool any = false;
    for (int j = 0; j <= n; ++j) {
      const double v = -1 + 2.0 * j / n;
      if (f.isPtInside(s.getPointFromCoords(u, v, nullptr))) {
        any = true;
        r.min.y = std::fmin(r.min.y, v);
        r.max.y = std::fmax(r.max.y, v);
      }
    }
    if (any) {
      cols.push_back(u);
    }
  }
  if (cols.empty()) {
    return r;
  }
  bool wrapU = false;
  bool wrapV = false;
  s.getWrapping(wrapU, wrapV);
  r.min.x = cols.front();
  r.max.x = cols.back();
  double gap = cols.front() + 2 - cols.back(); // the gap across the seam
  for (size_t k = 0; wrapU && k + 1 < cols.size(); ++k) {
    if (cols[k + 1] - cols[k] > gap) {
      gap = cols[k + 1] - cols[k];
      r.min.x = cols[k + 1];
      r.max.x = cols[k] + 2;
    }
  }
  return r;
}

// The culled rectangle holds the brute-force one up to `inside` and exceeds
// it by at most `outside` on each side.
void expectBounds(const Rect<double, Vec2d> &cull, const Rect<double, Vec2d> &brute, double inside,
                  double outside) {
  EXPECT_LE(cull.min.x, brute.min.x + inside);
  EXPECT_GE(cull.min.x, brute.min.x - outside);
  EXPECT_LE(cull.min.y, brute.min.y + inside);
  EXPECT_GE(cull.min.y, brute.min.y - outside);
  EXPECT_GE(cull.max.x, brute.max.x - inside);
  EXPECT_LE(cull.max.x, brute.max.x + outside);
  EXPECT_GE(cull.max.y, brute.max.y - inside);
  EXPECT_LE(cull.max.y, brute.max.y + outside);
}

double clampUnit(double x) { return x > 1 ? 1 : (x < -1 ? -1 : x); }

// What every shape promises for (u, v) in [-1.4, 1.4] under a random rigid
// placement: the point lies on the surface and maps back to (u, v); a ray from
// the viewpoint through it lands on it and hits exactly when (u, v) is on the
// photograph; with clamp a miss lands on the photograph's edge at the clamped
// coordinates. Round trips pass through acos/asin, whose error grows as
// eps / sin of the angle; samples near those angles are skipped.
template <class Shape>
void checkMappingAndViewpointRays(double top, double bottom, double left, double right,
                                  double radius) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> uv(-1.4, 1.4);
  for (int n = 0; n < 300; ++n) {
    Shape s(randomPlacement(rng), radius, top, bottom, left, right);
    ASSERT_TRUE(s.valid);
    const double u = uv(rng);
    const double v = uv(rng);
    if (std::fabs(std::fabs(u) - 1) < 1e-6 || std::fabs(std::fabs(v) - 1) < 1e-6) {
      continue;
    }
    bool ok = false;
    const Vec3d p = s.getPointFromCoords(u, v, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(s.isPtOnSurface(p));
    double u2 = 9;
    double v2 = 9;
    ASSERT_TRUE(s.getRelativeCoords(p, u2, v2));
    EXPECT_NEAR(u2, u, 1e-9) << n;
    EXPECT_NEAR(v2, v, 1e-9) << n;

    const bool onPhoto = std::fabs(u) < 1 && std::fabs(v) < 1;
    Vec3d hit = {};
    EXPECT_EQ(s.intersectRay(s.origin, (p - s.origin) * 3.0, hit, false), onPhoto) << n;
    if (onPhoto) {
      EXPECT_LT(dist(hit, p), 1e-12 * radius) << n;
    }
    EXPECT_EQ(s.intersectRay(s.origin, p - s.origin, hit, true), onPhoto);
    EXPECT_LT(dist(hit, s.getPointFromCoords(clampUnit(u), clampUnit(v), nullptr)), 1e-9) << n;
  }
}

void expectInvalidAnswers(const FovDelimitedSurface &s) {
  EXPECT_FALSE(s.valid);
  double u = 5;
  double v = 6;
  EXPECT_FALSE(s.getRelativeCoords({1, 2, 3}, u, v));
  EXPECT_EQ(u, 5);
  EXPECT_EQ(v, 6);
  bool ok = true;
  EXPECT_EQ(s.getPointFromCoords(0, 0, &ok), Vec3d::zero);
  EXPECT_FALSE(ok);
  Vec3d hit = {7, 7, 7};
  EXPECT_FALSE(s.intersectRay(s.origin, {0, 0, -1}, hit, false));
  EXPECT_FALSE(s.isPtOnFiniteSurface(s.origin + Vec3d{0, 0, -s.distance}));
  Vec3d dir = {};
  EXPECT_FALSE(s.isViewCloseToSurface(Mat4d::identity, Mat4d::identity, 0));
  s.getViewDirection({0.3, 0.4, 0.5}, dir);
  EXPECT_EQ(dir, (Vec3d{0.3, 0.4, 0.5}));
}

TEST(FovDelimitedSurface, ScaledPlacementYieldsUnitAxesAndViewpointFromTranslation) {
  const Eigen::Matrix3d rot =
      Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, 2, 3).normalized()).matrix();
  const Sphere s(placementOf(rot, {4, -5, 6}, 2.0), 1, 1, -1, -1, 1);
  EXPECT_EQ(s.origin, (Vec3d{4, -5, 6}));
  EXPECT_NEAR((eig(s.rightAxis) - rot.col(0)).norm(), 0, 4 * kEps);
  EXPECT_NEAR((eig(s.upAxis) - rot.col(1)).norm(), 0, 4 * kEps);
  EXPECT_NEAR((eig(s.viewDir) + rot.col(2)).norm(), 0, 4 * kEps);
  Mat4d flat = Mat4d::identity;
  flat.m[5] = 0; // a zero up row stays zero rather than turning into NaN
  EXPECT_EQ(Sphere(flat, 1, 1, -1, -1, 1).upAxis, Vec3d::zero);
}

TEST(FovDelimitedSurface, IsNearIsStrictTenthOfAMetreFixedAtFirstUse) {
  const double k = 0.1 * Units::sInvPlanetRadius;
  EXPECT_EQ(k, 1.5696123057604772e-08);
  EXPECT_TRUE(FovDelimitedSurface::IsNear(1.0, 1.0 + 0.5 * k));
  EXPECT_TRUE(FovDelimitedSurface::IsNear(0, std::nextafter(k, 0.0)));
  EXPECT_FALSE(FovDelimitedSurface::IsNear(0, k));
  EXPECT_FALSE(FovDelimitedSurface::IsNear(0, std::nan("")));
  Units::setPlanetRadius(1000.0); // would make the threshold 1e-4
  EXPECT_FALSE(FovDelimitedSurface::IsNear(0, 2 * k));
  Units::setPlanetRadius(6371000.0);
}

TEST(FovDelimitedSurface, FiniteSurfaceSnappingAndWrappingAtTheEdges) {
  const Sphere s(Mat4d::identity, 1, 0.5, -0.5, -1, 1);
  EXPECT_TRUE(s.isPtOnFiniteSurface(s.getPointFromCoords(1.0000005, 0.2, nullptr)));
  EXPECT_TRUE(s.isPtOnFiniteSurface(s.getPointFromCoords(0.3, -1.0000009, nullptr)));
  EXPECT_FALSE(s.isPtOnFiniteSurface(s.getPointFromCoords(1.0000011, 0.2, nullptr)));
  EXPECT_FALSE(s.isPtOnFiniteSurface(s.getPointFromCoords(0, 0, nullptr) * 1.5));

  Vec3d p = s.getPointFromCoords(3, -0.4, nullptr);
  EXPECT_TRUE(s.doSnapPoint(p));
  EXPECT_LT(dist(p, s.getPointFromCoords(1, -0.4, nullptr)), 1e-15);
  Vec3d off = {0, 0, -2};
  EXPECT_FALSE(s.doSnapPoint(off));
  EXPECT_EQ(off, (Vec3d{0, 0, -2}));

  const Sphere pano(Mat4d::identity, 1, 0.5, -0.5, -kPi, kPi);
  EXPECT_EQ(pano.wrapCoords({1.5, 1.5}), (Vec2d{-0.5, 1.5}));
  EXPECT_EQ(pano.wrapCoords({-3.5, 0}), (Vec2d{-1.5, 0}));
  EXPECT_EQ(s.wrapCoords({1.5, -1.5}), (Vec2d{1.5, -1.5}));
}

TEST(FovDelimitedSurface, ViewingDistanceFramesTheNearerEdgesAndRejectsBadFields) {
  // A camera on the axis behind the centre at the returned distance sees the
  // nearer edge exactly at the half field of view (the other limit is nearer).
  const Sphere s(Mat4d::identity, 2, 0.2, -0.3, -0.5, 0.4);
  const double d = s.getViewingDistance(0.8, 0.6, 0.8);
  EXPECT_NEAR(std::atan2(2 * std::sin(0.4), 2 * std::cos(0.4) + d), 0.5 * 0.8 * 0.8, 1e-15);
  EXPECT_LT(std::atan2(2 * std::sin(0.2), 2 * std::cos(0.2) + d), 0.5 * 0.8 * 0.6);
  const double dv = s.getViewingDistance(2.0, 0.3, 0.8); // now the vertical edge limits
  EXPECT_NEAR(std::atan2(2 * std::sin(0.2), 2 * std::cos(0.2) + dv), 0.5 * 0.8 * 0.3, 1e-15);

  const Rectangle r(Mat4d::identity, 1, 0.2, -0.3, -0.5, 0.4);
  const double dr = r.getViewingDistance(1, 0.1, 1);
  EXPECT_NEAR((std::tan(0.2) - std::tan(-0.3)) / dr, 2 * std::tan(0.05), 1e-15);
  EXPECT_EQ(r.getViewingDistance(kPi, 0.5, 1), 1);
  EXPECT_EQ(r.getViewingDistance(1, 0, 1), 1);
  EXPECT_EQ(r.getViewingDistance(1, 1, 0), 1);
  // A tiny photograph seen with wide fields of view would need a camera in
  // front of the centre: clipped to 0.
  EXPECT_EQ(Sphere(Mat4d::identity, 1, 0.1, -0.1, -0.1, 0.1).getViewingDistance(3, 3, 1), 0);
  EXPECT_EQ(Rectangle(Mat4d::identity, 1, 0.1, -0.1, 0.1, 0.1).getViewingDistance(1, 1, 1), 0)
      << "an invalid rectangle answers 0 for usable fields of view";
}

TEST(FovDelimitedSurface, ViewDirectionIsHorizontalOnlyForWrappingShapesThatMeetIt) {
  Mat4d scaled = Mat4d::identity;
  scaled.m[10] = 3;
  Vec3d dir = {};
  Rectangle(scaled, 1, 0.2, -0.2, -0.2, 0.2).getViewDirection({1, 1, 0}, dir);
  EXPECT_EQ(dir, (Vec3d{0, 0, -1}));
  const Cylinder pano(Mat4d::identity, 2, 0.5, -0.5, -3, 3.1);
  pano.getViewDirection({0, 5, -1e-15}, dir); // straight up: no horizontal part
  EXPECT_EQ(dir, (Vec3d{0, 0, -1}));
  pano.getViewDirection({3, 5, 4}, dir);
  EXPECT_EQ(dir, (Vec3d{3, 0, 4}));          // not normalized
  pano.getViewDirection({-0.01, 5, 1}, dir); // into the gap behind
  EXPECT_EQ(dir, (Vec3d{0, 0, -1}));
  Sphere(Mat4d::identity, 2, 0.5, -0.5, -3, 3.1).getViewDirection({0.05, 5, 1}, dir);
  EXPECT_EQ(dir, (Vec3d{0.05, 0, 1}));
}

TEST(FovDelimitedSurface, ViewIsCloseWhenTheOutlineSpansTheThresholdOfTheScreen) {
  // Seen from its viewpoint through a 90 degree projection, a +-pi/4
  // rectangle spans the whole screen; from five times as far, a fifth of it.
  const Mat4d proj = perspective(kHalfPi, 1, 0.1, 10);
  const Rectangle r(Mat4d::identity, 1, kPi / 4, -kPi / 4, -kPi / 4, kPi / 4);
  Mat4d back = Mat4d::identity;
  EXPECT_TRUE(r.isViewCloseToSurface(back, proj, 0.99));
  EXPECT_FALSE(r.isViewCloseToSurface(back, proj, 1.01));
  back.m[14] = -4; // camera 4 further back
  EXPECT_TRUE(r.isViewCloseToSurface(back, proj, 0.19));
  EXPECT_FALSE(r.isViewCloseToSurface(back, proj, 0.21));
  back.m[10] = -1; // turned round: every sample behind the camera
  back.m[14] = 0;
  back.m[0] = -1;
  EXPECT_FALSE(r.isViewCloseToSurface(back, proj, 0));
  EXPECT_FALSE(r.isViewCloseToSurface(Mat4d::identity, perspective(kHalfPi, 1, 2, 10), 0))
      << "nearer than the near plane";
}

TEST(Rectangle, UnitExampleAndAsymmetricCentre) {
  const Rectangle r(Mat4d::identity, 1, kPi / 4, -kPi / 4, -kPi / 4, kPi / 4);
  const Vec3d corners[4] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_LT(dist(r.cornerPoints[i], corners[i]), 4 * kEps);
  }
  EXPECT_NEAR(r.lengthU, 2, 4 * kEps);
  EXPECT_NEAR(r.lengthV, 2, 4 * kEps);
  EXPECT_NEAR(r.getWidthHeightRatio(), 1, kEps);
  EXPECT_EQ(r.normal, (Vec3d{0, 0, 1}));
  double u = 0;
  double v = 0;
  EXPECT_TRUE(r.getRelativeCoords({0.5, 0, -1}, u, v));
  EXPECT_NEAR(u, 0.5, 4 * kEps);
  EXPECT_NEAR(v, 0, 4 * kEps);
  EXPECT_LT(dist(r.getPointFromCoords(1, 1, nullptr), {1, 1, -1}), 4 * kEps);
  EXPECT_TRUE(r.isPtOnSurface({3, 4, -1 + 0.5 * 1.5696123057604772e-08}));
  EXPECT_FALSE(r.isPtOnSurface({3, 4, -1 + 2 * 1.5696123057604772e-08}));

  const Rectangle a(Mat4d::identity, 2, 0.3, -0.1, -0.1, 0.5);
  const Vec3d mid = a.getPointFromCoords(0, 0, nullptr);
  EXPECT_NEAR(mid.x, std::tan(0.5) + std::tan(-0.1), 4 * kEps);
  EXPECT_NEAR(mid.y, std::tan(0.3) + std::tan(-0.1), 4 * kEps);
}

TEST(Rectangle, RaysAgreeWithPlaneIntersectionAndClampOntoThePhotograph) {
  checkMappingAndViewpointRays<Rectangle>(0.6, -0.4, -0.9, 0.3, 3);
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> c(-4, 4);
  for (int n = 0; n < 200; ++n) {
    const Rectangle r(randomPlacement(rng), 2, 1.2, -1.2, -1.2, 1.2);
    const Vec3d o = {c(rng), c(rng), c(rng)};
    const Vec3d d = {c(rng), c(rng), c(rng)};
    const auto plane = Eigen::Hyperplane<double, 3>::Through(
        eig(r.cornerPoints[0]), eig(r.cornerPoints[1]), eig(r.cornerPoints[2]));
    const auto line = Eigen::ParametrizedLine<double, 3>(eig(o), eig(d));
    const double t = line.intersectionParameter(plane);
    const Eigen::Vector3d ref = line.pointAt(t);
    double u = 0;
    double v = 0;
    r.getRelativeCoords({ref.x(), ref.y(), ref.z()}, u, v);
    if (t < 0) { // the plane lies behind: the ray origin is projected instead
      r.getRelativeCoords(o, u, v);
    }
    Vec3d hit = {};
    const bool res = r.intersectRay(o, d, hit, true);
    EXPECT_EQ(res, t >= 0 && std::fabs(u) < 1 && std::fabs(v) < 1) << n;
    const Vec3d snapped = r.getPointFromCoords(clampUnit(u), clampUnit(v), nullptr);
    EXPECT_LT(dist(hit, snapped), 1e-12 * (1 + ref.norm())) << n;
  }
  const Rectangle r(Mat4d::identity, 1, 0.5, -0.5, -0.5, 0.5);
  Vec3d hit = {};
  EXPECT_TRUE(r.intersectRay({0, 0, 0}, {0, 0, -2}, hit, false));
  EXPECT_EQ(hit, (Vec3d{0, 0, -1}));
  EXPECT_FALSE(r.intersectRay({0, 0, 0}, {0, 0, 1}, hit, false));  // plane behind
  EXPECT_FALSE(r.intersectRay({5, 0.1, 3}, {1, 0, 0}, hit, true)); // parallel
  EXPECT_LT(dist(hit, r.getPointFromCoords(1, 0.1 / std::tan(0.5), nullptr)), 4 * kEps);
}

TEST(Rectangle, UnusableAnglesInvalidateAtConstruction) {
  expectInvalidAnswers(Rectangle(Mat4d::identity, 1, kHalfPi, -0.1, -0.1, 0.1));
  expectInvalidAnswers(Rectangle(Mat4d::identity, 1, 0.1, -0.1, -kHalfPi, 0.1));
  expectInvalidAnswers(Rectangle(Mat4d::identity, 1, 0.1, -0.1, 0.2, 0.2));
  const Rectangle r(Mat4d::identity, 1, 0.1, 0.2, -0.1, 0.1);
  expectInvalidAnswers(r);
  EXPECT_EQ(r.getNormal({}), (Vec3d{0, 0, 1}));
  EXPECT_EQ(r.lengthU, 0);
  EXPECT_EQ(r.getViewingDistance(1, 1, 1), 0);
  Vec3d p = {1, 2, 3};
  r.projectToSurface(p);
  EXPECT_EQ(p, (Vec3d{1, 2, 3}));
  EXPECT_FALSE(r.isPtOnSurface({0, 0, -1}));
}

TEST(Cylinder, ExampleSeamAndValidity) {
  const Cylinder c(Mat4d::identity, 2, kPi / 4, -kPi / 4, -kHalfPi, kHalfPi);
  EXPECT_NEAR(c.bottomHeight, -2, 4 * kEps);
  EXPECT_NEAR(c.height, 4, 4 * kEps);
  EXPECT_EQ(c.getPointFromCoords(0, 0, nullptr), (Vec3d{0, 0, -2}));
  EXPECT_LT(dist(c.getPointFromCoords(1, 0, nullptr), {2, 0, 0}), 4 * kEps);
  double u = 0;
  double v = 0;
  c.getRelativeCoords({-2, 1, 0}, u, v);
  EXPECT_NEAR(u, -1, 4 * kEps);
  EXPECT_NEAR(v, 0.5, 4 * kEps);
  EXPECT_NEAR(c.getWidthHeightRatio(), kHalfPi, 4 * kEps);

  bool wu = true;
  bool wv = true;
  c.getWrapping(wu, wv);
  EXPECT_FALSE(wu || wv);
  Cylinder(Mat4d::identity, 1, 0.5, -0.5, -kPi / 2, kPi / 2 + 0.001).getWrapping(wu, wv);
  EXPECT_TRUE(wu);
  const Cylinder pano(Mat4d::identity, 1, 0.5, -0.5, -kPi, kPi);
  pano.getRelativeCoords({0, 0, 1}, u, v); // behind: -pi, never +pi
  EXPECT_EQ(u, -1);

  expectInvalidAnswers(Cylinder(Mat4d::identity, 1, kHalfPi, -0.5, -1, 1));
  expectInvalidAnswers(Cylinder(Mat4d::identity, 0, 0.5, -0.5, -1, 1));
  expectInvalidAnswers(Cylinder(Mat4d::identity, 1, 0.5, -0.5, -kPi - 1e-15, 1));
  Cylinder later(Mat4d::identity, 1, 0.5, -0.5, -1, 1);
  later.distance = -1;
  later.checkValid();
  later.distance = 1;
  later.checkValid(); // never valid again
  expectInvalidAnswers(later);
  Vec3d p = {0, 0, -5};
  later.projectToSurface(p); // onto the unbounded cylinder, not snapped
  EXPECT_EQ(p, (Vec3d{0, 0, -1}));
}

TEST(Cylinder, RaysAgreeWithTheQuadraticAndClampWhenParallelOrMissing) {
  checkMappingAndViewpointRays<Cylinder>(0.6, -0.4, -2.0, 1.2, 3);
  std::mt19937_64 rng(13);
  std::uniform_real_distribution<double> c(-4, 4);
  for (int n = 0; n < 300; ++n) {
    const Cylinder cyl(Mat4d::identity, 2, 1.3, -1.3, -kPi, kPi);
    const Vec3d o = {c(rng), c(rng), c(rng)};
    const Vec3d d = {c(rng), c(rng), c(rng)};
    // x^2 + z^2 = r^2 along o + t d: the exit point, wherever the ray starts.
    const double a = d.x * d.x + d.z * d.z;
    const double b = 2 * (o.x * d.x + o.z * d.z);
    const double disc = b * b - 4 * a * (o.x * o.x + o.z * o.z - 4);
    Vec3d hit = {};
    const bool res = cyl.intersectRay(o, d, hit, false);
    if (disc < 0) {
      EXPECT_FALSE(res);
      continue;
    }
    const Vec3d ref = o + d * ((-b + std::sqrt(disc)) / (2 * a));
    EXPECT_EQ(res, std::fabs(ref.y) < 2 * std::tan(1.3));
    if (res) {
      EXPECT_LT(dist(hit, ref), 1e-12) << n;
    }
  }
  const Cylinder cyl(Mat4d::identity, 2, 0.5, -0.5, -1, 1);
  Vec3d hit = {};
  EXPECT_TRUE(cyl.intersectRay({}, {0, 0, -1}, hit, false));
  EXPECT_EQ(hit, (Vec3d{0, 0, -2}));
  EXPECT_FALSE(cyl.intersectRay({0.1, 0.3, -0.5}, {0, -1, 0}, hit, true)); // along the axis
  EXPECT_LT(dist(hit, {0.2 / std::hypot(0.1, 0.5), 0.3, -1 / std::hypot(0.1, 0.5)}), 8 * kEps);
  EXPECT_FALSE(cyl.intersectRay({-5, 0, -3}, {1, 0, 0}, hit, true)); // passes beyond the radius
  EXPECT_LT(dist(hit, cyl.getPointFromCoords(0, 0, nullptr)), 4 * kEps);
  Vec3d p = cyl.origin;
  cyl.projectToSurface(p);
  EXPECT_LT(dist(p, {0, 0, -2}), 4 * kEps);
  Vec3d above = {0, 9, 0};
  cyl.projectToSurface(above);
  EXPECT_EQ(above, cyl.getPointFromCoords(0, 1, nullptr));
}

TEST(Sphere, ExampleSeamAndValidityChecksOnlyWhenAsked) {
  Sphere s(Mat4d::identity, 1, kHalfPi, -kHalfPi, -kPi, kPi);
  s.checkValid();
  EXPECT_TRUE(s.valid);
  bool wu = false;
  bool wv = true;
  s.getWrapping(wu, wv);
  EXPECT_TRUE(wu && !wv);
  EXPECT_EQ(s.getWidthHeightRatio(), 2);
  EXPECT_EQ(s.getPointFromCoords(0, 0, nullptr), (Vec3d{0, 0, -1}));
  EXPECT_LT(dist(s.getPointFromCoords(0, 1, nullptr), {0, 1, 0}), 4 * kEps);
  double u = 0;
  double v = 1;
  s.getRelativeCoords({1, 0, 0}, u, v);
  EXPECT_NEAR(u, 0.5, 4 * kEps);
  EXPECT_EQ(v, 0);
  s.getRelativeCoords({0, 0, 1}, u, v); // behind: +pi, unlike the cylinder
  EXPECT_EQ(u, 1);
  EXPECT_EQ(s.getNormal({0, 0.5e-8, 0}), Vec3d::zero);
  EXPECT_EQ(s.getNormal({0, 0, -3}), (Vec3d{0, 0, 1}));
  Vec3d p = s.origin;
  s.projectToSurface(p);
  EXPECT_EQ(p, s.getPointFromCoords(0, 0, nullptr));

  Sphere bad(Mat4d::identity, 1, kHalfPi + 1e-15, 0, -1, 1);
  EXPECT_TRUE(bad.valid); // the constructor does not validate
  bad.checkValid();
  expectInvalidAnswers(bad);
  Sphere neg(Mat4d::identity, -1, 0.5, -0.5, -1, 1);
  neg.checkValid();
  neg.distance = 1;
  neg.checkValid();
  expectInvalidAnswers(neg);
}

TEST(Sphere, StaticRayRoutinesMatchTheQuadraticAndClampToTheRim) {
  double t0 = 0;
  double t1 = 0;
  EXPECT_TRUE(Sphere::IsectSphereParam({0, 0, -5}, {0, 0, 2}, {}, 1, t0, t1));
  EXPECT_EQ(t0, 2);
  EXPECT_EQ(t1, 3);
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> c(-3, 3);
  for (int n = 0; n < 500; ++n) {
    const Vec3d o = {c(rng), c(rng), c(rng)};
    const Vec3d d = {c(rng), c(rng), c(rng)};
    const Vec3d ctr = {c(rng), c(rng), c(rng)};
    const double r = 1 + std::fabs(c(rng));
    const Vec3d m = o - ctr;
    const double a = dot(d, d);
    const double b = 2 * dot(m, d);
    const double disc = b * b - 4 * a * (dot(m, m) - r * r);
    t0 = t1 = 42;
    const bool meets = Sphere::IsectSphereParam(o, d, ctr, r, t0, t1);
    EXPECT_EQ(meets, disc >= 0);
    Vec3d pt = {};
    if (!meets) {
      EXPECT_EQ(t0, 42);
      EXPECT_FALSE(Sphere::IsectRaySphere(o, d, ctr, r, Sphere::kEntry, pt));
      // Clamped: a point of the sphere whose tangent plane contains o.
      EXPECT_FALSE(Sphere::ClampIsectRaySphere(o, d, ctr, r, Sphere::kEntry, pt));
      EXPECT_NEAR(length(pt - ctr), r, 1e-12);
      EXPECT_NEAR(dot(o - pt, pt - ctr), 0, 1e-11);
      continue;
    }
    // Near-tangent lines lose digits to the square root of the discriminant.
    const double tol =
        1e-14 * (std::fabs(b) + std::sqrt(disc)) / a * (1 + std::fabs(b) / std::sqrt(disc));
    EXPECT_NEAR(t0, (-b - std::sqrt(disc)) / (2 * a), tol) << n;
    EXPECT_NEAR(t1, (-b + std::sqrt(disc)) / (2 * a), tol) << n;
    const bool ahead = Sphere::IsectRaySphere(o, d, ctr, r, Sphere::kFirstAhead, pt);
    EXPECT_EQ(ahead, t1 >= 0);
    if (ahead) {
      EXPECT_EQ(pt, o + d * (t0 >= 0 ? t0 : t1));
    }
    if ((dot(m, m) <= r * r || dot(m, d) <= 0) && disc > 1e-9 * b * b) { // not moving away
      EXPECT_TRUE(Sphere::ClampIsectRaySphere(o, d, ctr, r, Sphere::kExit, pt));
      EXPECT_LT(dist(pt, o + d * t1), 1e-12 * (r + length(m))) << n;
    }
  }
  Vec3d pt = {};
  EXPECT_TRUE(Sphere::IsectRaySphere({}, {1, 0, 0}, {}, 1, Sphere::kFirstAhead, pt));
  EXPECT_EQ(pt, (Vec3d{1, 0, 0}));
  EXPECT_TRUE(Sphere::IsectRaySphere({}, {1, 0, 0}, {}, 1, Sphere::kEntry, pt));
  EXPECT_EQ(pt, (Vec3d{-1, 0, 0}));
  EXPECT_FALSE(Sphere::IsectRaySphere({0, 0, 3}, {0, 0, 1}, {}, 1, Sphere::kFirstAhead, pt));
  EXPECT_FALSE(Sphere::ClampIsectRayUnitSphere({0, 0, 2}, {1, 0, 0}, Sphere::kEntry, pt));
  EXPECT_EQ(pt, (Vec3d{0.8660254037844386, 0, 0.5}));
  EXPECT_FALSE(Sphere::ClampIsectRayUnitSphere({0, 0, 2}, {0, 0, 1}, Sphere::kEntry, pt));
  EXPECT_EQ(pt, (Vec3d{0.8660254037844386, 0, 0.5}));
  const Sphere::RayT kinds[3] = {Sphere::kEntry, Sphere::kExit, Sphere::kFirstAhead};
  const double zs[3] = {1, -1, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Sphere::ClampIsectRayUnitSphere({0, 0, 2}, {0, 0, -1}, kinds[i], pt));
    EXPECT_EQ(pt, (Vec3d{0, 0, zs[i]}));
  }
}

TEST(Sphere, RaysFromInsideAndOutsideLandOnTheExitPointOrTheSnappedRim) {
  checkMappingAndViewpointRays<Sphere>(0.8, -1.0, -2.0, 1.2, 3);
  const Sphere s(Mat4d::identity, 2, 0.5, -0.5, -1, 1);
  Vec3d hit = {};
  // From outside in front, through the centre: the exit point, behind the
  // viewpoint, is off the photograph; clamped it goes back onto it.
  EXPECT_FALSE(s.intersectRay({0, 0, -5}, {0, 0, 1}, hit, false));
  EXPECT_EQ(hit, (Vec3d{0, 0, 2}));
  EXPECT_TRUE(s.intersectRay({0, 0, 5}, {0, 0, -1}, hit, false)); // exit in front
  EXPECT_EQ(hit, (Vec3d{0, 0, -2}));
  hit = {9, 9, 9};
  EXPECT_FALSE(s.intersectRay({0, 0, -5}, {0, 0, -1}, hit, false)); // sphere behind
  EXPECT_EQ(hit, (Vec3d{9, 9, 9}));
  EXPECT_FALSE(s.intersectRay({0, 0, -5}, {0, 1, 0}, hit, true)); // misses: rim, snapped
  EXPECT_LT(dist(hit, s.getPointFromCoords(0, 1, nullptr)), 4 * kEps);
}

TEST(CullRect, ExtendTakesTheShorterPeriodicAliasAndShiftsBelowTheSeam) {
  auto grown = [](double lo, double hi, double u, bool wrap) {
    CullRect r = {{{lo, 0}, {hi, 0.5}}, wrap, false};
    r.extend({u, 0.25});
    return Vec2d{r.min.x, r.max.x};
  };
  EXPECT_EQ(grown(0.8, 0.9, -0.95, true), (Vec2d{0.8, 1.05}));
  EXPECT_EQ(grown(-0.9, -0.8, 0.95, true), (Vec2d{0.95, 1.2}));
  EXPECT_EQ(grown(0.5, 0.5, -0.5, true), (Vec2d{0.5, 1.5})); // a tie goes to the alias
  EXPECT_EQ(grown(0.8, 0.9, -0.95, false), (Vec2d{-0.95, 0.9}));
  CullRect empty = {{{kHuge, kHuge}, {-kHuge, -kHuge}}, true, true};
  empty.extend({-0.95, 1});
  EXPECT_EQ(empty.min, (Vec2d{-0.95, 1}));
  EXPECT_EQ(empty.max, (Vec2d{-0.95, 1}));
}

// Seen from the viewpoint with no roll about the photograph's up axis, every
// extreme of the view's border on the sphere sits at one of the 16 border
// rays (side edges extreme at their ends, top and bottom arcs highest and
// lowest in their middle), and every extreme of the photograph's outline at
// one of its 16 samples. So a culled rectangle with area never misses a
// visible grid point, and when the view lies within the photograph (every border ray
// hits) it matches the brute force up to the grid step. Where border rays
// miss, their clamped landing points may widen it, but not beyond the
// photograph.
TEST(CullToFrustum, TypicalSphereViewsHoldTheBruteForceRegion) {
  std::mt19937_64 rng(23);
  std::uniform_real_distribution<double> az(-1.6, 2.0);
  std::uniform_real_distribution<double> el(-0.9, 1.0);
  std::uniform_real_distribution<double> fov(0.2, 1.2);
  const int n = 400;
  const double step = 2.0 / n;
  int seen = 0;
  int within = 0;
  for (int k = 0; k < 24; ++k) {
    const Sphere s(randomPlacement(rng), 3, 0.7, -0.5, -1.0, 1.4);
    Frustum f;
    lookAt(f, s.origin, s.origin + dirAt(s, az(rng), el(rng)), s.upAxis, fov(rng), 1.5);
    Rect<double, Vec2d> rect = {{7, 7}, {7, 7}};
    s.cullToFrustum(f, rect);
    const Rect<double, Vec2d> brute = bruteVisible(s, f, n);
    if (brute.min.x > brute.max.x) {
      EXPECT_EQ(rect.min, (Vec2d{kHuge, kHuge})) << k;
      EXPECT_EQ(rect.max, (Vec2d{-kHuge, -kHuge})) << k;
      continue;
    }
    ++seen;
    expectBounds(rect, {{-1, -1}, {1, 1}}, 2, 4 * kEps);
    if (!(rect.min.x < rect.max.x && rect.min.y < rect.max.y)) {
      // A view that only grazes the photograph between outline samples: the
      // one landing point found lies in the sliver.
      expectBounds(brute, rect, step, 2);
      continue;
    }
    const bool inside = brute.min.x > -1 && brute.max.x < 1 && brute.min.y > -1 && brute.max.y < 1;
    within += inside;
    expectBounds(rect, brute, 1e-9, inside ? step + 1e-9 : 2);
  }
  EXPECT_GE(seen, 12);
  EXPECT_GE(within, 3);
}

TEST(CullToFrustum, InsideWholeAwayAndInvalidViews) {
  // Inside: the view's border lands on the plane at +-tan 30 deg x 1.5 and
  // +-tan 30 deg, a photograph reaching +-1 at distance 1.
  const Rectangle r(Mat4d::identity, 1, kPi / 4, -kPi / 4, -kPi / 4, kPi / 4);
  Frustum f;
  lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, kPi / 3, 1.5);
  Rect<double, Vec2d> rect = {};
  r.cullToFrustum(f, rect);
  const double h = std::tan(kPi / 6);
  EXPECT_NEAR(rect.min.x, -1.5 * h, 1e-14);
  EXPECT_NEAR(rect.max.x, 1.5 * h, 1e-14);
  EXPECT_NEAR(rect.min.y, -h, 1e-14);
  EXPECT_NEAR(rect.max.y, h, 1e-14);

  const Sphere s(Mat4d::identity, 2, 0.3, -0.2, -0.4, 0.5);
  lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, 2.0, 1.5); // sees all of it
  s.cullToFrustum(f, rect);
  expectBounds(rect, {{-1, -1}, {1, 1}}, 0, 4 * kEps); // clamped rays may round past the edge

  lookAt(f, {}, {0, 0, 1}, {0, 1, 0}, 1.0, 1.5); // looks away
  s.cullToFrustum(f, rect);
  EXPECT_EQ(rect.min, (Vec2d{kHuge, kHuge}));
  EXPECT_EQ(rect.max, (Vec2d{-kHuge, -kHuge}));

  // Beyond the far plane (100) no outline sample is inside and the border
  // rays pass beside the photograph, but the middle of the view meets it.
  const Sphere far(Mat4d::identity, 200, 0.3, -0.2, -0.4, 0.5);
  lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, 1.5, 1.5);
  far.cullToFrustum(f, rect);
  expectBounds(rect, {{-1, -1}, {1, 1}}, 4 * kEps, 4 * kEps);

  Sphere bad(Mat4d::identity, 2, 0.3, 0.4, -0.4, 0.5);
  bad.checkValid();
  lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, 1.0, 1.5);
  rect = {{3, 4}, {5, 6}};
  bad.cullToFrustum(f, rect);
  EXPECT_EQ(rect.min, (Vec2d{3, 4}));
  EXPECT_EQ(rect.max, (Vec2d{5, 6}));
}

TEST(CullToFrustum, FullPanoramaIsJoinedAcrossTheSeamOrWidenedToAFullTurn) {
  // Looking straight behind with a 60 degree field: azimuth pi +- pi/6, that
  // is u in 1 +- 1/6 read modulo 2; the photograph's height fills the view.
  const Cylinder c(Mat4d::identity, 2, 0.5, -0.5, -kPi, kPi);
  Frustum f;
  lookAt(f, {}, {0, 0, 1}, {0, 1, 0}, kPi / 3, 1);
  Rect<double, Vec2d> rect = {};
  c.cullToFrustum(f, rect);
  EXPECT_NEAR(rect.min.x, 5.0 / 6, 1e-12);
  EXPECT_NEAR(rect.max.x, 7.0 / 6, 1e-12);
  EXPECT_EQ(rect.min.y, -1);
  EXPECT_EQ(rect.max.y, 1);
  expectBounds(rect, bruteVisible(c, f, 600), 1e-12, 2.0 / 600);

  // From behind the axis a 120 degree view reaches azimuths beyond +-100
  // degrees: more than half a turn comes back as the full range.
  lookAt(f, {0, 0, 1.8}, {0, 0, -1}, {0, 1, 0}, 2 * kPi / 3, 1);
  c.cullToFrustum(f, rect);
  EXPECT_EQ(rect.min.x, -1);
  EXPECT_EQ(rect.max.x, 1);
}

TEST(Surface, CountedLifetimesReturnEveryBlockAndOperationsAllocateNothing) {
  test::CountingMemory mem;
  {
    RefPtr<FovDelimitedSurface> a = new Sphere(Mat4d::identity, 1, 0.5, -0.5, -1, 1);
    RefPtr<ISurface> b = new Cylinder(Mat4d::identity, 1, 0.5, -0.5, -1, 1);
    RefPtr<Rectangle> c = new Rectangle(Mat4d::identity, 1, 0.5, -0.5, -1, 1);
    EXPECT_EQ(mem.allocations, 3);
    Vec3d hit = {};
    a->intersectRay({0, 0, 5}, {1, 2, 3}, hit, true);
    b->intersectRay({0, 0, 5}, {1, 2, 3}, hit, true);
    c->isViewCloseToSurface(Mat4d::identity, Mat4d::identity, 0.5);
    Frustum f;
    lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, 1.0, 1.5);
    Rect<double, Vec2d> rect = {};
    a->cullToFrustum(f, rect);
    EXPECT_EQ(mem.allocations, 3);
    b = nullptr;
    EXPECT_EQ(mem.releases, 1);
  }
  EXPECT_EQ(mem.releases, 3);
  EXPECT_EQ(mem.live(), 0u);
  EXPECT_EQ(mem.foreignReleases, 0);
  mem.failNextAllocation();
  EXPECT_EQ(new Sphere(Mat4d::identity, 1, 0.5, -0.5, -1, 1), nullptr);
}

} // namespace
