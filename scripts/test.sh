#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. With --sanitize the build and the tests
# use AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/).
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_packages
dir="$BUILD"
extra=()
if [ "${1:-}" = "--sanitize" ]; then
    dir="$ROOT/build-asan"
    extra=(-DVERDANIX_SANITIZE=ON -DVERDANIX_BUILD_BENCH=OFF)
fi
configure_and_build "$dir" "${extra[@]}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600
