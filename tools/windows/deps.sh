#!/usr/bin/env bash
# Cross-builds the libraries that Vaultreach links on Windows, as static MinGW-w64 libraries,
# from Debian's own source packages: libogg, libvorbis, SDL 1.2, SDL_mixer 1.2 and GoogleTest.
# Everything lands in PREFIX; a finished PREFIX (it holds a stamp file) is reused as it is.
# Needs the deb-src entries and packages that tools/windows/build.sh installs.
# Usage: tools/windows/deps.sh PREFIX
set -euo pipefail

prefix="$(mkdir -p "$1" && cd "$1" && pwd)"
stamp="$prefix/.complete"
if [ -f "$stamp" ]; then
  echo "Windows dependencies: reusing $prefix"
  exit 0
fi

host=x86_64-w64-mingw32
sources="$prefix/../deps-source"
rm -rf "$sources"
mkdir -p "$sources"
log="$sources/build.log"
jobs="$(nproc)"

export CC="$host-gcc-posix"
export CXX="$host-g++-posix"
export AR="$host-ar"
export RANLIB="$host-ranlib"
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export CPPFLAGS="-I$prefix/include"
export LDFLAGS="-L$prefix/lib"

step() {
  echo "Windows dependencies: $*"
}

# The sources of the Debian release this machine runs, unpacked with Debian's patches applied.
step "fetching the Debian source packages"
(cd "$sources" && apt-get source -qq libogg libvorbis libsdl1.2 sdl-mixer1.2 >>"$log" 2>&1) || {
  cat "$log"
  echo "apt-get source failed" >&2
  exit 1
}

# configure and make install one autotools package; the remaining arguments go to configure.
build_autotools() {
  local directory="$1"
  shift
  step "building $(basename "$directory")"
  (
    cd "$directory"
    ./configure --host="$host" --prefix="$prefix" --disable-shared --enable-static "$@"
    make -j "$jobs"
    make install
  ) >>"$log" 2>&1 || {
    tail -n 60 "$log"
    echo "building $directory failed (whole log: $log)" >&2
    exit 1
  }
}

build_autotools "$(echo "$sources"/libogg-*/)"
build_autotools "$(echo "$sources"/libvorbis-*/)" --disable-docs --disable-examples \
  --disable-oggtest
# SDLmain must leave standard output alone (no stdout.txt) and needs the video code to link.
build_autotools "$(echo "$sources"/libsdl1.2-*/)" --disable-stdio-redirect --disable-nasm \
  --disable-rpath
# Without the Vorbis libraries named up front, configure quietly drops Ogg Vorbis music.
build_autotools "$(echo "$sources"/sdl-mixer1.2-*/)" --with-sdl-prefix="$prefix" \
  --disable-sdltest --disable-music-mod --disable-music-midi --disable-music-mp3 \
  --disable-music-flac --enable-music-ogg --disable-music-ogg-shared LIBS="-lvorbis -logg"
grep -q '^#define OGG_MUSIC\|-DOGG_MUSIC' "$sources"/sdl-mixer1.2-*/Makefile "$sources"/sdl-mixer1.2-*/config.log 2>/dev/null || {
  echo "SDL_mixer was configured without Ogg Vorbis music" >&2
  exit 1
}

step "building GoogleTest"
cmake -S /usr/src/googletest -B "$sources/googletest" \
  -DCMAKE_TOOLCHAIN_FILE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/mingw-w64-x86_64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -Dgtest_disable_pthreads=OFF \
  >>"$log" 2>&1
cmake --build "$sources/googletest" -j "$jobs" >>"$log" 2>&1
cmake --install "$sources/googletest" >>"$log" 2>&1

touch "$stamp"
step "done"
