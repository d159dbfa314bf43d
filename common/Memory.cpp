#include "common/Memory.h"

#include <atomic>
#include <cstdlib>

namespace orrery {

MemoryManager::~MemoryManager() = default;

namespace {

// malloc aligns for max_align_t, enough for every object of the library.
class HeapManager final : public MemoryManager {
public:
  void *allocate(std::size_t size) override { return std::malloc(size); }
  void release(void *block) override { std::free(block); }
};

HeapManager gHeap;
std::atomic<MemoryManager *> gDefault{&gHeap};

MemoryManager *resolve(MemoryManager *manager) {
  return manager != nullptr ? manager : gDefault.load(std::memory_order_acquire);
}

} // namespace

void *doNew(std::size_t size, MemoryManager *manager) {
  return resolve(manager)->allocate(size == 0 ? 1 : size);
}

void doDelete(void *block, MemoryManager *manager) {
  if (block != nullptr) {
    resolve(manager)->release(block);
  }
}

MemoryManager *setDefaultMemoryManager(MemoryManager *manager) {
  MemoryManager *previous =
      gDefault.exchange(manager != nullptr ? manager : &gHeap, std::memory_order_acq_rel);
  return previous == &gHeap ? nullptr : previous;
}

} // namespace orrery
