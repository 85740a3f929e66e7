# Cross-compiles the Windows tests, the wizard, the installer and its payloads for 64-bit Windows,
# so that they run under 64-bit Wine on build machines that cannot run 32-bit code at all. What
# ships is the 32-bit build (toolchain-i686-mingw.cmake); this one only tests.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZM_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)

# Test executables run under 64-bit Wine, in the build tree's own prefix; every Windows test
# passes ZM_WINE_ARCH on to the Wine harness (scripts/wine).
set(ZM_WINE_ARCH win64)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine --arch win64 run)
