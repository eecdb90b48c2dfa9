# Cross-compiles for Windows with Debian's mingw-w64 GCC, for the MINGW_ARCH
# that the including toolchain file names.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++)
