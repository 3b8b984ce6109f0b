#!/usr/bin/env bash
# Builds the artefacts of a release of the checked-out commit into dist/: the Debian package
# (tools/package/build.sh), the Windows zip (tools/windows/build.sh), the browser zip (when
# tools/web/build.sh is there; the page at its root, as game hosts take it, checked against
# their limits by that build) and SHA256SUMS over everything in dist/. Every artefact is named
# with the version of CMakeLists.txt's project() and is built reproducibly: SOURCE_DATE_EPOCH
# is the commit's date, the build folders are mapped out of the binaries and the archives hold
# sorted members with fixed times and owners, so building the same commit again, in another
# folder at another time, gives the same bytes (SHA256SUMS shows it).
#
# Usage: tools/release.sh [--only deb|windows|web]
# A whole release empties dist/ first; --only replaces that one artefact and SHA256SUMS.
# The builds go to $VAULTREACH_RELEASE_BUILD (default: build-release-artefacts), one folder per
# artefact, and are reused by the next release (the Windows libraries are built once).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
only=""
if [ "${1:-}" = --only ]; then
  only="${2:-}"
fi
case "${1:-}:$only" in : | --only:deb | --only:windows | --only:web) ;; *)
  echo "usage: tools/release.sh [--only deb|windows|web]" >&2
  exit 2
  ;;
esac
wanted() { [ -z "$only" ] || [ "$only" = "$1" ]; }

build="${VAULTREACH_RELEASE_BUILD:-$root/build-release-artefacts}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
dist="$root/dist"
# A whole release starts from an empty dist/; --only replaces one artefact among the others.
[ -n "$only" ] || rm -rf "$dist"
mkdir -p "$build" "$dist"

SOURCE_DATE_EPOCH="$("$root/tools/source_date_epoch.sh")"
if [ -z "$SOURCE_DATE_EPOCH" ]; then
  echo "release: no commit date (not a git checkout?): set SOURCE_DATE_EPOCH" >&2
  exit 1
fi
export SOURCE_DATE_EPOCH
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "release: warning: the working tree has changes the commit does not; the artefacts are not the commit's" >&2
fi
version=$(sed -n 's/^project(Vaultreach VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
echo "release: Vaultreach $version, commit $(git -C "$root" rev-parse --short HEAD), SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"

# Runs a build with its output in LOG, shown (the end of it) only when the build fails.
quietly() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || {
    tail -n 40 "$log"
    exit 1
  }
}

if wanted deb; then
  echo "release: the Debian package"
  deb=$("$root/tools/package/build.sh" "$build/deb" | tail -n 1)
  rm -f "$dist"/vaultreach_*.deb
  cp "$deb" "$dist/"
fi
if wanted windows; then
  echo "release: the Windows zip"
  quietly "$build/windows.log" env VAULTREACH_WINDOWS_TESTS=OFF "$root/tools/windows/build.sh" "$build/windows"
  rm -f "$dist"/vaultreach-*-windows.zip
  cp "$build/windows/vaultreach-windows.zip" "$dist/vaultreach-$version-windows.zip"
fi
if wanted web; then
  if [ -x "$root/tools/web/build.sh" ]; then
    echo "release: the browser zip"
    quietly "$build/web.log" "$root/tools/web/build.sh" "$build/web"
    rm -f "$dist"/vaultreach-*-web.zip
    cp "$build/web/vaultreach-web.zip" "$dist/vaultreach-$version-web.zip"
  elif [ "$only" = web ]; then
    echo "release: there is no browser build (tools/web/build.sh) in this checkout" >&2
    exit 1
  else
    echo "release: no tools/web/build.sh: no browser zip"
  fi
fi

cd "$dist"
rm -f SHA256SUMS
mapfile -t artefacts < <(LC_ALL=C ls)
if [ "${#artefacts[@]}" -gt 0 ]; then
  sha256sum -- "${artefacts[@]}" >SHA256SUMS
fi
echo "release: $dist"
sed 's/^/  /' SHA256SUMS
