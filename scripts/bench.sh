#!/usr/bin/env bash
# Builds and runs every benchmark, one figure per line.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_packages
configure_and_build "$BUILD"
for b in "$BUILD"/bench/*/bench_*; do
    [ -x "$b" ] || continue
    "$b" --benchmark_format=console 2>/dev/null | grep -v -E '^(-|Benchmark|Run on|CPU|  L[0-9]|Load Average|\*\*\*)' || true
done
