#!/usr/bin/env bash
# Plays the game in two real xterms under Xvfb and the twm window manager, one black on white
# and one white on black, typing as a player would, and checks what a player would see:
#  - screenshots, probed for the exact colours chosen for each background: the movement
#    question (10), the movement choices (14) and the fight choices (4);
#  - the window's position after every fight turn (a blow shakes it) and at the end: where it
#    was before the game;
#  - the window's size in characters after the game: what it was before.
# The game runs on the real clock (about a minute and a half of title and story).
# Usage: tools/terminal/xterm_check.sh BUILD_DIR [OUT_DIR]   (screenshots land in OUT_DIR)
# Needs: xterm xvfb x11-utils xdotool twm imagemagick (Debian packages).
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
out="$(mkdir -p "${2:-$build/xterm-check}" && cd "${2:-$build/xterm-check}" && pwd)"
convert=/usr/bin/convert
for tool in Xvfb xterm twm xdotool xwininfo import "$convert"; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done

work="$(mktemp -d)"
display=":$((90 + $$ % 9))"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
# Windows go where they ask to be, with twm's title bar and border around them.
printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\n' >"$work/twmrc"
twm -f "$work/twmrc" >/dev/null 2>&1 &
pids+=($!)
sleep 1

# name, background, foreground, x, y, expected colours (question, choices, fight) as #RRGGBB
start_game() {
  local name="$1" bg="$2" fg="$3" x="$4" y="$5"
  mkdir -p "$work/$name"
  cp -r "$build/run/." "$work/$name/"
  (cd "$work/$name" && xterm -xrm 'XTerm*allowWindowOps: true' -name "vr$name" \
    -bg "$bg" -fg "$fg" -geometry "100x35+$x+$y" -hold -l -lf "$work/$name/screen.log" \
    -e sh -c 'sleep 3; exec env SDL_AUDIODRIVER=dummy TERM=xterm-256color ./vaultreach' \
    >/dev/null 2>&1) &
  pids+=($!)
}

window_of() {
  xdotool search --sync --classname "vr$1" | head -1
}

corner() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    END {print x "," y}'
}

characters() {
  xwininfo -id "$1" | awk '/-geometry/ {match($2, /^[0-9]+x[0-9]+/); print substr($2, 1, RLENGTH)}'
}

wait_for() {  # name, text, seconds
  for _ in $(seq $(($3 * 10))); do
    grep -qaF -- "$2" "$work/$1/screen.log" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "$1: no \"$2\" after $3 s"
  return 1
}

type_in() {  # window, text
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
  xdotool type --delay 30 "$2"
}

count_colour() {  # screenshot, #RRGGBB
  "$convert" "$1" -format %c histogram:info:- | grep -ci -- "$2" || true
}

status=0
start_game white white black 100 107
start_game black black white 1000 107
declare -A win before_corner before_size
for name in white black; do
  win[$name]="$(window_of "$name")"
done
sleep 0.5  # the game starts 3 s after its window, so this is the window as the player had it
for name in white black; do
  before_corner[$name]="$(corner "${win[$name]}")"
  before_size[$name]="$(characters "${win[$name]}")"
  echo "$name: before the game at ${before_corner[$name]}, ${before_size[$name]} characters"
done

for name in white black; do
  wait_for "$name" "What is your name?" 150 || status=1
  type_in "${win[$name]}" $'Ann\n'
done
for name in white black; do
  wait_for "$name" "(A)xe" 60 || status=1
  type_in "${win[$name]}" $'a\n'
done
for name in white black; do
  wait_for "$name" "(Q)uit" 60 || status=1
  echo "$name: while playing, ${win[$name]} is $(characters "${win[$name]}") characters"
done
import -window root "$out/movement.png"

# Walk south and north until a monster comes, then attack until the fight is over.
for name in white black; do
  fights=0
  for step in $(seq 40); do
    if grep -qaF "(A)ttack" "$work/$name/screen.log"; then
      break
    fi
    type_in "${win[$name]}" $'s\n'
    sleep 2.5
    grep -qaF "(A)ttack" "$work/$name/screen.log" && break
    type_in "${win[$name]}" $'n\n'
    sleep 2.5
  done
  import -window root "$out/fight-$name.png"
  # Where the window is seen during the fight, sampled as fast as xwininfo goes.
  (while :; do corner "${win[$name]}"; done >"$work/$name/positions") &
  sampler=$!
  for turn in $(seq 12); do
    grep -qaF "play again" "$work/$name/screen.log" && break
    type_in "${win[$name]}" $'a\n'
    sleep 3
    fights=$((fights + 1))
    echo "$name: after fight turn $turn the window is at $(corner "${win[$name]}")"
    tail -c 300 "$work/$name/screen.log" | grep -qaF "(Q)uit" && break
  done
  kill "$sampler"
  wait "$sampler" 2>/dev/null || true
  echo "$name: $(grep -aoF $'\e[3;' "$work/$name/screen.log" | wc -l) moves asked for; positions" \
    "seen during the fight: $(sort "$work/$name/positions" | uniq -c | tr -s ' \n' ' ')"
done

for name in white black; do
  if grep -qaF "play again" "$work/$name/screen.log"; then
    type_in "${win[$name]}" $'n\n'
  else
    type_in "${win[$name]}" $'q\n'
  fi
  wait_for "$name" "Press Enter to exit" 30 || status=1
  type_in "${win[$name]}" $'\n'
done
sleep 2
import -window root "$out/after.png"

for name in white black; do
  after_corner="$(corner "${win[$name]}")"
  after_size="$(characters "${win[$name]}")"
  echo "$name: after the game at $after_corner, $after_size characters"
  [ "$after_corner" = "${before_corner[$name]}" ] || { echo "$name: the window moved"; status=1; }
  [ "$after_size" = "${before_size[$name]}" ] || { echo "$name: the size changed"; status=1; }
done

# The colours chosen for each background, looked for in the screenshots.
probe() {  # name, label, #RRGGBB, screenshots...
  local name="$1" label="$2" colour="$3" found=0
  shift 3
  for shot in "$@"; do
    [ "$(count_colour "$shot" "$colour")" -gt 0 ] && found=1
  done
  echo "$name: $label $colour $([ $found = 1 ] && echo seen || echo MISSING)"
  [ $found = 1 ] || status=1
}
probe white "question (10)" "#008700" "$out/movement.png" "$out/fight-white.png"
probe white "choices (14)" "#875F00" "$out/movement.png" "$out/fight-white.png"
probe white "fight choices (4)" "#870000" "$out/fight-white.png"
probe black "question (10)" "#00FF00" "$out/movement.png" "$out/fight-black.png"
probe black "choices (14)" "#FFFF00" "$out/movement.png" "$out/fight-black.png"
probe black "fight choices (4)" "#FF0000" "$out/fight-black.png"
echo "screenshots in $out"
exit "$status"
