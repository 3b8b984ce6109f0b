#!/usr/bin/env bash
# Runs the real vaultreach.exe under Wine on a terminal (tmux on a socket of its own) and
# checks what the player sees there: the title banner and the direction menu in the colours
# of their console attributes, "Vaultreach" as the caption, and Ctrl-C at a prompt ending the
# game with its save and exit status 0. Wine's console turns the
# attributes into the terminal's own colour sequences, which tmux reports with capture-pane -e.
# Usage: tests/windows/tmux-check.sh [BUILD_DIR]   (after tools/windows/build.sh)
set -euo pipefail

checking=tmux
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" "${1:-}"
fresh_run tmux
cp -r "$build/release/vaultreach" "$run/"
cd "$run/vaultreach"

socket="vaultreach-windows-$$"
tmux_() {
  tmux -L "$socket" "$@"
}
trap 'tmux_ kill-server 2>/dev/null || true' EXIT

# Waits until the screen shows text (a fixed string), at most the given seconds.
wait_for() {
  local text="$1" seconds="$2"
  for _ in $(seq $((seconds * 2))); do
    if tmux_ capture-pane -p -t game | grep -qF -- "$text"; then
      return 0
    fi
    sleep 0.5
  done
  return 1
}

tmux_ -f /dev/null new-session -d -s game -x 100 -y 50 \
  "env TERM=xterm-256color wine vaultreach.exe; echo \"exit status: \$?\"; sleep 30"
tmux_ set-option -t game -g allow-rename on >/dev/null

wait_for "What is your name?" 60 || fail "no name prompt"
tmux_ capture-pane -e -p -t game -S -50 >title.screen
caption="$(tmux_ display-message -p -t game '#{pane_title}')"
echo "caption: $caption"
[ "$caption" = "Vaultreach" ] || fail "the caption is \"$caption\""

tmux_ send-keys -t game "Ann" Enter
wait_for "(S)word" 90 || fail "no weapon choice"
tmux_ send-keys -t game "s" Enter
wait_for "(Q)uit" 180 || fail "no direction menu"
sleep 1
tmux_ capture-pane -e -p -t game >menu.screen
tmux_ send-keys -t game "q" Enter
wait_for "Press Enter to exit" 60 || fail "no farewell"
tmux_ send-keys -t game Enter
wait_for "exit status:" 30 || fail "the game did not end"
tmux_ capture-pane -p -t game -S -100 >end.screen

# The title banner (attribute 128: black on grey) and the menu (10: bright green question,
# 14: yellow choices), as tmux shows them.
banner="$(grep -m1 $'\e\\[[0-9;]*\\(100\\|47\\)m' title.screen | cat -v || true)"
question="$(grep -m1 -F 'Which way do you want to go?' menu.screen | cat -v || true)"
choice="$(grep -m1 -F '(N)orth' menu.screen | cat -v || true)"
echo "title banner line: $banner"
echo "direction question line: $question"
echo "first direction choice line: $choice"
echo "$(grep -F 'exit status:' end.screen)"
[ -n "$banner" ] || fail "the title banner has no grey background"
[[ "$question" == *'^[[92m'* || "$question" == *'^[[32;1m'* || "$question" == *'^[[1;32m'* ]] ||
  fail "the direction question is not bright green"
[[ "$choice" == *'^[[93m'* || "$choice" == *'^[[33;1m'* || "$choice" == *'^[[1;33m'* ]] ||
  fail "the direction choices are not yellow"
grep -qF 'exit status: 0' end.screen || fail "the exit status was not 0"

# Ctrl-C while the game waits for the name ends it as the end of input does: saved, exit 0.
tmux_ kill-session -t game
rm -f log.txt Player.txt
tmux_ -f /dev/null new-session -d -s game -x 100 -y 50 \
  "wine vaultreach.exe; echo \"exit status: \$?\"; sleep 30"
wait_for "What is your name?" 60 || fail "no name prompt for Ctrl-C"
tmux_ send-keys -t game C-c
wait_for "exit status:" 30 || fail "Ctrl-C did not end the game"
tmux_ capture-pane -p -t game -S -100 >interrupted.screen
echo "after Ctrl-C: $(grep -F 'exit status:' interrupted.screen); log ends \"$(tail -n 1 log.txt | tr -d '\r')\""
grep -qF 'exit status: 0' interrupted.screen || fail "the exit status after Ctrl-C was not 0"
[ "$(tail -n 1 log.txt | tr -d '\r')" = "Thanks for playing." ] || fail "the log after Ctrl-C is cut short"
[ -f Player.txt ] || fail "no save after Ctrl-C"

finish "; the screens are in $run/vaultreach/*.screen"
