#!/usr/bin/env bash
# Builds Vaultreach for the browser with emscripten: installs the toolchain (and the browser
# checks' node packages, in tests/web) when missing, builds GoogleTest for emscripten once (kept
# in the build folder), the game's module and the portable test suite, runs that suite under
# node, and assembles the site (the module beside every file of web/) and vaultreach-web.zip,
# which it checks against a game host's limits (check_zip.py; python3 comes with emscripten).
# Usage: tools/web/build.sh [BUILD_DIR]   (default: build-web)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(mkdir -p "${1:-$root/build-web}" && cd "${1:-$root/build-web}" && pwd)"

# Any node of 18 or later runs the tests and the checks; Debian's when there is none.
node_packages=()
if ! command -v node >/dev/null; then
  node_packages=(nodejs npm)
fi
"$root/tools/install-packages.sh" --no-recommends emscripten cmake make googletest zip brotli ccache \
  "${node_packages[@]}"
checks="$root/tests/web"
if [ -f "$checks/package-lock.json" ] && [ ! -d "$checks/node_modules" ]; then
  (cd "$checks" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi

# emscripten's compiler runs on Debian's node modules, whatever node is first on the PATH; the
# module outputs run under node only without its experimental fetch.
export NODE_PATH=/usr/share/nodejs
toolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
node="$(command -v node)"
# Every date in the outputs is this one: the same sources give the same site and zip.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)"
fi
export SOURCE_DATE_EPOCH
jobs=2

# GoogleTest for emscripten, built once per machine (for this emscripten and this GoogleTest)
# in the same cache as the Windows libraries; a build folder that holds one keeps it.
gtest="$build/googletest"
if [ ! -e "$gtest" ]; then
  key=$( (emcc --version | head -n 1; dpkg-query -W googletest) | sha256sum | cut -c1-16)
  cache="${VAULTREACH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vaultreach}/emscripten-googletest-$key"
  mkdir -p "$cache"
  ln -s "$cache" "$gtest"
fi
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "Building GoogleTest for emscripten (once)"
  cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON \
    -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null
  cmake --build "$gtest/build" -j "$jobs" >/dev/null
  cmake --install "$gtest/build" >/dev/null
fi

cmake -S "$root" -B "$build/game" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$node;--no-experimental-fetch" \
  -DCMAKE_BUILD_TYPE=Release -DVAULTREACH_TESTS=ON -DGTest_DIR="$gtest/install/lib/cmake/GTest" \
  -DVAULTREACH_SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" \
  >/dev/null
cmake --build "$build/game" -j "$jobs"

echo "== The portable test suite under node =="
(cd "$build/game" && ctest --output-on-failure -j "$jobs" --timeout 300)
"$root/tools/count_cases.sh" "$build/game" "Under node"
echo "Native only (tests/CMakeLists.txt): the real program's tests, the link, permission, FIFO" \
  "and data file cases, and SDL_mixer's own tests."

# The site: the module, the sounds it fetches after the title, and every file of web/. Text and
# wasm files get their compressed twins beside them (.gz and .br) for servers that send those.
site="$build/site"
rm -rf "$site" "$build/vaultreach-web.zip"
mkdir -p "$site"
cp "$build/game/vaultreach.js" "$build/game/vaultreach.wasm" "$build/game/vaultreach.data" "$site/"
# emscripten names the data package with a random identifier (used only by a package cache the
# game does not use): the package's own hash stands in for it.
package_id=$(sha256sum "$site/vaultreach.data" | cut -c1-32 |
  sed -E 's/(.{8})(.{4})(.{4})(.{4})(.{12})/\1-\2-\3-\4-\5/')
sed -i -E "s/\"package_uuid\":\"[0-9a-f-]+\"/\"package_uuid\":\"$package_id\"/" "$site/vaultreach.js"
cp "$root"/data/*.ogg "$root"/data/*.wav "$site/"
cp -R "$root/web/." "$site/"
# A new release gets a new cache name in the service worker: a hash of every other file.
release=$(cd "$site" && find . -type f ! -name sw.js -print0 | LC_ALL=C sort -z |
  xargs -0 sha256sum | sha256sum | cut -c1-16)
sed -i "s/__VAULTREACH_RELEASE__/$release/g" "$site/sw.js"
find "$site" -type f \( -name '*.js' -o -name '*.wasm' -o -name '*.data' -o -name '*.html' \
  -o -name '*.css' -o -name '*.svg' -o -name '*.webmanifest' -o -name '*.json' \) -print0 |
  while IFS= read -r -d '' file; do
    gzip -n -9 -c "$file" >"$file.gz"
    brotli -q 11 -c "$file" >"$file.br"
  done

# The zip, made as the Windows one is: sorted names, one date (SOURCE_DATE_EPOCH), plain
# permissions, no extra fields. The site's files are at its root, as game hosts (itch.io) take
# it, and it must keep within their limits.
rm -rf "$build/zip"
cp -a "$site" "$build/zip"
"$root/tools/reproducible_zip.sh" --contents "$build/vaultreach-web.zip" "$build/zip"
rm -rf "$build/zip"
python3 "$here/check_zip.py" "$build/vaultreach-web.zip"
echo "Browser site: $site; release $release"
for file in vaultreach.wasm vaultreach.js vaultreach.data; do
  echo "  $file: $(stat -c %s "$site/$file") bytes, $(stat -c %s "$site/$file.gz") gzipped," \
    "$(stat -c %s "$site/$file.br") with brotli"
done
echo "Browser zip: $build/vaultreach-web.zip ($(stat -c %s "$build/vaultreach-web.zip") bytes)"
