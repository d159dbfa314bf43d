#pragma once

// The golden program's results as text: exact bit patterns, one labelled
// line each, written to the calling thread's own output. golden.cpp prints
// them; the concurrency tests compute them on several threads at once and
// compare.

#include "math/all.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace orrery::golden {

// This thread's output so far.
inline thread_local std::string tOutput;

template <class... A> void put(const char *format, A... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  tOutput += text;
}

// NaN prints as "nan" whatever its sign and payload, which IEEE arithmetic
// leaves open.
template <class F, class Bits> void bitsOf(F v, const char *format) {
  Bits b;
  std::memcpy(&b, &v, sizeof b);
  if (std::isnan(v)) {
    tOutput += " nan";
  } else {
    put(format, static_cast<unsigned long long>(b));
  }
}
inline void bits(double v) { bitsOf<double, std::uint64_t>(v, " %016llx"); }
inline void bits(float v) { bitsOf<float, std::uint32_t>(v, " %08llx"); }
inline void bits(int v) { put(" %d", v); }
inline void bits(bool v) { put(" %d", v ? 1 : 0); }
inline void bits(char v) { put(" %c", v); }
// Vectors and quaternions, member by member.
template <class V>
requires requires(const V &v) { v.y; }
inline void bits(const V &v) {
  bits(v.x);
  bits(v.y);
  if constexpr (requires { v.z; }) {
    bits(v.z);
  }
  if constexpr (requires { v.w; }) {
    bits(v.w);
  }
}
// Matrices, in storage order.
template <class M>
requires requires(const M &m) { m.m[0]; }
inline void bits(const M &m) {
  for (const auto e : m.m) {
    bits(e);
  }
}

template <class... T> void line(const char *label, const T &...values) {
  tOutput += label;
  (bits(values), ...);
  tOutput += '\n';
}

// Every result of every family, in the program's order.
std::string results();
// The results of one surface seen through frustum (built from view and
// projection), appended to this thread's output.
void surface(const FovDelimitedSurface &s, const Frustum &frustum, const Mat4d &view,
             const Mat4d &projection);

} // namespace orrery::golden
