#!/usr/bin/env bash
# Gathers the program's texts from the sources into translations/verdanix_en.ts (new texts come
# in unfinished, texts no longer in the code go), through the build's own lupdate target.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_packages
quiet_build "$BUILD"
cmake --build "$BUILD" --target update_translations
