# Tests run this tree's programs under Wine through one wrapper, which keeps them in a Wine
# prefix inside the build tree: a 32-bit prefix run by the wine32 loader for the i686 tree,
# a 64-bit prefix run by the wine64 loader for the x86_64 tree.
set(VANTELO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(VANTELO_ARCH STREQUAL "x86_64")
  set(VANTELO_WINEARCH win64)
  # Debian keeps the loader out of the path; other systems install it as wine64.
  find_program(VANTELO_WINE_LOADER wine64 PATHS /usr/lib/wine REQUIRED)
else()
  set(VANTELO_WINEARCH win32)
  # Debian's wine starts the wine32 loader where that is installed.
  find_program(VANTELO_WINE_LOADER wine REQUIRED)
endif()
# Tests find the shipped DLLs (TamsilIO.dll) in the tree's out folder through the path.
string(REPLACE "/" "\\" VANTELO_WINEPATH "Z:${VANTELO_OUT_DIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
