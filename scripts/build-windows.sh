#!/usr/bin/env bash
# Cross-builds Verdanix for 64-bit Windows on Debian and makes a folder and a zip that run on a
# Windows machine with nothing else installed (build-windows/verdanix-<version>-windows-x64/ and
# its .zip). Qt is built from Debian's source package of exactly the host Qt's version (the cross
# build runs the host's moc, rcc and lrelease) with Debian's security patches; SQLite, giflib,
# libjpeg and zlib from Debian's source packages too. Both are built once into a cache folder
# outside the build tree ($VERDANIX_WINDOWS_CACHE, /var/cache/verdanix-windows by default), keyed
# on Qt's version, the compiler's and the configure line, and taken from there by later runs.
# Each step says how long it took.
set -euo pipefail
source "$(dirname "$0")/common.sh"
PACKAGES+=(dpkg-dev ninja-build g++-mingw-w64-x86-64-posix tcl zip)
ensure_packages

CACHE="${VERDANIX_WINDOWS_CACHE:-/var/cache/verdanix-windows}"
WINBUILD="${VERDANIX_WINDOWS_BUILD_DIR:-$ROOT/build-windows}"
HOST_QT_CMAKE=/usr/lib/x86_64-linux-gnu/cmake
MINGW=x86_64-w64-mingw32
QT_OPTIONS=(-release -shared -qt-host-path /usr -nomake tests -nomake examples -no-opengl -no-dbus -no-icu
    -no-openssl -no-fontconfig -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre
    -qt-doubleconversion -no-feature-sql -no-feature-testlib -no-feature-printsupport -no-feature-concurrent
    -no-feature-xml -no-feature-vulkan -no-feature-tabletevent -no-feature-direct2d -no-feature-directwrite3)
# The debian/patches of qtbase that are applied: the security fixes (the others are Debian's own).
QT_PATCHES='^cve-'

step_started=$SECONDS
step() {
    echo "$1 ($((SECONDS - step_started)) s)"
    step_started=$SECONDS
}

# Debian's source packages: a deb-src entry for each archive the machine installs from (the
# security archive aside, whose sources are not always served).
enable_sources() {
    local list=/etc/apt/sources.list.d/verdanix-sources.sources
    [ -f "$list" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" } /URIs:/ && !/security/ { sub(/Types: deb/, "Types: deb-src"); print }' \
            /etc/apt/sources.list.d/debian.sources | $sudo tee "$list" >/dev/null
    else
        list=/etc/apt/sources.list.d/verdanix-sources.list
        [ -f "$list" ] && return 0
        sed -n '/security/d; s/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee "$list" >/dev/null
    fi
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
}

# fetch PACKAGE [VERSION]: the source package's files in the current folder (that version where
# it is served, else the newest).
fetch() {
    if [ -n "${2:-}" ] && apt-get source --download-only "$1=$2" >/dev/null 2>&1; then
        return 0
    fi
    apt-get source --download-only "$1" >/dev/null 2>&1
}

installed_version() { dpkg-query -W -f='${Version}' "$1"; }

toolchain_shared() {
    cat >"$1" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $MINGW-gcc-posix)
set(CMAKE_CXX_COMPILER $MINGW-g++-posix)
set(CMAKE_RC_COMPILER $MINGW-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$MINGW)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

qt_version="$(installed_version qt6-base-dev)"
compiler="$($MINGW-g++-posix -dumpfullversion)"
key="$(printf '%s\n' "$qt_version" "$compiler" "${QT_OPTIONS[*]}" "$QT_PATCHES" | sha256sum | cut -c1-12)"
QT_PREFIX="$CACHE/qt-${qt_version%%+*}-$key"
DEPS_PREFIX="$CACHE/libs-$key"

build_qt() {
    [ -f "$QT_PREFIX/.complete" ] && return 0
    local work
    work="$(mktemp -d "$CACHE/qt-build.XXXXXX")"
    (
        cd "$work"
        fetch qt6-base "$qt_version"
        tar -xJf qt6-base_*.orig.tar.xz
        mkdir debian-files && tar -xJf qt6-base_*.debian.tar.xz -C debian-files
        cd qtbase-everywhere-src-*
        for patch in $(grep -E "$QT_PATCHES" ../debian-files/debian/patches/series); do
            patch -p1 --forward --quiet <"../debian-files/debian/patches/$patch"
        done
        # Qt's own license texts go with the programs.
        mkdir -p "$QT_PREFIX" && cp -r LICENSES "$QT_PREFIX/"
        toolchain_shared "$work/mingw-shared.cmake"
        mkdir ../build && cd ../build
        ../qtbase-everywhere-src-*/configure -prefix "$QT_PREFIX" "${QT_OPTIONS[@]}" -- -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$work/mingw-shared.cmake" -DQT_HOST_PATH_CMAKE_DIR="$HOST_QT_CMAKE" \
            >configure.log 2>&1 || { tail -n 40 configure.log; exit 1; }
        cmake --build . --parallel "$(nproc)" >build.log 2>&1 || { tail -n 40 build.log; exit 1; }
        cmake --install . >/dev/null
    )
    rm -rf "$work"
    touch "$QT_PREFIX/.complete"
}

# SQLite (its amalgamation made on this machine), giflib, libjpeg and zlib as static libraries.
build_libs() {
    [ -f "$DEPS_PREFIX/.complete" ] && return 0
    local work cc="$MINGW-gcc-posix" ar="$MINGW-ar"
    work="$(mktemp -d "$CACHE/libs-build.XXXXXX")"
    mkdir -p "$DEPS_PREFIX/include" "$DEPS_PREFIX/lib" "$DEPS_PREFIX/licenses"
    (
        cd "$work"
        fetch zlib "$(installed_version zlib1g-dev)"
        fetch giflib "$(installed_version libgif-dev)"
        fetch libjpeg-turbo "$(installed_version libjpeg62-turbo-dev)"
        fetch sqlite3 "$(installed_version libsqlite3-dev)"

        # Unpacked with Debian's patches (giflib's declare GifQuantizeBuffer, which the store uses).
        for package in zlib giflib libjpeg-turbo sqlite3; do
            dpkg-source --no-check -x "$package"_*.dsc "$package" >/dev/null 2>&1
        done
        (cd zlib && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
            inflate inftrees trees uncompr zutil; do $cc -O2 -c $c.c; done && $ar rcs "$DEPS_PREFIX/lib/libz.a" ./*.o &&
            cp zlib.h zconf.h "$DEPS_PREFIX/include/" && sed -n '/Copyright (C)/,/madler@alumni/p' zlib.h \
            >"$DEPS_PREFIX/licenses/zlib.txt")

        (cd giflib && for c in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
            $cc -O2 -c $c.c; done && $ar rcs "$DEPS_PREFIX/lib/libgif.a" ./*.o &&
            cp gif_lib.h "$DEPS_PREFIX/include/" && cp COPYING "$DEPS_PREFIX/licenses/giflib.txt")

        toolchain_shared "$work/mingw.cmake"
        cmake -S libjpeg-turbo -B jpeg-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
            -DCMAKE_INSTALL_PREFIX="$DEPS_PREFIX" >/dev/null
        cmake --build jpeg-build --parallel "$(nproc)" >/dev/null
        cmake --install jpeg-build >/dev/null
        cp libjpeg-turbo/LICENSE.md "$DEPS_PREFIX/licenses/libjpeg-turbo.md"

        (cd sqlite3 && ./configure >/dev/null && make sqlite3.c >/dev/null &&
            $cc -O2 -DSQLITE_THREADSAFE=1 -c sqlite3.c && $ar rcs "$DEPS_PREFIX/lib/libsqlite3.a" sqlite3.o &&
            cp sqlite3.h "$DEPS_PREFIX/include/" &&
            echo "SQLite is in the public domain: https://www.sqlite.org/copyright.html" >"$DEPS_PREFIX/licenses/sqlite.txt")
    )
    rm -rf "$work"
    touch "$DEPS_PREFIX/.complete"
}

mkdir -p "$CACHE"
enable_sources
build_qt
step "Qt for Windows: $QT_PREFIX"
build_libs
step "SQLite, giflib, libjpeg, zlib for Windows: $DEPS_PREFIX"

# The Linux build draws the icon; the .exe files carry it.
quiet_build "$BUILD"
mkdir -p "$WINBUILD"
icons=()
for size in 16 32 48 256; do icons+=("$BUILD/icons/${size}x${size}/apps/verdanix.png"); done
convert "${icons[@]}" "$WINBUILD/verdanix.ico"

export VERDANIX_WINDOWS_PREFIXES="$QT_PREFIX;$DEPS_PREFIX"
cmake -S "$ROOT" -B "$WINBUILD/programs" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-qt.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$HOST_QT_CMAKE" \
    -DVERDANIX_BUILD_TESTS=OFF -DVERDANIX_BUILD_BENCH=OFF -DVERDANIX_WINDOWS_ICON="$WINBUILD/verdanix.ico" >/dev/null
cmake --build "$WINBUILD/programs" --parallel "$(nproc)" --target verdanix verdanix-export nsftool
step "verdanix.exe, verdanix-export.exe, nsftool.exe"

# The folder: the programs, Qt's DLLs and plugins, the compiler's runtime, Qt's Chinese texts,
# the README and the licences.
version="$(sed -n 's/^project(Verdanix VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
name="verdanix-$version-windows-x64"
out="$WINBUILD/$name"
rm -rf "$out" "$WINBUILD/$name.zip"
mkdir -p "$out/platforms" "$out/styles" "$out/imageformats" "$out/translations" "$out/licenses"
cp "$WINBUILD"/programs/bin/{verdanix,verdanix-export,nsftool}.exe "$out/"
for module in Core Gui Widgets Network; do cp "$QT_PREFIX/bin/Qt6$module.dll" "$out/"; done
cp "$QT_PREFIX/plugins/platforms/qwindows.dll" "$out/platforms/"
cp "$QT_PREFIX"/plugins/styles/*.dll "$out/styles/" 2>/dev/null || true
cp "$QT_PREFIX"/plugins/imageformats/*.dll "$out/imageformats/" 2>/dev/null || true
gcc_dir="$(dirname "$($MINGW-g++-posix -print-libgcc-file-name)")"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do cp "$gcc_dir/$dll" "$out/"; done
cp "/usr/$MINGW/lib/libwinpthread-1.dll" "$out/"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$out/translations/" 2>/dev/null || true
cp "$ROOT/packaging/README-Windows.txt" "$out/README.txt"
cp -r "$QT_PREFIX/LICENSES" "$out/licenses/Qt"
cp "$DEPS_PREFIX"/licenses/* "$out/licenses/"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$out/licenses/mingw-w64-runtime.txt" 2>/dev/null || true
"$MINGW-strip" --strip-unneeded "$out"/*.exe "$out"/*.dll "$out"/*/*.dll
(cd "$WINBUILD" && zip -qr "$name.zip" "$name")
step "$out ($(du -sh "$out" | cut -f1)), $WINBUILD/$name.zip ($(du -sh "$WINBUILD/$name.zip" | cut -f1))"
