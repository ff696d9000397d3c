#!/bin/sh
# Checks that includes keep to their layers, then builds Korvex twice and runs every
# test in both builds: a plain build (g++), and a clang build with address +
# undefined-behaviour sanitizers whose fuzz targets then run for a bounded time each.
# Also takes the gallery and main window screenshots, builds and installs the Debian
# package, and builds the Windows programs (korvex-cli.exe and the engine's tests, left
# in build-windows) and runs them under Wine. Exits non-zero on the first failure.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

step() { printf '\n=== %s\n' "$*"; }

step "layers"
scripts/check-layers.sh

step "build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build -j "$JOBS"

step "tests"
ctest --test-dir build --output-on-failure -j "$JOBS" --timeout 600

step "gallery screenshots"
scripts/gallery-screenshot.sh build build/gallery-screenshots

step "main window screenshots"
scripts/window-screenshots.sh build build/window-screenshots

step "Debian package: built, installed with apt, example run from the installed files"
scripts/package-check.sh build

# One clang build serves both the sanitizer run of the tests and the fuzzers.
step "sanitizer build"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DKORVEX_SANITIZE=ON -DKORVEX_FUZZ=ON -DKORVEX_BENCH=OFF >/dev/null
cmake --build build-asan -j "$JOBS"

# The programs that talk to a real office keep UNO's type descriptions, which live as
# long as the process by design: leak checking covers every other test.
OFFICE_TESTS='^(unohost_test|buffering_libreoffice_test|export_libreoffice_test|import_libreoffice_test|cli_test|robustness_office_test)$'
export UBSAN_OPTIONS=print_stacktrace=1
step "tests under the sanitizers, with leak checking"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp" \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 900 -E "$OFFICE_TESTS"
step "office tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=0 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 900 -R "$OFFICE_TESTS"

step "fuzzers (${FUZZ_SECONDS} s each)"
tests/fuzz/run-fuzzers.sh "$FUZZ_SECONDS" "$PWD/build-asan"

step "Windows build (mingw-w64): korvex-cli.exe and the engine's tests"
JOBS="$JOBS" scripts/build-windows.sh build-windows
step "Windows tests under Wine"
JOBS="$JOBS" scripts/test-windows.sh build-windows

step "all tests passed"
