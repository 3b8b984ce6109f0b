#!/usr/bin/env bash
# Measures the browser build on the local server (not a test: it prints figures, it never
# fails on them): navigation to the title text cold and warm, the bytes a first and a second
# visit transfer (compressed, counted at the server), the browser's processor time while the
# game waits at a prompt for 10 s, Lighthouse with the desktop preset and with the default
# mobile throttling, axe-core, and what a screen reader is given for one turn.
# Usage: tools/web/measure.sh [BUILD_DIR]   (default build-web)
#   VAULTREACH_MEASURE_QUICK=1 makes every wait a tenth as long and leaves Lighthouse out: CI runs
#   it so, to prove that the tool works.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tools/web/local-site.sh"
start_local_site "$(cd "${1:-$root/build-web}" && pwd)"
echo "Measuring $site at $url (load: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores)"
timeout 900 node "$web/measure.mjs" "$url" "$scratch/access.log"
