#!/bin/bash
# Sets everything up on a fresh Debian machine and starts Talvory:
# packages, build, the project's Wine prefix, an example phrase database
# beside the executable (only when there is none), then Talvory itself.
# With no X display it offers a headless start under Xvfb (--headless).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
headless=0
[ "${1:-}" = "--headless" ] && headless=1

"$here/install-deps.sh"
"$here/build.sh"
source "$here/wine-env.sh"

if [ $headless -eq 0 ] && { [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; }; then
    echo "There is no X display to show Talvory's tray icon on (DISPLAY is '${DISPLAY:-}')."
    if [ -t 0 ]; then
        read -r -p "Start Talvory headless under Xvfb instead? [y/N] " answer
        [[ "$answer" =~ ^[Yy] ]] && headless=1
    fi
    if [ $headless -eq 0 ]; then
        echo "Run '$0 --headless' to start it under a private Xvfb display."
        exit 1
    fi
fi
if [ $headless -eq 1 ]; then
    unset DISPLAY
    source "$here/start-xvfb.sh"
    echo "Talvory runs headless on Xvfb display $DISPLAY."
fi

"$here/prepare-wine.sh"
database="$TALVORY_BUILD_DIR/bin/database/phrases.mdb"
if [ ! -e "$database" ]; then
    mkdir -p "$(dirname "$database")"
    "$TALVORY_ROOT/tools/create-database.sh" --examples "$database"
fi
echo "Starting Talvory (choose Toolbox > Exit in its tray menu to end it)."
"$TALVORY_ROOT/platform/talvory-launch.sh" "$TALVORY_BUILD_DIR/bin/Talvory.exe"
