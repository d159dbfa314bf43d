#include "math/Surface.h"

#include "math/Units.h"
#include "math/detail/SurfaceShapes.h"

#include "Support.h"
#include "SurfaceProperties.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace orrery;
using orrery::test::kPi;

namespace {

constexpr double kHalfPi = kPi / 2;
constexpr double kEps = 2.220446049250313e-16;
using RectD = Rect<double, Vec2d>;

double dist(const Vec3d &a, const Vec3d &b) { return length(a - b); }
double clampUnit(double x) { return x > 1 ? 1 : (x < -1 ? -1 : x); }
Vec3d at(const FovDelimitedSurface &s, double u, double v) {
  return s.getPointFromCoords(u, v, nullptr);
}
Vec2d relOf(const FovDelimitedSurface &s, const Vec3d &p) {
  Vec2d uv = {9, 9};
  EXPECT_TRUE(s.getRelativeCoords(p, uv.x, uv.y));
  return uv;
}
std::pair<bool, bool> wrapping(const FovDelimitedSurface &s) {
  std::pair<bool, bool> w = {false, true};
  s.getWrapping(w.first, w.second);
  return w;
}
bool isEmptyRect(const RectD &r) { return r.min == kEmptyRect.min && r.max == kEmptyRect.max; }

// Rows right, up, back (each scaled), then the viewpoint.
Mat4d placementOf(const Eigen::Matrix3d &rot, const Vec3d &at, double scale = 1) {
  Mat4d m = Mat4d::identity;
  for (int k = 0; k < 9; ++k) {
    m.m[k / 3 * 4 + k % 3] = scale * rot(k % 3, k / 3);
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

using test::perspective;

// A frustum for a camera at eye looking at target, with up the hint made
// perpendicular to the line of sight (so the view has no roll about it).
void lookAt(Frustum &f, const Vec3d &eye, const Vec3d &target, const Vec3d &upHint, double fovY,
            double aspect) {
  const Vec3d fwd = target - eye;
  Mat4d view = {};
  view.buildLookAt(eye, target, upHint - fwd * (dot(fwd, upHint) / dot(fwd, fwd)));
  ASSERT_TRUE(f.build(view, perspective(fovY, aspect, 0.01, 100)));
}

// Brute force for a photograph that does not wrap: the bounds of the points
// of an n x n grid that the frustum contains.
RectD bruteVisible(const FovDelimitedSurface &s, const Frustum &f, int n) {
  RectD r = kEmptyRect;
  for (int i = 0; i <= n * n + 2 * n; ++i) {
    const int column = i / (n + 1);
    const int row = i % (n + 1);
    const Vec2d c = {-1 + 2.0 * column / n, -1 + 2.0 * row / n};
    if (f.isPtInside(at(s, c.x, c.y))) {
      r.min = {std::fmin(r.min.x, c.x), std::fmin(r.min.y, c.y)};
      r.max = {std::fmax(r.max.x, c.x), std::fmax(r.max.y, c.y)};
    }
  }
  return r;
}

// The culled rectangle holds the reference one up to `inside` and exceeds it
// by at most `outside` on each side.
void expectBounds(const RectD &cull, const RectD &ref, double inside, double outside) {
  const double grow[4] = {ref.min.x - cull.min.x, ref.min.y - cull.min.y, cull.max.x - ref.max.x,
                          cull.max.y - ref.max.y};
  for (int k = 0; k < 4; ++k) {
    EXPECT_GE(grow[k], -inside) << "side " << k;
    EXPECT_LE(grow[k], outside) << "side " << k;
  }
}

// What every shape promises for (u, v) in [-1.4, 1.4] under a random rigid
// placement: the point lies on the surface and maps back to (u, v); a ray from
// the viewpoint through it lands on it and hits exactly when (u, v) is on the
// photograph; with clamp a miss lands on the photograph's edge at the clamped
// coordinates. Round trips pass through acos/asin, whose error grows as
// eps / sin of the angle; samples near those angles are skipped.
template <class Shape>
void checkMappingAndViewpointRays(double top, double bottom, double left, double right) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> uv(-1.4, 1.4);
  for (int n = 0; n < 300; ++n) {
    Shape s(randomPlacement(rng), 3, top, bottom, left, right);
    const double u = uv(rng);
    const double v = uv(rng);
    if (std::fabs(std::fabs(u) - 1) < 1e-6 || std::fabs(std::fabs(v) - 1) < 1e-6) {
      continue;
    }
    bool ok = false;
    const Vec3d p = s.getPointFromCoords(u, v, &ok);
    EXPECT_TRUE(ok && s.isPtOnSurface(p));
    const Vec2d back = relOf(s, p);
    EXPECT_NEAR(back.x, u, 1e-9) << n;
    EXPECT_NEAR(back.y, v, 1e-9) << n;
    const bool onPhoto = std::fabs(u) < 1 && std::fabs(v) < 1;
    Vec3d hit = {};
    EXPECT_EQ(s.intersectRay(s.origin, (p - s.origin) * 3.0, hit, false), onPhoto) << n;
    EXPECT_TRUE(!onPhoto || dist(hit, p) < 3e-12) << n;
    EXPECT_EQ(s.intersectRay(s.origin, p - s.origin, hit, true), onPhoto);
    EXPECT_LT(dist(hit, at(s, clampUnit(u), clampUnit(v))), 1e-9) << n;
  }
}

void expectInvalidAnswers(const FovDelimitedSurface &s) {
  const Vec3d onIt = s.origin + Vec3d{0, 0, -s.distance};
  const bool isRectangle = dynamic_cast<const Rectangle *>(&s) != nullptr;
  EXPECT_EQ(test::brokenInvalidAnswer(s, isRectangle, onIt, {0.3, 0.4, 0.5}, Frustum(), 0),
            nullptr);
}

TEST(FovDelimitedSurface, ScaledPlacementYieldsUnitAxesAndViewpointFromTranslation) {
  const Eigen::Matrix3d rot =
      Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, 2, 3).normalized()).matrix();
  const Sphere s(placementOf(rot, {4, -5, 6}, 2.0), 1, 1, -1, -1, 1);
  EXPECT_EQ(s.origin, (Vec3d{4, -5, 6}));
  EXPECT_NEAR((test::toEigen(s.rightAxis) - rot.col(0)).norm(), 0, 4 * kEps);
  EXPECT_NEAR((test::toEigen(s.upAxis) - rot.col(1)).norm(), 0, 4 * kEps);
  EXPECT_NEAR((test::toEigen(s.viewDir) + rot.col(2)).norm(), 0, 4 * kEps);
  Mat4d flat = Mat4d::identity;
  flat.m[5] = 0; // a zero up row stays zero rather than turning into NaN
  EXPECT_EQ(Sphere(flat, 1, 1, -1, -1, 1).upAxis, Vec3d::zero);
}

TEST(FovDelimitedSurface, IsNearIsStrictTenthOfAMetreFixedAtFirstUse) {
  const double k = 0.1 * Units::sInvPlanetRadius;
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
  EXPECT_TRUE(s.isPtOnFiniteSurface(at(s, 1.0000005, 0.2)));
  EXPECT_TRUE(s.isPtOnFiniteSurface(at(s, 0.3, -1.0000009)));
  EXPECT_FALSE(s.isPtOnFiniteSurface(at(s, 1.0000011, 0.2)));
  EXPECT_FALSE(s.isPtOnFiniteSurface(at(s, 0, 0) * 1.5));
  Vec3d p = at(s, 3, -0.4);
  EXPECT_TRUE(s.doSnapPoint(p));
  EXPECT_LT(dist(p, at(s, 1, -0.4)), 1e-15);
  p = {0, 0, -2};
  EXPECT_FALSE(s.doSnapPoint(p));
  EXPECT_EQ(p, (Vec3d{0, 0, -2}));

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
  back.set(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1); // turned round
  EXPECT_FALSE(r.isViewCloseToSurface(back, proj, 0)) << "every sample behind the camera";
  EXPECT_FALSE(r.isViewCloseToSurface(Mat4d::identity, perspective(kHalfPi, 1, 2, 10), 0))
      << "nearer than the near plane";
}

// The base class and the cull pick the curved shapes' fast paths by exact
// type from the library's table of shapes: every class of the library that
// derives from ISurface must be in it (the abstract base aside), and a
// subclass defined outside the library must take the virtual calls.
TEST(FovDelimitedSurface, EveryShapeOfTheLibraryIsInTheTableOfShapes) {
  // "class [ORRERY_MATH_API] Name [final] : public Base", read word by word.
  std::map<std::string, std::string> baseOf;
  for (const auto &file : std::filesystem::directory_iterator(ORRERY_SOURCE_DIR "/math")) {
    if (file.path().extension() == ".h") {
      std::stringstream text;
      text << std::ifstream(file.path()).rdbuf();
      std::string spaced;
      for (const char c : text.str()) {
        spaced += c == ':' || c == '{' || c == ',' ? std::string{' ', c, ' '} : std::string(1, c);
      }
      std::istringstream in(spaced);
      const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
      for (std::size_t i = 0; i + 4 < words.size(); ++i) {
        std::size_t j = i + 1;
        j += words[i] == "class" && words[j] == "ORRERY_MATH_API" ? 1 : 0;
        const std::size_t name = j++;
        j += words[j] == "final" ? 1 : 0;
        if (words[i] == "class" && j + 2 < words.size() && words[j] == ":" &&
            words[j + 1] == "public") {
          baseOf[words[name]] = words[j + 2];
        }
      }
    }
  }
  std::set<std::string> shapes;
  for (const auto &[name, base] : baseOf) {
    for (auto up = baseOf.find(name); up != baseOf.end(); up = baseOf.find(up->second)) {
      if (up->second == "ISurface" && name != "FovDelimitedSurface") {
        shapes.insert(name);
      }
    }
  }
  std::set<std::string> listed;
  for (const detail::LibraryShape &shape : detail::kLibraryShapes) {
    const std::string mangled = std::to_string(std::string(shape.name).size()) + shape.name + "E";
    EXPECT_TRUE(std::string(shape.type.name()).ends_with(mangled)) << shape.name;
    listed.insert(shape.name);
  }
  ASSERT_FALSE(shapes.empty()) << "no shape found in the headers";
  EXPECT_EQ(listed, shapes);

  struct OwnSphere : Sphere {
    OwnSphere() : Sphere(Mat4d::identity, 1, 0.5, -0.5, -1, 1) {}
  };
  EXPECT_EQ(detail::shapeOf(OwnSphere()), detail::ShapeKind::kOther);
  EXPECT_EQ(detail::shapeOf(Sphere(Mat4d::identity, 1, 0.5, -0.5, -1, 1)),
            detail::ShapeKind::kSphere);
}

TEST(Rectangle, UnitExampleAsymmetricCentreAndInvalidAngles) {
  const Rectangle r(Mat4d::identity, 1, kPi / 4, -kPi / 4, -kPi / 4, kPi / 4);
  const Vec3d corners[4] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_LT(dist(r.cornerPoints[i], corners[i]), 4 * kEps);
  }
  EXPECT_TRUE(std::fabs(r.lengthU - 2) <= 4 * kEps && std::fabs(r.lengthV - 2) <= 4 * kEps);
  EXPECT_NEAR(r.getWidthHeightRatio(), 1, kEps);
  EXPECT_EQ(r.normal, (Vec3d{0, 0, 1}));
  EXPECT_LT(length(relOf(r, {0.5, 0, -1}) - Vec2d{0.5, 0}), 4 * kEps);
  EXPECT_LT(dist(at(r, 1, 1), {1, 1, -1}), 4 * kEps);
  EXPECT_TRUE(r.isPtOnSurface({3, 4, -1 + 0.5 * 1.5696123057604772e-08}));
  EXPECT_FALSE(r.isPtOnSurface({3, 4, -1 + 2 * 1.5696123057604772e-08}));
  // (0, 0) is the middle of the rectangle, not the direction of the middle angle.
  const Vec3d mid = at(Rectangle(Mat4d::identity, 2, 0.3, -0.1, -0.1, 0.5), 0, 0);
  EXPECT_NEAR(mid.x, std::tan(0.5) + std::tan(-0.1), 4 * kEps);
  EXPECT_NEAR(mid.y, std::tan(0.3) + std::tan(-0.1), 4 * kEps);

  expectInvalidAnswers(Rectangle(Mat4d::identity, 1, kHalfPi, -0.1, -0.1, 0.1));
  expectInvalidAnswers(Rectangle(Mat4d::identity, 1, 0.1, -0.1, -kHalfPi, 0.1));
  expectInvalidAnswers(Rectangle(Mat4d::identity, 1, 0.1, -0.1, 0.2, 0.2));
  const Rectangle bad(Mat4d::identity, 1, 0.1, 0.2, -0.1, 0.1);
  expectInvalidAnswers(bad);
  EXPECT_EQ(bad.getNormal({}), (Vec3d{0, 0, 1}));
  EXPECT_EQ(bad.lengthU, 0);
  EXPECT_EQ(bad.getViewingDistance(1, 1, 1), 0) << "0 for usable fields of view";
  Vec3d p = {1, 2, 3};
  bad.projectToSurface(p);
  EXPECT_EQ(p, (Vec3d{1, 2, 3}));
  EXPECT_FALSE(bad.isPtOnSurface({0, 0, -1}));
  Rectangle later(Mat4d::identity, 1, 0.1, -0.1, -0.1, 0.1);
  later.topAngle = kHalfPi; // checked again after a change, as the other shapes
  later.checkValid();
  later.topAngle = 0.1;
  later.buildGeometry(); // never valid again
  expectInvalidAnswers(later);
}

TEST(Rectangle, RaysAgreeWithPlaneIntersectionAndClampOntoThePhotograph) {
  checkMappingAndViewpointRays<Rectangle>(0.6, -0.4, -0.9, 0.3);
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> c(-4, 4);
  for (int n = 0; n < 200; ++n) {
    const Rectangle r(randomPlacement(rng), 2, 1.2, -1.2, -1.2, 1.2);
    const Vec3d o = {c(rng), c(rng), c(rng)};
    const Vec3d d = {c(rng), c(rng), c(rng)};
    const auto plane = Eigen::Hyperplane<double, 3>::Through(test::toEigen(r.cornerPoints[0]),
                                                             test::toEigen(r.cornerPoints[1]),
                                                             test::toEigen(r.cornerPoints[2]));
    const auto line = Eigen::ParametrizedLine<double, 3>(test::toEigen(o), test::toEigen(d));
    const double t = line.intersectionParameter(plane);
    const Eigen::Vector3d ref = line.pointAt(t);
    // When the plane lies behind, the ray origin is projected instead.
    const Vec2d uv = relOf(r, t < 0 ? o : Vec3d{ref.x(), ref.y(), ref.z()});
    Vec3d hit = {};
    const bool res = r.intersectRay(o, d, hit, true);
    EXPECT_EQ(res, t >= 0 && std::fabs(uv.x) < 1 && std::fabs(uv.y) < 1) << n;
    EXPECT_LT(dist(hit, at(r, clampUnit(uv.x), clampUnit(uv.y))), 1e-12 * (1 + ref.norm())) << n;
  }
  const Rectangle r(Mat4d::identity, 1, 0.5, -0.5, -0.5, 0.5);
  Vec3d hit = {};
  EXPECT_TRUE(r.intersectRay({0, 0, 0}, {0, 0, -2}, hit, false));
  EXPECT_EQ(hit, (Vec3d{0, 0, -1}));
  EXPECT_FALSE(r.intersectRay({0, 0, 0}, {0, 0, 1}, hit, false));  // plane behind
  EXPECT_FALSE(r.intersectRay({5, 0.1, 3}, {1, 0, 0}, hit, true)); // parallel
  EXPECT_LT(dist(hit, at(r, 1, 0.1 / std::tan(0.5))), 4 * kEps);
}

TEST(Cylinder, ExampleSeamAndValidity) {
  const Cylinder c(Mat4d::identity, 2, kPi / 4, -kPi / 4, -kHalfPi, kHalfPi);
  EXPECT_TRUE(std::fabs(c.bottomHeight + 2) <= 4 * kEps && std::fabs(c.height - 4) <= 4 * kEps);
  EXPECT_EQ(at(c, 0, 0), (Vec3d{0, 0, -2}));
  EXPECT_LT(dist(at(c, 1, 0), {2, 0, 0}), 4 * kEps);
  EXPECT_LT(length(relOf(c, {-2, 1, 0}) - Vec2d{-1, 0.5}), 4 * kEps);
  EXPECT_NEAR(c.getWidthHeightRatio(), kHalfPi, 4 * kEps);
  EXPECT_EQ(wrapping(c), std::make_pair(false, false)); // a span of exactly pi
  EXPECT_TRUE(wrapping(Cylinder(Mat4d::identity, 1, 0.5, -0.5, -kHalfPi, kHalfPi + 0.001)).first);
  const Cylinder pano(Mat4d::identity, 1, 0.5, -0.5, -kPi, kPi);
  EXPECT_EQ(relOf(pano, {0, 0, 1}).x, -1); // behind: -pi, never +pi

  expectInvalidAnswers(Cylinder(Mat4d::identity, 1, kHalfPi, -0.5, -1, 1));
  expectInvalidAnswers(Cylinder(Mat4d::identity, 1, 0.5, -kHalfPi, -1, 1));
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
  checkMappingAndViewpointRays<Cylinder>(0.6, -0.4, -2.0, 1.2);
  std::mt19937_64 rng(13);
  std::uniform_real_distribution<double> c(-4, 4);
  const Cylinder pano(Mat4d::identity, 2, 1.3, -1.3, -kPi, kPi);
  for (int n = 0; n < 300; ++n) {
    const Vec3d o = {c(rng), c(rng), c(rng)};
    const Vec3d d = {c(rng), c(rng), c(rng)};
    // x^2 + z^2 = r^2 along o + t d: the exit point, wherever the ray starts.
    const double a = d.x * d.x + d.z * d.z;
    const double b = 2 * (o.x * d.x + o.z * d.z);
    const double disc = b * b - 4 * a * (o.x * o.x + o.z * o.z - 4);
    const Vec3d ref = o + d * ((-b + std::sqrt(disc)) / (2 * a));
    Vec3d hit = {};
    const bool res = pano.intersectRay(o, d, hit, false);
    EXPECT_EQ(res, disc >= 0 && std::fabs(ref.y) < 2 * std::tan(1.3)) << n;
    EXPECT_TRUE(!res || dist(hit, ref) < 1e-12) << n;
  }
  const Cylinder cyl(Mat4d::identity, 2, 0.5, -0.5, -1, 1);
  Vec3d hit = {};
  EXPECT_TRUE(cyl.intersectRay({}, {0, 0, -1}, hit, false));
  EXPECT_EQ(hit, (Vec3d{0, 0, -2}));
  EXPECT_FALSE(cyl.intersectRay({0.1, 0.3, -0.5}, {0, -1, 0}, hit, true)); // along the axis
  EXPECT_LT(dist(hit, {0.2 / std::hypot(0.1, 0.5), 0.3, -1 / std::hypot(0.1, 0.5)}), 8 * kEps);
  EXPECT_FALSE(cyl.intersectRay({-5, 0, -3}, {1, 0, 0}, hit, true)); // passes beyond the radius
  EXPECT_LT(dist(hit, at(cyl, 0, 0)), 4 * kEps);
  Vec3d p = cyl.origin;
  cyl.projectToSurface(p);
  EXPECT_LT(dist(p, {0, 0, -2}), 4 * kEps);
  p = {0, 9, 0};
  cyl.projectToSurface(p);
  EXPECT_EQ(p, at(cyl, 0, 1));
}

TEST(Sphere, ExampleSeamAndValidityChecksOnlyWhenAsked) {
  Sphere s(Mat4d::identity, 1, kHalfPi, -kHalfPi, -kPi, kPi);
  s.checkValid();
  EXPECT_TRUE(s.valid);
  EXPECT_EQ(wrapping(s), std::make_pair(true, false));
  EXPECT_EQ(s.getWidthHeightRatio(), 2);
  EXPECT_EQ(at(s, 0, 0), (Vec3d{0, 0, -1}));
  EXPECT_LT(dist(at(s, 0, 1), {0, 1, 0}), 4 * kEps);
  const Vec2d right = relOf(s, {1, 0, 0});
  EXPECT_NEAR(right.x, 0.5, 4 * kEps);
  EXPECT_EQ(right.y, 0);
  EXPECT_EQ(relOf(s, {0, 0, 1}).x, 1); // behind: +pi, unlike the cylinder
  EXPECT_EQ(s.getNormal({0, 0.5e-8, 0}), Vec3d::zero);
  EXPECT_EQ(s.getNormal({0, 0, -3}), (Vec3d{0, 0, 1}));
  Vec3d p = s.origin;
  s.projectToSurface(p);
  EXPECT_EQ(p, at(s, 0, 0));

  // {top, bottom, left, right, radius}, each unusable.
  const double unusable[][5] = {{kHalfPi + 1e-15, 0, -1, 1, 1},
                                {0.5, -0.5, -3.2, 1, 1},  // one side beyond a half turn
                                {0.5, -0.5, 0.3, 0.3, 1}, // no width
                                {0.2, 0.2, -1, 1, 1},     // no height
                                {0.5, -0.5, -1, 1, 0}};
  for (const auto &k : unusable) {
    SCOPED_TRACE(::testing::Message()
                 << k[0] << ", " << k[1] << ", " << k[2] << ", " << k[3] << ", radius " << k[4]);
    Sphere bad(Mat4d::identity, k[4], k[0], k[1], k[2], k[3]);
    EXPECT_TRUE(bad.valid); // the constructor does not validate
    bad.checkValid();
    expectInvalidAnswers(bad);
  }
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
  EXPECT_TRUE(t0 == 2 && t1 == 3);
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> c(-3, 3);
  Vec3d pt = {};
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
    const double q = std::sqrt(disc);
    const double tol = 1e-14 * (std::fabs(b) + q) / a * (1 + std::fabs(b) / q);
    EXPECT_NEAR(t0, (-b - q) / (2 * a), tol) << n;
    EXPECT_NEAR(t1, (-b + q) / (2 * a), tol) << n;
    const bool ahead = Sphere::IsectRaySphere(o, d, ctr, r, Sphere::kFirstAhead, pt);
    EXPECT_EQ(ahead, t1 >= 0);
    EXPECT_TRUE(!ahead || pt == o + d * (t0 >= 0 ? t0 : t1));
    if ((dot(m, m) <= r * r || dot(m, d) <= 0) && disc > 1e-9 * b * b) { // not moving away
      EXPECT_TRUE(Sphere::ClampIsectRaySphere(o, d, ctr, r, Sphere::kExit, pt));
      EXPECT_LT(dist(pt, o + d * t1), 1e-12 * (r + length(m))) << n;
    }
  }
  EXPECT_TRUE(Sphere::IsectRaySphere({}, {1, 0, 0}, {}, 1, Sphere::kFirstAhead, pt));
  EXPECT_EQ(pt, (Vec3d{1, 0, 0}));
  EXPECT_TRUE(Sphere::IsectRaySphere({}, {1, 0, 0}, {}, 1, Sphere::kEntry, pt));
  EXPECT_EQ(pt, (Vec3d{-1, 0, 0}));
  EXPECT_FALSE(Sphere::IsectRaySphere({0, 0, 3}, {0, 0, 1}, {}, 1, Sphere::kFirstAhead, pt));
  EXPECT_TRUE(Sphere::IsectRaySphere({0, 0, -1}, {0, 0, 1}, {}, 1, Sphere::kFirstAhead, pt));
  EXPECT_EQ(pt, (Vec3d{0, 0, -1})) << "an entry at the origin counts as ahead";
  // Missing, and moving away with d parallel to p (the x axis is taken).
  for (const Vec3d &d : {Vec3d{1, 0, 0}, Vec3d{0, 0, 1}}) {
    EXPECT_FALSE(Sphere::ClampIsectRayUnitSphere({0, 0, 2}, d, Sphere::kEntry, pt));
    EXPECT_EQ(pt, (Vec3d{0.8660254037844386, 0, 0.5}));
  }
  EXPECT_TRUE(Sphere::ClampIsectRayUnitSphere({1, 0, -5}, {0, 0, 1}, Sphere::kEntry, pt));
  EXPECT_EQ(pt, (Vec3d{1, 0, 0})) << "a tangent line meets the sphere";
  const Sphere::RayT kinds[3] = {Sphere::kEntry, Sphere::kExit, Sphere::kFirstAhead};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Sphere::ClampIsectRayUnitSphere({0, 0, 2}, {0, 0, -1}, kinds[i], pt));
    EXPECT_EQ(pt, (Vec3d{0, 0, i == 1 ? -1.0 : 1.0}));
  }
}

TEST(Sphere, RaysFromInsideAndOutsideLandOnTheExitPointOrTheSnappedRim) {
  checkMappingAndViewpointRays<Sphere>(0.8, -1.0, -2.0, 1.2);
  const Sphere s(Mat4d::identity, 2, 0.5, -0.5, -1, 1);
  Vec3d hit = {};
  // From outside in front, through the centre: the exit point, behind the
  // viewpoint, is off the photograph.
  EXPECT_FALSE(s.intersectRay({0, 0, -5}, {0, 0, 1}, hit, false));
  EXPECT_EQ(hit, (Vec3d{0, 0, 2}));
  EXPECT_TRUE(s.intersectRay({0, 0, 5}, {0, 0, -1}, hit, false)); // exit in front
  EXPECT_EQ(hit, (Vec3d{0, 0, -2}));
  hit = {9, 9, 9};
  EXPECT_FALSE(s.intersectRay({0, 0, -5}, {0, 0, -1}, hit, false)); // sphere behind
  EXPECT_EQ(hit, (Vec3d{9, 9, 9}));
  EXPECT_FALSE(s.intersectRay({0, 0, -5}, {0, 1, 0}, hit, true)); // misses: rim, snapped
  EXPECT_LT(dist(hit, at(s, 0, 1)), 4 * kEps);
}

TEST(CullRect, ExtendTakesTheShorterPeriodicAliasAndEmptinessCountsNaNBounds) {
  // {lower, upper, added u, wrapX, expected lower, expected upper}
  const double cases[][6] = {{0.8, 0.9, -0.95, 1, 0.8, 1.05},
                             {-0.9, -0.8, 0.95, 1, 0.95, 1.2},
                             {0.5, 0.5, -0.5, 1, 0.5, 1.5}, // a tie goes to the alias
                             {0.8, 0.9, -0.95, 0, -0.95, 0.9},
                             // A lower bound just below -1.000001 moves up a period.
                             {-0.5, -0.4, -1.0000015, 1, -1.0000015 + 2, -0.4 + 2}};
  for (const auto &k : cases) {
    CullRect r = {{{k[0], 0}, {k[1], 0.5}}, k[3] != 0, false};
    r.extend({k[2], 0.25});
    EXPECT_EQ((Vec2d{r.min.x, r.max.x}), (Vec2d{k[4], k[5]})) << k[0] << " + " << k[2];
  }
  CullRect empty = {kEmptyRect, true, true};
  EXPECT_TRUE(empty.isEmpty());
  empty.extend({-0.95, 1});
  EXPECT_TRUE(empty.min == (Vec2d{-0.95, 1}) && empty.max == (Vec2d{-0.95, 1}));
  // A single point is a rectangle; a NaN bound holds no point.
  EXPECT_FALSE(empty.isEmpty());
  EXPECT_TRUE((RectD{{0, std::nan("")}, {1, 1}}.isEmpty()));
  CullRect low = {kEmptyRect, true, true}; // a lower bound at the threshold is kept
  low.extend({-1.000001, -1.000001});
  EXPECT_EQ(low.min, (Vec2d{-1.000001, -1.000001}));
  EXPECT_TRUE((RectD{{0, 0}, {1, -1e-300}}.isEmpty()));
}

// Seen from the viewpoint with no roll about the photograph's up axis, every
// extreme of the view's border on the sphere sits at one of the 16 border
// rays (side edges extreme at their ends, top and bottom arcs highest and
// lowest in their middle), and every extreme of the photograph's outline at
// one of its 16 samples. So a culled rectangle with area never misses a
// visible grid point, and when the view lies within the photograph (every
// border ray hits) it matches the brute force up to the grid step. Where
// border rays miss, their clamped landing points may widen it, but not beyond
// the photograph.
TEST(CullToFrustum, TypicalSphereViewsHoldTheBruteForceRegion) {
  std::mt19937_64 rng(23);
  std::uniform_real_distribution<double> az(-1.6, 2.0);
  std::uniform_real_distribution<double> el(-0.9, 1.0);
  std::uniform_real_distribution<double> fov(0.2, 1.2);
  const int n = 400;
  int seen = 0;
  int within = 0;
  for (int k = 0; k < 24; ++k) {
    const Sphere s(randomPlacement(rng), 3, 0.7, -0.5, -1.0, 1.4);
    const double a = az(rng);
    const double e = el(rng);
    const Vec3d dir = s.viewDir * (std::cos(e) * std::cos(a)) +
                      s.rightAxis * (std::cos(e) * std::sin(a)) + s.upAxis * std::sin(e);
    Frustum f;
    lookAt(f, s.origin, s.origin + dir, s.upAxis, fov(rng), 1.5);
    RectD rect = {{7, 7}, {7, 7}};
    s.cullToFrustum(f, rect);
    const RectD brute = bruteVisible(s, f, n);
    if (brute.min.x > brute.max.x) {
      EXPECT_TRUE(isEmptyRect(rect)) << k;
      continue;
    }
    ++seen;
    expectBounds(rect, {{-1, -1}, {1, 1}}, 2, 4 * kEps);
    if (!(rect.min.x < rect.max.x && rect.min.y < rect.max.y)) {
      // A view that only grazes the photograph between outline samples: the
      // one landing point found lies in the sliver.
      expectBounds(brute, rect, 2.0 / n, 2);
      continue;
    }
    const bool inside = brute.min.x > -1 && brute.max.x < 1 && brute.min.y > -1 && brute.max.y < 1;
    within += inside;
    expectBounds(rect, brute, 1e-9, inside ? 2.0 / n + 1e-9 : 2);
  }
  EXPECT_GE(seen, 12);
  EXPECT_GE(within, 3);
}

// The cull and the outline take the library's curved shapes apart from the
// virtual calls (intersecting and mapping each sample once, keeping the sines
// of the sample angles): a subclass, which takes every documented call, must
// get the same bits.
template <class Shape> void expectVirtualPathBits(const Shape &shape) {
  struct Derived : Shape {
    explicit Derived(const Shape &s) : Shape(s) {}
  };
  const Derived derived(shape);
  ASSERT_EQ(detail::shapeOf(derived), detail::ShapeKind::kOther);
  std::mt19937_64 rng(41);
  std::uniform_real_distribution<double> angle(-1.2, 1.2);
  const Mat4d proj = perspective(1.0, 1.5, 0.01, 100);
  for (int k = 0; k < 40; ++k) {
    SCOPED_TRACE(k);
    const double a = angle(rng);
    const double e = angle(rng) * 0.5;
    const Vec3d dir = shape.viewDir * (std::cos(e) * std::cos(a)) +
                      shape.rightAxis * (std::cos(e) * std::sin(a)) + shape.upAxis * std::sin(e);
    Frustum f;
    lookAt(f, shape.origin, shape.origin + dir, shape.upAxis, 0.3 + std::fabs(e), 1.5);
    RectD ours = {{7, 7}, {7, 7}};
    RectD virtualCalls = ours;
    shape.cullToFrustum(f, ours);
    derived.cullToFrustum(f, virtualCalls);
    EXPECT_EQ(ours.min, virtualCalls.min);
    EXPECT_EQ(ours.max, virtualCalls.max);
    Mat4d view = {};
    view.buildLookAt(shape.origin - dir, shape.origin, shape.upAxis);
    for (double threshold : {0.05, 0.2, 0.5, 0.9}) {
      EXPECT_EQ(shape.isViewCloseToSurface(view, proj, threshold),
                derived.isViewCloseToSurface(view, proj, threshold));
    }
  }
}

TEST(CullToFrustum, LibraryShapesGiveTheBitsOfTheVirtualCalls) {
  std::mt19937_64 rng(5);
  expectVirtualPathBits(Sphere(randomPlacement(rng), 3, 0.7, -0.5, -1.0, 1.4));
  expectVirtualPathBits(Sphere(randomPlacement(rng), 2, 0.4, -0.9, -2.5, 2.9));
  expectVirtualPathBits(Cylinder(randomPlacement(rng), 3, 0.6, -0.4, -1.2, 0.9));
}

TEST(CullToFrustum, InsideWholeAwayFarStripAndInvalidViews) {
  // Inside: the view's border lands on the plane at +-tan 30 deg x 1.5 and
  // +-tan 30 deg, a photograph reaching +-1 at distance 1.
  const Rectangle r(Mat4d::identity, 1, kPi / 4, -kPi / 4, -kPi / 4, kPi / 4);
  Frustum f;
  lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, kPi / 3, 1.5);
  RectD rect = {};
  r.cullToFrustum(f, rect);
  const double h = std::tan(kPi / 6);
  expectBounds(rect, {{-1.5 * h, -h}, {1.5 * h, h}}, 1e-14, 1e-14);

  const Sphere s(Mat4d::identity, 2, 0.3, -0.2, -0.4, 0.5);
  lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, 2.0, 1.5); // sees all of it
  s.cullToFrustum(f, rect);
  expectBounds(rect, {{-1, -1}, {1, 1}}, 0, 4 * kEps); // clamped rays may round past the edge
  lookAt(f, {}, {0, 0, 1}, {0, 1, 0}, 1.0, 1.5);       // looks away
  s.cullToFrustum(f, rect);
  EXPECT_TRUE(isEmptyRect(rect));

  // Beyond the far plane (100) no outline sample is inside and the border
  // rays pass beside the photograph, but the middle of the view meets it.
  const Sphere far(Mat4d::identity, 200, 0.3, -0.2, -0.4, 0.5);
  lookAt(f, {}, {0, 0, -1}, {0, 1, 0}, 1.5, 1.5);
  far.cullToFrustum(f, rect);
  expectBounds(rect, {{-1, -1}, {1, 1}}, 4 * kEps, 4 * kEps);

  // A thin strip whose end lies in the view and whose body crosses its left
  // edge between border rays: the samples inside span no width, but once
  // some are inside every clamped landing point counts.
  const Rectangle strip(Mat4d::identity, 1, 0.01, -0.01, -0.5, 0.5);
  lookAt(f, {}, {0.75, 0.1, -1}, {0, 1, 0}, 0.6, 1);
  strip.cullToFrustum(f, rect);
  expectBounds(rect, bruteVisible(strip, f, 400), 1e-9, 0.1);

  Sphere bad(Mat4d::identity, 2, 0.3, 0.4, -0.4, 0.5);
  bad.checkValid();
  rect = {{3, 4}, {5, 6}};
  bad.cullToFrustum(f, rect);
  EXPECT_TRUE(rect.min == (Vec2d{3, 4}) && rect.max == (Vec2d{5, 6}));
}

TEST(CullToFrustum, FullPanoramaIsJoinedAcrossTheSeamOrWidenedToAFullTurn) {
  // Looking straight behind with a 60 degree field: azimuth pi +- pi/6, that
  // is u in 1 +- 1/6 read modulo 2; the photograph's height fills the view.
  const Cylinder c(Mat4d::identity, 2, 0.5, -0.5, -kPi, kPi);
  Frustum f;
  lookAt(f, {}, {0, 0, 1}, {0, 1, 0}, kPi / 3, 1);
  RectD rect = {};
  c.cullToFrustum(f, rect);
  EXPECT_NEAR(rect.min.x, 5.0 / 6, 1e-12);
  EXPECT_NEAR(rect.max.x, 7.0 / 6, 1e-12);
  EXPECT_TRUE(rect.min.y == -1 && rect.max.y == 1);
  // From behind the axis a 120 degree view reaches azimuths beyond +-100
  // degrees: more than half a turn comes back as the full range.
  lookAt(f, {0, 0, 1.8}, {0, 0, -1}, {0, 1, 0}, 2 * kPi / 3, 1);
  c.cullToFrustum(f, rect);
  EXPECT_TRUE(rect.min.x == -1 && rect.max.x == 1);
}

// Photographs that do not wrap but reach or cross the turn at +-pi, under a
// random placement: both edges read back where they are (the fixed sign rule
// put about half of the points of an edge at -pi a whole turn away), points
// beyond an edge snap to that edge, and a view from the viewpoint across the
// edge or the turn culls to the brute-force region. A cylinder is only
// constructed with angles inside [-pi, pi]; the one crossing the turn gets its
// angles afterwards, as a sphere that is never checked may have them.
TEST(CullToFrustum, PhotographsAtTheTurnReadContinuouslyAndCullToTheBruteForceRegion) {
  struct Case {
    bool sphere;
    double left, right; // the photograph's azimuths
    double uLo, uHi;    // the view's horizontal extent, in the photograph's u
  };
  const Case cases[] = {
      {false, -kPi, -kPi + 0.01, -1.4, -0.2},
      {true, -kPi, -kPi + 0.01, -1.4, -0.2},
      {false, kPi - 0.01, kPi, 0.2, 1.4},
      {true, kPi - 0.01, kPi, 0.2, 1.4},
      {false, kPi - 0.005, kPi + 0.005, -0.6, 0.5},
      {true, 3.0, 3.3, -0.6, 0.5},
      {false, 2.0, kPi, 0.8, 1.3},
      {true, -kPi, -kPi + 2, -1.1, -0.7},
  };
  std::mt19937_64 rng(31);
  const int n = 400;
  for (const Case &c : cases) {
    const Mat4d m = randomPlacement(rng);
    Cylinder cyl(m, 2, 0.3, -0.3, std::fmax(c.left, -kPi), std::fmin(c.right, kPi));
    const Sphere sph(m, 3, 0.3, -0.3, c.left, c.right);
    cyl.leftAngle = c.left;
    cyl.rightAngle = c.right;
    const FovDelimitedSurface &s = c.sphere ? static_cast<const FovDelimitedSurface &>(sph) : cyl;
    ASSERT_TRUE(s.valid && !wrapping(s).first);
    const std::string row = std::to_string(c.left) + " " + std::to_string(c.right);
    for (double v = -1; v <= 1; v += 0.25) {
      for (double u : {-1.0, 1.0}) {
        EXPECT_NEAR(relOf(s, at(s, u, v)).x, u, 1e-9) << row;
        EXPECT_TRUE(s.isPtOnFiniteSurface(at(s, u, v))) << row;
      }
      for (double u : {-1.5, 2.5}) {
        Vec3d p = at(s, u, v);
        ASSERT_TRUE(s.doSnapPoint(p));
        EXPECT_LT(dist(p, at(s, clampUnit(u), v)), 1e-9) << row << " u " << u;
      }
    }
    const double span = c.right - c.left;
    const double lo = c.left + span * (c.uLo + 1) / 2;
    const double hi = c.left + span * (c.uHi + 1) / 2;
    const double a = (lo + hi) / 2;
    Frustum f;
    lookAt(f, s.origin, s.origin + s.viewDir * std::cos(a) + s.rightAxis * std::sin(a), s.upAxis,
           1.0, std::tan((hi - lo) / 2) / std::tan(0.5));
    RectD rect = {};
    s.cullToFrustum(f, rect);
    const RectD brute = bruteVisible(s, f, n);
    EXPECT_NEAR(brute.min.x, std::fmax(c.uLo, -1), 3.0 / n) << row;
    EXPECT_NEAR(brute.max.x, std::fmin(c.uHi, 1), 3.0 / n) << row;
    expectBounds(rect, brute, 1e-9, 2.0 / n + 1e-9);
  }
}

} // namespace
