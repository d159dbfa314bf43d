#pragma once

/// @file
/// Shared lifetimes by counting.
///
/// A Referent counts its holders in refCount. Holders follow four rules:
/// taking a reference adds 1 (acquire); releasing one subtracts 1 and calls
/// orphaned() when the count reaches 0 (release); replacing a held pointer by
/// a different one releases the old and acquires the new (replace); a holder's
/// destructor releases what it holds. Counts are plain integers: an object and
/// its holders are used from one thread at a time.
///
/// Counted objects are allocated with new, which goes through orrery::doNew;
/// orphaned() deletes through the virtual destructor, which returns the memory
/// with orrery::doDelete. RefPtr<T> is the counted handle.

#include "common/Memory.h"
#include "math/Export.h"

#include <cstdint>
#include <utility>

namespace orrery {

/// An object shared by counting its holders (see the rules above).
class ORRERY_MATH_API Referent {
public:
  ORRERY_ALLOCATE_WITH_DONEW

  /// The number of holders; a new object and every copy start at 0.
  std::int32_t refCount = 0;

  Referent() = default;
  /// A copy has no holders yet: its count starts at 0.
  Referent(const Referent &) : refCount(0) {}
  /// Assignment copies no count.
  Referent &operator=(const Referent &) { return *this; }
  virtual ~Referent();

  /// Deletes this object. Called when the last holder lets go.
  virtual void orphaned();

  /// Adds a holder to p (nothing for null). The count steps in unsigned
  /// arithmetic, so even 2^31 holders (far beyond any real use) wrap it
  /// modulo 2^32 instead of overflowing a signed int.
  static void acquire(Referent *p) {
    if (p != nullptr) {
      p->refCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(p->refCount) + 1u);
    }
  }
  /// Removes a holder from p (nothing for null) and calls orphaned() when
  /// none is left.
  static void release(Referent *p) {
    if (p == nullptr) {
      return;
    }
    p->refCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(p->refCount) - 1u);
    if (p->refCount == 0) {
      p->orphaned();
    }
  }
  /// Makes slot hold p: releases the old, acquires the new; nothing when
  /// slot already holds p.
  template <class T> static void replace(T *&slot, T *p) {
    if (p == slot) {
      return;
    }
    release(slot);
    slot = p;
    acquire(p);
  }
};

/// A counted handle holding one reference.
template <class T> class RefPtr {
public:
  /// A handle made from a pointer or copied holds one more reference; a
  /// moved-from handle is null; the destructor releases.
  /// @{
  RefPtr() = default;
  // NOLINTNEXTLINE(google-explicit-constructor): handles convert from raw pointers
  RefPtr(T *p) : mPtr(p) { Referent::acquire(mPtr); }
  RefPtr(const RefPtr &other) : RefPtr(other.mPtr) {}
  template <class U> RefPtr(const RefPtr<U> &other) : RefPtr(other.get()) {}
  RefPtr(RefPtr &&other) noexcept : mPtr(std::exchange(other.mPtr, nullptr)) {}
  ~RefPtr() { Referent::release(mPtr); }
  /// @}

  /// Assignment releases what the handle held and holds the new object
  /// (Referent::replace); a handle assigned itself is unchanged.
  /// @{

  // NOLINTNEXTLINE(bugprone-unhandled-self-assignment): replace() keeps a slot given itself
  RefPtr &operator=(const RefPtr &other) {
    Referent::replace(mPtr, other.mPtr);
    return *this;
  }
  RefPtr &operator=(RefPtr &&other) noexcept {
    if (this != &other) {
      Referent::release(mPtr);
      mPtr = std::exchange(other.mPtr, nullptr);
    }
    return *this;
  }
  RefPtr &operator=(T *p) {
    Referent::replace(mPtr, p);
    return *this;
  }
  /// @}

  /// The held object (null, or undefined to dereference, when none), and
  /// whether there is one.
  /// @{
  T *get() const { return mPtr; }
  T &operator*() const { return *mPtr; }
  T *operator->() const { return mPtr; }
  explicit operator bool() const { return mPtr != nullptr; }

  friend bool operator==(const RefPtr &a, const RefPtr &b) { return a.mPtr == b.mPtr; }
  friend bool operator==(const RefPtr &a, const T *b) { return a.mPtr == b; }
  /// @}

private:
  T *mPtr = nullptr;
};

} // namespace orrery
