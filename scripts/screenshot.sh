#!/usr/bin/env bash
# Starts Verdanix under Xvfb on the demo installation and saves a screenshot.
#   scripts/screenshot.sh [out.png] [seconds to wait]
# Set VERDANIX_SCREENSHOT_ACTION to a command run (with DISPLAY set) before the shot, for
# example to press keys with xdotool.
set -euo pipefail
source "$(dirname "$0")/common.sh"
out="${1:-$ROOT/screenshot.png}"
wait="${2:-4}"
[ -x "$BUILD/bin/verdanix" ] || { ensure_packages; configure_and_build "$BUILD"; }
make_demo
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY="$display" "$BUILD/bin/verdanix" &
app=$!
sleep "$wait"
if [ -n "${VERDANIX_SCREENSHOT_ACTION:-}" ]; then
    DISPLAY="$display" bash -c "$VERDANIX_SCREENSHOT_ACTION"
    sleep 2
fi
DISPLAY="$display" import -window root "$out"
echo "saved $out"
