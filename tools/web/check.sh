#!/usr/bin/env bash
# The browser checks: serves BUILD_DIR/site (made by tools/web/build.sh) on 127.0.0.1 on a free
# port and runs tools/web/checks in headless Chromium (/usr/bin/chromium): the scripted game
# against the native game's text, the caption, colours, files, a closed tab, sound, axe-core,
# the accessibility tree, reduced motion, a phone's viewport, offline play, a release update and
# Lighthouse. The site is copied first, because one check plays a second release over it.
# Prints one line per check and "N passed, N failed"; exits non-zero when any failed.
# Usage: tools/web/check.sh [BUILD_DIR]   (default build-web)
#   VAULTREACH_WEB_CHECK=word runs only the checks whose name holds the word.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build-web}" && pwd)"
web="$root/tools/web"
if [ ! -f "$build/site/index.html" ]; then
  echo "No site in $build/site: build it first with tools/web/build.sh" >&2
  exit 1
fi
if ! command -v chromium >/dev/null || ! command -v node >/dev/null || ! command -v python3 >/dev/null; then
  apt-get update -qq && apt-get -o DPkg::Lock::Timeout=600 install -y -qq chromium nodejs npm python3 >/dev/null
fi
if [ ! -f "$web/node_modules/.package-lock.json" ] ||
  [ "$web/package-lock.json" -nt "$web/node_modules/.package-lock.json" ]; then
  (cd "$web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi

scratch="$(mktemp -d)"
server=""
stop() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap stop EXIT
trap 'exit 130' INT TERM
cp -a "$build/site" "$scratch/site"
python3 "$web/serve.py" "$scratch/site" --port 0 --port-file "$scratch/port" >"$scratch/server.log" 2>&1 &
server=$!
for _ in $(seq 1 100); do
  [ -s "$scratch/port" ] && break
  sleep 0.1
done
if [ ! -s "$scratch/port" ]; then
  echo "the local server did not start:" >&2
  cat "$scratch/server.log" >&2
  exit 1
fi
url="http://127.0.0.1:$(cat "$scratch/port")/"
echo "Checking $build/site at $url"
timeout 300 node "$web/checks/run.mjs" "$url" "$scratch/site" "${VAULTREACH_WEB_CHECK:-}"
