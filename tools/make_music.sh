#!/usr/bin/env bash
# Remakes the game's music and sound effects in data/ from tools/MusicGenerator.cpp: builds the
# generator, runs it, and encodes the title music to Ogg Vorbis (installing vorbis-tools when
# oggenc is missing). The files it writes are committed, so neither building nor playing the
# game needs this. With --check it writes them into a scratch folder instead and fails when they
# differ from the committed ones (the suite runs it so: the files in data/ are what the
# generator makes).
# Usage: tools/make_music.sh [--check]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$root/tools/install-packages.sh" g++ vorbis-tools

g++ -std=c++17 -O2 -Wall -Wextra -Werror -o "$work/MusicGenerator" "$root/tools/MusicGenerator.cpp"
"$work/MusicGenerator" "$work"
out="$root/data"
if [ "${1:-}" = "--check" ]; then
  out="$work/data"
  mkdir "$out"
fi
# A fixed serial number keeps the encoded file the same from one run to the next.
oggenc --quiet --quality 4 --serial 1 -o "$out/intro.ogg" "$work/intro.wav"
cp "$work/clash.wav" "$work/thud.wav" "$out/"
if [ "$out" != "$root/data" ]; then
  for file in intro.ogg clash.wav thud.wav; do
    cmp "$root/data/$file" "$out/$file"
  done
  echo "data/intro.ogg, clash.wav and thud.wav are what the generator makes"
fi
