#pragma once

// Internal to the library (not installed): two doubles in one SSE register,
// for the 4x4 kernels of the vector and view-matrix families. Arithmetic on a
// pair acts lane by lane, so each lane rounds exactly as the scalar code
// would.

#include <cstring>

namespace orrery::detail {

using LanePair = double __attribute__((vector_size(16)));

// Unaligned: matrices only guarantee the alignment of double.
[[gnu::always_inline]] inline LanePair loadPair(const double *p) {
  LanePair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

[[gnu::always_inline]] inline void storePair(double *p, LanePair v) {
  std::memcpy(p, &v, sizeof v);
}

} // namespace orrery::detail
