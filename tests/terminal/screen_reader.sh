#!/usr/bin/env bash
# The terminal game's screen-reader mode heard through a real screen reader: Orca reading the
# native game in a VTE terminal (sakura) on a virtual display. It installs what it needs, starts
# the same desktop as the browser's screen-reader check (Xvfb, a dbus session, the accessibility
# bus, speech-dispatcher with a synthesiser that logs each text and takes a voice's time to say
# it, Orca), then plays the browser check's scripted game (a fight, steps, the map) with real
# keys and real pauses (only the calendar is set, to the game's seed, through the tests'
# preloaded clock) and prints, for each answer, what Orca spoke. It fails when a passage is not
# spoken whole, once and in order, when a drawing's lines are spoken, when a picture is not named
# once, when the map is not spoken as words, when the title's "Vaultreach awaits." and "YOU!"
# are not spoken, when speech goes on more than 10 s past a fight round's end at 180 words a
# minute, or when another screen reader already runs. Everything it starts is stopped by process id when
# it exits, however it exits.
# Usage: tests/terminal/screen_reader.sh [--without-mode] [BUILD_DIR]   (default build, which
#   needs -DVAULTREACH_TESTS=ON for the preloaded clock)
#   --without-mode plays the game as it is by default, to hear what the mode spares a listener
#   (its rules then fail).
#   VAULTREACH_SCREEN_READER_LOGS=DIR keeps Orca's debug file, the synthesiser's log, the game's
#   output and the other services' logs there.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
mode=(--screen-reader)
if [ "${1:-}" = "--without-mode" ]; then
  mode=()
  shift
fi
build="$(cd "${1:-$root/build}" && pwd)"
preload="$build/tests/libvaultreach_preload_clock.so"
if [ ! -x "$build/vaultreach" ] || [ ! -f "$preload" ]; then
  echo "No game with the tests' preloaded clock in $build: build it first with ./test.sh" >&2
  exit 1
fi
node_packages=()
command -v node >/dev/null || node_packages=(nodejs)
"$root/tools/install-packages.sh" --no-recommends sakura "${node_packages[@]}"
source "$root/tests/web/screen-reader/desktop.sh"

scratch="$(mktemp -d)"
trap 'stop_reader_desktop; rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM
game="$scratch/game"
mkdir -p "$game"
cp -r "$build/run/." "$game/"
seed="$(cat "$root/tests/web/native-game/seed")"
clock=(LD_PRELOAD="$preload" ASAN_OPTIONS=verify_asan_link_order=0 SDL_AUDIODRIVER=dummy
  VAULTREACH_CLOCK_START="$seed")

# The same game on pipes, its pauses passing at once, with and without the mode: the lines they
# differ in are the drawings and what the mode writes instead.
# Usage: piped OUTPUT [GAME_ARGUMENTS...]
piped() {
  local out="$1"
  shift
  rm -rf "$scratch/piped" && cp -r "$build/run" "$scratch/piped"
  (cd "$scratch/piped" && env "${clock[@]}" timeout 60 "$build/vaultreach" "$@" \
    <"$root/tests/web/native-game/input" >"$out" 2>/dev/null)
}
piped_mode=""
piped "$scratch/piped-plain"
if [ "${#mode[@]}" -gt 0 ]; then
  piped_mode="$scratch/piped-mode"
  piped "$piped_mode" "${mode[@]}"
fi

# What the terminal runs: the game under script(1), which keeps a copy of all it writes, once
# the listener says so (a player opens the terminal, hears it named, then starts the game).
cat >"$scratch/play" <<EOF
#!/bin/sh
while [ ! -e start ]; do sleep 0.1; done
exec script --quiet --flush --command 'echo \$\$ >game.pid; exec env ${clock[*]} VAULTREACH_CLOCK_REAL_PAUSES=1 \
  $build/vaultreach ${mode[*]}' "$scratch/output"
EOF
chmod +x "$scratch/play"

start_reader_desktop "$scratch/reader"
echo "Orca $(orca --version), sakura $(dpkg-query -W -f '${Version}' sakura) on VTE" \
  "$(dpkg-query -W -f '${Version}' libvte-2.91-0) on $DISPLAY; the game ${mode[*]:-without the mode}"
status=0
timeout 720 node "$root/tests/terminal/listen.mjs" "$game" "$scratch/play" "$scratch/output" \
  "$scratch/piped-plain" "$piped_mode" "$run/logs/orca.log" "$VAULTREACH_SPEECH_LOG" || status=$?
cp "$scratch/output" "$run/logs/game-output.log" 2>/dev/null || true
exit "$status"
