// Const operations on shared objects from several threads at once. The
// threads start together from a latch, so first uses (function-local
// constants included) happen concurrently; every thread must get the same
// bits as the others. Run under ThreadSanitizer (the tsan preset) these
// tests also prove the absence of data races.

#include "Support.h"
#include "math/FastMath.h"
#include "math/Interpolation.h"
#include "math/Range.h"
#include "math/SkyMath.h"
#include "math/Surface.h"
#include "math/UTMZone.h"
#include "math/Units.h"
#include "math/ViewMatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <latch>
#include <thread>
#include <vector>

using namespace orrery;

namespace {

constexpr int kThreads = 4;

// Appends the bit patterns of values to a trace, so traces compare exactly
// (NaN included).
class Trace {
public:
  void add(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    mBits.push_back(bits);
  }
  void add(const Vec3d &v) {
    add(v.x);
    add(v.y);
    add(v.z);
  }
  void add(const Vec2d &v) {
    add(v.x);
    add(v.y);
  }
  void add(std::int64_t v) { mBits.push_back(std::uint64_t(v)); }
  bool operator==(const Trace &) const = default;
  std::size_t size() const { return mBits.size(); }

private:
  std::vector<std::uint64_t> mBits;
};

// Runs work(trace) on kThreads threads released together, and once more on
// this thread afterwards; returns the traces, this thread's last.
template <class Work> std::vector<Trace> runTogether(Work work) {
  std::vector<Trace> traces(kThreads + 1);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      work(traces[i]);
    });
  }
  for (std::thread &t : threads) {
    t.join();
  }
  work(traces[kThreads]);
  return traces;
}

void expectAllEqual(const std::vector<Trace> &traces) {
  ASSERT_GT(traces.back().size(), 0u);
  for (std::size_t i = 0; i + 1 < traces.size(); ++i) {
    EXPECT_TRUE(traces[i] == traces.back()) << "thread " << i;
  }
}

TEST(Concurrency, GeodesyScalarAndViewMatrixFunctionsAgreeAcrossThreads) {
  const DateTime when(2026, 12, 5, 16, 30, 0.0);
  Mat4d view;
  view.buildLookAt(Vec3d{1.5, -2.0, 3.0}, Vec3d{0.0, 0.25, 0.0}, Vec3d{0.1, 1.0, 0.0});
  const Mat4d &shared = view; // one matrix queried by every thread
  const auto traces = runTogether([&](Trace &trace) {
    for (double lat = -85.0; lat <= 85.0; lat += 7.3) {
      for (double lon = -180.0; lon < 180.0; lon += 11.7) {
        const gridlot::UTMZone zone(lat, lon);
        trace.add(std::int64_t(zone.getZoneNumber()) * 256 + zone.getZoneLetter());
        double e = 0.0, n = 0.0, lat2 = 0.0, lon2 = 0.0;
        zone.LatLongToUTM(lat, lon, &e, &n);
        zone.UTMToLatLong(e, n, &lat2, &lon2);
        trace.add(Vec2d{e, n});
        trace.add(Vec2d{lat2, lon2});

        const Vec3d norm = convert::LLAToNorm(Vec3d{lon, lat, 1000.0});
        const Vec3d cart = norm.getCartesian();
        trace.add(cart);
        trace.add(cart.getSpherical());
        Vec3f f{float(norm.x), float(norm.y), float(norm.z)};
        f.toCartesian();
        f.toSpherical();
        trace.add(Vec3d{f.x, f.y, f.z});
        trace.add(convert::SphToDms(lat));
        trace.add(convert::SphToHms(norm.x));
        trace.add(convert::SphToDmm(lon));
        trace.add(azimuthToPoint(lat * 0.0174, lon * 0.0174, 0.5, -0.25));
        trace.add(skymath::ComputeZenithInDecRA(when, Vec2d{lat, lon * 0.0174}));
        trace.add(Units::convertLength(lat, Units::kDegrees, Units::kNauticalMiles));
        trace.add(hdist_uhp(lon, 1.0 + lat * lat, 0.5, 2.0));
        trace.add(double(FastMath::fastsin(float(lon))));
        trace.add(FastMath::sin(lon * 0.01));
      }
      Vec3d position, forward, up, right;
      ASSERT_TRUE(shared.getNormalizedViewParams(position, forward, up, right));
      trace.add(position);
      trace.add(forward);
      trace.add(shared.getRoll());
      Mat4d inverse = shared;
      ASSERT_TRUE(math::invertFullPivot(inverse));
      Mat4d rolled = shared;
      rolled.setRoll(0.01 * lat);
      trace.add(rolled.getRoll());
    }
  });
  expectAllEqual(traces);
}

// Ranges are used from one thread at a time as far as their counts go; their
// queries are const and only read, so threads may share a chain as long as
// no thread takes or drops a reference.
TEST(Concurrency, RangeQueriesOnASharedChain) {
  RefPtr<Range> root(new Range(-120.0, 840.0));
  RefPtr<RelativeRange> mid(new RelativeRange(root.get(), Layout{0.125, Layout::kPinFraction},
                                              Layout{-40.0, Layout::kPinEnd}));
  RefPtr<RelativeRange> leaf(new RelativeRange(mid.get(), Layout{16.0, Layout::kPinBegin},
                                               Layout{0.75, Layout::kPinFraction}));
  RefPtr<Range> other(new Range(0.0, 600.0));
  RefPtr<AbsoluteRange2d> screen(new AbsoluteRange2d(root.get(), other.get()));
  RefPtr<RelativeRange2d> panel(new RelativeRange2d(screen.get()));
  panel->set(Layout2d{{0.1, Layout::kPinFraction}, {8.0, Layout::kPinBegin}},
             Layout2d{{-8.0, Layout::kPinEnd}, {0.5, Layout::kPinFraction}});
  const RelativeRange &sharedLeaf = *leaf;
  const RelativeRange2d &sharedPanel = *panel;
  const ScreenVec units{1.0, 2.0, ScreenVec::kInsetPixels, ScreenVec::kFraction};
  const QString text = QStringLiteral("width in insetPixels");

  const auto traces = runTogether([&](Trace &trace) {
    for (int i = 0; i < 200; ++i) {
      trace.add(sharedLeaf.getBegin());
      trace.add(sharedLeaf.getEnd());
      trace.add(sharedLeaf.getSpan());
      for (int pin = 0; pin < 3; ++pin) {
        const auto type = static_cast<Layout::PinType>(pin);
        trace.add(sharedLeaf.getBeginLayoutAsType(type).value);
        trace.add(sharedLeaf.getEndLayoutAsType(type).value);
        const Layout2d corner = sharedPanel.getEndLayoutAsType(type, type);
        trace.add(Vec2d{corner.x.value, corner.y.value});
      }
      trace.add(sharedPanel[0]->getSpan());
      trace.add(sharedPanel[1]->getBegin());
      trace.add(std::int64_t(ScreenVec::unitsFromString(text)));
      trace.add(std::int64_t(units.getUnits(0).size() * 16 + units.getUnits(1).size()));
      const math::ScreenSpaceCalculator calc(Vec3d{0, 0, 1}, Vec2d{1.0, 0.75}, Vec2<int>{800, 600});
      trace.add(calc.getPixelTanSq());
    }
  });
  expectAllEqual(traces);
}

// The surfaces' function-local constants (the length tolerance and the two
// outline tables) are computed on first use, here by all threads at once:
// this test must be the first use in its process, as it is under CTest.
TEST(Concurrency, SurfaceFirstUsesAndCullingOnSharedSurfaces) {
  Mat4d placement = Mat4d::identity;
  placement.m[12] = 0.25;
  placement.m[13] = -0.5;
  RefPtr<Sphere> sphere(new Sphere(placement, 0.01, 0.6, -0.4, -2.5, 2.9));
  sphere->checkValid();
  RefPtr<Cylinder> cylinder(new Cylinder(placement, 0.02, 0.5, -0.5, -0.8, 0.7));
  RefPtr<Rectangle> rectangle(new Rectangle(placement, 0.03, 0.4, -0.3, -0.6, 0.5));
  ASSERT_TRUE(sphere->valid && cylinder->valid && rectangle->valid);
  const FovDelimitedSurface *shared[3] = {sphere.get(), cylinder.get(), rectangle.get()};

  // A few views from around the viewpoint, one frustum each, built before
  // the threads start (building writes the frustum).
  Frustum frusta[4];
  Mat4d views[4];
  const Mat4d projection = test::perspective(0.9, 1.5, 1e-4, 1.0);
  for (int k = 0; k < 4; ++k) {
    const Vec3d eye{0.25 + 0.002 * k, -0.5 + 0.001 * k, 0.003 * k};
    const Vec3d target{0.25 + std::sin(0.7 * k), -0.5 + 0.1 * k, -std::cos(0.7 * k)};
    views[k].buildLookAt(eye, target, Vec3d{0, 1, 0});
    ASSERT_TRUE(frusta[k].build(views[k], projection));
  }

  const auto traces = runTogether([&](Trace &trace) {
    for (const FovDelimitedSurface *s : shared) {
      for (int k = 0; k < 4; ++k) {
        Rect<double, Vec2d> rect{{9, 9}, {9, 9}};
        s->cullToFrustum(frusta[k], rect);
        trace.add(Vec2d{rect.min.x, rect.min.y});
        trace.add(Vec2d{rect.max.x, rect.max.y});
        trace.add(std::int64_t(s->isViewCloseToSurface(views[k], projection, 0.25)));
      }
      for (double u = -1.0; u <= 1.0; u += 0.25) {
        bool ok = false;
        const Vec3d p = s->getPointFromCoords(u, 0.5 * u, &ok);
        trace.add(p);
        trace.add(std::int64_t(s->isPtOnSurface(p)) * 2 + std::int64_t(ok));
        double ru = 0.0, rv = 0.0;
        trace.add(std::int64_t(s->getRelativeCoords(p, ru, rv)));
        trace.add(Vec2d{ru, rv});
        Vec3d hit{};
        trace.add(std::int64_t(s->intersectRay(s->origin, p - s->origin, hit, true)));
        trace.add(hit);
        Vec3d snapped = p + s->viewDir * 1e-3;
        s->projectToSurface(snapped);
        trace.add(snapped);
      }
      Vec3d direction{};
      s->getViewDirection(Vec3d{0.3, 0.2, -1.0}, direction);
      trace.add(direction);
      trace.add(s->getViewingDistance(0.8, 0.6, 0.9));
    }
    trace.add(std::int64_t(FovDelimitedSurface::IsNear(1.0, 1.0 + 1e-9)));
  });
  expectAllEqual(traces);
}

} // namespace
