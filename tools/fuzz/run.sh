#!/usr/bin/env bash
# Builds the libFuzzer target (clang, AddressSanitizer, UBSan) in build-libfuzzer, plays every
# input of tools/fuzz/corpus once, then fuzzes for the given number of new executions.
# Usage: tools/fuzz/run.sh [executions]   (default 20000)
# FUZZ_MAX_SECONDS bounds the fuzzing time (default 1200). Exits non-zero when an input
# crashes the game, trips a sanitizer, runs past the per-input timeout or fails the game's
# checks (status, save, console, asking after the input ended); libFuzzer leaves that input in
# build-libfuzzer/artifacts/. New interesting inputs collect in build-libfuzzer/corpus/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build-libfuzzer"
executions="${1:-20000}"
max_seconds="${FUZZ_MAX_SECONDS:-1200}"

"$root/tools/install-packages.sh" clang libclang-rt-14-dev cmake make pkg-config libsdl1.2-dev \
  libsdl-mixer1.2-dev

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVAULTREACH_FUZZ=ON -DVAULTREACH_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target vaultreach_fuzzer

mkdir -p "$build/corpus" "$build/artifacts"
fuzzer="$build/vaultreach_fuzzer"
# The game enters its own scratch directory, so every path handed to libFuzzer is absolute.
common=(-timeout=10 -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/")

echo "== The seed inputs, once each"
"$fuzzer" "${common[@]}" "$root"/tools/fuzz/corpus/*

echo "== $executions new executions (at most ${max_seconds}s)"
"$fuzzer" "${common[@]}" -runs="$executions" -max_total_time="$max_seconds" \
  -dict="$root/tools/fuzz/answers.dict" -print_final_stats=1 \
  "$build/corpus" "$root/tools/fuzz/corpus"
