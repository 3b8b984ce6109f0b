#!/usr/bin/env bash
# Builds Vaultreach for 64-bit Windows on Debian 12: installs the MinGW-w64 toolchain and Wine,
# cross-builds the libraries the game links (tools/windows/deps.sh, once per machine, in a cache
# folder), then builds vaultreach.exe and the Windows test program, and zips the release
# reproducibly: with the build folders mapped out of the program, no link time in it, and
# SOURCE_DATE_EPOCH (default: the commit's date) for every time, the same commit gives the same
# zip in any folder.
# Usage: tools/windows/build.sh [BUILD_DIR]   (default: build-windows)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(mkdir -p "${1:-$root/build-windows}" && cd "${1:-$root/build-windows}" && pwd)"

# apt-get source needs the source entries of the repository apt already uses.
refresh=()
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo[@]}" tee /etc/apt/sources.list.d/vaultreach-deb-src.sources >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      "${sudo[@]}" tee /etc/apt/sources.list.d/vaultreach-deb-src.list >/dev/null
  fi
  refresh=(--refresh)
fi
"$root/tools/install-packages.sh" --no-recommends "${refresh[@]}" g++-mingw-w64-x86-64 wine64 wine \
  dpkg-dev cmake make pkg-config googletest zip unzip tmux ccache

SOURCE_DATE_EPOCH="$("$root/tools/source_date_epoch.sh")"
[ -n "$SOURCE_DATE_EPOCH" ] && export SOURCE_DATE_EPOCH || unset SOURCE_DATE_EPOCH

# The libraries take minutes to build and change only with their sources, the toolchain or
# deps.sh: they are built once per machine, in a cache folder named after all three, and the
# build folder links to it (VAULTREACH_CACHE moves the cache; a build folder that holds
# libraries of its own keeps them).
if [ ! -e "$build/deps" ]; then
  key=$( (cat "$here/deps.sh" "$here/mingw-w64-x86_64.cmake"
    x86_64-w64-mingw32-gcc-posix --version
    apt-cache showsrc libogg libvorbis libsdl1.2 sdl-mixer1.2 | grep '^Version:'
    dpkg-query -W googletest) | sha256sum | cut -c1-16)
  cache="${VAULTREACH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vaultreach}/windows-deps-$key"
  # Builds on one machine share the cache (CI's beside a developer's): one builds the libraries,
  # the others wait for it and reuse them; two at once would remove each other's sources.
  mkdir -p "$cache"
  flock "$cache/.lock" "$here/deps.sh" "$cache/prefix"
  ln -s "$cache/prefix" "$build/deps"
fi
"$here/deps.sh" "$build/deps"

# The game and the Windows test program. ctest runs the tests through Wine
# (tests/windows/wine-env.sh prepares it).
cmake -S "$root" -B "$build/game" -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
  -DVAULTREACH_WINDOWS_DEPS="$build/deps" -DCMAKE_BUILD_TYPE=Release -DVAULTREACH_REPRODUCIBLE=ON \
  -DVAULTREACH_TESTS="${VAULTREACH_WINDOWS_TESTS:-ON}" >/dev/null
cmake --build "$build/game" -j "$(nproc)"

# The release: vaultreach.exe beside its data files, in one folder a player unzips and starts
# with a double click.
release="$build/release/vaultreach"
rm -rf "$build/release" "$build/vaultreach-windows.zip"
mkdir -p "$release"
cp "$root"/data/* "$release/"
x86_64-w64-mingw32-strip -o "$release/vaultreach.exe" "$build/game/vaultreach.exe"
"$root/tools/reproducible_zip.sh" "$build/vaultreach-windows.zip" "$release"
echo "Windows release: $build/vaultreach-windows.zip ($(stat -c %s "$release/vaultreach.exe") bytes of vaultreach.exe)"
