// Const operations from several threads at once. The threads start together
// from a latch, so first uses (function-local constants included) happen
// concurrently; every thread must get the same bits as the others. CTest runs
// each test in a process of its own, so its calls are the first uses. Run
// under ThreadSanitizer (the tsan preset) these tests also prove the absence
// of data races.

#include "Support.h"
#include "golden/Golden.h"

#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

using namespace orrery;

namespace {

constexpr int kThreads = 4;

// Runs work, which writes golden results, on kThreads threads released
// together and once more on this thread afterwards; every thread's output
// must equal the last.
template <class Work> void expectSameOnEveryThread(Work work) {
  std::vector<std::string> outputs(kThreads + 1);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  const auto run = [&](int i) {
    golden::tOutput.clear();
    work();
    outputs[i] = golden::tOutput;
  };
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      run(i);
    });
  }
  for (std::thread &t : threads) {
    t.join();
  }
  run(kThreads);
  ASSERT_FALSE(outputs.back().empty());
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_TRUE(outputs[i] == outputs.back()) << "thread " << i;
  }
}

// Every result of the golden program, each thread with objects of its own.
TEST(Concurrency, EveryFamilyGivesEveryThreadTheSameBits) {
  expectSameOnEveryThread([] { golden::tOutput = golden::results(); });
}

// One view matrix, one chain of ranges and three surfaces shared by every
// thread. Ranges are used from one thread at a time as far as their counts
// go; their queries only read, so threads may share a chain as long as no
// thread takes or drops a reference.
TEST(Concurrency, SharedMatricesRangesAndSurfacesAnswerEveryThreadAlike) {
  Mat4d view;
  view.buildLookAt(Vec3d{1.5, -2.0, 3.0}, Vec3d{0.0, 0.25, 0.0}, Vec3d{0.1, 1.0, 0.0});
  RefPtr<Range> root(new Range(-120.0, 840.0));
  RefPtr<RelativeRange> leaf(new RelativeRange(root.get(), Layout{16.0, Layout::kPinBegin},
                                               Layout{0.75, Layout::kPinFraction}));
  RefPtr<Range> height(new Range(0.0, 600.0));
  RefPtr<AbsoluteRange2d> screen(new AbsoluteRange2d(root.get(), height.get()));
  RefPtr<RelativeRange2d> panel(new RelativeRange2d(screen.get()));
  panel->set(Layout2d{{0.1, Layout::kPinFraction}, {8.0, Layout::kPinBegin}},
             Layout2d{{-8.0, Layout::kPinEnd}, {0.5, Layout::kPinFraction}});

  Mat4d placement = Mat4d::identity;
  placement.m[12] = 0.25;
  placement.m[13] = -0.5;
  RefPtr<Sphere> sphere(new Sphere(placement, 0.01, 0.6, -0.4, -2.5, 2.9));
  sphere->checkValid();
  RefPtr<Cylinder> cylinder(new Cylinder(placement, 0.02, 0.5, -0.5, -0.8, 0.7));
  RefPtr<Rectangle> rectangle(new Rectangle(placement, 0.03, 0.4, -0.3, -0.6, 0.5));
  const FovDelimitedSurface *surfaces[3] = {sphere.get(), cylinder.get(), rectangle.get()};
  // Views from around the viewpoint, their frusta built before the threads
  // start (building writes the frustum).
  Frustum frusta[4];
  Mat4d views[4];
  const Mat4d projection = test::perspective(0.9, 1.5, 1e-4, 1.0);
  for (int k = 0; k < 4; ++k) {
    const Vec3d eye{0.25 + 0.002 * k, -0.5 + 0.001 * k, 0.003 * k};
    const Vec3d target{0.25 + std::sin(0.7 * k), -0.5 + 0.1 * k, -std::cos(0.7 * k)};
    views[k].buildLookAt(eye, target, Vec3d{0, 1, 0});
    ASSERT_TRUE(frusta[k].build(views[k], projection));
  }

  expectSameOnEveryThread([&] {
    for (const FovDelimitedSurface *s : surfaces) {
      for (int k = 0; k < 4; ++k) {
        golden::surface(*s, frusta[k], views[k], projection);
      }
    }
    for (int i = 0; i < 50; ++i) {
      Vec3d position, forward, up, right;
      golden::line("view", view.getNormalizedViewParams(position, forward, up, right), position,
                   forward, up, right, view.getRoll());
      for (int pin = 0; pin < 3; ++pin) {
        const auto type = static_cast<Layout::PinType>(pin);
        const Layout2d corner = panel->getEndLayoutAsType(type, type);
        golden::line("range", leaf->getBegin(), leaf->getSpan(),
                     leaf->getBeginLayoutAsType(type).value, leaf->getEndLayoutAsType(type).value,
                     corner.x.value, corner.y.value, (*panel)[1]->getBegin());
      }
    }
  });
}

} // namespace
