#!/usr/bin/env bash
# Builds the Debian package (build/verdanix_<version>_<arch>.deb) and checks it: its contents, the
# desktop entry, and verdanix-export --help run from a scratch installation of it.
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
# The command line runs where no window library is installed.
if ldd "$scratch/usr/bin/verdanix-export" | grep -q -E 'libQt6(Widgets|Gui)'; then
    echo "verdanix-export links a window library"
    exit 1
fi
echo "package checked"
