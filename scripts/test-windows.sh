#!/usr/bin/env bash
# Cross-builds the Windows back ends and their tests with mingw-w64 (in build-win32/, or
# $VERDANIX_WIN32_BUILD_DIR) and runs the tests under Wine, in a Wine prefix inside that build
# folder. Installs the cross compiler and Wine when they are missing. Extra arguments go to ctest.
set -euo pipefail

source "$(dirname "$0")/common.sh"
BUILD="${VERDANIX_WIN32_BUILD_DIR:-$ROOT/build-win32}"
# Only the cross compiler, Wine and the test framework: the Windows back ends need no Qt.
PACKAGES=(cmake googletest g++-mingw-w64-x86-64-posix wine64 wine)
ensure_packages

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$ROOT/tests/win32" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

# Wine, headless and quiet, with a prefix of its own.
export WINEPREFIX="$BUILD/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the Wine prefix $WINEPREFIX"
    wine wineboot --init </dev/null >/dev/null 2>&1
    wineserver -w
fi
# Wine's background processes keep the standard streams of the program that starts them: start
# the server and its services here, away from ctest's pipes, so that ctest does not wait on them.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 120 "$@"
