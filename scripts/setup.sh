#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need,
# plus any package named on the command line (scripts/setup.sh doxygen).
# Idempotent: asks apt only for what is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config clang-format clang-14 clang-tidy-14
  qt6-base-dev
  libgtest-dev libbenchmark-dev jq
  libeigen3-dev libglm-dev libgeographiclib-dev liberfa-dev
  abi-dumper abi-compliance-checker
  libcli11-dev geographiclib-tools libmpfr-dev
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
