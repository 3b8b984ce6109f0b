#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UBSan) in build-libfuzzer, then fuzzes
# two ways side by side (each fuzzer keeps one processor busy), each after playing its seed
# inputs once:
#  - the whole game's input (tests/fuzz/corpus) for the given number of new executions, bounded
#    by FUZZ_MAX_SECONDS (default 1200);
#  - the terminal's answers mixed with typed keys (platform/terminal/fuzz/corpus) for the given
#    number of seconds.
# Exits non-zero when an input crashes the game or the parser, trips a sanitizer, runs past the
# per-input timeout, fails the game's checks (status, save, console, asking after the input
# ended) or loses, invents or misses a key or an answer; libFuzzer leaves that input in
# build-libfuzzer/artifacts/. New interesting inputs collect in build-libfuzzer/corpus/ and
# build-libfuzzer/terminal-corpus/.
# Each fuzzer run is bounded in time beyond libFuzzer's own limits, in case the fuzzer itself
# hangs.
# Usage: tests/fuzz/run.sh [executions] [terminal seconds]   (defaults 20000 and 60; 0 skips one)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build-libfuzzer"
executions="${1:-20000}"
terminal_seconds="${2:-60}"
max_seconds="${FUZZ_MAX_SECONDS:-1200}"

"$root/tools/install-packages.sh" clang libclang-rt-14-dev cmake make pkg-config ccache \
  libsdl1.2-dev libsdl-mixer1.2-dev

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVAULTREACH_FUZZ=ON -DVAULTREACH_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target vaultreach_fuzzer vaultreach_terminal_fuzzer

mkdir -p "$build/corpus" "$build/terminal-corpus" "$build/artifacts"
fuzzer="$build/tests/fuzz/vaultreach_fuzzer"
terminal_fuzzer="$build/tests/fuzz/vaultreach_terminal_fuzzer"
# The game enters its own scratch directory, so every path handed to libFuzzer is absolute.
common=(-artifact_prefix="$build/artifacts/" -print_final_stats=1)

fuzz_game() {
  local game=("$fuzzer" "${common[@]}" -timeout=10 -rss_limit_mb=2048)
  echo "== The game's seed inputs, once each"
  timeout 600 "${game[@]}" "$root"/tests/fuzz/corpus/* || return
  echo "== $executions new executions of the game (at most ${max_seconds}s)"
  timeout $((max_seconds + 120)) "${game[@]}" -runs="$executions" -max_total_time="$max_seconds" \
    -dict="$root/tests/fuzz/answers.dict" "$build/corpus" "$root/tests/fuzz/corpus"
}

fuzz_terminal() {
  local terminal=("$terminal_fuzzer" "${common[@]}" -timeout=5 -rss_limit_mb=1024 -max_len=512)
  echo "== The terminal's seed inputs, once each"
  timeout 600 "${terminal[@]}" "$root"/platform/terminal/fuzz/corpus/* || return
  echo "== ${terminal_seconds}s of new terminal answers among typed keys"
  timeout $((terminal_seconds + 120)) "${terminal[@]}" -max_total_time="$terminal_seconds" \
    -dict="$root/platform/terminal/fuzz/terminal.dict" \
    "$build/terminal-corpus" "$root/platform/terminal/fuzz/corpus"
}

# The terminal's fuzzer writes to a log of its own, printed after the game's output, so the two
# do not interleave. (Each part returns its first failure: errexit does not hold in a function
# whose status is tested.)
terminal_log="$build/terminal-fuzz.log"
terminal_status=0
if [ "$terminal_seconds" -gt 0 ]; then
  fuzz_terminal >"$terminal_log" 2>&1 &
  terminal_pid=$!
  trap 'kill "$terminal_pid" 2>/dev/null || true' EXIT
fi
game_status=0
if [ "$executions" -gt 0 ]; then
  fuzz_game || game_status=$?
fi
if [ "$terminal_seconds" -gt 0 ]; then
  wait "$terminal_pid" || terminal_status=$?
  cat "$terminal_log"
fi
[ "$game_status" -eq 0 ] && [ "$terminal_status" -eq 0 ]
