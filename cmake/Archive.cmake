# The archive packer and the exception tables' checker run on the build machine. The native
# build builds them as its own targets; the Windows build builds them natively as a separate
# project of its own. ZM_EH_CHECKER is a plain path, so tests run it here, not under Wine.
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
    BUILD_BYPRODUCTS ${ZM_HOST_TOOLS_DIR}/zm-pack ${ZM_HOST_TOOLS_DIR}/zm-eh-check
                     ${ZM_HOST_TOOLS_DIR}/zm-insn-check)
  set(ZM_PACKER ${ZM_HOST_TOOLS_DIR}/zm-pack)
  set(ZM_EH_CHECKER ${ZM_HOST_TOOLS_DIR}/zm-eh-check)
  set(ZM_INSN_CHECKER ${ZM_HOST_TOOLS_DIR}/zm-insn-check)
  set(ZM_PACKER_TARGET zm_host_tools)
else()
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools ${CMAKE_BINARY_DIR}/tools)
  set(ZM_PACKER $<TARGET_FILE:zm-pack>)
  set(ZM_PACKER_TARGET zm-pack)
endif()

# zm_pack_archive(<prefix> [SYMBOL <table symbol>] [REGISTER_FUNCTION <name>]
#                 [PAYLOAD <resource name> <file name> <path>]...
#                 [TEXT <integer id> <sum constant> <path>]...
#                 [DAMAGED_PAYLOAD <resource name> <file name> <path> <damage>]...)
# Packs the files into the archive at build time. Sets in the caller's scope:
#   <prefix>_SOURCES      what a target adds to carry the archive in this build: the payload
#                         table, and the resource script (Windows) or the registration of the
#                         same resources with the emulated platform (native)
#   <prefix>_INCLUDE_DIR  where <prefix>_archive.h lies (the table's declaration, the text sums,
#                         the registration function)
#   <prefix>_RC, <prefix>_TABLE, <prefix>_HEADER, <prefix>_HOST_RESOURCES  the files themselves
# DAMAGED_PAYLOAD is for tests only; see zm-pack --help.
function(zm_pack_archive prefix)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${prefix}_archive)
  set(rc ${out}/${prefix}_archive.rc)
  set(table ${out}/${prefix}_table.cpp)
  set(header ${out}/${prefix}_archive.h)
  set(host_resources ${out}/${prefix}_host_resources.cpp)
  set(arguments --out-dir ${out}/stored --rc ${rc} --table ${table} --header ${header}
                --host-resources ${host_resources})
  set(inputs)

  # Each PAYLOAD, TEXT or DAMAGED_PAYLOAD takes a fixed number of values; the keywords repeat.
  set(rest ${ARGN})
  list(LENGTH rest available)
  while(available GREATER 0)
    list(POP_FRONT rest keyword)
    if(keyword STREQUAL "SYMBOL" OR keyword STREQUAL "REGISTER_FUNCTION")
      set(count 1)
    elseif(keyword STREQUAL "PAYLOAD" OR keyword STREQUAL "TEXT")
      set(count 3)
    elseif(keyword STREQUAL "DAMAGED_PAYLOAD")
      set(count 4)
    else()
      message(FATAL_ERROR "zm_pack_archive: unexpected argument '${keyword}'")
    endif()
    list(LENGTH rest available)
    if(available LESS count)
      message(FATAL_ERROR "zm_pack_archive: ${keyword} needs ${count} values")
    endif()
    list(SUBLIST rest 0 ${count} values)
    foreach(i RANGE 1 ${count})
      list(POP_FRONT rest)
    endforeach()
    if(count GREATER 1)
      # The third value is the input file; the packer runs in the build tree.
      list(GET values 2 path)
      get_filename_component(path ${path} ABSOLUTE)
      list(REMOVE_AT values 2)
      list(INSERT values 2 ${path})
      list(APPEND inputs ${path})
    endif()
    string(TOLOWER ${keyword} option)
    string(REPLACE "_" "-" option ${option})
    list(APPEND arguments --${option} ${values})
    list(LENGTH rest available)
  endwhile()

  add_custom_command(
    OUTPUT ${rc} ${table} ${header} ${host_resources}
    COMMAND ${ZM_PACKER} ${arguments}
    DEPENDS ${ZM_PACKER_TARGET} ${ZM_PACKER} ${inputs}
    COMMENT "Packing the ${prefix} archive"
    VERBATIM)

  if(WIN32)
    set(${prefix}_SOURCES ${table} ${rc} PARENT_SCOPE)
  else()
    set(${prefix}_SOURCES ${table} ${host_resources} PARENT_SCOPE)
  endif()
  set(${prefix}_INCLUDE_DIR ${out} PARENT_SCOPE)
  set(${prefix}_RC ${rc} PARENT_SCOPE)
  set(${prefix}_TABLE ${table} PARENT_SCOPE)
  set(${prefix}_HEADER ${header} PARENT_SCOPE)
  set(${prefix}_HOST_RESOURCES ${host_resources} PARENT_SCOPE)
endfunction()
