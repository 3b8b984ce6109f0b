#!/usr/bin/env bash
# The browser game heard through a real screen reader: Orca reading Chromium or Firefox ESR (in
# a window, not headless) on a virtual display, with the page served from 127.0.0.1. It installs
# what it needs, starts Xvfb, a dbus session, the accessibility bus, speech-dispatcher (whose
# synthesiser logs each text and takes a voice's time to say it) and Orca, then plays the
# scripted game with real keys and real pauses (only the calendar is set, to the scripted game's
# seed) and prints, for each answer, what Orca spoke. It fails when a line the game wrote is not
# in the live region, when a passage is not spoken once, in order and at 95% of its characters,
# when a label, old text, a picture's lines or the echoed answer are spoken, when focus leaves
# the input line, or when browse mode does not find the story's region by its name.
# Orca runs once per user on a machine: when another one runs, the check says so and stops.
# Everything it starts is stopped by process id when it exits, however it exits.
# Usage: tools/web/screen_reader.sh [BUILD_DIR]   (default build-web)
#   VAULTREACH_SCREEN_READER_BROWSER=firefox plays in Firefox ESR instead of Chromium.
#   VAULTREACH_SCREEN_READER_LOGS=DIR keeps Orca's debug file, the synthesiser's log and the
#   other services' logs there.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build-web}" && pwd)"
browser="${VAULTREACH_SCREEN_READER_BROWSER:-chromium}"
case "$browser" in
  chromium) browser_package=chromium browser_command=chromium ;;
  firefox) browser_package=firefox-esr browser_command=firefox-esr ;;
  *)
    echo "screen reader check: VAULTREACH_SCREEN_READER_BROWSER is chromium or firefox, not $browser" >&2
    exit 2
    ;;
esac
"$root/tools/install-packages.sh" --no-recommends orca speech-dispatcher xvfb at-spi2-core dbus-x11 \
  xdotool "$browser_package"
source "$root/tools/web/local-site.sh"
start_local_site "$build"
reader="$web/screen-reader"

started=()
# Stops what this script started, each process after its descendants, all by process id.
stop_all() {
  local pids=() pid i
  for pid in "${started[@]}"; do
    pids+=($(descendants "$pid") "$pid")
  done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
  done
  for pid in "${started[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "${VAULTREACH_SCREEN_READER_LOGS:-}" ] && [ -d "${run:-}/logs" ]; then
    mkdir -p "$VAULTREACH_SCREEN_READER_LOGS" && cp -a "$run/logs/." "$VAULTREACH_SCREEN_READER_LOGS/"
  fi
  stop_local_site
}
descendants() {
  local child
  for child in $(pgrep -P "$1" || true); do
    descendants "$child"
    echo "$child"
  done
}
trap stop_all EXIT

# A private home and runtime folder: no settings of this machine's user reach Orca or speechd.
run="$scratch/reader"
mkdir -p "$run/home" "$run/runtime" "$run/config" "$run/logs"
chmod 700 "$run/runtime"
export HOME="$run/home" XDG_RUNTIME_DIR="$run/runtime" XDG_CONFIG_HOME="$run/config"
export XDG_DATA_HOME="$run/home/.local/share" XDG_CACHE_HOME="$run/home/.cache"
export VAULTREACH_SPEECH_LOG="$run/logs/speech.log" PATH="$reader:$PATH"
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY

# Waits up to 20 s for a command to succeed.
await() {
  local what="$1"
  shift
  for _ in $(seq 1 200); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  if grep -qs "Another screen reader process is already running" "$run"/logs/orca*.log; then
    echo "screen reader check: Orca did not start: another screen reader is already running for" \
      "this user on this machine, and Orca runs once per user. Run the check again when it has ended." >&2
  else
    echo "screen reader check: $what did not start" >&2
  fi
  tail -n 20 "$run"/logs/*.log >&2 || true
  exit 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run/display" 2>"$run/logs/xvfb.log" &
started+=($!)
await "Xvfb" test -s "$run/display"
export DISPLAY=":$(cat "$run/display")"

dbus-daemon --session --nofork --address="unix:path=$run/runtime/bus" 2>"$run/logs/dbus.log" &
started+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$run/runtime/bus"
await "the dbus session" test -S "$run/runtime/bus"

/usr/libexec/at-spi-bus-launcher --launch-immediately 2>"$run/logs/at-spi.log" &
started+=($!)
await "the accessibility bus" dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.a11y.Bus.GetAddress

speech-dispatcher --run-single --timeout 0 --config-dir "$reader/speechd" \
  --log-dir "$run/logs" >"$run/logs/speechd-out.log" 2>&1 &
started+=($!)
await "speech-dispatcher" test -S "$run/runtime/speech-dispatcher/speechd.sock"

# Orca refuses to start while another Orca of the same user runs anywhere on the machine.
if other="$(pgrep -u "$(id -u)" -a -x orca)"; then
  echo "screen reader check: another screen reader is already running for this user on this machine" \
    "(Orca, process ${other%% *}); Orca runs once per user, so this check cannot start its own." \
    "Run the check again when that one has ended (flock /tmp/vaultreach-orca.lock makes runs take turns)." >&2
  exit 1
fi
mkdir -p "$XDG_DATA_HOME/orca"
cp "$reader/orca-customizations.py" "$XDG_DATA_HOME/orca/"
orca --debug-file="$run/logs/orca.log" >"$run/logs/orca-out.log" 2>&1 &
started+=($!)
await "Orca" grep -q "SPEECH OUTPUT: 'Screen reader on.'" "$run/logs/orca.log"
# A line of the voice's configuration that speech-dispatcher refuses leaves its default in force
# (for the delimiters: every sentence said apart), and the check would time another voice.
if refused="$(grep -hs "timed.conf:[0-9]*:" "$run"/logs/*.log)"; then
  echo "screen reader check: speech-dispatcher refused the voice's configuration: $refused" >&2
  exit 1
fi

echo "Orca $(orca --version), $("$browser_command" --version 2>/dev/null | head -n 1) on $DISPLAY;" \
  "$site at $url"
timeout 540 node "$reader/listen.mjs" "$url" "$run/logs/orca.log" "$VAULTREACH_SPEECH_LOG" "$browser"
