# Sourced by the Windows scripts: a Wine of the build folder's own, quiet and with a sound card
# that plays into nothing. Usage: . tools/windows/wine-env.sh BUILD_DIR
vaultreach_wine_build="$(cd "$1" && pwd)"
export WINEPREFIX="$vaultreach_wine_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# ALSA's default device is the null device: DirectSound opens it, and no "ALSA lib" lines
# about missing cards appear.
export ALSA_CONFIG_PATH="$vaultreach_wine_build/asound.conf"
cat >"$ALSA_CONFIG_PATH" <<'ALSA'
pcm.!default { type null }
ctl.!default { type hw card 0 }
ALSA
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
# Starts Wine's services now, with no standard streams, so none of them holds a pipe that a
# later caller (ctest) waits on. They stay until tools/windows/check.sh ends them.
wine cmd /c exit </dev/null >/dev/null 2>&1 <&- >&- 2>&- || true
