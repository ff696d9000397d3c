#!/bin/sh
# Runs the Windows programs that scripts/build-windows.sh made under Wine, in a private
# Wine prefix kept in the build folder (made by the first run): the unit test programs,
# the Excel backend against the automation double, and korvex-cli.exe end to end.
# Usage: scripts/test-windows.sh [BUILD_DIR]   (default: build-windows beside the sources)
set -eu

src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$src/build-windows"}
build=$(cd "$build" && pwd)
jobs=${JOBS:-$(nproc)}
cli="$build/korvex/shell/korvex-cli.exe"

command -v wine >/dev/null || { echo "test-windows: wine is missing (scripts/install-deps.sh)" >&2; exit 1; }
[ -f "$cli" ] || { echo "test-windows: no $cli (run scripts/build-windows.sh first)" >&2; exit 1; }

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
say() { printf 'test-windows: %s\n' "$*"; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "making the Wine prefix $WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1 || true
    # Its server winds down for a few seconds: a run joining it would find its services
    # leaving (no RPCSS, so no running object table), so the run starts a server of its own.
    wineserver -w
fi
# One Wine server for every program of the run; it goes when the run ends. Its
# background services start here, away from the output pipes of the tests (a service
# that inherits one would keep the test's output open).
wineserver -p || true  # one may be running for this prefix already
trap 'wineserver -k 2>/dev/null || true' EXIT INT TERM
wine cmd /c exit </dev/null >/dev/null 2>&1

say "unit tests"
ctest --test-dir "$build/korvex" --output-on-failure -j "$jobs" --timeout 600

say "korvex-cli.exe"
"$src/tests/windows/cli-windows.sh" "$cli" "$build/korvex" "$src"
say "all Windows tests passed"
