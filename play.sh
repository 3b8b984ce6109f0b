#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vaultreach in build/run (the game's data lives
# there, and so do its logs and "Player.txt").
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/tools/setup.sh" "$root/build"
cd "$root/build/run"
exec ./vaultreach
