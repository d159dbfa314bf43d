#!/usr/bin/env bash
# Seeded mutation testing of the library against the plain CTest suite; see
# scripts/mutants.py for what it mutates and how. Prints one line a mutant and
# a last line "N killed, M survived".
#   scripts/mutants.sh [--seed S] [--count N] [--list]
#   scripts/mutants.sh --replay scripts/mutants-baseline.log   (the first run's sample)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh python3 >/dev/null
exec python3 scripts/mutants.py "$@"
