#!/bin/sh
# The main job on the bundled example, through korvex-cli and a private headless
# LibreOffice (started and ended by korvex-cli itself):
#   1. Excel->XML: examples/peldak.xlsx (UTF-8 output), examples/peldak-latin2.xlsx
#      (ISO-8859-2 output) and examples/szamlak-munkafuzet.xlsx (the user guide's first
#      export) become out/example/nyilvantartas.xml, nyilvantartas-latin2.xml and
#      szamlak-export.xml; the last is compared with the file the guide shows;
#   2. XML->Excel: examples/szamlak.xml fills a copy of examples/import-munkafuzet.xlsx,
#      stored as out/example/import-munkafuzet.xlsx (the original stays as it is).
# The control files are in examples/data and are checked first (korvex-cli check); the
# export's output follows examples/data/nyilvantartas.xsd (SCHEMA in the .ini files),
# the import's data file examples/data/szamlak.xsd (Schema of XMLToExcel.xml), both
# validated on the way. Environment: KORVEX_BUILD (the build folder,
# default build), OUT (the output folder, default out/example).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=${KORVEX_BUILD:-build}
cli="$build/shell/korvex-cli"
out=${OUT:-out/example}

if [ ! -x "$cli" ]; then
    echo "run-example.sh: $cli not found; build first: cmake --build $build" >&2
    exit 1
fi
mkdir -p "$out"
rm -f "$out/nyilvantartas.xml" "$out/nyilvantartas-latin2.xml" "$out/szamlak-export.xml" \
    "$out/import-munkafuzet.xlsx"

echo "=== Control files: korvex-cli check --data-folder examples/data"
"$cli" check --data-folder examples/data
echo "no problems"

echo
echo "=== Excel->XML: examples/peldak.xlsx, examples/peldak-latin2.xlsx, examples/szamlak-munkafuzet.xlsx -> $out/"
"$cli" export --data-folder examples/data --open examples/peldak.xlsx \
    --open examples/peldak-latin2.xlsx --open examples/szamlak-munkafuzet.xlsx --output-dir "$out"
if cmp -s "$out/szamlak-export.xml" examples/expected/szamlak-export.xml; then
    echo "szamlak-export.xml is the file the user guide shows"
else
    echo "run-example.sh: $out/szamlak-export.xml differs from examples/expected/szamlak-export.xml" >&2
    exit 1
fi

echo
echo "=== XML->Excel: examples/szamlak.xml -> a copy of examples/import-munkafuzet.xlsx in $out/"
"$cli" import --data-folder examples/data \
    --open examples/import-munkafuzet.xlsx --save-as "$out" examples/szamlak.xml

echo
echo "=== Written files"
for file in nyilvantartas.xml nyilvantartas-latin2.xml szamlak-export.xml import-munkafuzet.xlsx; do
    case $out in
        /*) echo "$out/$file" ;;
        *) echo "$root/$out/$file" ;;
    esac
done
