#!/bin/sh
# Installs the Debian packages, builds Korvex in build-release/ and runs the main job on
# the bundled example. build/ is left to the everyday loop and scripts/test.sh (Debug).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# A folder configured before keeps its generator (the benchmarks use the same folder).
generator="-G Ninja"
[ ! -f build-release/CMakeCache.txt ] || generator=""
# shellcheck disable=SC2086
cmake -S . -B build-release $generator -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j "$(nproc)"
if [ -x scripts/run-example.sh ]; then
    KORVEX_BUILD=build-release scripts/run-example.sh
fi
