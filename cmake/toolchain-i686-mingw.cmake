# Cross-compiles for 32-bit Windows: the programs that ship.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZM_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)

# Test executables run under 32-bit Wine, in the build tree's own prefix; every Windows test
# passes ZM_WINE_ARCH on to the Wine helpers (scripts/wine-flavour.sh).
set(ZM_WINE_ARCH win32)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
