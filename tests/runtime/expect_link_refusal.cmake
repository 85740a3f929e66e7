# Builds TARGET in BUILD_DIR, which must fail to link with EXPECTED in the link's output. Where the
# build's tool chain is absent (the emulated machine that only runs the Windows tests), there is
# nothing to link with, and the test is skipped.
#   cmake -DBUILD_DIR=... -DTARGET=... -DEXPECTED=... -DCOMPILER=... -DMAKE_PROGRAM=... -P <this>
foreach(tool IN ITEMS "${COMPILER}" "${MAKE_PROGRAM}")
  if(NOT EXISTS "${tool}")
    message("skipped: no tool chain here (${tool})")
    return()
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${BUILD_DIR}" --target "${TARGET}"
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
if(result EQUAL 0)
  message(FATAL_ERROR "${TARGET} linked, although it must not")
endif()
string(FIND "${output}" "${EXPECTED}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "${TARGET} failed without naming ${EXPECTED}:\n${output}")
endif()
message("${TARGET} refused as expected: ${EXPECTED}")
