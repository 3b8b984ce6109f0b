# Sourced by check.sh and measure.sh: installs what the browser tools need, copies
# BUILD_DIR/site to a scratch folder (the checks play a second release over it) and serves it on
# 127.0.0.1 on a free port. Sets $url, $site and $scratch; the server is stopped and the scratch
# folder removed when the calling script exits, however it exits.
# Usage: start_local_site BUILD_DIR
web="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

start_local_site() {
  local build="$1"
  if [ ! -f "$build/site/index.html" ]; then
    echo "No site in $build/site: build it first with tools/web/build.sh" >&2
    exit 1
  fi
  local node_packages=()
  if ! command -v node >/dev/null; then
    node_packages=(nodejs npm)
  fi
  "$web/../install-packages.sh" --no-recommends chromium python3 "${node_packages[@]}"
  if [ ! -f "$web/node_modules/.package-lock.json" ] ||
    [ "$web/package-lock.json" -nt "$web/node_modules/.package-lock.json" ]; then
    (cd "$web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  fi
  scratch="$(mktemp -d)"
  server=""
  trap stop_local_site EXIT
  trap 'exit 130' INT TERM
  site="$scratch/site"
  cp -a "$build/site" "$site"
  python3 "$web/serve.py" "$site" --port 0 --port-file "$scratch/port" \
    --access-log "$scratch/access.log" >"$scratch/server.log" 2>&1 &
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
}

stop_local_site() {
  if [ -n "${server:-}" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "${scratch:-}"
}
