#!/usr/bin/python3
"""Prints a workbook as JSON, as an independent reader (xlrd) sees it: per sheet its name, its
cell texts by row, the column widths (in 1/256 of a character) and the cells whose number format
is "@"."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheets = []
for sheet in book.sheets():
    rows = [[str(sheet.cell_value(r, c)) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
    widths = {str(c): info.width for c, info in sheet.colinfo_map.items()}
    text = []
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            xf = book.xf_list[sheet.cell_xf_index(r, c)]
            if book.format_map[xf.format_key].format_str == "@":
                text.append([r, c])
    sheets.append({"name": sheet.name, "rows": rows, "widths": widths, "text": text})
json.dump(sheets, sys.stdout, ensure_ascii=False)
