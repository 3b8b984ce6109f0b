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
# Usage: tests/web/screen_reader.sh [BUILD_DIR]   (default build-web)
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
"$root/tools/install-packages.sh" --no-recommends "$browser_package"
source "$root/tools/web/local-site.sh"
source "$root/tests/web/screen-reader/desktop.sh"
start_local_site "$build"
trap 'stop_reader_desktop; stop_local_site' EXIT
start_reader_desktop "$scratch/reader"

echo "Orca $(orca --version), $("$browser_command" --version 2>/dev/null | head -n 1) on $DISPLAY;" \
  "$site at $url"
timeout 540 node "$reader/listen.mjs" "$url" "$run/logs/orca.log" "$VAULTREACH_SPEECH_LOG" "$browser"
