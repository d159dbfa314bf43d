#include "CountingMemory.h"
#include "math/Referent.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

using namespace orrery;

namespace {

struct Counted : Referent {
  explicit Counted(int *destroyed) : destroyed(destroyed) {}
  ~Counted() override { ++*destroyed; }
  int *destroyed;
};

} // namespace

TEST(Memory, LastHandleReleaseDeletesOnceThroughTheDefaultManager) {
  test::CountingMemory counter;
  int destroyed = 0;
  {
    RefPtr<Counted> a(new Counted(&destroyed));
    EXPECT_EQ(a->refCount, 1);
    RefPtr<Counted> b = a;
    EXPECT_EQ(a->refCount, 2);
    RefPtr<Counted> c = std::move(b);
    EXPECT_FALSE(b);
    c = a; // same object: nothing changes
    EXPECT_EQ(a->refCount, 2);
  }
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(counter.allocations, 1);
  EXPECT_EQ(counter.releases, 1);
  EXPECT_EQ(counter.foreignReleases, 0);
}

// A failed allocation yields null: the camera and quaternion tests.
TEST(Memory, CopiesStartUncounted) {
  int destroyed = 0;
  Counted original(&destroyed);
  original.refCount = 5;
  Counted copy(original);
  EXPECT_EQ(copy.refCount, 0);
  copy = original;
  EXPECT_EQ(copy.refCount, 0);
}

TEST(Memory, ZeroBytesStillGetABlockAndAnExplicitManagerIsUsed) {
  test::CountingMemory counter;
  void *block = doNew(0, nullptr);
  EXPECT_NE(block, nullptr);
  EXPECT_EQ(counter.lastRequest, 1u); // never a zero-byte request
  doDelete(block, nullptr);
  doDelete(nullptr, nullptr);
  EXPECT_EQ(counter.allocations, 1);
  EXPECT_EQ(counter.releases, 1);

  test::CountingMemory own(false); // passed explicitly, never the default
  doDelete(doNew(24, &own), &own);
  EXPECT_EQ(own.allocations, 1);
  EXPECT_EQ(own.releases, 1);
  EXPECT_EQ(counter.allocations, 1);
  // Installing returns the previous default; null restores the built-in heap,
  // whose blocks are aligned for doubles.
  EXPECT_EQ(setDefaultMemoryManager(&own), &counter);
  EXPECT_EQ(setDefaultMemoryManager(nullptr), &own);
  void *heapBlock = doNew(3, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(heapBlock) % alignof(std::max_align_t), 0u);
  doDelete(heapBlock, nullptr);
  EXPECT_EQ(own.allocations, 1);
  EXPECT_EQ(setDefaultMemoryManager(&counter), nullptr);
}
