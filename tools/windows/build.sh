#!/usr/bin/env bash
# Builds Vaultreach for 64-bit Windows on Debian 12: installs the MinGW-w64 toolchain and Wine,
# cross-builds the libraries the game links (tools/windows/deps.sh, cached in the build
# folder), then builds vaultreach.exe and the Windows test program.
# Usage: tools/windows/build.sh [BUILD_DIR]   (default: build-windows)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(mkdir -p "${1:-$root/build-windows}" && cd "${1:-$root/build-windows}" && pwd)"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

# apt-get source needs the source entries of the repository apt already uses.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/vaultreach-deb-src.sources >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/vaultreach-deb-src.list >/dev/null
  fi
  $sudo apt-get update -qq
fi

missing=()
for package in g++-mingw-w64-x86-64 wine64 wine dpkg-dev cmake make pkg-config googletest zip; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

"$here/deps.sh" "$build/deps"
