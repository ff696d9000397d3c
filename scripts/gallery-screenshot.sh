#!/bin/sh
# Screenshots of the list header gallery under a virtual X server: the window, the
# header's context menu and the header format dialog.
#   scripts/gallery-screenshot.sh [build-dir] [output-dir]
# Needs xvfb-run, xauth, ImageMagick's import and xdotool. The gallery's stored settings
# go to a temporary folder, so earlier runs do not change the pictures.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
OUT=${2:-$BUILD/gallery-screenshots}
GALLERY="$BUILD/library/listheader/gallery/korvex-gallery"
[ -x "$GALLERY" ] || { echo "no $GALLERY: build the korvex-gallery target first" >&2; exit 1; }
mkdir -p "$OUT"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
chmod 700 "$WORK"
export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK" QT_QPA_PLATFORM=xcb

shoot() {  # shoot <picture> <gallery options> [<xdotool commands>]
    xvfb-run -a -s "-screen 0 1024x640x24" sh -c '
        "$0" $1 & P=$!
        sleep 2
        if [ -n "$3" ]; then xdotool $3; sleep 1; fi
        import -window root "$2"
        kill $P' "$GALLERY" "$2" "$OUT/$1" "${3:-}"
    echo "$OUT/$1"
}

shoot gallery.png ""
shoot gallery-menu.png "" "search --sync --name lista mousemove --window %1 60 25 click 3"
shoot gallery-dialog.png "--dialog" "search --sync --name fejléc.átméretezés mousemove --window %1 80 57 click 1"
