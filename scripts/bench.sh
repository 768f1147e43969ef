#!/usr/bin/env bash
# Builds and runs every benchmark (bench/), printing one figure per line.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_packages
quiet_build "$BUILD"
export QT_QPA_PLATFORM=offscreen BENCHMARK_COLOR=false
for b in "$BUILD"/bench/*/*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    # Google Benchmark's own table goes to stderr; the figures are the program's own lines.
    "$b" 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g' |
        grep -v -E '^(BM_|-{10}|Benchmark |Run on|CPU Caches|  L[0-9]|Load Average|\*\*\*|$)' || true
done
