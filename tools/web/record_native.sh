#!/usr/bin/env bash
# Records the terminal game's own output for the browser check's scripted game: the native
# build (the repository's normal CMake build) plays tests/web/native-game/input with piped
# standard input and output (plain text, no colour codes) and the tests' preloaded clock, so its
# pauses pass at once. The seed is the calendar second the game starts in; the script waits for
# a second whose game has a fight in which the player is hit (the shake) and no death, and keeps that second as the seed. The browser
# check replays the same input on the real page with its clock set to that second and compares
# what the game wrote, byte for byte. Run it again, and review the diff, after a change that is
# meant to change the game's text.
# Usage: tools/web/record_native.sh [native build dir]   (default build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
out="$root/tests/web/native-game"
[ -f "$build/CMakeCache.txt" ] || "$root/tools/setup.sh" "$build" -DVAULTREACH_TESTS=ON
cmake --build "$build" -j 2 --target vaultreach vaultreach_preload_clock >/dev/null
preload="$(find "$build" -name 'libvaultreach_preload_clock.so' | head -n 1)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for attempt in $(seq 1 120); do
  rm -rf "$scratch/run" && mkdir "$scratch/run" && cp "$root"/data/* "$scratch/run/"
  before="$(date +%s)"
  (cd "$scratch/run" && LD_PRELOAD="$preload" "$build/vaultreach" <"$out/input" >"$scratch/transcript")
  after="$(date +%s)"
  if [ "$before" = "$after" ] && grep -q 'What do you want to do?' "$scratch/transcript" &&
    grep -q ' to Ann!' "$scratch/transcript" &&
    ! grep -q 'The End\.' "$scratch/transcript"; then
    echo "$before" >"$out/seed"
    cp "$scratch/transcript" "$out/transcript"
    echo "seed $before after $attempt tries; $(wc -c <"$out/transcript") bytes"
    git -C "$root" --no-pager diff --stat -- "$out" || true
    exit 0
  fi
  sleep 0.25
done
echo "no second in 120 tries gave a fight with a blow taken and no death for this input" >&2
exit 1
