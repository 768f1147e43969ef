#!/usr/bin/env bash
# Builds the Debian package (build/verdanix_<version>_<arch>.deb) and checks it: its contents, the
# desktop entry, and verdanix-export --help and the export of a .nsf file with nothing else
# installed, run from a scratch installation of it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
PACKAGES+=(desktop-file-utils dpkg-dev file)
ensure_packages
echo "Building in $BUILD ..."
quiet_build "$BUILD"
(cd "$BUILD" && cpack -G DEB >/dev/null)
deb=$(ls -t "$BUILD"/verdanix_*.deb | head -n 1)
echo "package: $deb"

contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/verdanix ./usr/bin/verdanix-export ./usr/bin/nsftool \
    ./usr/share/applications/verdanix.desktop ./usr/share/icons/hicolor/48x48/apps/verdanix.png \
    ./usr/share/icons/hicolor/256x256/apps/verdanix.png; do
    grep -q " $path\$" <<<"$contents" || { echo "missing from the package: $path"; exit 1; }
done
dpkg-deb --field "$deb" Depends | grep -q libqt6 || { echo "the package names no Qt dependency"; exit 1; }
desktop-file-validate "$ROOT/packaging/verdanix.desktop"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
env -u DISPLAY -u QT_QPA_PLATFORM "$scratch/usr/bin/verdanix-export" --help | grep -q -- "--all-views"
env -u DISPLAY -u QT_QPA_PLATFORM "$scratch/usr/bin/verdanix-export" --version
# With nothing installed, a .nsf file is read on the program's own installation.
sample="$ROOT/../shared/data/nsf/knowndt.nsf"
if [ -f "$sample" ]; then
    env -u DISPLAY -u QT_QPA_PLATFORM HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
        XDG_CACHE_HOME="$scratch/cache" "$scratch/usr/bin/verdanix-export" --file "$sample" --all-views --quiet \
        --output "$scratch/out"
    [ -f "$scratch/out/All.xls" ] || { echo "the installed verdanix-export did not read $sample"; exit 1; }
fi
# The command line runs where no window library is installed.
if ldd "$scratch/usr/bin/verdanix-export" | grep -q -E 'libQt6(Widgets|Gui)'; then
    echo "verdanix-export links a window library"
    exit 1
fi
echo "package checked"
