#!/usr/bin/env bash
# Installs what Vaultreach needs on Debian 12 (only what is missing) and builds it.
# Usage: tools/setup.sh BUILD_DIR [cmake options...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true

"$root/tools/install-packages.sh" g++ cmake make pkg-config libsdl1.2-dev libsdl-mixer1.2-dev \
  libgtest-dev libgmock-dev tmux strace vorbis-tools ccache

cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
