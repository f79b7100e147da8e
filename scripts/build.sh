#!/bin/bash
# Configures the build folder of the width in hand (TALVORY_ARCH, x86_64
# unless set; see wine-env.sh) once, and builds the given targets, or
# everything: Talvory.exe, its tests and benchmarks. Later builds reconfigure
# by themselves when a CMakeLists.txt changes.
#   scripts/build.sh [TARGET...]                  e.g. scripts/build.sh Talvory
#   TALVORY_ARCH=i686 scripts/build.sh            the 32-bit program, in build/i686/
# Settings, applied whenever given:
#   TALVORY_WARNINGS_AS_ERRORS=ON   warnings in the project's own code fail the build (CI)
#   TALVORY_HOST_ODBC=OFF           the Windows side only, without the host's ODBC adapter
#                                   (a 32-bit build on a machine that runs no 32-bit code)
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
settings=()
[ -z "${TALVORY_WARNINGS_AS_ERRORS:-}" ] || settings+=(-DTALVORY_WARNINGS_AS_ERRORS="$TALVORY_WARNINGS_AS_ERRORS")
[ -z "${TALVORY_HOST_ODBC:-}" ] || settings+=(-DTALVORY_HOST_ODBC="$TALVORY_HOST_ODBC")
if [ ! -f "$TALVORY_BUILD_DIR/CMakeCache.txt" ] || [ ${#settings[@]} -gt 0 ]; then
    cmake -S "$TALVORY_ROOT" -B "$TALVORY_BUILD_DIR" \
        -DCMAKE_TOOLCHAIN_FILE="$TALVORY_ROOT/cmake/mingw-$TALVORY_ARCH.cmake" \
        -DCMAKE_BUILD_TYPE=Release "${settings[@]}" >/dev/null
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$TALVORY_BUILD_DIR" -j "$(nproc)" "${targets[@]}"
