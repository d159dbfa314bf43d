#include "math/Surface.h"
#include "math/detail/Angles.h"

#include "CountingMemory.h"

#include <Eigen/Geometry>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

using namespace orrery;

namespace {

using detail::kPi;
constexpr int kRays = 64;

// A photograph placed 3 units around (1, 2, 3), turned about the up axis.
Mat4d placement() {
  Mat4d m = Mat4d::identity;
  const double c = std::cos(0.4);
  const double s = std::sin(0.4);
  m.set(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 1, 2, 3, 1);
  return m;
}

// The viewer at the viewpoint, looking a little right of and above the middle
// of the photograph, which the view partly covers.
struct TypicalView {
  Mat4d view;
  Mat4d projection;
  TypicalView(const FovDelimitedSurface &s) {
    projection.buildPerspective(0.9, 1.5, 0.01, 100);
    const Vec3d target = s.origin + s.viewDir * 2.0 + s.rightAxis * 0.9 + s.upAxis * 0.4;
    view.buildLookAt(s.origin, target, s.upAxis);
  }
};

template <class Shape> Shape makeShape(double left, double right) {
  return Shape(placement(), 3, 0.5, -0.4, left, right);
}

void reportAllocations(benchmark::State &state, const test::CountingMemory &mem) {
  state.counters["allocs"] = mem.allocations;
}

template <class Shape> void cull(benchmark::State &state, double left, double right) {
  test::CountingMemory mem;
  const Shape s = makeShape<Shape>(left, right);
  const TypicalView v(s);
  Frustum f;
  f.build(v.view, v.projection);
  Rect<double, Vec2d> rect = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(f);
    s.cullToFrustum(f, rect);
    benchmark::DoNotOptimize(rect);
  }
  reportAllocations(state, mem);
}
void BM_ours_CullSphere(benchmark::State &state) { cull<Sphere>(state, -1.0, 1.2); }
void BM_ours_CullCylinder(benchmark::State &state) { cull<Cylinder>(state, -kPi, kPi); }
void BM_ours_CullRectangle(benchmark::State &state) { cull<Rectangle>(state, -1.0, 1.2); }
BENCHMARK(BM_ours_CullSphere);
BENCHMARK(BM_ours_CullCylinder);
BENCHMARK(BM_ours_CullRectangle);

// The viewer's whole request: the frustum from the view, then the cull; and
// the frustum alone, to read the cull's share.
void BM_ours_FrustumBuildAndCullSphere(benchmark::State &state) {
  test::CountingMemory mem;
  const Sphere s = makeShape<Sphere>(-1.0, 1.2);
  const TypicalView v(s);
  Rect<double, Vec2d> rect = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.view);
    Frustum f;
    f.build(v.view, v.projection);
    s.cullToFrustum(f, rect);
    benchmark::DoNotOptimize(rect);
  }
  reportAllocations(state, mem);
}
BENCHMARK(BM_ours_FrustumBuildAndCullSphere);

void BM_ours_FrustumBuild(benchmark::State &state) {
  const Sphere s = makeShape<Sphere>(-1.0, 1.2);
  const TypicalView v(s);
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.view);
    Frustum f;
    f.build(v.view, v.projection);
    benchmark::DoNotOptimize(f);
  }
}
BENCHMARK(BM_ours_FrustumBuild);

// The peers: the same arithmetic written plainly on Eigen types and the
// standard functions. The frustum maps the three corners of each face of the
// normalised-device cube back to world space (row vectors, as ours), takes
// the face's normal from them and the four side edges far minus near.
using RowMat4 = Eigen::Matrix<double, 4, 4, Eigen::RowMajor>;

struct PlainFrustum {
  Eigen::Vector4d planes[6];
  Eigen::Vector3d eye;
  Eigen::Vector3d edges[4];
};

bool plainFrustum(const Mat4d &view, const Mat4d &projection, PlainFrustum &f) {
  static constexpr double kCorners[6][3][3] = {
      {{-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}},  {{-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}},
      {{1, 1, 1}, {1, 1, -1}, {1, -1, -1}},     {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
      {{-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}}, {{1, 1, 1}, {1, -1, 1}, {-1, -1, 1}}};
  static constexpr int kEdgeOfFace[4][3] = {{0, 1, 2}, {3, 0, 1}, {2, 0, 1}, {1, 1, 2}};
  const Eigen::Map<const RowMat4> v(view.m);
  const Eigen::Map<const RowMat4> p(projection.m);
  f.eye = v.inverse().row(3).head<3>().transpose();
  const RowMat4 inv = (v * p).inverse();
  for (int i = 0; i < 6; ++i) {
    Eigen::Vector3d w[3];
    for (int k = 0; k < 3; ++k) {
      const double(&c)[3] = kCorners[i][k];
      const Eigen::RowVector4d h = Eigen::RowVector4d(c[0], c[1], c[2], 1.0) * inv;
      if (h(3) == 0.0) {
        return false;
      }
      w[k] = h.head<3>().transpose() / h(3);
    }
    if (i < 4) {
      f.edges[kEdgeOfFace[i][0]] = (w[kEdgeOfFace[i][1]] - w[kEdgeOfFace[i][2]]).normalized();
    }
    const Eigen::Vector3d n = (w[0] - w[1]).cross(w[2] - w[1]).normalized();
    f.planes[i] << n, -n.dot(w[1]);
  }
  return true;
}

bool plainInside(const PlainFrustum &f, const Eigen::Vector3d &p) {
  for (const Eigen::Vector4d &pl : f.planes) {
    if (pl.head<3>().dot(p) + pl(3) < 0) {
      return false;
    }
  }
  return true;
}

// A photograph on a sphere or a cylinder round (origin; right, up, back).
struct PlainSurface {
  bool sphere;
  Eigen::Vector3d origin, right, up, view;
  double r, left, rightA, bottom, top;

  explicit PlainSurface(const FovDelimitedSurface &s, bool isSphere)
      : sphere(isSphere), origin(s.origin.x, s.origin.y, s.origin.z),
        right(s.rightAxis.x, s.rightAxis.y, s.rightAxis.z), up(s.upAxis.x, s.upAxis.y, s.upAxis.z),
        view(s.viewDir.x, s.viewDir.y, s.viewDir.z), r(s.distance), left(s.leftAngle),
        rightA(s.rightAngle), bottom(s.bottomAngle), top(s.topAngle) {}

  Eigen::Vector3d point(double u, double v) const {
    const double theta = left + (rightA - left) * (u + 1) * 0.5;
    const double t = (v + 1) * 0.5;
    if (sphere) {
      const double phi = bottom + (top - bottom) * t;
      return origin + r * (view * (std::cos(phi) * std::cos(theta)) +
                           right * (std::cos(phi) * std::sin(theta)) + up * std::sin(phi));
    }
    const double h = r * (std::tan(bottom) + (std::tan(top) - std::tan(bottom)) * t);
    return origin + view * (r * std::cos(theta)) + right * (r * std::sin(theta)) + up * h;
  }

  // The exit of the ray o + t d from the surface, and its relative coordinates.
  bool hit(const Eigen::Vector3d &o, const Eigen::Vector3d &d, Eigen::Vector2d &uv) const {
    const Eigen::Vector3d m = o - origin;
    Eigen::Vector3d dd = d;
    Eigen::Vector3d mm = m;
    if (!sphere) { // the cylinder: the quadratic across the axis
      dd -= up * d.dot(up);
      mm -= up * m.dot(up);
    }
    const double a = dd.squaredNorm();
    const double b = mm.dot(dd);
    const double disc = b * b - a * (mm.squaredNorm() - r * r);
    if (a == 0 || disc < 0) {
      return false;
    }
    const double t = (std::sqrt(disc) - b) / a;
    if (t < 0) {
      return false;
    }
    const Eigen::Vector3d q = (o + d * t - origin) / r;
    const double e = q.dot(up);
    const Eigen::Vector3d hz = (q - up * e).normalized();
    double theta = std::acos(std::clamp(hz.dot(view), -1.0, 1.0));
    if (hz.dot(right) < 0) {
      theta = -theta;
    }
    const double vert =
        sphere ? (std::asin(std::clamp(e, -1.0, 1.0)) - bottom) / (top - bottom)
               : (e * r - r * std::tan(bottom)) / (r * (std::tan(top) - std::tan(bottom)));
    uv = {2 * (theta - left) / (rightA - left) - 1, 2 * vert - 1};
    return std::abs(uv.x()) <= 1 && std::abs(uv.y()) <= 1;
  }
};

// The cull written plainly: the outline samples inside the frustum and the
// frustum's border rays that land on the photograph bound the rectangle. It
// leaves out ours' wrapping of periodic coordinates and the clamping of
// missed rays onto the photograph's edge.
void plainCull(const PlainSurface &s, const PlainFrustum &f, Rect<double, Vec2d> &rect) {
  static constexpr double kCorners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  Eigen::Vector2d lo(1e300, 1e300);
  Eigen::Vector2d hi(-1e300, -1e300);
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 4; ++i) {
      const double t = 0.25 * i;
      const Eigen::Vector2d c(kCorners[k][0] * (1 - t) + kCorners[(k + 1) % 4][0] * t,
                              kCorners[k][1] * (1 - t) + kCorners[(k + 1) % 4][1] * t);
      if (plainInside(f, s.point(c.x(), c.y()))) {
        lo = lo.cwiseMin(c);
        hi = hi.cwiseMax(c);
      }
    }
  }
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 4; ++i) {
      const double t = 0.25 * i;
      const Eigen::Vector3d d = f.edges[k] * (1 - t) + f.edges[(k + 1) % 4] * t;
      Eigen::Vector2d uv;
      if (s.hit(f.eye, d, uv)) {
        lo = lo.cwiseMin(uv);
        hi = hi.cwiseMax(uv);
      }
    }
  }
  rect.min = {lo.x(), lo.y()};
  rect.max = {hi.x(), hi.y()};
}

void BM_peer_FrustumBuild(benchmark::State &state) {
  const Sphere s = makeShape<Sphere>(-1.0, 1.2);
  const TypicalView v(s);
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.view);
    PlainFrustum f;
    benchmark::DoNotOptimize(plainFrustum(v.view, v.projection, f));
    benchmark::DoNotOptimize(f);
  }
}
BENCHMARK(BM_peer_FrustumBuild);

template <class Shape> void plainCullBench(benchmark::State &state, double left, double right) {
  const Shape s = makeShape<Shape>(left, right);
  const PlainSurface plain(s, std::is_same_v<Shape, Sphere>);
  const TypicalView v(s);
  PlainFrustum f;
  plainFrustum(v.view, v.projection, f);
  Rect<double, Vec2d> rect = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(f);
    plainCull(plain, f, rect);
    benchmark::DoNotOptimize(rect);
  }
}
void BM_peer_CullSphere(benchmark::State &state) { plainCullBench<Sphere>(state, -1.0, 1.2); }
void BM_peer_CullCylinder(benchmark::State &state) { plainCullBench<Cylinder>(state, -kPi, kPi); }
BENCHMARK(BM_peer_CullSphere);
BENCHMARK(BM_peer_CullCylinder);

void BM_peer_FrustumBuildAndCullSphere(benchmark::State &state) {
  const Sphere s = makeShape<Sphere>(-1.0, 1.2);
  const PlainSurface plain(s, true);
  const TypicalView v(s);
  Rect<double, Vec2d> rect = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.view);
    PlainFrustum f;
    plainFrustum(v.view, v.projection, f);
    plainCull(plain, f, rect);
    benchmark::DoNotOptimize(rect);
  }
}
BENCHMARK(BM_peer_FrustumBuildAndCullSphere);

// Rays from outside the sphere through points scattered over it.
struct Rays {
  Vec3d origin[kRays];
  Vec3d dir[kRays];
  explicit Rays(const Vec3d &centre) {
    for (int i = 0; i < kRays; ++i) {
      const double a = 0.37 * i;
      const double b = 0.23 * i - 1.1;
      origin[i] = centre + Vec3d{5 * std::cos(a), 1.5 * std::sin(b), 5 * std::sin(a)};
      const Vec3d target = centre + Vec3d{2 * std::sin(b), std::cos(a), -2 * std::cos(b)};
      dir[i] = target - origin[i];
    }
  }
};

void BM_ours_SphereRay(benchmark::State &state) {
  const Vec3d centre = {1, 2, 3};
  const Rays rays(centre);
  int i = 0;
  for (auto _ : state) {
    Vec3d p = {};
    const bool hit =
        Sphere::IsectRaySphere(rays.origin[i], rays.dir[i], centre, 3, Sphere::kFirstAhead, p);
    benchmark::DoNotOptimize(hit);
    benchmark::DoNotOptimize(p);
    i = (i + 1) % kRays;
  }
}
BENCHMARK(BM_ours_SphereRay);

// The textbook quadratic a t^2 + b t + c = 0, first root ahead.
void BM_peer_SphereRay(benchmark::State &state) {
  const Vec3d centre = {1, 2, 3};
  const Rays rays(centre);
  int i = 0;
  for (auto _ : state) {
    const Vec3d &o = rays.origin[i];
    const Vec3d &d = rays.dir[i];
    const double mx = o.x - centre.x;
    const double my = o.y - centre.y;
    const double mz = o.z - centre.z;
    const double a = d.x * d.x + d.y * d.y + d.z * d.z;
    const double b = 2 * (mx * d.x + my * d.y + mz * d.z);
    const double c = mx * mx + my * my + mz * mz - 9;
    const double disc = b * b - 4 * a * c;
    Vec3d p = {};
    bool hit = false;
    if (disc >= 0 && a != 0) {
      const double q = std::sqrt(disc);
      double t = (-b - q) / (2 * a);
      if (t < 0) {
        t = (-b + q) / (2 * a);
      }
      if (t >= 0) {
        p = {o.x + t * d.x, o.y + t * d.y, o.z + t * d.z};
        hit = true;
      }
    }
    benchmark::DoNotOptimize(hit);
    benchmark::DoNotOptimize(p);
    i = (i + 1) % kRays;
  }
}
BENCHMARK(BM_peer_SphereRay);

// The surface operation: intersection, the on-photograph test and clamping.
template <class Shape> void intersect(benchmark::State &state) {
  test::CountingMemory mem;
  const Shape s = makeShape<Shape>(-1.0, 1.2);
  const Rays rays(s.origin);
  int i = 0;
  for (auto _ : state) {
    Vec3d hit = {};
    const bool res = s.intersectRay(rays.origin[i], rays.dir[i], hit, true);
    benchmark::DoNotOptimize(res);
    benchmark::DoNotOptimize(hit);
    i = (i + 1) % kRays;
  }
  reportAllocations(state, mem);
}
void BM_ours_IntersectRaySphere(benchmark::State &state) { intersect<Sphere>(state); }
void BM_ours_IntersectRayCylinder(benchmark::State &state) { intersect<Cylinder>(state); }
void BM_ours_IntersectRayRectangle(benchmark::State &state) { intersect<Rectangle>(state); }
BENCHMARK(BM_ours_IntersectRaySphere);
BENCHMARK(BM_ours_IntersectRayCylinder);
BENCHMARK(BM_ours_IntersectRayRectangle);

void BM_ours_IsViewCloseToSurface(benchmark::State &state) {
  const Sphere s = makeShape<Sphere>(-1.0, 1.2);
  const TypicalView v(s);
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.view);
    benchmark::DoNotOptimize(s.isViewCloseToSurface(v.view, v.projection, 0.5));
  }
}
BENCHMARK(BM_ours_IsViewCloseToSurface);

// Ten samples along each edge of the photograph, through the view and the
// projection with the perspective divide, and the extent of those in depth.
void BM_peer_IsViewCloseToSurface(benchmark::State &state) {
  static constexpr double kCorners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  const Sphere s = makeShape<Sphere>(-1.0, 1.2);
  const PlainSurface plain(s, true);
  const TypicalView v(s);
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.view);
    const Eigen::Map<const RowMat4> view(v.view.m);
    const Eigen::Map<const RowMat4> proj(v.projection.m);
    Eigen::Vector2d lo(1e300, 1e300);
    Eigen::Vector2d hi(-1e300, -1e300);
    for (int k = 0; k < 4; ++k) {
      for (int i = 0; i < 10; ++i) {
        const double t = i / 9.0;
        const Eigen::Vector3d p =
            plain.point(kCorners[k][0] * (1 - t) + kCorners[(k + 1) % 4][0] * t,
                        kCorners[k][1] * (1 - t) + kCorners[(k + 1) % 4][1] * t);
        const Eigen::RowVector4d e = Eigen::RowVector4d(p.x(), p.y(), p.z(), 1.0) * view;
        const Eigen::RowVector4d c = e * proj;
        const Eigen::Vector3d n = c.head<3>().transpose() / c(3);
        if (n.z() >= -1 && n.z() <= 1) {
          lo = lo.cwiseMin(n.head<2>());
          hi = hi.cwiseMax(n.head<2>());
        }
      }
    }
    const bool close = (lo.array() < hi.array()).all() && 0.5 * (hi - lo).maxCoeff() > 0.5;
    benchmark::DoNotOptimize(close);
  }
}
BENCHMARK(BM_peer_IsViewCloseToSurface);

void BM_ours_GetRelativeCoordsSphere(benchmark::State &state) {
  const Sphere s = makeShape<Sphere>(-1.0, 1.2);
  Vec3d points[kRays];
  for (int i = 0; i < kRays; ++i) {
    points[i] = s.getPointFromCoords(std::sin(0.37 * i), std::cos(0.23 * i), nullptr);
  }
  int i = 0;
  for (auto _ : state) {
    double u = 0;
    double v = 0;
    benchmark::DoNotOptimize(s.getRelativeCoords(points[i], u, v));
    benchmark::DoNotOptimize(u);
    benchmark::DoNotOptimize(v);
    i = (i + 1) % kRays;
  }
}
BENCHMARK(BM_ours_GetRelativeCoordsSphere);

} // namespace
