#pragma once

// Shared benchmark loop: both sides of a pair walk the same samples, one
// call per iteration, with the input copy and the result passed through
// DoNotOptimize so that neither side can be hoisted or discarded.

#include <benchmark/benchmark.h>

namespace orrery::bench {

template <class T, class Op>
void cycleSamples(benchmark::State &state, const T *samples, int count, Op op) {
  int i = 0;
  for (auto _ : state) {
    T x = samples[i];
    i = (i + 1) % count;
    benchmark::DoNotOptimize(x);
    auto result = op(x);
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(result);
  }
}

} // namespace orrery::bench
