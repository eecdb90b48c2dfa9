#!/usr/bin/env bash
# Builds the C and C++ run-time that the ARM64 build links, into the build
# tree, once: Debian ships none for ARM64 Windows. From Debian's source
# packages of the installed compilers' versions: mingw-w64's headers, C
# run-time and import libraries, then from LLVM's compiler-rt builtins,
# libunwind, libc++abi and libc++. The program uses the headers, the import
# libraries and the builtins; the tests the rest too. About 3 to 4 minutes;
# a few seconds where it is built already for the installed compilers.
# On failure it names the step and shows the end of its log.
#   arm64-runtime.sh              where it is not built yet
set -euo pipefail
shopt -s inherit_errexit
repo=$(cd "$(dirname "$0")/.." && pwd)
home=$repo/build/arm64-runtime
sysroot=$home/sysroot
resource=$home/resource
target=aarch64-w64-mingw32
jobs=$(($(nproc) + 1))
source "$repo/scripts/lib/debian-sources.sh"
source "$repo/scripts/lib/steps.sh"

version_of() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || fail "$1 is not installed"; }
mingw_version=$(version_of mingw-w64-common)
llvm_version=$(version_of clang-19)
wanted="mingw-w64 $mingw_version, llvm-toolchain-19 $llvm_version"
if [ "$(cat "$home/ready" 2>/dev/null)" = "$wanted" ]; then
    exit 0
fi

# Debian's source index, in a private apt state, as this machine has none.
download_sources() {
    local lines
    mapfile -t lines < <(debian_sources | sed 's/^/deb-src /; s/$/ main/')
    [ "${#lines[@]}" -gt 0 ] || fail "this machine's apt sources name no Debian mirror"
    private_apt "$home/apt" "${lines[@]}"
    mkdir -p "$home/sources"
    apt-get "${private_apt_options[@]}" update -q || true  # a missing index may not be needed
    cd "$home/sources"
    apt-get "${private_apt_options[@]}" source --download-only -q \
        "mingw-w64=$mingw_version" "llvm-toolchain-19=$llvm_version"
}

# Exactly one tarball of each: an older download left beside it would be
# a second.
only_file() {
    if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
        fail "expected one source tarball, found: $*"
    fi
    echo "$1"
}

unpack_sources() {
    local source=$home/source mingw_tar llvm_tar top
    rm -rf "$source"
    mkdir -p "$source/mingw-w64" "$source/llvm"
    mingw_tar=$(only_file "$home"/sources/mingw-w64_*.orig.tar.bz2)
    llvm_tar=$(only_file "$home"/sources/llvm-toolchain-19_*.orig.tar.xz)
    tar -C "$source/mingw-w64" --strip-components=1 -xjf "$mingw_tar"
    # The tarball's top folder, from its first entry: the listing is read to
    # its end, so that no early close can fail it.
    top=$(tar -tJf "$llvm_tar" | awk -F/ 'NR == 1 { print $1 }')
    tar -C "$source/llvm" --strip-components=1 -xJf "$llvm_tar" \
        "$top/cmake" "$top/compiler-rt" "$top/libcxx" "$top/libcxxabi" "$top/libunwind" \
        "$top/runtimes" "$top/llvm/cmake" "$top/llvm/utils" "$top/third-party"
}

cmake_toolchain() {
    cat >"$home/toolchain.cmake" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
foreach(language C CXX ASM)
    set(CMAKE_\${language}_COMPILER_TARGET $target)
    set(CMAKE_\${language}_COMPILER_WORKS ON)
endforeach()
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_ASM_COMPILER clang-19)
set(CMAKE_AR /usr/bin/llvm-ar-19)
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-19)
set(CMAKE_SYSROOT $sysroot)
set(CMAKE_C_FLAGS_INIT "-resource-dir=$resource -rtlib=compiler-rt -femulated-tls")
set(CMAKE_CXX_FLAGS_INIT "\${CMAKE_C_FLAGS_INIT}")
TOOLCHAIN
}

build_mingw() {
    local source=$home/source/mingw-w64 build=$home/build
    mkdir -p "$build/headers" "$build/crt"
    cd "$build/headers"
    "$source/mingw-w64-headers/configure" --host=$target --prefix="$sysroot"
    make install
    cd "$build/crt"
    "$source/mingw-w64-crt/configure" --host=$target --prefix="$sysroot" \
        --disable-lib32 --disable-lib64 --enable-libarm64 \
        CC="clang-19 --target=$target --sysroot=$sysroot" AR=llvm-ar-19 RANLIB=llvm-ranlib-19 \
        DLLTOOL=llvm-dlltool-19
    make -j"$jobs"
    make install
}

# The compiler's own headers stay Debian's; the builtins join them in a
# resource folder of ours.
build_builtins() {
    local build=$home/build/builtins
    mkdir -p "$resource/lib/windows"
    ln -sfn "$(clang-19 -print-resource-dir)/include" "$resource/include"
    cmake -S "$home/source/llvm/compiler-rt/lib/builtins" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$home/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCOMPILER_RT_DEFAULT_TARGET_ONLY=ON -DLLVM_CMAKE_DIR="$home/source/llvm/llvm/cmake"
    cmake --build "$build" -j "$jobs"
    cp "$build"/lib/windows/libclang_rt.builtins-aarch64.a "$resource/lib/windows/"
}

build_cxx_runtime() {
    local build=$home/build/runtimes
    cmake -S "$home/source/llvm/runtimes" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$home/toolchain.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_INSTALL_PREFIX="$sysroot" -DLLVM_ENABLE_RUNTIMES="libunwind;libcxxabi;libcxx" \
        -DLIBUNWIND_ENABLE_SHARED=OFF -DLIBCXXABI_ENABLE_SHARED=OFF -DLIBCXX_ENABLE_SHARED=OFF \
        -DLIBCXXABI_USE_LLVM_UNWINDER=ON -DLIBCXXABI_ENABLE_STATIC_UNWINDER=ON \
        -DLIBCXX_ENABLE_STATIC_ABI_LIBRARY=ON -DLIBCXX_CXX_ABI=libcxxabi \
        -DLIBUNWIND_USE_COMPILER_RT=ON -DLIBCXXABI_USE_COMPILER_RT=ON -DLIBCXX_USE_COMPILER_RT=ON \
        -DLIBCXX_INCLUDE_BENCHMARKS=OFF -DLIBCXX_INCLUDE_TESTS=OFF -DLIBCXXABI_INCLUDE_TESTS=OFF \
        -DLIBUNWIND_INCLUDE_TESTS=OFF -DLLVM_INCLUDE_TESTS=OFF
    cmake --build "$build" -j "$jobs"
    cmake --install "$build"
}

# Checks what the build says it made: the files that the ARM64 toolchain
# links and includes.
check_built() {
    local file
    for file in "$sysroot/include/windows.h" "$sysroot/lib/libkernel32.a" "$sysroot/lib/libc++.a" \
        "$resource/lib/windows/libclang_rt.builtins-aarch64.a"; do
        [ -s "$file" ] || fail "the build ended without $file"
    done
}

log=$home/build.log
mkdir -p "$home"
echo "arm64-runtime: building the ARM64 run-time from $wanted (a few minutes; log: $log)" >&2
rm -rf "$sysroot" "$resource" "$home/build" "$home/ready" "$home/sources"
steps_begin "$log" "arm64-runtime: could not build it"
step "downloading the sources" download_sources
step "unpacking them" unpack_sources
step "writing the CMake toolchain" cmake_toolchain
step "building mingw-w64" build_mingw
step "building compiler-rt's builtins" build_builtins
step "building libunwind, libc++abi and libc++" build_cxx_runtime
step "checking what was built" check_built
steps_end
rm -rf "$home/source" "$home/build" "$home/sources" "$home/apt"
echo "$wanted" >"$home/ready"
