# Target-side libpng and GoogleTest are built by scripts/setup into this prefix;
# zlib comes from the mingw-w64 zlib package under the toolchain's root.
set(VANTELO_DEPS_PREFIX ${CMAKE_SOURCE_DIR}/build/deps/i686
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
