# The 64-bit Windows program, which runs wherever 64-bit Wine or Windows does.
set(TALVORY_TARGET x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
