#!/bin/sh
# korvex-cli.exe under Wine, end to end: the help, the warning without Excel, and the
# bundled examples exported and imported through the automation double of Excel, both
# on the running "Excel" and on a private one (--open). The exported files must equal
# the Linux run's byte for byte (examples/expected; only the run's date differs).
# Usage: tests/windows/cli-windows.sh KORVEX-CLI.EXE BUILD_DIR SOURCE_DIR
# (WINEPREFIX set; run by scripts/test-windows.sh)
set -eu

cli=$1
build=$2
src=$3
double="$build/tests/host/excel/excel_double.exe"
expected="$src/examples/expected"
work=$(mktemp -d)
trap 'wine "$double" quit >/dev/null 2>&1 || true; rm -rf "$work"' EXIT INT TERM

failures=0
fail() { printf 'FAIL: %s\n' "$*"; failures=$((failures + 1)); }
pass() { printf 'ok: %s\n' "$*"; }
win() { winepath -w "$1"; }
# The date of the run in the exported files (and the log) is masked.
undated() { sed 's|<Date>\t<Year>[0-9]*</Year>\t<Month>[0-9]*</Month>\t<Day>[0-9]*</Day>\t</Date>|<Date/>|g' "$1"; }
same_export() {  # same_export OUTPUT_DIR LOG WHAT
    for name in nyilvantartas.xml nyilvantartas-latin2.xml; do
        if [ ! -f "$1/$name" ]; then
            fail "$3: $name was not written"
        elif undated "$1/$name" | cmp -s - "$work/expected-$name"; then
            pass "$3: $name is byte-identical to the Linux run"
        else
            fail "$3: $name differs from the Linux run"
            undated "$1/$name" | diff "$work/expected-$name" - | head -20
        fi
    done
    # The console gets CR LF line ends on Windows.
    if tr -d '\r' < "$2" | undated /dev/stdin | cmp -s - "$work/expected-log"; then
        pass "$3: the log equals the Linux run's"
    else
        fail "$3: the log differs"
        tr -d '\r' < "$2" | undated /dev/stdin | diff "$work/expected-log" - | head -20
    fi
}
for name in nyilvantartas.xml nyilvantartas-latin2.xml; do
    undated "$expected/$name" > "$work/expected-$name"
done
undated "$expected/export-log.txt" > "$work/expected-log"

"$src/examples/make-examples.sh" --fods "$work" >/dev/null
data=$(win "$src/examples/data")
cd "$work"

# --help, and no Excel at all.
if wine "$cli" --help > help.txt 2>&1 && grep -q "korvex-cli export" help.txt; then
    pass "--help"
else
    fail "--help"; cat help.txt
fi
wine "$double" unregister
status=0
wine "$cli" export --data-folder "$data" > out.txt 2> err.txt || status=$?
if [ "$status" -eq 1 ] && grep -q "Nincs excel fájl megnyitva, vagy az excel nem fogadóképes!" err.txt; then
    pass "export without Excel: the no-workbook warning and exit 1"
else
    fail "export without Excel: status $status"; cat err.txt
fi

# The running Excel: the double serving the two export examples.
wine "$double" serve ready.txt peldak.fods peldak-latin2.fods &
server=$!
for _ in $(seq 1 600); do
    [ -f ready.txt ] && break
    sleep 0.1
done
if [ ! -f ready.txt ]; then
    fail "the automation double did not start"
else
    mkdir running
    status=0
    wine "$cli" export --data-folder "$data" --output-dir running > running.log 2> running.err || status=$?
    if [ "$status" -eq 0 ]; then
        pass "export on the running Excel: exit 0"
    else
        fail "export on the running Excel: status $status"; cat running.err
    fi
    same_export running running.log "export on the running Excel"
    wine "$double" quit || fail "the double did not quit"
fi
wait "$server" || true

# A private Excel (--open): started, used, quit.
wine "$double" register
mkdir opened
export KORVEX_DOUBLE_REPORT="$(win "$work/report.txt")"
status=0
wine "$cli" export --data-folder "$data" --open peldak.fods --open peldak-latin2.fods --output-dir opened \
    > opened.log 2> opened.err || status=$?
if [ "$status" -eq 0 ]; then
    pass "export with --open: exit 0"
else
    fail "export with --open: status $status"; cat opened.err
fi
same_export opened opened.log "export with --open"
for _ in $(seq 1 100); do
    [ -s report.txt ] && break
    sleep 0.1
done
if grep -q "visible=0 displayAlerts=0 quit=1 books=0 saves=0" report.txt 2>/dev/null; then
    pass "--open: the private Excel stayed invisible, without alerts, and was quit with every workbook closed"
else
    fail "--open: the private Excel was left as: $(cat report.txt 2>/dev/null)"
fi

# The import with --open and --save-as: the worked example, stored as a copy.
mkdir copies
cp import-munkafuzet.fods original.fods
status=0
wine "$cli" import --data-folder "$data" --open import-munkafuzet.fods --save-as copies \
    "$(win "$src/examples/szamlak.xml")" > import.log 2> import.err || status=$?
log=$(tr -d '\r' < import.log)
want="$(win "$src/examples/szamlak.xml")
Számla Őrség Bútor Kft.
Számla Ünőkő Bt.
--- Összesítő
*** End ***"
if [ "$status" -eq 0 ] && [ "$log" = "$want" ]; then
    pass "import with --open: exit 0 and the worked example's log"
else
    fail "import with --open: status $status"; cat import.log import.err
fi
if [ -f copies/import-munkafuzet.fods ] && cmp -s import-munkafuzet.fods original.fods; then
    pass "import --save-as: a copy stored, the original left alone"
else
    fail "import --save-as: copy $(ls copies)"
fi
# The cells A6:F11 of the target sheet, as the Linux run fills them.
printf '1\tŐrség Bútor Kft.\tÍróasztal\t2\t\t\n\t\tSzék\t3\t\t\n\t\t\t\tsürgős\tfizetve\n' > grid-expected.txt
printf '\t\t\t\t\t\n2\tÜnőkő Bt.\tLámpa\t1\t\t\n\t\t\t\t\t\n' >> grid-expected.txt
wine "$double" dump copies/import-munkafuzet.fods 2 | tr -d '\r' > grid.txt || true
if cmp -s grid.txt grid-expected.txt; then
    pass "import: the cells A6:F11 are those of the Linux run"
else
    fail "import: the cells A6:F11 differ"; diff grid-expected.txt grid.txt
fi
# Again into the same folder: the copy there is not replaced without --force.
cp copies/import-munkafuzet.fods first-copy.fods
status=0
wine "$cli" import --data-folder "$data" --open import-munkafuzet.fods --save-as copies \
    "$(win "$src/examples/szamlak.xml")" > again.log 2> again.err || status=$?
if [ "$status" -eq 1 ] && grep -q "A fájl már létezik" again.err && cmp -s copies/import-munkafuzet.fods first-copy.fods; then
    pass "import --save-as: an existing copy is refused and left as it was"
else
    fail "import --save-as over an existing copy: status $status"; cat again.err
fi
status=0
wine "$cli" import --data-folder "$data" --open import-munkafuzet.fods --save-as copies --force \
    "$(win "$src/examples/szamlak.xml")" > forced.log 2> forced.err || status=$?
if [ "$status" -eq 0 ] && grep -q "Mentve / saved: .*import-munkafuzet.fods" forced.err; then
    pass "import --save-as --force: the existing copy is replaced"
else
    fail "import --save-as --force: status $status"; cat forced.err
fi
# In place (--save): the workbook's own file gets the cells; refused, the file left as
# it was, when Excel's owner file shows that someone else has the workbook open.
cp import-munkafuzet.fods inplace.fods
status=0
wine "$cli" import --data-folder "$data" --open inplace.fods --save \
    "$(win "$src/examples/szamlak.xml")" > inplace.log 2> inplace.err || status=$?
wine "$double" dump inplace.fods 2 | tr -d '\r' > inplace-grid.txt || true
if [ "$status" -eq 0 ] && cmp -s inplace-grid.txt grid-expected.txt; then
    pass "import --save: the workbook's own file holds the Linux run's cells"
else
    fail "import --save: status $status"; cat inplace.err; diff grid-expected.txt inplace-grid.txt
fi
cp import-munkafuzet.fods taken.fods
echo valaki > '~$taken.fods'
status=0
wine "$cli" import --data-folder "$data" --open taken.fods --save \
    "$(win "$src/examples/szamlak.xml")" > taken.log 2> taken.err || status=$?
if [ "$status" -eq 1 ] && grep -q 'A fájlt más is megnyitotta (~\$taken.fods)' taken.err &&
    cmp -s taken.fods import-munkafuzet.fods; then
    pass "import --save: a workbook someone else has open is refused and left as it was"
else
    fail "import --save of a workbook someone else has open: status $status"; cat taken.err
fi
unset KORVEX_DOUBLE_REPORT
wine "$double" unregister

[ "$failures" -eq 0 ] || { echo "cli-windows: $failures failure(s)"; exit 1; }
echo "cli-windows: every check passed"
