#!/usr/bin/env bash
# Runs the benchmark binary once and prints, for every operation measured
# both as BM_ours_<Op> and BM_peer_<Op>, ours and the peer in ns and the
# ratio ours / peer, from CPU time (the machines are shared: wall time
# would count the time other jobs hold the core). Operations without a peer
# are listed with ours alone.
# Extra arguments go to the benchmark binary (e.g. --benchmark_filter=Quat).
# With --benchmark_repetitions=N the medians are compared; add
# --benchmark_enable_random_interleaving=true so that ours and the peer
# share the machine's slow and fast moments.
set -euo pipefail
bin=${BENCH_BIN:-build/default/bench/orrery_bench}
"$bin" --benchmark_format=csv "$@" 2>/dev/null | awk -F, '
  /^"BM_(ours|peer)_/ {
    name = $1; gsub(/"/, "", name)
    if (name ~ /_(mean|stddev|cv)$/) next
    if (name ~ /\/repeats:[0-9]+$/) next
    sub(/\/repeats:[0-9]+/, "", name)
    sub(/_median$/, "", name)
    side = substr(name, 4, 4); op = substr(name, 9)
    t[op, side] = $4 + 0
    if (!(op in seen)) { seen[op] = 1; order[++n] = op }
  }
  END {
    printf "%-34s %10s %10s %7s\n", "operation", "ours(ns)", "peer(ns)", "ratio"
    for (i = 1; i <= n; ++i) {
      op = order[i]
      if ((op, "peer") in t && t[op, "peer"] > 0)
        printf "%-34s %10.2f %10.2f %7.2f\n", op, t[op, "ours"], t[op, "peer"], t[op, "ours"] / t[op, "peer"]
      else
        printf "%-34s %10.2f %10s %7s\n", op, t[op, "ours"], "-", "-"
    }
  }'
