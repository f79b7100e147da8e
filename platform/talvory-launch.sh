#!/bin/bash
# Starts Talvory under Wine from its own folder. Wine keeps its own current
# directory and does not move the Unix one when the program changes
# directory, while the ODBC driver resolves the relative database path
# against the Unix one; so the launcher does what a shortcut's "Start in"
# does on Windows. Usage: talvory-launch.sh [path/to/Talvory.exe]
set -euo pipefail
source "$(dirname "$0")/../scripts/wine-env.sh"
exe=${1:-$TALVORY_BUILD_DIR/bin/Talvory.exe}
folder=$(cd "$(dirname "$exe")" && pwd)
cd "$folder"
exec "$TALVORY_WINE" "$folder/$(basename "$exe")"
