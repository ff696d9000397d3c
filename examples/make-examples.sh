#!/bin/sh
# Regenerates the example workbooks: peldak.xlsx (export, UTF-8 output),
# peldak-latin2.xlsx (export, ISO-8859-2 output), szamlak-munkafuzet.xlsx (export of
# invoices, one row per invoice line, into the shape of szamlak.xml) and
# import-munkafuzet.xlsx (import target).
# Each is written as flat OpenDocument text here and converted by LibreOffice.
# With --fods DIR only the flat OpenDocument files are written, into DIR (for tests on
# machines without LibreOffice).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
work=$tmp

# Cells of a row: s TEXT (text cell), n NUMBER (number cell), e (empty cell).
escape() { printf '%s' "$1" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g'; }
s() { printf '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' "$(escape "$1")"; }
n() { printf '<table:table-cell office:value-type="float" office:value="%s"><text:p>%s</text:p></table:table-cell>' "$1" "$1"; }
e() { printf '<table:table-cell/>'; }
row() { printf '<table:table-row>'; "$@"; printf '</table:table-row>\n'; }
cells() { for cell in "$@"; do eval "$cell"; done; }
sheet() { printf '<table:table table:name="%s">\n' "$1"; }
endsheet() { printf '</table:table>\n'; }
begin() {
    cat <<'HEAD'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
HEAD
}
end() { printf '</office:spreadsheet></office:body></office:document>\n'; }
empty_rows() { i=0; while [ "$i" -lt "$1" ]; do row e; i=$((i + 1)); done; }

export_workbook() {  # export_workbook ENCODING OUTPUT-NAME
    begin
    sheet "Útmutató"
    row cells "s Nyilvántartás" "s 'A gyökérelem neve'"
    row cells "s '$2'" "s 'A kimeneti fájl javasolt neve'"
    row cells "n $1" "s 'Kódolás: 0 = UTF-8, más = ISO-8859-2'"
    endsheet
    sheet "Személyek"
    row cells "s szemelyek.ini" "s 1.00"
    row cells "s 'Név'" "s 'Város'" "s 'Születési év'" "s 'Megjegyzés'"
    empty_rows 2
    row cells "s 'Kővári Győző'" "s 'Győr'" "n 1970"
    row cells "s 'Szűcs Ünige'" "s 'Debrecen'" "n 1985" "s 'új ügyfél & <törzsvásárló>'"
    row cells "s 'Őri Tünde'" "s 'Pécs'" "n 1992"
    endsheet
    sheet "Termékek"
    row cells "s termekek.ini" "s 1.00"
    row cells "s 'Megnevezés'" "s 'Egységár'" "s 'Egység'" "e" "s 'Lábléc'"
    empty_rows 2
    row cells "s 'Fűrészlap'" "n 1250.5" "s 'db'"
    row cells "s 'Csőbilincs'" "n 89" "s 'db'"
    row cells "s 'Hűtőfolyadék'" "n 2490" "s 'liter'"
    row cells "e" "e" "e" "e" "s 'Lábléc'"
    endsheet
    end
}

invoice_workbook() {  # the invoices of szamlak.xml as flat rows
    begin
    sheet "Útmutató"
    row cells "s Számlák" "s 'A gyökérelem neve'"
    row cells "s szamlak-export.xml" "s 'A kimeneti fájl javasolt neve'"
    row cells "n 0" "s 'Kódolás: 0 = UTF-8, más = ISO-8859-2'"
    endsheet
    sheet "Számlák"
    row cells "s szamlak.ini" "s 1.00"
    row cells "s 'Sorszám'" "s 'Vevő'" "s 'Termék'" "s 'Mennyiség'" "s 'Megjegyzés'" "s 'Számlák száma'"
    empty_rows 2
    row cells "n 1" "s 'Őrség Bútor Kft.'" "s 'Íróasztal'" "n 2"
    row cells "e" "e" "s 'Szék'" "n 3"
    row cells "e" "e" "e" "e" "s 'sürgős'"
    row cells "e" "e" "e" "e" "s 'fizetve'"
    row cells "n 2" "s 'Ünőkő Bt.'" "s 'Lámpa'" "n 1"
    row cells "e" "e" "e" "e" "e" "n 2"
    endsheet
    end
}

import_workbook() {
    begin
    sheet "Útmutató"
    row cells "s 'Az import a második munkalaptól tölt: A1 = lapnév, adatok a 6. sortól.'"
    endsheet
    sheet "Számlák"
    row cells "s 'Számlák'"
    row cells "s 'Sorszám'" "s 'Vevő'" "s 'Termék'" "s 'Mennyiség'" "s 'Megjegyzések'"
    endsheet
    end
}

convert() {  # convert NAME: $work/NAME.fods -> $here/NAME.xlsx
    soffice --headless --norestore --nologo --nolockcheck \
        "-env:UserInstallation=file://$work/profile" \
        --convert-to xlsx:"Calc MS Excel 2007 XML" --outdir "$work" "$work/$1.fods" >/dev/null 2>&1
    mv "$work/$1.xlsx" "$here/$1.xlsx"
}

if [ "${1:-}" = "--fods" ]; then
    work=$(cd "$2" && pwd)
fi
export_workbook 0 nyilvantartas.xml > "$work/peldak.fods"
export_workbook 1 nyilvantartas-latin2.xml > "$work/peldak-latin2.fods"
invoice_workbook > "$work/szamlak-munkafuzet.fods"
import_workbook > "$work/import-munkafuzet.fods"
[ "${1:-}" = "--fods" ] && exit 0
for name in peldak peldak-latin2 szamlak-munkafuzet import-munkafuzet; do
    convert "$name"
done
echo "examples written to $here"
