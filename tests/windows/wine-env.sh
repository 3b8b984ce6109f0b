# Sourced by the Windows scripts: a Wine of the build folder's own, quiet and with a sound card
# that plays into nothing. Sets $root and $build (the absolute BUILD_DIR, default build-windows).
# Usage: . tests/windows/wine-env.sh [BUILD_DIR]
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build-windows}" && pwd)"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# ALSA's default device is the null device: DirectSound opens it, and no "ALSA lib" lines
# about missing cards appear.
# Written aside and moved into place: the scripts that source this run side by side, and a
# game starting meanwhile must never read half a file.
export ALSA_CONFIG_PATH="$build/asound.conf"
cat >"$ALSA_CONFIG_PATH.$$" <<'ALSA'
pcm.!default { type null }
ctl.!default { type hw card 0 }
ALSA
mv -f "$ALSA_CONFIG_PATH.$$" "$ALSA_CONFIG_PATH"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
# Starts Wine's services now, with no standard streams, so none of them holds a pipe that a
# later caller (ctest) waits on. They stay until tests/windows/check.sh ends them.
wine cmd /c exit </dev/null >/dev/null 2>&1 <&- >&- 2>&- || true

# For the scripts that play the game: an empty folder $build/NAME for one run's files
# (fresh_run NAME), failures counted by fail, and the run's verdict from finish, which exits 1
# when any failed (its words follow the count). $checking names the run.
fresh_run() {
  run="$build/$1"
  rm -rf "$run"
  mkdir -p "$run"
}
failures=0
fail() {
  echo "${checking^^} FAIL: $*"
  failures=$((failures + 1))
}
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$checking run: $failures failure(s)$*"
    exit 1
  fi
  echo "$checking run: passed"
}
