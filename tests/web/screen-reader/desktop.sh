# Sourced by the screen-reader checks (the browser's and the terminal's): a desktop of their own
# for Orca to read. start_reader_desktop RUN_DIR installs what it needs, gives the check a
# private home and runtime folder in RUN_DIR (no settings of this machine's user reach Orca or
# speech-dispatcher), and starts Xvfb, a dbus session, the accessibility bus, speech-dispatcher
# (whose synthesiser logs each text and takes a voice's time to say it) and Orca, with their
# logs in RUN_DIR/logs. stop_reader_desktop stops all of it, each process after its
# descendants, by process id. Orca runs once per user, so a check refuses to start while
# another Orca of the same user runs.
reader="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
started=()

start_reader_desktop() {
  run="$1"
  "$reader/../../../tools/install-packages.sh" --no-recommends orca speech-dispatcher xvfb \
    at-spi2-core dbus-x11 xdotool
  local other
  other="$(pgrep -u "$(id -u)" -x orca | head -n 1 || true)"
  if [ -n "$other" ]; then
    echo "screen reader check: another screen reader is running for this user (Orca, process" \
      "$other); Orca runs once per user, so this check cannot start until it ends" \
      "(flock /tmp/vaultreach-orca.lock makes runs take turns)" >&2
    exit 1
  fi
  mkdir -p "$run/home" "$run/runtime" "$run/config" "$run/logs"
  chmod 700 "$run/runtime"
  export HOME="$run/home" XDG_RUNTIME_DIR="$run/runtime" XDG_CONFIG_HOME="$run/config"
  export XDG_DATA_HOME="$run/home/.local/share" XDG_CACHE_HOME="$run/home/.cache"
  export VAULTREACH_SPEECH_LOG="$run/logs/speech.log" PATH="$reader:$PATH"
  # The check's voice speaks twice as fast as the listener its rules model (180 words a minute),
  # so that a run waits half as long for quiet between answers; 1 plays at the listener's pace.
  export VAULTREACH_VOICE_SPEED="${VAULTREACH_VOICE_SPEED:-2}"
  unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY

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
  await "the accessibility bus" dbus-send --session --print-reply --dest=org.a11y.Bus \
    /org/a11y/bus org.a11y.Bus.GetAddress

  speech-dispatcher --run-single --timeout 0 --config-dir "$reader/speechd" \
    --log-dir "$run/logs" >"$run/logs/speechd-out.log" 2>&1 &
  started+=($!)
  await "speech-dispatcher" test -S "$run/runtime/speech-dispatcher/speechd.sock"

  mkdir -p "$XDG_DATA_HOME/orca"
  cp "$reader/orca-customizations.py" "$XDG_DATA_HOME/orca/"
  orca --debug-file="$run/logs/orca.log" >"$run/logs/orca-out.log" 2>&1 &
  started+=($!)
  await "Orca" grep -q "SPEECH OUTPUT: 'Screen reader on.'" "$run/logs/orca.log"
  # A line of the voice's configuration that speech-dispatcher refuses leaves its default in
  # force (for the delimiters: every sentence said apart), and the check would time another voice.
  local refused
  if refused="$(grep -hs "timed.conf:[0-9]*:" "$run"/logs/*.log)"; then
    echo "screen reader check: speech-dispatcher refused the voice's configuration: $refused" >&2
    exit 1
  fi
}

stop_reader_desktop() {
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
  started=()
  if [ -n "${VAULTREACH_SCREEN_READER_LOGS:-}" ] && [ -d "${run:-}/logs" ]; then
    mkdir -p "$VAULTREACH_SCREEN_READER_LOGS" && cp -a "$run/logs/." "$VAULTREACH_SCREEN_READER_LOGS/"
  fi
}

descendants() {
  local child
  for child in $(pgrep -P "$1" || true); do
    descendants "$child"
    echo "$child"
  done
}

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
