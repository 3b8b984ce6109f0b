#!/usr/bin/env bash
# The browser checks, in the three engines side by side (each mostly waits on its browser and
# the game's pauses). Serves BUILD_DIR/site (made by tools/web/build.sh) on 127.0.0.1 and runs
# the checks of tests/web/checks:
#  - in headless Chromium (/usr/bin/chromium), every check: the scripted game against the
#    native game's text, the caption, colours, files, a closed tab, sound, axe-core, the
#    accessibility tree, reduced motion, a phone's viewport, offline play, a release update, the
#    game in a host's frame (a host page served from localhost), focus, two tabs, refused storage,
#    each way a game ends (shown, spoken, exit status, log.txt, the next game's save), the sound's
#    news kept out of speech, and Lighthouse;
#  - in headless Firefox ESR (puppeteer over WebDriver BiDi), on a copy of the site of its own
#    (a check plays a second release over it): the checks that need nothing of Chromium's own;
#  - in WebKitGTK's MiniBrowser (WebKitWebDriver, on a virtual display of its own): the scripted
#    game byte for byte with focus after every answer, files after a reload, two tabs, an offline
#    reload and focus (checks/webkit.mjs).
# The zip check's own test first. Prints each engine's lines and time, then "N passed, N failed"
# over all; exits non-zero when any failed.
# Usage: tests/web/check.sh [BUILD_DIR]   (default build-web)
#   VAULTREACH_WEB_CHECK=word runs only the checks whose name holds the word;
#   VAULTREACH_WEB_ENGINES="chromium firefox webkit" picks the engines (default all three);
#   VAULTREACH_WEB_LANES=N runs N checks at once in each engine (default 2).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
read -r -a engines <<<"${VAULTREACH_WEB_ENGINES:-chromium firefox webkit}"
packages=()
for engine in "${engines[@]}"; do
  case "$engine" in
    chromium) ;;
    firefox) packages+=(firefox-esr) ;;
    webkit) packages+=(webkit2gtk-driver xvfb) ;;
    *)
      echo "VAULTREACH_WEB_ENGINES names chromium, firefox or webkit, not $engine" >&2
      exit 2
      ;;
  esac
done
if [ "${#packages[@]}" -gt 0 ]; then
  "$root/tools/install-packages.sh" --no-recommends "${packages[@]}"
fi
source "$root/tools/web/local-site.sh"
start_local_site "$(cd "${1:-$root/build-web}" && pwd)"
echo "Checking $site at $url"
if ! zip_test="$(python3 "$here/check_zip_test.py" 2>&1)"; then
  echo "$zip_test"
  exit 1
fi
echo "ok   check_zip.py refuses every broken limit and takes a good zip"

pids=()
for engine in "${engines[@]}"; do
  case "$engine" in
    chromium) command=(node "$here/checks/run.mjs" "$url" "$site" "${VAULTREACH_WEB_CHECK:-}" "$host_url") ;;
    firefox)
      cp -a "$site" "$scratch/site-firefox"
      serve_folder "$scratch/site-firefox" site-firefox
      command=(node "$here/checks/run.mjs" "http://127.0.0.1:$served_port/" "$scratch/site-firefox"
        "${VAULTREACH_WEB_CHECK:-}" "$host_url")
      ;;
    webkit)
      mkdir "$scratch/webkit"
      command=(node "$here/checks/webkit.mjs" "$site" "$scratch/webkit" "${VAULTREACH_WEB_CHECK:-}")
      ;;
  esac
  (
    started=$SECONDS
    status=0
    VAULTREACH_WEB_ENGINE="$engine" timeout 1200 "${command[@]}" >"$scratch/$engine.out" 2>&1 || status=$?
    echo "$((SECONDS - started)) $status $(cut -d' ' -f1-3 /proc/loadavg)" >"$scratch/$engine.end"
  ) &
  pids+=($!)
done
wait "${pids[@]}"

passed=0
failed=0
for engine in "${engines[@]}"; do
  read -r seconds status load <"$scratch/$engine.end"
  echo "== $engine: $seconds s (load at its end $load) =="
  cat "$scratch/$engine.out"
  counts="$(grep -E "^$engine: [0-9]+ passed, [0-9]+ failed$" "$scratch/$engine.out" | tail -n 1 || true)"
  if [ -z "$counts" ]; then
    echo "FAIL $engine: the checks ended without their count (exit status $status)"
    failed=$((failed + 1))
    continue
  fi
  read -r _ p _ f _ <<<"$counts"
  passed=$((passed + p))
  failed=$((failed + f))
  if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
    echo "FAIL $engine: exit status $status"
    failed=$((failed + 1))
  fi
done
echo "$((passed + 1)) passed, $failed failed"
[ "$failed" -eq 0 ]
