#!/usr/bin/env bash
# Starts Verdanix under Xvfb on the demo installation and saves a screenshot.
#   scripts/screenshot.sh [out.png] [what] [zh|en]
# what: main (the main window after start-up, the default), dialog (the connect dialog open),
# connected (logged on as the dialog comes filled in, the whole tree open), failed (a log-on with
# a wrong password: the message over the progress window), views (a database's views as icons),
# page and last (a view's first and last page), selected (a row of that page selected), detail
# (a document's detail window), export (the message after exporting that view), missing (an
# export whose attachments cannot be saved), locked (opening a file another program holds),
# progress (the progress window over the main window), blocking (the same while the
# user-interface thread is busy, as during a slow log-on), nsffile (a Domino database file beside
# the project, ../shared/data/nsf/sample.nsf, opened with "打开文件": the message on what could not
# be read), nsfview (its first view listed), nsfdetail (a person document's detail window),
# detailwide (the detail window with its name column widened by dragging its line), savedialog
# (the export's save dialog open), nsfattachment (../shared/data/nsf/apiug.nsf opened, the detail
# window of its document with an attachment). zh or en: the interface language (Chinese, the
# default), set in system.ini for the screenshot and put back as it was afterwards.
# With VERDANIX_WINDOWS_APP=<folder of the Windows build> the Windows program is started instead,
# under Wine (in the WINEPREFIX given, where that build's demo installation is registered, and with
# its system.ini beside the .exe).
set -euo pipefail
source "$(dirname "$0")/common.sh"
out="${1:-$ROOT/screenshot.png}"
what="${2:-main}"
language="${3:-zh}"
# The window's title carries the project's version.
version=$(sed -n 's/^project(Verdanix VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
ensure_packages
windows_app="${VERDANIX_WINDOWS_APP:-}"
if [ -n "$windows_app" ]; then
    program=(wine "$windows_app/verdanix.exe")
    ini="$windows_app/system.ini"
else
    echo "Building in $BUILD ..."
    quiet_build "$BUILD"
    make_demo
    program=("$BUILD/bin/verdanix")
    ini="$BUILD/bin/system.ini"
fi
# The language for this screenshot only: system.ini is put back as it was at the end.
saved_ini=$(mktemp)
cp "$ini" "$saved_ini"
awk '/^\[/{skip = ($0 == "[interface]")} !skip' "$saved_ini" >"$ini"
printf '[interface]\nlanguage=%s\n' "$language" >>"$ini"
detail_title="文档详细资料"
[ "$language" = en ] && detail_title="Document Details"
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill ${app:-} ${wm:-} $xvfb 2>/dev/null || true; [ -n "$windows_app" ] && wineserver -k 2>/dev/null
      cp "$saved_ini" "$ini"; rm -f "$saved_ini"' EXIT
sleep 1
export DISPLAY="$display"
# A window manager gives the windows their title bars and lets the main window open maximised.
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
# Domino database files are read into a cache of their own for the screenshot.
case "$what" in nsf*)
    XDG_CONFIG_HOME="$(mktemp -d)" XDG_CACHE_HOME="$(mktemp -d)"
    export XDG_CONFIG_HOME XDG_CACHE_HOME
    ;;
esac
if [ "$what" = progress ] || [ "$what" = blocking ]; then
    "$BUILD/bin/uishot" "$what" &
else
    "${program[@]}" &
fi
app=$!
# The main window, up to half a minute (Wine starts its services first).
for _ in $(seq 30); do
    xdotool search --onlyvisible --name "^VerdanixV$version\$" >/dev/null 2>&1 && break
    sleep 1
done
sleep 3
browse=""
# The tree lists a folder's entries as the file system enumerates them: here the contacts database
# comes first; Windows (and Wine) enumerate by name, which puts it last of the opened tree. Wine
# draws the list's rows taller, so its first row is lower.
contacts_y=89 view_y=102 row_y=96
[ -n "$windows_app" ] && contacts_y=227 view_y=242 row_y=106
case "$what" in views | page | selected | last | detail | detailwide | export | missing | savedialog) browse=1 ;; esac
if [ "$what" = connected ] || [ "$what" = failed ] || [ "$what" = dialog ] || [ -n "$browse" ]; then
    # The toolbar's first button, then Tab to the confirm button of the connect dialog.
    win=$(xdotool search --onlyvisible --name "^VerdanixV$version\$" | tail -n 1)
    xdotool mousemove --window "$win" 40 45 click 1
    sleep 1.5
    if [ "$what" = dialog ]; then
        :
    elif [ "$what" = failed ]; then
        xdotool key Tab Tab ctrl+a
        xdotool type wrong
        xdotool key Tab space
    else
        xdotool key Tab Tab Tab space
    fi
    sleep 2
fi
if [ "$what" = connected ] || [ -n "$browse" ]; then
    # Select the server node and expand the whole tree.
    xdotool mousemove --window "$win" 80 76 click 1
    sleep 0.5
    xdotool key asterisk
    sleep 1
fi
if [ "$what" = missing ]; then
    # The document library (办公室\文档库.nsf), then its first view, 按类别.
    xdotool mousemove --window "$win" 88 168 click 1
    sleep 1
    xdotool mousemove --window "$win" 105 181 click 1
    sleep 2
elif [ -n "$browse" ]; then
    # The contacts database (the tree's first database), then its first view.
    xdotool mousemove --window "$win" 70 "$contacts_y" click 1
    sleep 1
fi
if [ "$what" = page ] || [ "$what" = selected ] || [ "$what" = last ] || [ "$what" = detail ] ||
    [ "$what" = detailwide ] || [ "$what" = export ] || [ "$what" = savedialog ]; then
    xdotool mousemove --window "$win" 90 "$view_y" click 1
    sleep 2
fi
if [ "$what" = selected ]; then
    xdotool mousemove --window "$win" 330 "$row_y" click 1 # the first row, then one down with the keyboard
    sleep 0.5
    xdotool key Down
    sleep 1
fi
if [ "$what" = last ]; then
    xdotool mousemove --window "$win" 513 45 click 1 # the toolbar's "尾页"
    sleep 2
fi
if [ "$what" = detail ] || [ "$what" = detailwide ]; then
    xdotool mousemove --window "$win" 330 "$row_y" click 1 click 1
    sleep 2
fi
if [ "$what" = detailwide ]; then
    # The line after the name column (the grid starts at 56,16; the column is 64 wide), dragged.
    detail=$(xdotool search --onlyvisible --name "^$detail_title\$" | tail -n 1)
    xdotool mousemove --window "$detail" 120 52 mousedown 1
    sleep 0.3
    xdotool mousemove --window "$detail" 170 52
    sleep 0.3
    xdotool mousemove --window "$detail" 220 52 mouseup 1
    sleep 1
fi
if [ "$what" = savedialog ]; then
    xdotool mousemove --window "$win" 173 45 click 1 # the toolbar's "导出数据"
    sleep 2
fi
if [ "$what" = export ] || [ "$what" = missing ]; then
    target="$BUILD/export/contacts.xls"
    rm -rf "$BUILD/export"
    mkdir -p "$BUILD/export"
    # A plain file where the attachment folder must go: no attachment can be saved.
    [ "$what" = missing ] && target="$BUILD/export/library.xls" && touch "$BUILD/export/按类别附件"
    xdotool mousemove --window "$win" 173 45 click 1 # the toolbar's "导出数据"
    sleep 2
    # Windows' save dialog takes a Windows path; Wine's drive Z: is the root folder.
    [ -n "$windows_app" ] && target=$(winepath -w "$target")
    xdotool type "$target"
    xdotool key Return
    sleep 8
fi
# Opens a database file through the toolbar's "打开文件" and its file dialog (win: the window).
open_file() {
    win=$(xdotool search --onlyvisible --name "^VerdanixV$version\$" | tail -n 1)
    xdotool mousemove --window "$win" 105 45 click 1
    sleep 2
    xdotool type "$1"
    xdotool key Return
}
if [ "$what" = locked ]; then
    file="$ROOT/demo/data/names.nsf"
    flock -s "$file" sleep 30 &
    holder=$!
    open_file "$file"
    sleep 2
    kill $holder 2>/dev/null || true
fi
case "$what" in nsf*)
    nsf_file="$ROOT/../shared/data/nsf/sample.nsf"
    [ "$what" = nsfattachment ] && nsf_file="$ROOT/../shared/data/nsf/apiug.nsf"
    open_file "$nsf_file"
    sleep 4
    if [ "$what" != nsffile ]; then
        xdotool key Return # the message on what could not be read
        sleep 1
        xdotool mousemove --window "$win" 80 76 click 1 # the file's node, opened
        sleep 0.5
        xdotool key asterisk
        sleep 1
        xdotool mousemove --window "$win" 90 89 click 1 # its first view
        sleep 2
    fi
    if [ "$what" = nsfdetail ]; then
        xdotool mousemove --window "$win" 330 "$row_y" click 1 click 1
        sleep 2
    fi
    if [ "$what" = nsfattachment ]; then
        # The 87th row of its first view holds the document with outline_template.c.
        xdotool mousemove --window "$win" 330 "$row_y" click 1
        for _ in $(seq 86); do xdotool key Down; done
        sleep 0.5
        xdotool mousemove --window "$win" 241 45 click 1 # the toolbar's "文档详情"
        sleep 2
    fi
    ;;
esac
DISPLAY="$display" import -window root "$out"
echo "saved $out"
