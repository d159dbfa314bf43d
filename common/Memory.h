#pragma once

/// @file
/// Heap services of the viewer's sibling library: every heap object of libmath
/// is allocated with doNew and returned with doDelete.

#include "common/Export.h"

#include <cstddef>

namespace orrery {

/// An allocator. libmath only ever passes a null pointer, which selects the
/// default manager; tests and hosts may install their own as the default.
class ORRERY_COMMON_API MemoryManager {
public:
  virtual ~MemoryManager();
  /// Returns a block of at least size bytes aligned for any scalar type, or null.
  virtual void *allocate(std::size_t size) = 0;
  /// Takes back a block this manager returned from allocate; never null.
  virtual void release(void *block) = 0;
};

/// Allocates size bytes (1 byte when size is 0) from manager, or from the
/// default manager when manager is null. Returns null on failure.
ORRERY_COMMON_API void *doNew(std::size_t size, MemoryManager *manager);

/// Returns a block obtained from doNew with the same manager; null is ignored.
ORRERY_COMMON_API void doDelete(void *block, MemoryManager *manager);

/// Installs manager as the default and returns the previous one; null restores
/// the built-in heap. Swap only while no block of the old manager is live.
ORRERY_COMMON_API MemoryManager *setDefaultMemoryManager(MemoryManager *manager);

} // namespace orrery

/// Class-scope allocation functions that send new and delete of a class and
/// everything derived from it through doNew/doDelete with the default manager.
/// The allocating operator is non-throwing, so a failed allocation makes the
/// new-expression yield null instead of throwing.
#define ORRERY_ALLOCATE_WITH_DONEW                                                                 \
  static void *operator new(std::size_t size) noexcept { return ::orrery::doNew(size, nullptr); }  \
  static void *operator new(std::size_t, void *where) noexcept { return where; }                   \
  static void operator delete(void *block) noexcept { ::orrery::doDelete(block, nullptr); }
