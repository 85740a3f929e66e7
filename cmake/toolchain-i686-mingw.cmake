# Cross-compiles for 32-bit Windows: the programs that ship.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZM_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)

# The processor floor of everything built here, the shipped programs first: the 80386 with its
# 80387, the least that Windows 95 runs on (98 and NT 4.0 need a 486). This compiler targets the
# Pentium Pro unless told otherwise, and its cmov, fcmov, fcomi and multi-byte NOPs stop every
# earlier processor with an invalid-instruction fault, which no test machine shows: every x86-64
# processor executes them. The instruction check (tools/insn-check) proves the floor on the
# linked programs, prebuilt library code included.
#
# Windows hands the entry point and every callback a stack aligned to 4 bytes only, so the
# compiler assumes no more and keeps no more (it realigns a frame that needs more itself); and
# the heap gives 8-byte blocks, so the allocation operator is told no more than that.
# The top-level CMakeLists.txt gives these to every target, also in a build tree configured before.
set(ZM_PROCESSOR_FLOOR_OPTIONS -march=i386 -mpreferred-stack-boundary=2
                               $<$<COMPILE_LANGUAGE:CXX>:-faligned-new=8>)

# Test executables run under 32-bit Wine, in the build tree's own prefix; every Windows test
# passes ZM_WINE_ARCH on to the Wine harness (scripts/wine).
set(ZM_WINE_ARCH win32)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine --arch win32 run)

# The shipped program's own run-time (src/runtime) reads the frame descriptions and exception
# tables this compiler writes, replaces pieces of its C++ library by their symbol names and lays
# the program out with a linker script derived from this linker's default. It was checked against
# these two; another compiler or linker may write constructs it does not handle, so configuring
# with them stops here.
set(ZM_CHECKED_COMPILER_VERSION "12-win32")      # Debian 12's gcc-mingw-w64-i686-win32 (GCC 12.2)
set(ZM_CHECKED_LINKER_VERSION "GNU ld (GNU Binutils) 2.40")
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpversion
  OUTPUT_VARIABLE zm_compiler_version OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
execute_process(COMMAND ${ZM_MINGW_PREFIX}-ld --version
  OUTPUT_VARIABLE zm_linker_version ERROR_QUIET)
string(REGEX REPLACE "\n.*" "" zm_linker_version "${zm_linker_version}")
if(NOT zm_compiler_version STREQUAL ZM_CHECKED_COMPILER_VERSION
   OR NOT zm_linker_version STREQUAL ZM_CHECKED_LINKER_VERSION)
  message(FATAL_ERROR
    "The installer's run-time was checked with compiler ${ZM_CHECKED_COMPILER_VERSION} and "
    "linker '${ZM_CHECKED_LINKER_VERSION}'; this machine has compiler '${zm_compiler_version}' "
    "and linker '${zm_linker_version}'. Before building with them, re-check src/runtime "
    "(README.md there): the exception table check of zmsetup.exe, the runtime tests, the "
    "linker script against the new linker's default (ld --verbose) and the library symbols the "
    "runtime replaces; then put the new versions in cmake/toolchain-i686-mingw.cmake.")
endif()
