"""Converts the workbooks written by xls_make_workbooks to CSV with LibreOffice (headless, private
profile) and compares the text of every cell with the manifest. Exits 77 (skipped) when soffice
is not installed. Run by hand or in CI:

    /usr/bin/python3 check_libreoffice.py <xls_make_workbooks program> <output folder>
"""
import csv
import json
import os
import shutil
import subprocess
import sys

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
        row[c] = text
    return table


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
        if not entry["csv"]:
            continue
        name = entry["file"]
        # 44,34,76: comma separator, double quotes, UTF-8.
        result = subprocess.run(
            [soffice, f"-env:UserInstallation=file://{folder}/lo-profile", "--headless", "--convert-to",
             "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir", out, os.path.join(folder, name)],
            capture_output=True, text=True, timeout=300)
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

    for line in failures:
        print("FAIL", line)
    print(f"{sum(1 for e in manifest['workbooks'] if e['csv'])} workbooks through LibreOffice, "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
