# Sourced by the browser checks (tests/web/check.sh, tests/web/screen_reader.sh) and by
# measure.sh: installs what they need (Chromium, node and the checks' npm packages, which live
# with the checks in tests/web), copies BUILD_DIR/site to a scratch folder (the checks play a
# second release over it) and serves it on 127.0.0.1 on a free port, and serves a game host's
# page that frames it (tests/web/checks/host) on another free port, at localhost: another site.
# Sets $url, $host_url, $site and $scratch; the servers are stopped and the scratch folder removed when the calling script exits,
# however it exits.
# Usage: start_local_site BUILD_DIR
web="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
web_tests="$(cd "$web/../../tests/web" && pwd)"

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
  local lock="$web_tests/package-lock.json" installed="$web_tests/node_modules/.package-lock.json"
  if [ ! -f "$installed" ] || [ "$lock" -nt "$installed" ]; then
    (cd "$web_tests" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error \
      >/dev/null)
  fi
  scratch="$(mktemp -d)"
  servers=()
  trap stop_local_site EXIT
  trap 'exit 130' INT TERM
  site="$scratch/site"
  cp -a "$build/site" "$site"
  serve_folder "$site" site --access-log "$scratch/access.log"
  url="http://127.0.0.1:$served_port/"
  serve_folder "$web_tests/checks/host" host
  host_url="http://localhost:$served_port/"
}

# Serves FOLDER with serve.py on a free port of 127.0.0.1 (more arguments go to serve.py) and
# sets $served_port; NAME names its files in the scratch folder.
serve_folder() {
  local folder="$1" name="$2"
  shift 2
  python3 "$web/serve.py" "$folder" --port 0 --port-file "$scratch/$name.port" "$@" \
    >"$scratch/$name.log" 2>&1 &
  servers+=($!)
  for _ in $(seq 1 100); do
    [ -s "$scratch/$name.port" ] && break
    sleep 0.1
  done
  if [ ! -s "$scratch/$name.port" ]; then
    echo "the local server for $folder did not start:" >&2
    cat "$scratch/$name.log" >&2
    exit 1
  fi
  served_port="$(cat "$scratch/$name.port")"
}

stop_local_site() {
  local server
  for server in "${servers[@]}"; do
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  done
  rm -rf "${scratch:-}"
}
