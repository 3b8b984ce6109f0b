#!/usr/bin/env bash
# Records the terminal game's own output for the browser check's scripted game: the native
# build (the repository's normal CMake build) plays tests/web/native-game/input with piped
# standard input and output (plain text, no colour codes) under the tests' preloaded clock, so
# its pauses pass at once and its calendar starts at a chosen second (the game's seed). Seeds
# are tried from a fixed one upwards until a game has a fight in which the player is hit (the
# shake) and no death; the same sources always choose the same seed. The browser check replays
# the input on the real page with its clock at that second and compares what the game wrote,
# byte for byte. Run it again after a change meant to change the game's text, and review the
# diff. With --check it builds nothing, records into a scratch folder and fails when the
# recording differs from the committed one (the suite runs it so).
# Usage: tools/web/record_native.sh [--check] [native build dir]   (default build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
check=no
if [ "${1:-}" = "--check" ]; then
  check=yes
  shift
fi
build="${1:-$root/build}"
committed="$root/tests/web/native-game"
out="$committed"
first_seed=1796700000
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
if [ "$check" = yes ]; then
  out="$scratch/native-game"
  mkdir "$out"
  cp "$committed/input" "$out/"
else
  [ -f "$build/CMakeCache.txt" ] || "$root/tools/setup.sh" "$build" -DVAULTREACH_TESTS=ON
  cmake --build "$build" -j 2 --target vaultreach vaultreach_preload_clock >/dev/null
fi
preload="$(find "$build" -name 'libvaultreach_preload_clock.so' | head -n 1)"
for seed in $(seq "$first_seed" $((first_seed + 200))); do
  rm -rf "$scratch/run" && mkdir "$scratch/run" && cp "$root"/data/* "$scratch/run/"
  (cd "$scratch/run" && VAULTREACH_CLOCK_START="$seed" LD_PRELOAD="$preload" \
    ASAN_OPTIONS=verify_asan_link_order=0 "$build/vaultreach" \
    <"$out/input" >"$scratch/transcript")
  if grep -q 'What do you want to do?' "$scratch/transcript" &&
    grep -q ' to Ann!' "$scratch/transcript" &&
    ! grep -q 'The End\.' "$scratch/transcript"; then
    echo "$seed" >"$out/seed"
    cp "$scratch/transcript" "$out/transcript"
    echo "seed $seed; $(wc -c <"$out/transcript") bytes"
    if [ "$check" = yes ]; then
      diff -r "$committed" "$out"
    else
      git -C "$root" --no-pager diff --stat -- "$out" || true
    fi
    exit 0
  fi
done
echo "no seed from $first_seed in 200 gave a fight with a blow taken and no death" >&2
exit 1
