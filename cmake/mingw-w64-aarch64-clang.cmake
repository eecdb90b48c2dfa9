# Cross-compiles for ARM64 Windows with Debian's clang 19 and lld 19. Debian
# has no C or C++ run-time for ARM64 Windows: scripts/arm64-runtime.sh builds
# one into the build tree (mingw-w64's headers, C run-time and import
# libraries; compiler-rt's builtins; libunwind, libc++abi and libc++). The
# program links only the import libraries and builtins of it. Its programs
# run under the Wine of an arm64 Debian (scripts/foreign-wine.sh).
set(MINGW_ARCH aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
get_filename_component(repo ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(MOXVANE_ARM64_RUNTIME ${repo}/build/arm64-runtime CACHE PATH "The ARM64 run-time that scripts/arm64-runtime.sh builds")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MOXVANE_ARM64_RUNTIME)
if(NOT EXISTS ${MOXVANE_ARM64_RUNTIME}/ready)
    message(FATAL_ERROR "No ARM64 run-time in ${MOXVANE_ARM64_RUNTIME}: run scripts/arm64-runtime.sh")
endif()

set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_AR /usr/bin/llvm-ar-19)
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-19)
set(CMAKE_RC_COMPILER llvm-windres-19)
set(CMAKE_SYSROOT ${MOXVANE_ARM64_RUNTIME}/sysroot)
set(CMAKE_FIND_ROOT_PATH ${CMAKE_SYSROOT})
set(CMAKE_RC_FLAGS_INIT "--target=${MINGW_PREFIX} -I${CMAKE_SYSROOT}/include")
# Debian's arm64 Wine 8 overwrites x18, the thread's own pointer, in
# lstrcmpW and CompareStringW; emulated thread-locals do not read it.
set(CMAKE_C_FLAGS_INIT "-resource-dir=${MOXVANE_ARM64_RUNTIME}/resource -femulated-tls")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT} -stdlib=libc++")
# Programs with their own start link none of the run-time these name.
set(link_flags "-fuse-ld=lld -rtlib=compiler-rt -unwindlib=libunwind -Wno-unused-command-line-argument")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${link_flags})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${link_flags})
set(MOXVANE_COMPILER_BUILTINS ${MOXVANE_ARM64_RUNTIME}/resource/lib/windows/libclang_rt.builtins-aarch64.a)
