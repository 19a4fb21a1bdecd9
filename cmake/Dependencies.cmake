# Target-side libpng and GoogleTest are built by scripts/setup into one prefix per target
# architecture; zlib comes from the mingw-w64 zlib package under the toolchain's root.
if(NOT VANTELO_ARCH)
  message(FATAL_ERROR "configure with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake or cmake/mingw-x86_64.cmake")
endif()
set(VANTELO_DEPS_PREFIX ${CMAKE_SOURCE_DIR}/build/deps/${VANTELO_ARCH}
    CACHE PATH "Prefix holding libpng and GoogleTest built for the target")
if(NOT EXISTS ${VANTELO_DEPS_PREFIX}/lib/libpng16.a)
  message(FATAL_ERROR "libpng for the target is missing in ${VANTELO_DEPS_PREFIX}: run scripts/setup")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${VANTELO_DEPS_PREFIX})

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
set(PNG_NAMES png16)
find_package(PNG REQUIRED)
find_package(GTest CONFIG REQUIRED)
