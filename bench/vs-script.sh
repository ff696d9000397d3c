#!/bin/bash
# Korvex beside a Python script (openpyxl + lxml, bench/vs_script.py) doing the same two
# jobs on the same files, end to end:
#   export: a workbook of 20,000 rows x 8 columns to its XML file (korvex-cli --open)
#   import: a data file of 50,000 elements into a workbook, stored as a copy
#           (korvex-cli --open --save-as)
# The outputs are checked first (the same bytes; the same cell values), then the two
# sides run alternately, RUNS times each (default 3). Prints every run with the
# machine's load, then "export vs script: N" and "import vs script: N", Korvex's best
# time over the script's best (below 1: Korvex is faster).
#
#   bench/vs-script.sh [BUILD_DIR]      (default: build-rel, else build)
# Needs python3-openpyxl and python3-lxml. Environment: RUNS, ROWS, ELEMENTS, PYTHON.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-}
if [ -z "$build" ]; then
    build=$root/build-rel
    [ -x "$build/shell/korvex-cli" ] || build=$root/build
fi
cli=$build/shell/korvex-cli
[ -x "$cli" ] || { echo "vs-script.sh: no korvex-cli in $build/shell" >&2; exit 2; }
# Debian's python3 carries its packages; another python3 first on PATH may not.
python=${PYTHON:-/usr/bin/python3}
[ -x "$python" ] || python=python3
"$python" -c 'import openpyxl, lxml' 2>/dev/null ||
    { echo "vs-script.sh: needs python3-openpyxl and python3-lxml (or PYTHON=a python that has them)" >&2; exit 2; }
script=$here/vs_script.py
runs=${RUNS:-3}
rows=${ROWS:-20000}
elements=${ELEMENTS:-50000}

work=$(mktemp -d "${TMPDIR:-/tmp}/korvex-vs-script-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/korvex" "$work/script"
"$python" "$script" make "$work" "$rows" "$elements"

load() { cut -d' ' -f1-3 /proc/loadavg; }
now() { date +%s.%N; }

korvex_export() {
    "$cli" export --data-folder "$work/data" --open "$work/export.xlsx" --output-dir "$work/korvex" >/dev/null
}
script_export() { "$python" "$script" export "$work/export.xlsx" "$work/script/export.xml"; }
korvex_import() {
    "$cli" import --data-folder "$work/data" --open "$work/import.xlsx" --save-as "$work/korvex" --force \
        "$work/records.xml" >/dev/null
}
script_import() { "$python" "$script" import "$work/import.xlsx" "$work/records.xml" "$work/script/import.xlsx"; }

# The outputs first (this also makes the office's cached profile).
korvex_export
script_export
cmp -s "$work/korvex/export.xml" "$work/script/export.xml" ||
    { echo "vs-script.sh: the two exports differ" >&2; exit 1; }
korvex_import
script_import
"$python" "$script" same-cells "$work/korvex/import.xlsx" "$work/script/import.xlsx" ||
    { echo "vs-script.sh: the two imports wrote different cells" >&2; exit 1; }
echo "outputs checked: the same export bytes ($(stat -c %s "$work/korvex/export.xml") bytes), the same imported cells"

# Runs one side once and prints its time; the time is also left in $seconds.
timed() {
    local label=$1 job=$2 run=$3 start
    start=$(now)
    "$job"
    seconds=$(echo "$(now) - $start" | bc)
    printf '%s, run %d: %.2f s (load %s)\n' "$label" "$run" "$seconds" "$(load)"
}

best() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

kx= sx= ki= si=
for run in $(seq 1 "$runs"); do
    timed "export, korvex-cli --open ($rows rows)" korvex_export "$run"; kx=$(best "$kx" "$seconds")
    timed "export, script ($rows rows)" script_export "$run"; sx=$(best "$sx" "$seconds")
    timed "import, korvex-cli --open --save-as ($elements elements)" korvex_import "$run"; ki=$(best "$ki" "$seconds")
    timed "import, script ($elements elements)" script_import "$run"; si=$(best "$si" "$seconds")
done
printf 'export vs script: %.2f (korvex %.2f s, script %.2f s, load %s)\n' "$(echo "$kx / $sx" | bc -l)" "$kx" "$sx" "$(load)"
printf 'import vs script: %.2f (korvex %.2f s, script %.2f s, load %s)\n' "$(echo "$ki / $si" | bc -l)" "$ki" "$si" "$(load)"
