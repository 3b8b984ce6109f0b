#!/usr/bin/env bash
# How long a new player waits: runs ./play.sh in the given checkout (default: this one) with no
# input and stamps every line it shows. Prints the seconds from the start to the end of the
# package step and to the title's first line, and the machine's load.
# Usage: tools/time_to_title.sh [CHECKOUT]
set -euo pipefail
checkout="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd)"
start=$(date +%s.%N)
packages=""
title=""
while IFS= read -r line; do
  now=$(date +%s.%N)
  elapsed=$(awk -v a="$now" -v b="$start" 'BEGIN { printf "%.2f", a - b }')
  printf '%7s s  %s\n' "$elapsed" "$line"
  case "$line" in
    Configuring...* | Building\ Vaultreach...*) [ -n "$packages" ] || packages=$elapsed ;;
    *Vaultreach\ v*) title=$elapsed; break ;;
  esac
done < <(cd "$checkout" && ./play.sh </dev/null 2>&1)
echo "packages installed after ${packages:-?} s; title after ${title:-?} s; load: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ -n "$packages" ] && [ -n "$title" ]; then
  echo "title $(awk -v a="$title" -v b="$packages" 'BEGIN { printf "%.2f", a - b }') s after the packages were installed"
fi
