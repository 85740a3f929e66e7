# Runs a command that must refuse: it must exit with a status other than 0 and print EXPECTED
# (a plain text, not a pattern) on either stream. Judged by one of the two alone, a refusal test
# passes when the command fails for another reason, or prints the text and succeeds.
#   cmake -DEXPECTED=<text> -P expect_refusal.cmake <command> [<argument>...]
# The command is whatever follows the script's own path.
set(command "")
set(first -1)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(first GREATER -1 AND i GREATER_EQUAL first)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "-P")
    math(EXPR first "${i} + 2")
  endif()
endforeach()
if(NOT DEFINED EXPECTED OR EXPECTED STREQUAL "")
  message(FATAL_ERROR "expect_refusal: no EXPECTED text given")
endif()
if(NOT command)
  message(FATAL_ERROR "expect_refusal: no command given")
endif()
execute_process(COMMAND ${command} OUTPUT_VARIABLE output ERROR_VARIABLE output
  RESULT_VARIABLE result)
list(JOIN command " " shown)
if(result STREQUAL "0")
  message(FATAL_ERROR "it succeeded, although it must refuse: ${shown}\n${output}")
endif()
string(FIND "${output}" "${EXPECTED}" found)
if(found EQUAL -1)
  message(FATAL_ERROR
    "it failed (${result}) without saying \"${EXPECTED}\": ${shown}\n${output}")
endif()
message("refused as expected (${result}): ${EXPECTED}")
