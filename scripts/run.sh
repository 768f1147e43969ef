#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo installation when it is missing, and starts
# Verdanix on it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_packages
echo "Building in $BUILD ..."
quiet_build "$BUILD"
make_demo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here (DISPLAY is not set). To see the program without a screen, run"
    echo "    scripts/screenshot.sh"
    echo "which starts it under Xvfb on the demo installation and saves a screenshot."
    exit 0
fi
exec "$BUILD/bin/verdanix"
