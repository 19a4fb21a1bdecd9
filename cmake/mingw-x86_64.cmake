# Cross-builds 64-bit x86 Windows programs with mingw-w64's POSIX-threads compilers of the same
# sources, so that hosts which run no 32-bit code can test them too.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VANTELO_ARCH x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
