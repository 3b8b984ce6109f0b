#!/usr/bin/env bash
# Assembles BUILD_DIR/site from web/ with checks/fake-module.js in place of the game's module:
# enough to work on the page (and run the page-only checks) without an emscripten build.
# Usage: tools/web/checks/fake-site.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
site="$1/site"
rm -rf "$site" && mkdir -p "$site"
cp "$root"/web/* "$site/"
cp "$root/tools/web/checks/fake-module.js" "$site/vaultreach.js"
: >"$site/vaultreach.wasm"
: >"$site/vaultreach.data"
release="$(cd "$site" && cat $(ls | grep -v '^sw.js$') | sha256sum | cut -c1-12)"
sed -i "s/__VAULTREACH_RELEASE__/$release/" "$site/sw.js"
