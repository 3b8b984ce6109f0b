#!/usr/bin/env bash
# The one way the project's scripts install Debian packages. Each script names what it needs;
# only what is not installed yet is installed. Rules, the same for every script:
#  - apt-get, with sudo only when not root;
#  - apt's lock may be held by another install (a second script, the machine's own updates):
#    wait up to ten minutes for it rather than fail; two of the project's scripts that install
#    at once (CI runs some side by side) take turns, whole;
#  - the package lists are refreshed before installing, unless they were refreshed in the last
#    hour, and in any case again when an install from them fails;
#  - --no-recommends leaves out the packages the named ones only recommend;
#  - --refresh refreshes the lists whatever their age, even with nothing to install (after a
#    script adds a source of packages).
# Usage: tools/install-packages.sh [--no-recommends] [--refresh] PACKAGE...
set -euo pipefail

options=(-o DPkg::Lock::Timeout=600)
install_options=(-y -qq)
refresh=no
while [ "$#" -gt 0 ]; do
  case "$1" in
    --no-recommends) install_options+=(--no-install-recommends) ;;
    --refresh) refresh=yes ;;
    *) break ;;
  esac
  shift
done
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
update() {
  "${sudo[@]}" apt-get "${options[@]}" update -qq
}
exec 9>"${TMPDIR:-/tmp}/vaultreach-install-packages.lock"
flock -w 600 9
if [ "$refresh" = yes ]; then
  update
fi

missing=()
for package in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
install() {
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${options[@]}" install \
    "${install_options[@]}" "${missing[@]}"
}
lists=/var/lib/apt/lists
fresh="$(find "$lists" -maxdepth 1 -name '*_Packages*' -mmin -60 -print -quit 2>/dev/null || true)"
if [ "$refresh" = no ] && [ -z "$fresh" ]; then
  update
  install
elif ! install; then
  update
  install
fi
