#!/usr/bin/env bash
# Installs what the game needs, builds the game alone and starts Vaultreach in build/run (the
# game's data lives there, and so do its logs and "Player.txt"). The build's own output goes to
# build/play.log; on a failure its last lines are shown.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$root/build"
log="$build/play.log"
mkdir -p "$build"
: >"$log"

step() {
  local title="$1"
  shift
  echo "$title"
  if ! "$@" >>"$log" 2>&1; then
    echo "That failed. The last lines of $log:" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
}

step "Installing packages..." "$root/tools/install-packages.sh" g++ cmake make pkg-config \
  libsdl1.2-dev libsdl-mixer1.2-dev
if [ ! -f "$build/CMakeCache.txt" ]; then
  step "Configuring..." cmake -S "$root" -B "$build" -DVAULTREACH_TESTS=OFF
fi
step "Building Vaultreach..." cmake --build "$build" --target run_directory -j "$(nproc)"
cd "$build/run"
exec ./vaultreach "$@"
