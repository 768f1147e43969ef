"""Reads the workbooks written by xls_make_workbooks back with xlrd and compares them with the
manifest: values, cell types, widths, the "@" format, sheet size, and the bare compound files.

Usage: /usr/bin/python3 check_xlrd.py <xls_make_workbooks program> <output folder>
"""
import io
import json
import os
import subprocess
import sys

import xlrd
import xlrd.compdoc


def pattern(size):
    return bytes(((i * 7 + i // 251) & 0xFF) for i in range(size))


def check_container(folder, entry, failures):
    path = os.path.join(folder, entry["file"])
    log = io.StringIO()
    with open(path, "rb") as f:
        data = f.read()
    doc = xlrd.compdoc.CompDoc(data, logfile=log)
    stream = doc.get_named_stream("Workbook")
    size = entry["size"]
    if len(data) % 512 != 0:
        failures.append(f"{entry['file']}: file size {len(data)} is not whole sectors")
    if stream is None:
        failures.append(f"{entry['file']}: no Workbook stream")
        return
    if bytes(stream[:size]) != pattern(size):
        failures.append(f"{entry['file']}: stream content differs")
    if len(stream) != max(size, 4096):
        failures.append(f"{entry['file']}: stream length {len(stream)}, expected {max(size, 4096)}")
    if any(b != 0 for b in stream[size:]):
        failures.append(f"{entry['file']}: padding is not zero")
    if "WARNING" in log.getvalue() or "ERROR" in log.getvalue():
        failures.append(f"{entry['file']}: reader complained: {log.getvalue()[:500]}")


def check_workbook(folder, entry, failures):
    name = entry["file"]
    log = io.StringIO()
    book = xlrd.open_workbook(os.path.join(folder, name), formatting_info=True, logfile=log, verbosity=1)
    complaints = [line for line in log.getvalue().splitlines() if "WARNING" in line or "ERROR" in line]
    if complaints:
        failures.append(f"{name}: reader complained: {complaints[:5]}")
    if book.sheet_names() != ["Sheet1"]:
        failures.append(f"{name}: sheets {book.sheet_names()}")
    sheet = book.sheet_by_index(0)
    if (sheet.nrows, sheet.ncols) != (entry["rows"], entry["columns"]):
        failures.append(f"{name}: size {sheet.nrows}x{sheet.ncols}, expected {entry['rows']}x{entry['columns']}")
        return

    expected = {(r, c): text for r, c, text in entry["cells"]}
    for (r, c), text in expected.items():
        value = sheet.cell_value(r, c)
        kind = sheet.cell_type(r, c)
        if value != text or kind != xlrd.XL_CELL_TEXT:
            failures.append(f"{name}: cell ({r},{c}) is {kind}:{value[:40]!r}..., expected {text[:40]!r}... "
                            f"(lengths {len(value)} and {len(text)})")
    # No other cell holds a value.
    for r in range(sheet.nrows):
        for c, kind in enumerate(sheet.row_types(r)):
            if kind not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK) and (r, c) not in expected:
                failures.append(f"{name}: unexpected cell ({r},{c}) = {sheet.cell_value(r, c)!r}")

    for column, units in entry["widths"].items():
        info = sheet.colinfo_map.get(int(column))
        if info is None or info.width != units:
            failures.append(f"{name}: column {column} width {info and info.width}, expected {units}")

    def format_of(r, c):
        xf = book.xf_list[sheet.cell_xf_index(r, c)]
        return book.format_map[xf.format_key].format_str

    text_format = {tuple(rc) for rc in entry["text_format"]}
    for r, c in text_format:
        if format_of(r, c) != "@":
            failures.append(f"{name}: cell ({r},{c}) format {format_of(r, c)!r}, expected '@'")
    for r, c in expected:
        if (r, c) not in text_format and format_of(r, c) != "General":
            failures.append(f"{name}: cell ({r},{c}) format {format_of(r, c)!r}, expected 'General'")


def main():
    program, folder = sys.argv[1], sys.argv[2]
    subprocess.run([program, folder], check=True)
    with open(os.path.join(folder, "manifest.json"), encoding="ascii") as f:
        manifest = json.load(f)

    failures = []
    for entry in manifest["containers"]:
        check_container(folder, entry, failures)
    for entry in manifest["workbooks"]:
        check_workbook(folder, entry, failures)

    large = os.path.getsize(os.path.join(folder, "large.xls"))
    if large <= 7143936:
        failures.append(f"large.xls is only {large} bytes")
    for line in failures:
        print("FAIL", line)
    print(f"{len(manifest['workbooks'])} workbooks, {len(manifest['containers'])} containers, "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
