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
# The binary's JSON report is read rather than its CSV one: the CSV reporter
# aborts under random interleaving when only some benchmarks set a counter.
set -euo pipefail
bin=${BENCH_BIN:-build/default/bench/orrery_bench}
if [[ ! -x $bin ]]; then
  echo "ratios.sh: no benchmark binary at $bin (configure with -DORRERY_BUILD_BENCHMARKS=ON" \
    "and build the orrery_bench target, or set BENCH_BIN)" >&2
  exit 2
fi
command -v jq >/dev/null || {
  echo "ratios.sh: jq is needed to read the benchmark report (scripts/setup.sh installs it)" >&2
  exit 2
}
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
"$bin" --benchmark_format=json "$@" >"$report" || status=$?
if ((status != 0)); then
  echo "ratios.sh: $bin failed (status $status)" >&2
  exit 1
fi
# One line per measurement: name and CPU time in ns. With repetitions only
# the medians are kept; a single run has no aggregates and keeps its iteration.
jq -r '
  .benchmarks as $b
  | ($b | any(.run_type == "aggregate")) as $agg
  | $b[]
  | select(.name | test("^BM_(ours|peer)_"))
  | select(if $agg then .aggregate_name == "median" else .run_type == "iteration" end)
  | [.run_name, (.cpu_time * ({"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[.time_unit]))]
  | @tsv' "$report" | awk -F'\t' '
  {
    name = $1
    sub(/\/repeats:[0-9]+$/, "", name)
    side = substr(name, 4, 4); op = substr(name, 9)
    t[op, side] = $2 + 0
    if (!(op in seen)) { seen[op] = 1; order[++n] = op }
  }
  END {
    if (n == 0) { print "ratios.sh: the report holds no BM_ours_/BM_peer_ benchmark" > "/dev/stderr"; exit 1 }
    printf "%-34s %10s %10s %7s\n", "operation", "ours(ns)", "peer(ns)", "ratio"
    for (i = 1; i <= n; ++i) {
      op = order[i]
      if ((op, "peer") in t && t[op, "peer"] > 0)
        printf "%-34s %10.2f %10.2f %7.2f\n", op, t[op, "ours"], t[op, "peer"], t[op, "ours"] / t[op, "peer"]
      else
        printf "%-34s %10.2f %10s %7s\n", op, t[op, "ours"], "-", "-"
    }
  }'
