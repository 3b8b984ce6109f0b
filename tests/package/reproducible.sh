#!/usr/bin/env bash
# Proves that the Debian package builds the same twice: builds it from a copy of the sources in
# another folder, with another build folder, umask and time zone, and compares its SHA-256 with
# the package already in FIRST_BUILD_DIR (built there by tools/package/build.sh, or built now).
# On a difference, lists what differs in the two packages' files and exits 1.
# Usage: tests/package/reproducible.sh [FIRST_BUILD_DIR]   (default: build-package)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
first="${1:-$root/build-package}"
case "$first" in /*) ;; *) first="$PWD/$first" ;; esac

SOURCE_DATE_EPOCH="$("$root/tools/source_date_epoch.sh")"
export SOURCE_DATE_EPOCH
first_deb=$(ls "$first"/vaultreach_*.deb 2>/dev/null || true)
if [ -z "$first_deb" ]; then
  first_deb=$("$root/tools/package/build.sh" "$first" | tail -n 1)
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
copy="$scratch/another-checkout"
mkdir -p "$copy"
(cd "$root" && git ls-files -z | xargs -0 cp --parents -t "$copy")
second_deb=$(umask 0002 && TZ=Pacific/Kiritimati "$copy/tools/package/build.sh" "$scratch/elsewhere" |
  tail -n 1)

first_sum=$(sha256sum <"$first_deb" | cut -d' ' -f1)
second_sum=$(sha256sum <"$second_deb" | cut -d' ' -f1)
echo "$first_sum  $first_deb"
echo "$second_sum  $second_deb"
if [ "$first_sum" = "$second_sum" ]; then
  echo "reproducible: the two builds of $(basename "$first_deb") are byte for byte the same"
  exit 0
fi
echo "NOT reproducible: the two builds of $(basename "$first_deb") differ"
dpkg-deb -R "$first_deb" "$scratch/a" && dpkg-deb -R "$second_deb" "$scratch/b"
diff -r "$scratch/a" "$scratch/b" | head -20 || true
diff <(dpkg-deb -c "$first_deb") <(dpkg-deb -c "$second_deb") | head -20 || true
exit 1
