#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite once.
# Usage: ./test.sh [--sanitize] [cmake options...]
#   --sanitize builds in build-asan with AddressSanitizer and UBSan (a Debug build), as CI does;
#   otherwise the build is build/. Further options go to CMake (CI adds
#   -DVAULTREACH_MEASURE=ON, which puts short runs of the measuring tools in the suite).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$root/build"
options=(-DVAULTREACH_TESTS=ON)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  build="$root/build-asan"
  options+=(-DVAULTREACH_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
"$root/tools/setup.sh" "$build" "${options[@]}" "$@"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
