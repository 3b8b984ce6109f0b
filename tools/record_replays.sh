#!/usr/bin/env bash
# Re-records the stored replays of tests/replays (transcript, Player.txt, log.txt, clock) from
# the game as it is now, then shows what changed. Run it after a change that is meant to change
# the games, read the diff, and commit the folders with the change.
# Usage: tools/record_replays.sh [build dir]   (default build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" -j 2 --target vaultreach_tests >/dev/null
VAULTREACH_RECORD_REPLAYS=1 "$build/tests/vaultreach_tests" --gtest_filter='Stored/Replay.*' \
  --gtest_brief=1
git -C "$root" add --intent-to-add tests/replays
git -C "$root" --no-pager diff --stat -- tests/replays
git -C "$root" --no-pager diff -- tests/replays
