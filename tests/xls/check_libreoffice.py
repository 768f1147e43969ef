"""Converts the workbooks written by xls_make_workbooks to CSV with LibreOffice (headless, private
profile) and compares the text of every cell with the manifest; converts basic.xls to .xlsx and
checks a column width and the "@" format there. Exits 77 (skipped) when soffice is not
installed. Run by hand or in CI:

    /usr/bin/python3 check_libreoffice.py <xls_make_workbooks program> <output folder>
"""
import csv
import json
import os
import re
import shutil
import subprocess
import sys
import zipfile

SKIPPED = 77


def expected_rows(entry):
    """The CSV LibreOffice should write: every row up to the last one with a value, each as long as
    its last value (LibreOffice pads rows to the widest; both are compared without trailing empties)."""
    cells = {(r, c): text for r, c, text in entry["cells"]}
    if not cells:
        return []
    rows = max(r for r, _ in cells) + 1
    table = [[] for _ in range(rows)]
    for (r, c), text in sorted(cells.items()):
        row = table[r]
        row.extend([""] * (c + 1 - len(row)))
        row[c] = as_csv_text(text)
    return table


def as_csv_text(text):
    """LibreOffice's CSV export writes NUL as '?' and line breaks as LF."""
    return text.replace("\0", "?").replace("\r\n", "\n")


def convert(soffice, folder, source, target_filter, out):
    result = subprocess.run(
        [soffice, f"-env:UserInstallation=file://{folder}/lo-profile", "--headless", "--convert-to",
         target_filter, "--outdir", out, source],
        capture_output=True, text=True, timeout=300)
    return result


def check_xlsx(soffice, folder, out, failures):
    """basic.xls as .xlsx: column A 40 characters wide, cell C1 formatted "@"."""
    result = convert(soffice, folder, os.path.join(folder, "basic.xls"), "xlsx", out)
    path = os.path.join(out, "basic.xlsx")
    if result.returncode != 0 or not os.path.exists(path):
        failures.append(f"basic.xls: xlsx conversion failed: {result.stdout} {result.stderr}")
        return
    with zipfile.ZipFile(path) as z:
        sheet = z.read("xl/worksheets/sheet1.xml").decode("utf-8")
        styles = z.read("xl/styles.xml").decode("utf-8")
    col = re.search(r'<col [^>]*min="1"[^>]*>', sheet)
    width = col and re.search(r'width="([0-9.]+)"', col.group(0))
    if not width or abs(float(width.group(1)) - 40.7) > 0.1:
        failures.append(f"basic.xlsx: column A is {col and col.group(0)}, expected width 40.7")
    formats = dict(re.findall(r'<numFmt numFmtId="(\d+)" formatCode="([^"]*)"', styles))
    xfs = re.findall(r'<xf [^>]*numFmtId="(\d+)"', styles.split("<cellXfs")[1])
    cell = re.search(r'<c r="C1"[^>]*s="(\d+)"', sheet)
    if not cell or formats.get(xfs[int(cell.group(1))]) != "@":
        failures.append(f"basic.xlsx: cell C1 is not formatted '@' ({cell and cell.group(0)}, {formats})")


def trimmed(row):
    while row and row[-1] == "":
        row = row[:-1]
    return row


def main():
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if soffice is None:
        print("skipped: soffice (libreoffice-calc) is not installed")
        return SKIPPED
    program, folder = sys.argv[1], os.path.abspath(sys.argv[2])
    subprocess.run([program, folder], check=True)
    with open(os.path.join(folder, "manifest.json"), encoding="ascii") as f:
        manifest = json.load(f)

    out = os.path.join(folder, "csv")
    os.makedirs(out, exist_ok=True)
    failures = []
    for entry in manifest["workbooks"]:
        name = entry["file"]
        # 44,34,76: comma separator, double quotes, UTF-8.
        result = convert(soffice, folder, os.path.join(folder, name), "csv:Text - txt - csv (StarCalc):44,34,76", out)
        path = os.path.join(out, os.path.splitext(name)[0] + ".csv")
        if result.returncode != 0 or not os.path.exists(path):
            failures.append(f"{name}: conversion failed: {result.stdout} {result.stderr}")
            continue
        with open(path, encoding="utf-8", newline="") as f:
            got = [trimmed(row) for row in csv.reader(f)]
        while got and not got[-1]:
            got.pop()
        want = [trimmed(row) for row in expected_rows(entry)]
        if len(got) != len(want):
            failures.append(f"{name}: {len(got)} rows, expected {len(want)}")
        for r, (g, w) in enumerate(zip(got, want)):
            if g != w:
                failures.append(f"{name}: row {r + 1} is {g!r}, expected {w!r}")

    check_xlsx(soffice, folder, out, failures)

    for line in failures:
        print("FAIL", line)
    print(f"{len(manifest['workbooks'])} workbooks through LibreOffice, "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
