#!/usr/bin/env bash
# Remakes the game's music and sound effects in data/ from tools/MusicGenerator.cpp: builds the
# generator, runs it, and encodes the title music to Ogg Vorbis (installing vorbis-tools when
# oggenc is missing). The files it writes are committed, so neither building nor playing the
# game needs this.
# Usage: tools/make_music.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$root/tools/install-packages.sh" g++ vorbis-tools

g++ -std=c++17 -O2 -Wall -Wextra -Werror -o "$work/MusicGenerator" "$root/tools/MusicGenerator.cpp"
"$work/MusicGenerator" "$work"
# A fixed serial number keeps the encoded file the same from one run to the next.
oggenc --quiet --quality 4 --serial 1 -o "$root/data/intro.ogg" "$work/intro.wav"
cp "$work/clash.wav" "$work/thud.wav" "$root/data/"
