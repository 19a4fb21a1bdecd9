# Cross-builds 32-bit x86 Windows programs with mingw-w64's POSIX-threads compilers: the
# programs that ship.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VANTELO_ARCH i686)
set(triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
