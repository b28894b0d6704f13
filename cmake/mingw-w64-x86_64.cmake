# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
# The posix-threads variant, because the standard library's threads, mutexes and condition
# variables are only there with it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(kavrin_mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${kavrin_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kavrin_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${kavrin_mingw_prefix}-windres)

# Headers and libraries come from the MinGW sysroot only; programs (the host's tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${kavrin_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under wine on the build machine.
find_program(KAVRIN_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KAVRIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KAVRIN_WINE})
endif()
