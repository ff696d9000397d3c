#!/bin/sh
# Cross-compiles the Windows programs with Debian's mingw-w64 (POSIX threads variant):
# korvex-cli.exe and the engine's unit test programs, statically linked so that each
# .exe runs on its own. libxml2 (from Debian's source package, see
# fetch-windows-sources.sh) and GoogleTest (/usr/src/googletest) are built for Windows
# first and kept in BUILD_DIR/deps, so later runs only rebuild Korvex.
# Usage: scripts/build-windows.sh [BUILD_DIR]   (default: build-windows beside the sources)
set -eu

src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$src/build-windows"}
mkdir -p "$build"
build=$(cd "$build" && pwd)
deps="$build/deps"
prefix="$deps/prefix"
jobs=${JOBS:-$(nproc)}
cc=x86_64-w64-mingw32-gcc-posix
cxx=x86_64-w64-mingw32-g++-posix
toolchain="$src/cmake/mingw-w64.cmake"
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"

say() { printf 'build-windows: %s\n' "$*"; }
command -v "$cxx" >/dev/null || { echo "build-windows: $cxx is missing (scripts/install-deps.sh)" >&2; exit 1; }
[ -f /usr/src/googletest/CMakeLists.txt ] || { echo "build-windows: /usr/src/googletest is missing (package googletest)" >&2; exit 1; }

# libxml2: the sources of Debian's package, with Debian's patches applied.
sources=${KORVEX_WINDOWS_SOURCES:-"$src/.deps/sources"}
xmlsrc=$(ls -d "$sources"/libxml2-*/ 2>/dev/null | head -n 1 || true)
if [ -z "$xmlsrc" ]; then
    "$src/scripts/fetch-windows-sources.sh" "$sources"
    xmlsrc=$(ls -d "$sources"/libxml2-*/ | head -n 1)
fi
xmlstamp="$prefix/.libxml2-$(basename "$xmlsrc")"
if [ ! -f "$xmlstamp" ]; then
    say "libxml2 for Windows from $(basename "$xmlsrc")"
    # No iconv on Windows: libxml2 decodes UTF-8, UTF-16 and ISO-8859-x itself, and the
    # program adds the Windows code pages. Nothing that reaches the network.
    cmake -S "$xmlsrc" -B "$deps/libxml2" -G Ninja $launcher \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF \
        -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
        -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF \
        -DLIBXML2_WITH_CATALOG=OFF -DLIBXML2_WITH_ISO8859X=ON \
        -DLIBXML2_WITH_SCHEMAS=ON -DLIBXML2_WITH_REGEXPS=ON >/dev/null
    cmake --build "$deps/libxml2" -j "$jobs" >/dev/null
    cmake --install "$deps/libxml2" >/dev/null
    touch "$xmlstamp"
fi

if [ ! -f "$prefix/.googletest" ]; then
    say "GoogleTest for Windows from /usr/src/googletest"
    cmake -S /usr/src/googletest -B "$deps/googletest" -G Ninja $launcher \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF >/dev/null
    cmake --build "$deps/googletest" -j "$jobs" >/dev/null
    cmake --install "$deps/googletest" >/dev/null
    touch "$prefix/.googletest"
fi

say "Korvex for Windows in $build"
cmake -S "$src" -B "$build/korvex" -G Ninja $launcher \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DKORVEX_WINDOWS_DEPS="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-Werror "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
    -DKORVEX_GUI=OFF -DKORVEX_TESTS=ON -DKORVEX_BENCH=OFF >/dev/null
cmake --build "$build/korvex" -j "$jobs"
cp "$build/korvex/shell/korvex-cli.exe" "$build/korvex-cli.exe"
say "done: $build/korvex-cli.exe"
