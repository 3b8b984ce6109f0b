#!/usr/bin/env bash
# Builds the libFuzzer target for the terminal's answers (clang, AddressSanitizer, UBSan) in
# build-libfuzzer, plays every seed of tools/fuzz/terminal-corpus once, then fuzzes for the
# given number of seconds (default 60). Exits non-zero when an input crashes the parser, trips
# a sanitizer, hangs, loses or invents a typed key, or misses an answer; libFuzzer leaves that
# input in build-libfuzzer/artifacts/.
# Usage: tools/fuzz/run_terminal.sh [seconds]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build-libfuzzer"
seconds="${1:-60}"

"$root/tools/install-packages.sh" clang libclang-rt-14-dev cmake make pkg-config libsdl1.2-dev \
  libsdl-mixer1.2-dev

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVAULTREACH_FUZZ=ON -DVAULTREACH_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target vaultreach_terminal_fuzzer

mkdir -p "$build/terminal-corpus" "$build/artifacts"
fuzzer="$build/vaultreach_terminal_fuzzer"
common=(-timeout=5 -rss_limit_mb=1024 -max_len=512 -artifact_prefix="$build/artifacts/")

echo "== The seed inputs, once each"
"$fuzzer" "${common[@]}" "$root"/tools/fuzz/terminal-corpus/*

echo "== ${seconds}s of new inputs"
"$fuzzer" "${common[@]}" -max_total_time="$seconds" -dict="$root/tools/fuzz/terminal.dict" \
  -print_final_stats=1 "$build/terminal-corpus" "$root/tools/fuzz/terminal-corpus"
