#!/usr/bin/env python3
"""The script side of bench/vs-script.sh: the same two jobs as korvex-cli on the same
files, with openpyxl and lxml, written for this benchmark's control files only.

    vs_script.py make FOLDER ROWS ELEMENTS   the workbooks, control files and data file
    vs_script.py export BOOK OUTPUT          the export workbook to its XML file
    vs_script.py import BOOK DATA OUTPUT     the data file into a copy of the workbook
    vs_script.py same-cells BOOK1 BOOK2      exit 0 when the "Data" sheets hold the same values
"""

import re
import sys

import openpyxl
from lxml import etree

COLUMNS = 8
DECLARATION = '<?xml version="1.0" encoding="utf-8"?>'

EXPORT_CONTROL = (
    "[MAIN]\r\nVERSION=1.00\r\nCOLS=A;B;C;D;E;F;G;H\r\n[MAPPING]\r\n"
    "A=EndItem(Row);BeginItem(Row);Attribute(id)\r\n"
    + "".join(f"{c}=BeginItem(C{c});Content;EndItem(C{c})\r\n" for c in "BCDEFGH")
    + "[FORMAT]\r\nRow=1\r\n"
)

IMPORT_CONTROL = """<?xml version="1.0" encoding="utf-8"?>
<Import>
  <DBItem ID="Record" Page="Data">
    <Attribute ID="id" Col="A"/>
    <Attribute ID="kind" Col="B"/>
    <SubItem ID="Name" Col="C" Echo=""/>
    <SubItem ID="City" Col="D"/>
    <SubItem ID="Amount" Col="E"/>
    <SubItem ID="Note" Col="F"/>
  </DBItem>
</Import>
"""


def make(folder, rows, elements):
    with open(f"{folder}/data/bench.ini", "w", newline="") as file:
        file.write(EXPORT_CONTROL)
    with open(f"{folder}/data/XMLToExcel.xml", "w", encoding="utf-8") as file:
        file.write(IMPORT_CONTROL)

    book = openpyxl.Workbook()
    start = book.active
    start.title = "Start"
    start["A1"], start["A2"], start["A3"] = "Data", "export.xml", 0
    data = book.create_sheet("Data")
    data["A1"], data["B1"] = "bench.ini", "1.00"
    for row in range(5, 5 + rows):
        for column in range(1, COLUMNS + 1):
            value = f"sor {row} oszlop {column}" if column % 2 else row * 10 + column
            data.cell(row=row, column=column, value=value)
    book.save(f"{folder}/export.xlsx")

    target = openpyxl.Workbook()
    target.active.title = "Start"
    target.create_sheet("Data")["A1"] = "Data"
    target.save(f"{folder}/import.xlsx")

    with open(f"{folder}/records.xml", "w", encoding="utf-8", newline="") as file:
        file.write(f"{DECLARATION}\t<Records>\r\n")
        for i in range(1, elements + 1):
            kind = "bérlő" if i % 2 else "vevő"
            file.write(f'\t<Record id="{i}" kind="{kind}">\t<Name>Ügyfél {i}</Name>\t<City>Győr</City>'
                       f"\t<Amount>{i * 7 % 1000}</Amount>\t<Note>árvíztűrő tükörfúrógép {i}</Note>\t</Record>\r\n")
        file.write("</Records>")


def cell_text(value):
    if value is None:
        return ""
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def export(book_path, output):
    book = openpyxl.load_workbook(book_path, read_only=True)
    start, data = book.worksheets[0], book.worksheets[1]
    root_name = cell_text(start["A1"].value)
    root = etree.Element(root_name)
    cursor = root
    empty_run = 0
    for values in data.iter_rows(min_row=5, max_col=COLUMNS, values_only=True):
        texts = [cell_text(v) for v in values] + [""] * (COLUMNS - len(values))
        if not any(texts):
            empty_run += 1
            if empty_run == 10:
                break
            continue
        empty_run = 0
        if texts[0]:
            cursor = etree.SubElement(root, "Row", id=texts[0])
        for column in range(1, COLUMNS):
            if texts[column]:
                etree.SubElement(cursor, "C" + "ABCDEFGH"[column]).text = texts[column]
    text = DECLARATION + etree.tostring(root, encoding="unicode")
    text = re.sub(r"<Row(?=[ >])", "\n\t<Row", text)
    text = text.replace("\r\n", "\n").replace("\n", "\r\n").replace("><", ">\t<")
    with open(output, "wb") as file:
        file.write(text.encode("utf-8"))


def as_cell(text):
    """Text that reads back as the same number is stored as a number."""
    if re.fullmatch(r"-?[0-9]+", text) and str(int(text)) == text:
        return int(text)
    return text


def import_(book_path, data_path, output):
    book = openpyxl.load_workbook(book_path)
    sheet = book.worksheets[1]
    columns = {"Name": 3, "City": 4, "Amount": 5, "Note": 6}
    row = 6
    for element in etree.parse(data_path).getroot():
        if element.tag != "Record":
            continue
        for attribute, column in (("id", 1), ("kind", 2)):
            if attribute in element.attrib:
                sheet.cell(row=row, column=column, value=as_cell(element.attrib[attribute]))
        for child in element:
            column = columns.get(child.tag)
            if column and len(child) == 0 and child.text is not None:
                sheet.cell(row=row, column=column, value=as_cell(child.text))
        row += 2
    book.save(output)


def same_cells(first, second):
    def values(path):
        sheet = openpyxl.load_workbook(path, read_only=True)["Data"]
        rows = [[cell_text(v) for v in row] for row in sheet.iter_rows(values_only=True)]
        return [row[: max((i + 1 for i, v in enumerate(row) if v), default=0)] for row in rows]

    a, b = values(first), values(second)
    while a and not a[-1]:
        a.pop()
    while b and not b[-1]:
        b.pop()
    return a == b


def main(args):
    command = args[0] if args else ""
    if command == "make" and len(args) == 4:
        make(args[1], int(args[2]), int(args[3]))
    elif command == "export" and len(args) == 3:
        export(args[1], args[2])
    elif command == "import" and len(args) == 4:
        import_(args[1], args[2], args[3])
    elif command == "same-cells" and len(args) == 3:
        return 0 if same_cells(args[1], args[2]) else 1
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
