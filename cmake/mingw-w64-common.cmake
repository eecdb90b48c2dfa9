# What every cross-build for Windows shares: the target, named by the
# toolchain file that includes this one (MINGW_ARCH: x86_64, i686 or
# aarch64), where its headers and libraries are, and Wine to run the Windows
# programs it makes.
set(CMAKE_SYSTEM_NAME Windows)
if(MINGW_ARCH STREQUAL "i686")
    set(CMAKE_SYSTEM_PROCESSOR x86)
elseif(MINGW_ARCH STREQUAL "aarch64")
    set(CMAKE_SYSTEM_PROCESSOR ARM64)
else()
    set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()
set(MINGW_PREFIX ${MINGW_ARCH}-w64-mingw32)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every Windows program of the build (tests, build-time tools) runs in a
# throwaway prefix, by default inside the build tree: x64 ones under this
# machine's Wine, x86 and ARM64 ones under the Wine of an i386 or arm64
# Debian (scripts/foreign-wine.sh).
set(MOXVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix for the build's Windows programs")
if(MINGW_ARCH STREQUAL "i686")
    set(MOXVANE_FOREIGN_WINE i386)
elseif(MINGW_ARCH STREQUAL "aarch64")
    set(MOXVANE_FOREIGN_WINE arm64)
else()
    set(MOXVANE_FOREIGN_WINE "")
endif()
# Such a Debian is made once per work tree: a release built in a copy of the
# sources uses the work tree's.
get_filename_component(moxvane_scripts ${CMAKE_CURRENT_LIST_DIR}/../scripts ABSOLUTE)
set(MOXVANE_FOREIGN_WINE_SCRIPT ${moxvane_scripts}/foreign-wine.sh CACHE FILEPATH "The script that makes and runs the Debian whose Wine runs the x86 or ARM64 programs")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MOXVANE_FOREIGN_WINE_SCRIPT)
set(MOXVANE_WINE_ENVIRONMENT /usr/bin/env;MOXVANE_FOREIGN_WINE=${MOXVANE_FOREIGN_WINE};MOXVANE_FOREIGN_WINE_SCRIPT=${MOXVANE_FOREIGN_WINE_SCRIPT})
set(CMAKE_CROSSCOMPILING_EMULATOR ${MOXVANE_WINE_ENVIRONMENT};${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${MOXVANE_WINEPREFIX})
