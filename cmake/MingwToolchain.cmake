# What both Windows toolchain files share: the win32-threads mingw-w64 compilers named by
# ZM_MINGW_PREFIX (no threading runtime, the smallest executables), and libraries and headers
# from that compiler's own root only.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZM_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${ZM_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${ZM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The linker stamps each program with SOURCE_DATE_EPOCH when it is set; every link runs with it.
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/../scripts/with-source-date)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/../scripts/with-source-date)
