#pragma once

// Shared pieces of the fuzz harnesses: typed reading of the fuzzer's bytes
// with a bias towards the values that break numerical code, invariant checks
// that abort (so libFuzzer records the input), and allocation counting for
// the operations that must not allocate.
//
// Built with ORRERY_FUZZ_REPLAY (fuzz/replay.cpp, plain g++, no sanitizers),
// a harness replays its seed corpus as a CTest test; the allocation count is
// then the driver's own count of operator new and doNew instead of the
// sanitizer's malloc hooks.

#include "common/Memory.h"
#include "math/Vector.h"
#include "tests/support/Support.h"

#ifndef ORRERY_FUZZ_REPLAY
#include <sanitizer/allocator_interface.h>
#endif

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>

#ifndef ORRERY_FUZZ_REPLAY
namespace orrery::detail {
// Calls of the elementary functions' slow path on this thread (the fuzzing
// build counts them).
extern thread_local unsigned long long slowCalls;
} // namespace orrery::detail
#endif

namespace orrery::fuzz {

#ifdef ORRERY_FUZZ_REPLAY
// Counted by the replay driver's operator new.
extern thread_local std::uint64_t gReplayAllocations;
#endif

// Aborts with the failed condition; libFuzzer saves the input that led here.
#define FUZZ_CHECK(cond)                                                                           \
  do {                                                                                             \
    if (!(cond)) {                                                                                 \
      std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond);            \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)

// Reads values from the input; once it is used up every read yields zero.
class Input {
public:
  Input(const std::uint8_t *data, std::size_t size) : mData(data), mSize(size) {}

  std::uint8_t byte() { return mPos < mSize ? mData[mPos++] : 0; }
  bool flag() { return (byte() & 1) != 0; }
  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      v = (v << 8) | byte();
    }
    return v;
  }
  std::uint64_t u64() { return (std::uint64_t(u32()) << 32) | u32(); }
  // An integer in [lo, hi].
  int integer(int lo, int hi) {
    const std::uint32_t span = std::uint32_t(hi - lo) + 1;
    return lo + int(u32() % span);
  }

  // A double of any kind. One selector byte picks an edge value (zeros,
  // units, the limits of the library's domains, infinities, NaN, the
  // subnormal and overflow thresholds), an arbitrary bit pattern, or a
  // moderate fixed-point value in about [-2048, 2048).
  double number() {
    static constexpr double kEdges[] = {
        0.0,
        -0.0,
        1.0,
        -1.0,
        0.5,
        -0.5,
        2.0,
        90.0,
        -90.0,
        180.0,
        -180.0,
        84.0,
        -80.0,
        360.0,
        3.141592653589793,
        -3.141592653589793,
        1.5707963267948966,
        6.283185307179586,
        0x1p-45,
        -0x1p-45,
        0x1p-52,
        0x1p-1074,
        0x1p-1022,
        1e-300,
        1e300,
        1.3407807929942596e154, // sqrt of the largest double
        std::numeric_limits<double>::max(),
        -std::numeric_limits<double>::max(),
        2147483648.0,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    constexpr std::size_t kEdgeCount = sizeof kEdges / sizeof kEdges[0];
    const std::uint8_t selector = byte();
    if (selector < 64) {
      return kEdges[selector % kEdgeCount];
    }
    if (selector < 112) {
      const std::uint64_t bits = u64();
      double d;
      std::memcpy(&d, &bits, sizeof d);
      return d;
    }
    return double(std::int32_t(u32())) * 0x1p-20;
  }
  float numberF() { return static_cast<float>(number()); }
  // A finite value in [lo, hi], spread over the interval by 32 bits, with
  // the ends themselves reachable.
  double within(double lo, double hi) {
    const std::uint32_t bits = u32();
    if (bits == 0) {
      return lo;
    }
    if (bits == 0xffffffffu) {
      return hi;
    }
    return lo + (hi - lo) * (double(bits) / 4294967295.0);
  }

  // A point of the cube [-range, range]^3, or any three doubles.
  Vec3d vec3(double range) {
    return {within(-range, range), within(-range, range), within(-range, range)};
  }
  Vec3d vec3() { return {number(), number(), number()}; }

private:
  const std::uint8_t *mData;
  std::size_t mSize;
  std::size_t mPos = 0;
};

// Counts the blocks requested through doNew (a default memory manager) and
// every malloc of this thread (sanitizer allocation hooks), so a harness can
// prove that an operation allocates nothing.
class AllocationCounter final : public MemoryManager {
public:
  static AllocationCounter &instance() {
    static AllocationCounter counter;
    return counter;
  }

  void *allocate(std::size_t size) override {
#ifdef ORRERY_FUZZ_REPLAY
    ++gReplayAllocations;
#endif
    if (failNext) {
      failNext = false;
      return nullptr;
    }
    ++live;
    return std::malloc(size);
  }
  void release(void *block) override {
    --live;
    std::free(block);
  }

  // Installs the counter as the default manager and the malloc hook.
  static void install() {
    setDefaultMemoryManager(&instance());
#ifndef ORRERY_FUZZ_REPLAY
    __sanitizer_install_malloc_and_free_hooks(&onMalloc, &onFree);
#endif
  }

  // All allocations of this thread so far, through doNew or not.
#ifdef ORRERY_FUZZ_REPLAY
  static std::uint64_t total() { return gReplayAllocations; }
#else
  static std::uint64_t total() { return sMallocs; }
#endif

  long live = 0;
  bool failNext = false;

private:
  static void onMalloc(const volatile void *, std::size_t) { ++sMallocs; }
  static void onFree(const volatile void *) {}
  static inline thread_local std::uint64_t sMallocs = 0;
};

// Checks that the statements between its construction and its destruction
// allocate nothing, unless an elementary function took its rare slow path,
// where MPFR allocates its working numbers with malloc.
class NoAllocation {
public:
#ifdef ORRERY_FUZZ_REPLAY
  // The replay counts only the library's own allocations.
  NoAllocation() : mStart(AllocationCounter::total()) {}
  ~NoAllocation() { FUZZ_CHECK(AllocationCounter::total() == mStart); }
#else
  NoAllocation() : mStart(AllocationCounter::total()), mSlowStart(detail::slowCalls) {}
  ~NoAllocation() {
    FUZZ_CHECK(AllocationCounter::total() == mStart || detail::slowCalls != mSlowStart);
  }
#endif
  NoAllocation(const NoAllocation &) = delete;
  NoAllocation &operator=(const NoAllocation &) = delete;

private:
  std::uint64_t mStart;
#ifndef ORRERY_FUZZ_REPLAY
  unsigned long long mSlowStart = 0;
#endif
};

using test::perspective;

using Check = void (*)(Input &);

// Runs the check that the input's first byte selects; when allocationFree,
// inside a NoAllocation scope.
inline int runOne(const std::uint8_t *data, std::size_t size, std::initializer_list<Check> checks,
                  bool allocationFree) {
  Input in(data, size);
  const Check check = checks.begin()[in.byte() % checks.size()];
  if (allocationFree) {
    NoAllocation none;
    check(in);
  } else {
    check(in);
  }
  return 0;
}

} // namespace orrery::fuzz

// Every harness counts allocations from its first input on.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  orrery::fuzz::AllocationCounter::install();
  return 0;
}
