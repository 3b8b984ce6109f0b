#!/usr/bin/env bash
# Builds the Debian package on Debian 12, from a fresh machine too: installs what the build and
# the packaging need (only what is missing), builds the game alone as a Release build with the
# build folders mapped out of the binary, and makes vaultreach_<version>_<arch>.deb with cpack.
# SOURCE_DATE_EPOCH (default: the date of the checked-out commit) fixes the build line's date
# and every time in the package, so the same commit makes the same package in any folder.
# Fails, with no package left, when the package's dependencies cannot be computed.
# Prints the package's path as its last line.
#
# Usage: tools/package/build.sh [BUILD_DIR]   (default: build-release)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build-release}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac

# file and dpkg-shlibdeps (dpkg-dev) compute the dependencies from the binary.
"$root/tools/install-packages.sh" g++ cmake make pkg-config libsdl1.2-dev libsdl-mixer1.2-dev \
  dpkg-dev file gzip

# cpack writes the package's own members with the modes the umask gave them.
umask 0022
SOURCE_DATE_EPOCH="$("$root/tools/source_date_epoch.sh")"
[ -n "$SOURCE_DATE_EPOCH" ] && export SOURCE_DATE_EPOCH || unset SOURCE_DATE_EPOCH

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVAULTREACH_TESTS=OFF \
  -DVAULTREACH_REPRODUCIBLE=ON -DVAULTREACH_CCACHE=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
rm -f "$build"/vaultreach_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vaultreach_*.deb)
if [ -z "$(dpkg-deb -f "$deb" Depends)" ]; then
  rm -f "$deb"
  echo "$(basename "$deb") has no Depends line: its dependencies could not be computed" >&2
  exit 1
fi
echo "$deb"
