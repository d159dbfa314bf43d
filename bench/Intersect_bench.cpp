#include "math/Intersect.h"

#define GLM_ENABLE_EXPERIMENTAL
#include <benchmark/benchmark.h>
#include <glm/glm.hpp>
#include <glm/gtx/intersect.hpp>

#include <random>
#include <vector>

using namespace orrery;

namespace {

constexpr std::size_t kTriSamples = 1024; // a power of two, cycled through

struct TriCase {
  Vec3d o;
  Vec3d d;
  Vec3d v0;
  Vec3d v1;
  Vec3d v2;
};

// Random triangles and rays aimed near them: about half the rays hit.
std::vector<TriCase> sampleTriCases() {
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<double> u(-1, 1);
  auto vec = [&] {
    const double x = u(rng);
    const double y = u(rng);
    return Vec3d{x, y, u(rng)};
  };
  std::vector<TriCase> cases(kTriSamples);
  for (TriCase &c : cases) {
    c.v0 = vec();
    c.v1 = vec();
    c.v2 = vec();
    c.o = vec() * 3.0;
    const Vec3d aim = vec() * 0.75 + Vec3d{0.25, 0.25, 0};
    c.d = c.v0 + (c.v1 - c.v0) * aim.x + (c.v2 - c.v0) * aim.y - c.o;
  }
  return cases;
}

void BM_ours_RayTriIntersect(benchmark::State &state) {
  const std::vector<TriCase> cases = sampleTriCases();
  std::size_t i = 0;
  for (auto _ : state) {
    const TriCase &c = cases[i++ & (kTriSamples - 1)];
    Vec3d hit;
    Vec3d bary;
    double t = 0;
    bool r = RayTriIntersect(c.o, c.d, c.v0, c.v1, c.v2, hit, t, &bary);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(hit);
    benchmark::DoNotOptimize(bary);
    benchmark::DoNotOptimize(t);
  }
}
BENCHMARK(BM_ours_RayTriIntersect);

// Ours is a call into the library (the compiler keeps it out of line), so
// the peer is measured behind a call as well.
[[gnu::noinline]] bool glmRayTriangle(const glm::dvec3 &o, const glm::dvec3 &d,
                                      const glm::dvec3 &v0, const glm::dvec3 &v1,
                                      const glm::dvec3 &v2, glm::dvec2 &bary, double &t) {
  return glm::intersectRayTriangle(o, d, v0, v1, v2, bary, t);
}

void BM_peer_RayTriIntersect(benchmark::State &state) {
  struct GlmCase {
    glm::dvec3 o, d, v0, v1, v2;
  };
  std::vector<GlmCase> cases;
  auto g = [](const Vec3d &v) { return glm::dvec3(v.x, v.y, v.z); };
  for (const TriCase &c : sampleTriCases()) {
    cases.push_back({g(c.o), g(c.d), g(c.v0), g(c.v1), g(c.v2)});
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const GlmCase &c = cases[i++ & (kTriSamples - 1)];
    glm::dvec2 bary;
    double t = 0;
    bool r = glmRayTriangle(c.o, c.d, c.v0, c.v1, c.v2, bary, t);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(bary);
    benchmark::DoNotOptimize(t);
  }
}
BENCHMARK(BM_peer_RayTriIntersect);

void BM_ours_PtTriSqrDistance(benchmark::State &state) {
  const std::vector<TriCase> cases = sampleTriCases();
  auto f = [](const Vec3d &v) { return Vec3f{float(v.x), float(v.y), float(v.z)}; };
  std::vector<Vec3f> flat;
  for (const TriCase &c : cases) {
    for (const Vec3d *v : {&c.o, &c.v0, &c.v1, &c.v2}) {
      flat.push_back(f(*v));
    }
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const Vec3f *c = &flat[(i++ & (kTriSamples - 1)) * 4];
    Vec3f closest;
    Vec3f normal;
    float sq = geometry::PtTriSqrDistance(c[0], c[1], c[2], c[3], closest, normal);
    benchmark::DoNotOptimize(sq);
    benchmark::DoNotOptimize(closest);
    benchmark::DoNotOptimize(normal);
  }
}
BENCHMARK(BM_ours_PtTriSqrDistance);

} // namespace
