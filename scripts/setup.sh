#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need,
# plus any package named on the command line: the optional groups are the
# reference's (scripts/setup.sh doxygen graphviz) and the browser that
# photographs it (scripts/setup.sh chromium, for scripts/docs-screenshots.sh).
# With --cross first, also what scripts/cross-check.sh needs to build and run
# the library for aarch64 under user-mode emulation (the arm64 architecture is
# added to dpkg for its libraries).
# Idempotent: asks apt only for what is missing.
set -euo pipefail

cross=()
if [ "${1:-}" = "--cross" ]; then
  shift
  cross=(g++-aarch64-linux-gnu qemu-user libqt6core6:arm64 libmpfr-dev:arm64)
fi
packages=(
  cmake g++ make pkg-config clang-format clang-14 clang-tidy-14
  qt6-base-dev
  libgtest-dev libbenchmark-dev jq
  libeigen3-dev libglm-dev libgeographiclib-dev liberfa-dev
  abi-dumper abi-compliance-checker
  libcli11-dev geographiclib-tools libmpfr-dev
  "${cross[@]}" "$@"
)

missing=()
for p in "${packages[@]}"; do
  # A package installed for two architectures needs one named to be queried.
  dpkg -s "$p" >/dev/null 2>&1 || dpkg -s "$p:$(dpkg --print-architecture)" >/dev/null 2>&1 ||
    missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  if [ ${#cross[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    "${sudo_cmd[@]}" dpkg --add-architecture arm64
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
