#pragma once

// A memory manager for lifetime tests: counts the blocks handed out and
// returned. Unless told otherwise it installs itself as the default while it
// lives and restores the previous manager when it goes out of scope.

#include "common/Memory.h"

#include <cstdlib>
#include <set>

namespace orrery::test {

class CountingMemory final : public MemoryManager {
public:
  explicit CountingMemory(bool install = true) : mInstalled(install) {
    mPrevious = install ? setDefaultMemoryManager(this) : nullptr;
  }
  ~CountingMemory() override {
    if (mInstalled) {
      setDefaultMemoryManager(mPrevious);
    }
  }
  CountingMemory(const CountingMemory &) = delete;
  CountingMemory &operator=(const CountingMemory &) = delete;

  void *allocate(std::size_t size) override {
    lastRequest = size;
    if (mFailNext) {
      mFailNext = false;
      return nullptr;
    }
    void *block = std::malloc(size);
    ++allocations;
    mLive.insert(block);
    return block;
  }
  void release(void *block) override {
    ++releases;
    if (mLive.erase(block) == 0) {
      ++foreignReleases; // not ours, or released twice
    } else {
      std::free(block);
    }
  }

  // Makes the next allocation fail, as an exhausted heap would.
  void failNextAllocation() { mFailNext = true; }
  std::size_t live() const { return mLive.size(); }

  std::size_t lastRequest = 0; // bytes asked for by the latest allocation
  int allocations = 0;
  int releases = 0;
  int foreignReleases = 0;

private:
  bool mInstalled;
  MemoryManager *mPrevious = nullptr;
  std::set<void *> mLive;
  bool mFailNext = false;
};

} // namespace orrery::test
