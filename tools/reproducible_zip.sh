#!/usr/bin/env bash
# Zips a folder so that the same files give the same bytes, whoever zips them, wherever and
# whenever: members in sorted order, every time set to SOURCE_DATE_EPOCH (written in UTC; the
# oldest time a zip can hold when unset or earlier), fixed permissions (the folders and the
# programs 755, everything else 644) and no owner or extended times.
# Usage: tools/reproducible_zip.sh [--contents] ZIP FOLDER
#   The zip holds FOLDER's name and what is in it; with --contents, only what is in it, at the
#   zip's root.
set -euo pipefail

depth=0
if [ "${1:-}" = "--contents" ]; then
  depth=1
  shift
fi
zip_file="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
parent="$(cd "$(dirname "$2")" && pwd)"
name="$(basename "$2")"
if [ "$depth" -eq 1 ]; then
  parent="$parent/$name"
  name="."
fi

stamp="${SOURCE_DATE_EPOCH:-0}"
# DOS times start in 1980.
[ "$stamp" -ge 315532800 ] || stamp=315532800

cd "$parent"
find "$name" -type d -exec chmod 755 {} +
find "$name" -type f \( -name '*.exe' -o -name '*.sh' \) -exec chmod 755 {} +
find "$name" -type f ! -name '*.exe' ! -name '*.sh' -exec chmod 644 {} +
find "$name" -exec touch -h -d "@$stamp" {} +
rm -f "$zip_file"
# The folder itself stays out of a --contents zip, and its members lose the leading "./".
find "$name" -mindepth "$depth" | sed 's|^\./||' | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$zip_file"
