#!/bin/bash
# Configures build/ (once; later builds reconfigure by themselves when a
# CMakeLists.txt changes) and builds the given targets, or everything:
# Talvory.exe, its tests and benchmarks.
#   scripts/build.sh [TARGET...]      e.g. scripts/build.sh Talvory
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$TALVORY_BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$TALVORY_ROOT" -B "$TALVORY_BUILD_DIR" \
        -DCMAKE_TOOLCHAIN_FILE="$TALVORY_ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$TALVORY_BUILD_DIR" -j "$(nproc)" "${targets[@]}"
