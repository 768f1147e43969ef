#!/usr/bin/env bash
# Runs the Windows build (scripts/build-windows.sh) under Wine, unpacked from its zip into a new
# Wine prefix with nothing else in it, and holds it against the Linux build:
# - verdanix-export.exe --help;
# - nsftool.exe read of real .nsf files beside the project: the same JSON as the Linux build's;
# - verdanix-export.exe exporting every view of a real .nsf (apiug.nsf, with its attachment) and
#   a view of the demo installation: the same files, the attachments byte for byte and the
#   workbooks' cells equal (read back with xlrd);
# - verdanix-export.exe reading a .nsf file with nothing installed (the program's own installation);
# - the window on the demo installation, under Xvfb: screenshots of a view listed, a document's
#   details and an export's end (scripts/screenshot.sh with VERDANIX_WINDOWS_APP), which need a
#   CJK font registered for Wine.
# Builds the Windows programs first when their zip is not there.
set -euo pipefail
source "$(dirname "$0")/common.sh"
PACKAGES+=(wine64 wine unzip fonts-wqy-microhei locales)
ensure_packages
WINBUILD="${VERDANIX_WINDOWS_BUILD_DIR:-$ROOT/build-windows}"
version="$(sed -n 's/^project(Verdanix VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
name="verdanix-$version-windows-x64"
[ -f "$WINBUILD/$name.zip" ] || "$ROOT/scripts/build-windows.sh"
quiet_build "$BUILD"

work="$WINBUILD/wine-test"
rm -rf "$work"
mkdir -p "$work"
source "$ROOT/scripts/wine-prefix.sh"
wine_prefix "$work/prefix"
unzip -q "$WINBUILD/$name.zip" -d "$work"
app="$work/$name"
samples="$ROOT/../shared/data/nsf"
failed=0
check() {
    if "$@"; then echo "ok: ${label}"; else echo "FAILED: ${label}"; failed=1; fi
}

label="verdanix-export.exe --help"
check bash -c "wine '$app/verdanix-export.exe' --help 2>&1 | grep -q -- --program-dir"

# With nothing installed, a database file is read on the program's own installation.
if [ -f "$samples/knowndt.nsf" ]; then
    wine "$app/verdanix-export.exe" --file "$(winepath -w "$samples/knowndt.nsf")" --all-views --quiet \
        --output "$(winepath -w "$work/own")" >/dev/null 2>&1 || true
    label="verdanix-export.exe --file knowndt.nsf with nothing installed: its own installation"
    check test -f "$work/own/All.xls" -a -f "$app/own-installation/program/notes.ini"
fi

# The demo installation as the Windows build makes it (Windows paths in notes.ini and the
# registry), registered in Wine's registry as on Windows.
wine "$app/nsftool.exe" demo "$(winepath -w "$work/demo")" "$(winepath -w "$app")" >/dev/null
wine regedit /S "$(winepath -w "$app/registry.reg")"
"$BUILD/bin/nsftool" demo "$work/demo-linux" "$work/linux-bin" >/dev/null

same_json() { /usr/bin/python3 -c 'import json,sys; sys.exit(json.load(open(sys.argv[1])) != json.load(open(sys.argv[2])))' "$1" "$2"; }
if [ -d "$samples" ]; then
    for file in apiug.nsf knowndt.nsf sample.nsf; do
        wine "$app/nsftool.exe" --language en read "$(winepath -w "$samples/$file")" >"$work/$file.windows.json" 2>/dev/null
        "$BUILD/bin/nsftool" --language en read "$samples/$file" >"$work/$file.linux.json"
        label="nsftool.exe read $file: the same as the Linux build's"
        check same_json "$work/$file.windows.json" "$work/$file.linux.json"
    done
fi

# compare_exports LINUX_FOLDER WINDOWS_FOLDER: the same files, attachments byte for byte,
# workbooks cell for cell.
compare_exports() {
    /usr/bin/python3 - "$1" "$2" <<'EOF'
import filecmp, os, sys, xlrd
a, b = sys.argv[1], sys.argv[2]
def files(root):
    return sorted(os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs)
fa, fb = files(a), files(b)
if fa != fb:
    sys.exit('files differ: %s / %s' % (sorted(set(fa) - set(fb))[:5], sorted(set(fb) - set(fa))[:5]))
for f in fa:
    pa, pb = os.path.join(a, f), os.path.join(b, f)
    if f.endswith('.xls'):
        wa, wb = xlrd.open_workbook(pa), xlrd.open_workbook(pb)
        cells = lambda w: [[s.name] + [s.row_values(r) for r in range(s.nrows)] for s in w.sheets()]
        if cells(wa) != cells(wb):
            sys.exit('cells differ: ' + f)
    elif not filecmp.cmp(pa, pb, shallow=False):
        sys.exit('bytes differ: ' + f)
print('%d files' % len(fa))
EOF
}

if [ -f "$samples/apiug.nsf" ]; then
    XDG_CONFIG_HOME="$work/linux-config" "$BUILD/bin/verdanix-export" --program-dir "$work/demo-linux/program" \
        --file "$samples/apiug.nsf" --all-views --quiet --output "$work/apiug-linux" >/dev/null 2>&1 || true
    wine "$app/verdanix-export.exe" --program-dir "$(winepath -w "$work/demo/program")" \
        --file "$(winepath -w "$samples/apiug.nsf")" --all-views --quiet \
        --output "$(winepath -w "$work/apiug-windows")" >/dev/null 2>&1 || true
    label="verdanix-export.exe --file apiug.nsf --all-views: the same workbooks and attachments"
    check compare_exports "$work/apiug-linux" "$work/apiug-windows"
fi
"$BUILD/bin/verdanix-export" --program-dir "$work/demo-linux/program" --database 办公室/文档库.nsf --all-views \
    --quiet --output "$work/library-linux" >/dev/null 2>&1 || true
# Both from the Linux build's demo (its paths are Unix paths, which Wine's drive Z: serves).
wine "$app/verdanix-export.exe" --program-dir "$(winepath -w "$work/demo-linux/program")" --database 办公室/文档库.nsf \
    --all-views --quiet --output "$(winepath -w "$work/library-windows")" >/dev/null 2>&1 || true
label="verdanix-export.exe of the demo's document library: the same workbooks and attachments"
check compare_exports "$work/library-linux" "$work/library-windows"

wineserver -k >/dev/null 2>&1 || true
for what in page detail export; do
    label="the window under Wine ($what): $WINBUILD/windows-$what.png"
    check env VERDANIX_WINDOWS_APP="$app" WINEPREFIX="$WINEPREFIX" "$ROOT/scripts/screenshot.sh" \
        "$WINBUILD/windows-$what.png" "$what"
done
exit $failed
