#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite once.
# Usage: ./test.sh [--fast | --sanitize] [cmake options...]
#   --fast builds only the test program in build/ and runs the suites that play in-process on
#   the null platform (seconds), leaving out those that start the real program, a terminal or
#   a sound device;
#   --sanitize builds in build-asan with AddressSanitizer and UBSan (a Debug build), as CI does;
#   otherwise the build is build/. Further options go to CMake (CI adds
#   -DVAULTREACH_MEASURE=ON, which puts short runs of the measuring tools in the suite).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$root/build"
options=(-DVAULTREACH_TESTS=ON)
# The suites that start processes, terminals or SDL's sound: everything else is in-process.
outside="RealProgram.*:TerminalProgram.*:EveryFileEveryDamage/*:Cases/RepliesAtThePrompts*"
outside+=":AudioManager*:FolderSync*:Backgrounds/*:Cases/AbsurdSizes*:SavePermission*"
outside+=":WriteTarget*:DataFile*"
if [ "${1:-}" = "--fast" ]; then
  shift
  if [ ! -f "$build/CMakeCache.txt" ]; then
    "$root/tools/setup.sh" "$build" "${options[@]}" "$@"
  fi
  cmake --build "$build" --target vaultreach_tests -j "$(nproc)" >/dev/null
  cd "$build/tests"
  exec "$build/tests/vaultreach_tests" --gtest_brief=1 "--gtest_filter=-$outside"
fi
if [ "${1:-}" = "--sanitize" ]; then
  shift
  build="$root/build-asan"
  options+=(-DVAULTREACH_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
"$root/tools/setup.sh" "$build" "${options[@]}" "$@"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
