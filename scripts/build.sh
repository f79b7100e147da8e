#!/bin/bash
# Configures and builds Talvory.exe, its tests and benchmarks into build/.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
cmake -S "$TALVORY_ROOT" -B "$TALVORY_BUILD_DIR" \
    -DCMAKE_TOOLCHAIN_FILE="$TALVORY_ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$TALVORY_BUILD_DIR" -j "$(nproc)"
