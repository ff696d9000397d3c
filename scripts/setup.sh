#!/bin/sh
# Installs the Debian packages, builds Korvex and runs the main job on the bundled example.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ -x scripts/run-example.sh ]; then
    scripts/run-example.sh
fi
