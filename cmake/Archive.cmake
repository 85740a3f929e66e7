# The archive packer runs on the build machine. The native build builds it as one of its own
# targets; the Windows build builds it natively as a separate project of its own.
include(ExternalProject)

if(CMAKE_CROSSCOMPILING)
  set(ZM_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
  ExternalProject_Add(zm_host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
    BINARY_DIR ${ZM_HOST_TOOLS_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    CMAKE_CACHE_ARGS -DCMAKE_TOOLCHAIN_FILE:FILEPATH=
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${ZM_HOST_TOOLS_DIR}/zm-pack)
  set(ZM_PACKER ${ZM_HOST_TOOLS_DIR}/zm-pack)
  set(ZM_PACKER_TARGET zm_host_tools)
else()
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/tools)
  set(ZM_PACKER $<TARGET_FILE:zm-pack>)
  set(ZM_PACKER_TARGET zm-pack)
endif()
