#!/bin/sh
# Fails when an include crosses a layer the wrong way. Layers, bottom to top:
#   common/            includes only common/
#   host/              common/ and host/ (no Qt; the workbook dialog excelsheetlist.* may use Qt)
#   export/ import/    common/, host/, export/, import/ (no Qt)
#   shell/             everything above; of library/ only what a host program may call
#                      (the window geometry services of library/listheader/listheader.h)
#   library/           stands apart: only library/
# Quoted includes name their folder from the repository root ("host/excelsheet.h");
# generated headers (ui_*.h, *.moc) are exempt.
set -eu
cd "$(dirname "$0")/.."

# The workbook selection dialog lives in host/ beside its unit but is a window.
dialog='^host/excelsheetlist\.(h|cpp)$'

# check FOLDER ALLOWED_PREFIXES QT_ALLOWED [FILTER]: FILTER "-v RE" skips, "RE" keeps
check() {
    folder=$1 allowed=$2 qt=$3 filter=${4:-.}
    for file in $(find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \) | sort | grep -E $filter); do
        grep -En '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
            sed -E 's/^([0-9]+):.*"([^"]*)".*/\1 \2/' |
            while read -r line name; do
                case $name in ui_*.h | *.moc) continue ;; esac
                ok=0
                for prefix in $allowed; do
                    case $name in "$prefix" | "$prefix"/*) ok=1 ;; esac
                done
                [ $ok = 1 ] || echo "$file:$line includes \"$name\" (allowed: $allowed)"
            done
        if [ "$qt" = no ]; then
            grep -En '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q[A-Za-z]' "$file" |
                sed "s|^|$file:|; s|\$| (no Qt here)|" || true
        fi
    done
}

report=$( {
    check common "common" no
    check host "common host" no "-v $dialog"
    check host "common host" yes "$dialog"
    check export "common host export import" no
    check import "common host export import" no
    check shell "common host export import shell library/listheader/listheader.h" yes
    check library "library" yes
} 2>&1 )

if [ -n "$report" ]; then
    echo "$report" | sed 's/^/check-layers: /' >&2
    exit 1
fi
echo "check-layers: every include stays in its layer"
