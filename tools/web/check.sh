#!/usr/bin/env bash
# The browser checks: serves BUILD_DIR/site (made by tools/web/build.sh) on 127.0.0.1 and runs
# tools/web/checks in headless Chromium (/usr/bin/chromium): the scripted game against the
# native game's text, the caption, colours, files, a closed tab, sound, axe-core, the
# accessibility tree, reduced motion, a phone's viewport, offline play, a release update, the
# game in a host's frame (a host page served from localhost), focus, two tabs, refused storage,
# each way a game ends (shown, spoken, exit status, log.txt, the next game's save), the sound's
# news kept out of speech, and Lighthouse; the zip check's own test first. Prints one line per check and "N passed,
# N failed"; exits non-zero when any failed.
# Usage: tools/web/check.sh [BUILD_DIR]   (default build-web)
#   VAULTREACH_WEB_CHECK=word runs only the checks whose name holds the word;
#   VAULTREACH_WEB_LANES=N runs N checks at once (default 2).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tools/web/local-site.sh"
start_local_site "$(cd "${1:-$root/build-web}" && pwd)"
echo "Checking $site at $url"
if ! zip_test="$(python3 "$web/check_zip_test.py" 2>&1)"; then
  echo "$zip_test"
  exit 1
fi
echo "ok   check_zip.py refuses every broken limit and takes a good zip"
timeout 1200 node "$web/checks/run.mjs" "$url" "$site" "${VAULTREACH_WEB_CHECK:-}" "$host_url"
