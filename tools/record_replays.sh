#!/usr/bin/env bash
# Re-records the stored replays of tests/replays (transcript, Player.txt, log.txt, clock) from
# the game as it is now, then shows what changed. Run it after a change that is meant to change
# the games, read the diff, and commit the folders with the change.
# With --check it records into a scratch copy instead, builds nothing, and fails when the
# recording differs from what is committed (the suite runs it so).
# Usage: tools/record_replays.sh [--check] [build dir]   (default build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
check=no
if [ "${1:-}" = "--check" ]; then
  check=yes
  shift
fi
build="${1:-$root/build}"
record() {
  VAULTREACH_RECORD_REPLAYS=1 VAULTREACH_REPLAY_DIR="$1" "$build/tests/vaultreach_tests" \
    --gtest_filter='Stored/Replay.*' --gtest_brief=1
}
if [ "$check" = yes ]; then
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  cp -R "$root/tests/replays" "$scratch/replays"
  record "$scratch/replays" >/dev/null
  diff -r "$root/tests/replays" "$scratch/replays"
  echo "the stored replays are what the game plays now"
  exit 0
fi
cmake --build "$build" -j 2 --target vaultreach_tests >/dev/null
record "$root/tests/replays"
git -C "$root" add --intent-to-add tests/replays
git -C "$root" --no-pager diff --stat -- tests/replays
git -C "$root" --no-pager diff -- tests/replays
