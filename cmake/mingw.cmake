# Cross-compiling the Windows program with mingw-w64 (posix threads) for the
# processor that the including toolchain file names in TALVORY_TARGET:
# i686 (32-bit) or x86_64 (64-bit). Programs built here run under Wine
# through the emulator wrapper, with the Wine loader of their width.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TALVORY_TARGET})
set(CMAKE_C_COMPILER ${TALVORY_TARGET}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVORY_TARGET}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${TALVORY_TARGET}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TALVORY_TARGET}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/run-under-wine.sh ${TALVORY_TARGET})
