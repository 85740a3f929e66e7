# Cross-compiles for 32-bit Windows with the win32-threads mingw-w64 compiler, which needs no
# threading runtime and gives the smallest executables.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ZM_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${ZM_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${ZM_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${ZM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under 32-bit Wine, in the build tree's own prefix; every Windows test
# passes ZM_WINE_ARCH on to the Wine helpers (scripts/wine-flavour.sh).
set(ZM_WINE_ARCH win32)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
