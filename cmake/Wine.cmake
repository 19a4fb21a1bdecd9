# Programs built here run under Wine at build time (generators) and in tests through one
# wrapper, which keeps them in a Wine prefix inside the build tree.
set(VANTELO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# Tests and build-time tools find the shipped DLLs (TamsilIO.dll) in build/out through the path.
string(REPLACE "/" "\\" VANTELO_WINEPATH "Z:${VANTELO_OUT_DIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
set(VANTELO_RUN_ON_TARGET ${CMAKE_CROSSCOMPILING_EMULATOR})
