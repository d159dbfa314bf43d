#include "math/Surface.h"

#include "../tests/CountingMemory.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace orrery;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kRays = 64;

Mat4d perspective(double fovY, double aspect, double n, double f) {
  const double t = 1 / std::tan(0.5 * fovY);
  Mat4d m = {};
  m.set(t / aspect, 0, 0, 0, 0, t, 0, 0, 0, 0, (n + f) / (n - f), -1, 0, 0, 2 * n * f / (n - f), 0);
  return m;
}

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
  Mat4d projection = perspective(0.9, 1.5, 0.01, 100);
  TypicalView(const FovDelimitedSurface &s) {
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
