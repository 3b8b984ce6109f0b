#!/usr/bin/env bash
# Plays the game in tmux on a dark and on a light pane, as a player would: types the name and
# the weapon, walks until a monster comes, and reads the screen back with its colours. Checks
# that the movement question, the movement choices and the fight choices come out in the
# colours chosen for that background, and that the typed keys reached the game.
# Usage: tests/terminal/tmux_check.sh BUILD_DIR   (exit 77 when tmux is missing)
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 77; }

work="$(mktemp -d)"
socket="vaultreach-check-$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
cp -r "$build/run/." "$work/"

# Waits until the pane shows the text (true) or about 10 s pass (false).
wait_for() {
  for _ in $(seq 100); do
    if tmux -L "$socket" capture-pane -p -J -S -200 | grep -qF -- "$1"; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

status=0
check() {
  local name="$1" style="$2" question="$3" choices="$4" fight="$5"
  printf 'set -g default-terminal "tmux-256color"\nset -g window-style "%s"\n' "$style" \
    >"$work/tmux.conf"
  rm -f "$work/Player.txt"
  tmux -L "$socket" -f "$work/tmux.conf" new-session -d -x 100 -y 45 -c "$work" \
    "env LD_PRELOAD=$build/tests/libvaultreach_preload_clock.so ASAN_OPTIONS=verify_asan_link_order=0 \
    SDL_AUDIODRIVER=dummy ./vaultreach"
  wait_for "What is your name?" || { echo "$name: no name question"; status=1; }
  # tmux answers the game's questions at start-up: none of its answers may reach the screen.
  if tmux -L "$socket" capture-pane -p -J -S -200 | grep -qF -e '^[' -e 'rgb:'; then
    echo "$name: the terminal's answers are on the screen"
    status=1
  fi
  tmux -L "$socket" send-keys "Ann" Enter "a" Enter
  local steps=0
  until tmux -L "$socket" capture-pane -p -J -S -200 | grep -qF "(A)ttack"; do
    wait_for "(Q)uit" || break
    tmux -L "$socket" send-keys s Enter n Enter
    steps=$((steps + 1))
    [ "$steps" -lt 60 ] || break
  done
  local screen
  screen="$(tmux -L "$socket" capture-pane -p -e -J -S -200)"
  for expected in "${question}Which way do you want to go?" "${choices}(N)orth" "${fight}(A)ttack"; do
    if ! grep -qF -- "$expected" <<<"$screen"; then
      echo "$name: missing $(printf '%q' "$expected")"
      status=1
    fi
  done
  tmux -L "$socket" kill-server 2>/dev/null || true
  sleep 0.2
  if ! grep -q "^Ann$" "$work/Player.txt" 2>/dev/null; then
    echo "$name: the name typed did not reach the game"
    status=1
  fi
  [ "$status" -ne 0 ] || echo "$name: the mapped colours, and every key in place"
}

check light "bg=colour231,fg=colour16" $'\e[38;5;28m' $'\e[38;5;94m' $'\e[38;5;88m'
check dark "bg=colour16,fg=colour252" $'\e[38;5;46m' $'\e[38;5;226m' $'\e[38;5;196m'
exit "$status"
