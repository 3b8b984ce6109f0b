#!/usr/bin/env bash
# Installs what Vaultreach needs on Debian 12 (only what is missing) and builds it.
# Usage: tools/setup.sh BUILD_DIR [cmake options...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true

packages=(g++ cmake make pkg-config libsdl1.2-dev libsdl-mixer1.2-dev libgtest-dev libgmock-dev
  faketime)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
