#!/bin/bash
# Installs what is missing, builds, and runs the whole test suite under Wine
# and Xvfb with CTest. Extra arguments go to ctest (for example -R Store).
set -euo pipefail
here=$(dirname "$0")
"$here/install-deps.sh"
"$here/build.sh"
source "$here/wine-env.sh"
source "$here/start-xvfb.sh"
"$here/prepare-wine.sh"
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "${TALVORY_XVFB_PID:-}" ] && kill "$TALVORY_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
cd "$TALVORY_BUILD_DIR"
ctest --output-on-failure --timeout 120 -j 2 "$@"
