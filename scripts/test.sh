#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. With --sanitize the build and the tests
# use AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/); with --threads the tests of
# the code that runs threads of its own (the worker they all run on, the workbook's cell pipe and deflating thread, the export's
# file queue, the import's writing thread, the store's reading ahead, the tree's folder walk) are
# built with ThreadSanitizer and run (in build-tsan/).
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_packages
dir="$BUILD"
extra=()
if [ "${1:-}" = "--sanitize" ]; then
    dir="$ROOT/build-asan"
    extra=(-DVERDANIX_SANITIZE=ON -DVERDANIX_BUILD_BENCH=OFF)
fi
if [ "${1:-}" = "--threads" ]; then
    dir="$ROOT/build-tsan"
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERDANIX_THREAD_SANITIZE=ON \
        -DVERDANIX_BUILD_BENCH=OFF >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target test_interfaces xls_tests test_export import_tests test_browse \
        store_tests
    export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1}"
    # One process per test: a mutex of the standard library is made without a call the sanitizer
    # sees, so one that takes the stack place of an earlier test's would be mistaken for it.
    run_each() {
        local binary="$1" filter="$2" test
        for test in $("$binary" --gtest_list_tests --gtest_filter="$filter" | awk '/^[^ ]/ {s=$1} /^  / {print s $1}'); do
            QT_QPA_PLATFORM=offscreen "$binary" --gtest_filter="$test" --gtest_brief=1
        done
    }
    run_each "$dir/tests/interfaces/test_interfaces" 'Worker.*'
    run_each "$dir/tests/xls/xls_tests" 'XlsAutomation*:XlsxZip.*:XlsWorkbook.*'
    run_each "$dir/tests/import/import_tests" 'DxlImportTest.*'
    run_each "$dir/tests/browse/test_browse" 'AddFolderNodes.*'
    run_each "$dir/tests/store/store_tests" 'ViewTest.*'
    run_each "$dir/tests/export/test_export" 'FileQueue.*:Export.Many*:Export.Files*:Export.AnAttachment*'
    exit 0
fi
configure_and_build "$dir" "${extra[@]}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600
