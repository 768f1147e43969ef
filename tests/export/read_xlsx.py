#!/usr/bin/python3
"""Prints an .xlsx workbook as JSON, as an independent reader (openpyxl) sees it: per sheet its
name, its cell texts by row, the column widths and the cells whose number format is "@"."""
import json
import re
import sys

import openpyxl


def unescape(text):
    """The format's escape of characters XML cannot hold, _xHHHH_, undone as a spreadsheet program
    reads it (this version of openpyxl leaves it)."""
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), text)


book = openpyxl.load_workbook(sys.argv[1])
sheets = []
for sheet in book.worksheets:
    rows = [["" if c.value is None else unescape(str(c.value)) for c in row] for row in sheet.iter_rows()]
    widths = {k: v.width for k, v in sheet.column_dimensions.items() if v.customWidth}
    text = [[c.row - 1, c.column - 1] for row in sheet.iter_rows() for c in row if c.number_format == "@"]
    sheets.append({"name": sheet.title, "rows": rows, "widths": widths, "text": text})
json.dump(sheets, sys.stdout, ensure_ascii=False)
