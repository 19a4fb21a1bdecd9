# The generators that run at build time (tools/buildhost) are built for the build host with
# its own compiler, so that no tree needs a Wine able to run its programs while it builds.
include(ExternalProject)

set(VANTELO_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/hosttools)
set(VANTELO_ICONGEN ${VANTELO_HOST_TOOLS_DIR}/icongen/icongen)
set(VANTELO_SKINART ${VANTELO_HOST_TOOLS_DIR}/skinart/skinart)
ExternalProject_Add(hosttools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/buildhost
  BINARY_DIR ${VANTELO_HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVANTELO_WERROR=${VANTELO_WERROR}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${VANTELO_ICONGEN} ${VANTELO_SKINART})

# vantelo_icon(<target> <style> <output>): draws an .ico of the given style for a target's resources.
function(vantelo_icon target style output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${VANTELO_ICONGEN} ${style} ${output}
    DEPENDS hosttools ${VANTELO_ICONGEN}
    COMMENT "Drawing ${style} icon"
    VERBATIM)
  add_custom_target(${target}_icon DEPENDS ${output})
  add_dependencies(${target} ${target}_icon)
endfunction()
