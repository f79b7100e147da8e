#!/bin/bash
# Installs what is missing, builds everything, and runs the whole test suite
# under Wine with CTest. Extra arguments go to ctest (for example -R Store).
# The tests get a Wine prefix (build/wineprefix-tests) and an Xvfb of their
# own, so that they neither meet a Talvory started by scripts/start.sh nor
# take over the desktop and clipboard of the one running them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
export TALVORY_WINEPREFIX=${TALVORY_WINEPREFIX:-${TALVORY_BUILD_DIR:-$root/build}/wineprefix-tests}
"$here/install-deps.sh"
"$here/build.sh"
source "$here/wine-env.sh"
unset DISPLAY
source "$here/start-xvfb.sh"
"$here/prepare-wine.sh"
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "${TALVORY_XVFB_PID:-}" ] && kill "$TALVORY_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
cd "$TALVORY_BUILD_DIR"
ctest --output-on-failure --timeout 120 -j 2 "$@"
