#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each for a while (default 30
# seconds; scripts/fuzz.sh 600 for ten minutes each). Fails on any crash, sanitizer report, leak
# or broken invariant; a failing input is left in build-fuzz/ (crash-*, leak-*, timeout-*) and
# belongs, once fixed, in fuzz/regressions/<target>/.
set -euo pipefail
source "$(dirname "$0")/common.sh"
PACKAGES+=(clang-14 libclang-rt-14-dev)
ensure_packages
seconds="${1:-30}"
dir="$ROOT/build-fuzz"
echo "Building the fuzz targets in $dir ..."
log="$(mktemp)"
if ! { cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
        -DCMAKE_CXX_COMPILER=clang++-14 -DVERDANIX_FUZZ=ON -DVERDANIX_BUILD_TESTS=OFF -DVERDANIX_BUILD_BENCH=OFF &&
       cmake --build "$dir" -j"$(nproc)" --target nsftool fuzz_targets; } >"$log" 2>&1; then
    cat "$log"
    exit 1
fi
rm -f "$log"

# The store targets start from a database nsftool makes.
mkdir -p "$dir/seeds/store_file"
"$dir/bin/nsftool" create "$dir/seeds/store_file/small.nsf" "$ROOT/fuzz/corpus/description/small.json" >/dev/null

# The reader of Domino database files starts from the real ones beside the project, where they are.
mkdir -p "$dir/seeds/nsf_file"
cp "$ROOT"/../shared/data/nsf/*.nsf "$dir/seeds/nsf_file/" 2>/dev/null || true

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for program in "$dir"/fuzz/fuzz_*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    target="${program##*/fuzz_}"
    work="$dir/corpus/$target"
    mkdir -p "$work"
    seeds=()
    for seed in "$ROOT/fuzz/corpus/$target" "$ROOT/fuzz/regressions/$target" "$dir/seeds/$target"; do
        [ -d "$seed" ] && seeds+=("$seed")
    done
    (cd "$dir" && QT_QPA_PLATFORM=offscreen "$program" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 \
        -print_final_stats=1 "$work" "${seeds[@]}" >"$dir/$target.log" 2>&1) || status=1
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/$target.log")
    cov=$(grep -o 'cov: [0-9]*' "$dir/$target.log" | tail -n 1 || true)
    if grep -q -E '^==[0-9]+==ERROR|invariant broken|deadly signal|Test unit written' "$dir/$target.log"; then
        status=1
        echo "$target: FAILED after ${runs:-?} runs ($dir/$target.log)"
        grep -E 'ERROR|invariant broken|Test unit written' "$dir/$target.log" | head -n 5
    else
        echo "$target: ${runs:-?} runs, ${cov:-cov: ?}"
    fi
done
exit $status
