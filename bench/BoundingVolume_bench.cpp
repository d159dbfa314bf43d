#include "math/BoundingVolume.h"
#include "tests/CountingMemory.h"

#include <Eigen/Geometry>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

using namespace orrery;

namespace {

using Box = BoundingBox<double, Vec3d>;
constexpr std::size_t kSamples = 1024; // a power of two, cycled through

struct Ray {
  Vec3d o;
  Vec3d d;
};

std::vector<Vec3d> samplePoints(double lo, double hi, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(lo, hi);
  std::vector<Vec3d> points(kSamples);
  for (Vec3d &p : points) {
    const double x = u(rng);
    const double y = u(rng);
    p = {x, y, u(rng)};
  }
  return points;
}

// Rays from outside the unit box aimed near it: about half of them hit.
std::vector<Ray> sampleRays() {
  const std::vector<Vec3d> from = samplePoints(-4, 4, 1);
  const std::vector<Vec3d> to = samplePoints(-0.5, 1.5, 2);
  std::vector<Ray> rays(kSamples);
  for (std::size_t i = 0; i < kSamples; ++i) {
    rays[i] = {from[i] * 2.0 - Vec3d{3, 3, 3}, to[i] - (from[i] * 2.0 - Vec3d{3, 3, 3})};
  }
  return rays;
}

// Runs op on the samples in turn and keeps each result alive.
template <class T, class Op>
void cycleSamples(benchmark::State &state, const std::vector<T> &samples, Op op) {
  std::size_t i = 0;
  for (auto _ : state) {
    auto r = op(samples[i++ & (kSamples - 1)]);
    benchmark::DoNotOptimize(r);
  }
}

// As cycleSamples, reporting the doNew calls made meanwhile (expected 0).
template <class T, class Op>
void cycleCountingAllocations(benchmark::State &state, const std::vector<T> &samples, Op op) {
  test::CountingMemory memory;
  cycleSamples(state, samples, op);
  state.counters["allocs"] = double(memory.allocations);
}

void BM_ours_RayBoxIntersect(benchmark::State &state) {
  const Box box(Vec3d{0, 0, 0}, Vec3d{1, 1, 1});
  cycleCountingAllocations(state, sampleRays(), [&](const Ray &r) {
    double t = 0;
    const bool hit = RayBoxIntersect(r.o, r.d, box, 100.0, t);
    return hit ? t : -1.0;
  });
}
BENCHMARK(BM_ours_RayBoxIntersect);

// The textbook slab test: inside check, then the three slabs.
bool plainSlab(const Vec3d &o, const Vec3d &d, const Vec3d &lo, const Vec3d &hi, double maxDist,
               double &t) {
  if (lo.x <= o.x && o.x <= hi.x && lo.y <= o.y && o.y <= hi.y && lo.z <= o.z && o.z <= hi.z) {
    t = 0;
    return true;
  }
  double tNear = 0;
  double tFar = maxDist;
  const double os[3] = {o.x, o.y, o.z};
  const double ds[3] = {d.x, d.y, d.z};
  const double los[3] = {lo.x, lo.y, lo.z};
  const double his[3] = {hi.x, hi.y, hi.z};
  for (int k = 0; k < 3; ++k) {
    if (std::abs(ds[k]) < 1e-4) {
      if (os[k] < los[k] || os[k] > his[k]) {
        return false;
      }
      continue;
    }
    double t1 = (los[k] - os[k]) / ds[k];
    double t2 = (his[k] - os[k]) / ds[k];
    if (t1 > t2) {
      std::swap(t1, t2);
    }
    tNear = std::max(tNear, t1);
    tFar = std::min(tFar, t2);
    if (tNear > tFar) {
      return false;
    }
  }
  t = tNear;
  return true;
}

void BM_peer_RayBoxIntersect(benchmark::State &state) {
  const Vec3d lo{0, 0, 0};
  const Vec3d hi{1, 1, 1};
  cycleSamples(state, sampleRays(), [&](const Ray &r) {
    double t = 0;
    const bool hit = plainSlab(r.o, r.d, lo, hi, 100.0, t);
    return hit ? t : -1.0;
  });
}
BENCHMARK(BM_peer_RayBoxIntersect);

const Box kCentredBox(Vec3d{-0.5, -0.5, -0.5}, Vec3d{0.5, 0.5, 0.5});

Eigen::AlignedBox3d toEigen(const Box &b) {
  return {Eigen::Vector3d(b.min.x, b.min.y, b.min.z), Eigen::Vector3d(b.max.x, b.max.y, b.max.z)};
}

void BM_ours_BoxIsectPoint(benchmark::State &state) {
  const Box box = kCentredBox;
  cycleCountingAllocations(state, samplePoints(-1, 1, 3),
                           [&](const Vec3d &p) { return box.isect(p); });
}
BENCHMARK(BM_ours_BoxIsectPoint);

void BM_peer_BoxIsectPoint(benchmark::State &state) {
  const Eigen::AlignedBox3d box = toEigen(kCentredBox);
  cycleSamples(state, samplePoints(-1, 1, 3),
               [&](const Vec3d &p) { return box.contains(Eigen::Vector3d(p.x, p.y, p.z)); });
}
BENCHMARK(BM_peer_BoxIsectPoint);

std::vector<Box> sampleBoxes(double lo, double hi, unsigned seed) {
  const std::vector<Vec3d> a = samplePoints(lo, hi, seed);
  const std::vector<Vec3d> b = samplePoints(lo, hi, seed + 1);
  std::vector<Box> boxes(kSamples);
  for (std::size_t i = 0; i < kSamples; ++i) {
    boxes[i].build(a[i], b[i] * 0.25 + a[i]);
  }
  return boxes;
}

void BM_ours_BoxIsectBox(benchmark::State &state) {
  const Box box = kCentredBox;
  cycleCountingAllocations(state, sampleBoxes(-0.9, 0.9, 4),
                           [&](const Box &other) { return box.isect(other); });
}
BENCHMARK(BM_ours_BoxIsectBox);

void BM_peer_BoxIsectBox(benchmark::State &state) {
  const Eigen::AlignedBox3d box = toEigen(kCentredBox);
  std::vector<Eigen::AlignedBox3d> others;
  for (const Box &b : sampleBoxes(-0.9, 0.9, 4)) {
    others.push_back(toEigen(b));
  }
  cycleSamples(state, others,
               [&](const Eigen::AlignedBox3d &other) { return box.intersects(other); });
}
BENCHMARK(BM_peer_BoxIsectBox);

// Longitude boxes crossing the date line against boxes round the globe.
void BM_ours_BoxIsectBoxDateline(benchmark::State &state) {
  const Box box(Vec3d{0.8, -0.2, 0}, Vec3d{1.2, 0.3, 0});
  cycleCountingAllocations(state, sampleBoxes(-1, 1, 6),
                           [&](const Box &other) { return box.isect(other); });
}
BENCHMARK(BM_ours_BoxIsectBoxDateline);

Mat4d lookAtView() {
  Mat4d v;
  v.buildLookAt(Vec3d{3, 2, 10}, Vec3d{0, 0, 0}, Vec3d{0, 1, 0});
  return v;
}

Mat4d perspective() {
  Mat4d p;
  p.buildPerspective(1.0, 1.5, 1.0, 100.0);
  return p;
}

void BM_ours_FrustumIsPtInside(benchmark::State &state) {
  Frustum fr;
  fr.build(lookAtView(), perspective());
  cycleCountingAllocations(state, samplePoints(-8, 8, 7),
                           [&](const Vec3d &p) { return fr.isPtInside(p); });
}
BENCHMARK(BM_ours_FrustumIsPtInside);

// Six plane dot products with an early exit, on the same planes. Ours is a
// call into the library, so the peer is measured behind a call as well.
[[gnu::noinline]] bool sixPlanesInside(const double (&planes)[6][4], const Vec3d &p) {
  for (const auto &pl : planes) {
    if (pl[0] * p.x + pl[1] * p.y + pl[2] * p.z + pl[3] < 0) {
      return false;
    }
  }
  return true;
}

void BM_peer_FrustumIsPtInside(benchmark::State &state) {
  Frustum fr;
  fr.build(lookAtView(), perspective());
  double planes[6][4];
  for (int k = 0; k < 6; ++k) {
    planes[k][0] = fr.planes[k].x;
    planes[k][1] = fr.planes[k].y;
    planes[k][2] = fr.planes[k].z;
    planes[k][3] = fr.planes[k].w;
  }
  cycleSamples(state, samplePoints(-8, 8, 7),
               [&](const Vec3d &p) { return sixPlanesInside(planes, p); });
}
BENCHMARK(BM_peer_FrustumIsPtInside);

} // namespace
