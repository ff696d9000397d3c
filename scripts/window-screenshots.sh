#!/bin/sh
# Screenshots of the main window under a virtual X server, in Hungarian: the progress
# during a long export, the save dialog, and the window after the export.
#   scripts/window-screenshots.sh [build-dir] [output-dir]
# Needs xvfb-run and xauth. The workbook is held in memory by the shooting program.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
OUT=${2:-$BUILD/window-screenshots}
SHOTS="$BUILD/tests/shell/korvex-window-shots"
[ -x "$SHOTS" ] || { echo "no $SHOTS: build the korvex-window-shots target first" >&2; exit 1; }
mkdir -p "$OUT"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
chmod 700 "$WORK"
export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1024x700x24" "$SHOTS" "$OUT"
