#!/bin/sh
# Builds Korvex twice (plain and with address + undefined-behaviour sanitizers), runs
# every test in both, runs each fuzzer for a bounded time and cross-compiles the Excel
# backend for Windows. Exits non-zero on the first failure.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

step() { printf '\n=== %s\n' "$*"; }

step "build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"

step "tests"
ctest --test-dir build --output-on-failure -j "$JOBS" --timeout 600

step "sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVEX_SANITIZE=ON -DKORVEX_BENCH=OFF >/dev/null
cmake --build build-asan -j "$JOBS"

step "tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 900

step "gallery screenshots"
scripts/gallery-screenshot.sh build build/gallery-screenshots

if [ -x tests/fuzz/run-fuzzers.sh ]; then
    step "fuzzers (${FUZZ_SECONDS} s each)"
    tests/fuzz/run-fuzzers.sh "$FUZZ_SECONDS"
fi

if [ -x .ci/cross-excel.sh ]; then
    step "Excel backend cross-compiled for Windows"
    .ci/cross-excel.sh
fi

step "all tests passed"
