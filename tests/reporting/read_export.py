#!/usr/bin/python3
# Reads an exported XLSX (openpyxl) or CSV (the csv module) and prints its cells as JSON:
# [[{"v": text, "t": openpyxl data type or "csv"}...]...]. A reader nobody here wrote.
import csv, json, sys

path = sys.argv[1]
rows = []
if path.endswith(".xlsx"):
    import openpyxl
    from openpyxl.utils.escape import unescape  # this openpyxl leaves _xHHHH_ in cell text as written
    book = openpyxl.load_workbook(path)
    for sheet in book.worksheets:
        for row in sheet.iter_rows():
            rows.append([{"v": "" if c.value is None else unescape(str(c.value)) if c.data_type == "s" else str(c.value),
                          "t": c.data_type} for c in row])
else:
    with open(path, newline="", encoding="utf-8-sig") as f:
        for row in csv.reader(f, delimiter=";"):
            rows.append([{"v": v, "t": "csv"} for v in row])
json.dump(rows, sys.stdout, ensure_ascii=False)
