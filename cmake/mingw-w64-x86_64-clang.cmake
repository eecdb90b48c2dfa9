# Cross-compiles for 64-bit Windows with Debian's clang and lld, on the
# headers and libraries of Debian's mingw-w64 GCC (clang does not find GCC's
# C++ library by itself).
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_SYSROOT /usr/${MINGW_PREFIX})

execute_process(COMMAND ${MINGW_PREFIX}-gcc -print-libgcc-file-name
    OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(gcc_dir ${libgcc} DIRECTORY)
set(cxx_headers ${gcc_dir}/include/c++)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${cxx_headers} -isystem ${cxx_headers}/${MINGW_PREFIX} -isystem ${cxx_headers}/backward")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc_dir}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc_dir}")
