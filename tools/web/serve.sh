#!/usr/bin/env bash
# Plays the browser build locally: serves BUILD_DIR/site (made by tools/web/build.sh) on
# 127.0.0.1 only, precompressed files included. Open the address it prints; Ctrl-C stops it.
# Usage: tools/web/serve.sh [BUILD_DIR] [PORT]   (defaults: build-web, 8080)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build-web}"
port="${2:-8080}"
if [ ! -f "$build/site/index.html" ]; then
  echo "No site in $build/site: build it first with tools/web/build.sh $build" >&2
  exit 1
fi
exec python3 "$root/tools/web/serve.py" "$build/site" --port "$port"
