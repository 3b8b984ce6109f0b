#!/usr/bin/env bash
# The Windows build's proof, under Wine: the portable test suite through ctest, a scripted game
# of the real vaultreach.exe (tests/windows/smoke.sh) and a game on a terminal
# (tests/windows/tmux-check.sh). The two games wait mostly on their own pauses, so they play
# beside the suite, which keeps the processors busy; their reports follow the suite's. Each
# part is bounded in time; Wine's services are ended at the end.
# Usage: tests/windows/check.sh [BUILD_DIR]   (after tools/windows/build.sh)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh" "${1:-}"
logs="$(mktemp -d)"
games=()
trap 'kill "${games[@]}" 2>/dev/null || true; wait || true; wineserver -k 2>/dev/null || true
  rm -rf "$logs"' EXIT

timeout 400 "$here/smoke.sh" "$build" >"$logs/smoke" 2>&1 &
games+=($!)
timeout 400 "$here/tmux-check.sh" "$build" >"$logs/tmux" 2>&1 &
games+=($!)
status=0
echo "== The test suite under Wine"
(cd "$build/game" && timeout 900 ctest --output-on-failure -j "$(nproc)" --timeout 300) || status=1
"$root/tools/count_cases.sh" "$build/game" "Under Wine"
echo "== A scripted game of vaultreach.exe under Wine"
wait "${games[0]}" || status=1
cat "$logs/smoke"
echo "== vaultreach.exe on a terminal"
wait "${games[1]}" || status=1
cat "$logs/tmux"
exit "$status"
