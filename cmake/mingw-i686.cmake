# The 32-bit Windows program, for machines whose Access driver is 32-bit only.
set(TALVORY_TARGET i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
