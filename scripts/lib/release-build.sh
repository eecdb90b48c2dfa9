# shellcheck shell=bash
# Sourced by release.sh and verify-release.sh: the one way a release's
# Moxvane.exe is built, so that anyone can build it again from the same
# commit and get the same bytes, and the record of what shaped those bytes
# (BUILDINFO, after Debian's .buildinfo).
#   for_bundles what_runs_here|what_compiles_here BUNDLE...
#                                  that answer for the bundles' builds
#   buildable_bundles              those this machine can build, a line each
#   release_build BUNDLE SOURCE DIR TARGET...
#                                  configures SOURCE in DIR with the release's
#                                  flags and builds the targets
#   release_texts BUNDLE SOURCE VERSION DIR
#                                  the bundle's LICENSE and README.txt in DIR
#   release_zip BUNDLE SOURCE EXE VERSION STAGES OUT
#                                  OUT/Moxvane-VERSION-BUNDLE.zip of EXE and
#                                  the texts, staged in STAGES/BUNDLE
#   release_checksums OUT STAGES VERSION BUNDLE...
#                                  OUT/SHA256SUMS of the zips, the staged
#                                  exes and OUT/BUILDINFO
#   write_buildinfo FILE COMMIT BUNDLE...
# shellcheck source=runs-here.sh
source "$(dirname "${BASH_SOURCE[0]}")/runs-here.sh"
# The Debian packages whose versions shape the shipped bytes: mingw-w64's
# headers, run-time and import libraries, the compilers, linkers and
# resource compilers, the build system, the signing tool and zip.
release_packages=(mingw-w64-common mingw-w64-x86-64-dev mingw-w64-i686-dev
                  gcc-mingw-w64-base gcc-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-win32
                  gcc-mingw-w64-i686-win32 g++-mingw-w64-i686-win32
                  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
                  clang-19 lld-19 llvm-19 cmake osslsigncode zip)

for_bundles() {
    local answer=$1 bundle builds=()
    shift
    for bundle in "$@"; do
        builds+=("${BUILD_OF[$bundle]}")
    done
    "$answer" "${builds[@]}"
}

buildable_bundles() {
    local bundle
    for bundle in "${RELEASE_BUNDLES[@]}"; do
        if [ "${COMPILES[${BUILD_OF[$bundle]}]}" = yes ]; then
            echo "$bundle"
        fi
    done
}

release_build() {
    local bundle=$1 source=$2 dir=$3
    shift 3
    # The ARM64 run-time and the Debians whose Wine runs the programs are
    # this work tree's, made once.
    local options=(-DMOXVANE_FOREIGN_WINE_SCRIPT="$runs_here_repo/scripts/foreign-wine.sh")
    if [ "$bundle" = arm64 ]; then
        options+=(-DMOXVANE_ARM64_RUNTIME="$runs_here_repo/build/arm64-runtime")
    fi
    cmake -S "$source" -B "$dir" --toolchain "$source/cmake/${TOOLCHAIN_OF[${BUILD_OF[$bundle]}]}.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel "${options[@]}" >/dev/null
    cmake --build "$dir" --target "$@" -j "$(nproc)" >/dev/null
}

# The words for each bundle's README.
declare -A BUNDLE_BITS=([win64]=64-bit [win32]=32-bit [arm64]=ARM64)
declare -A BUNDLE_RUNS_ON=(
    [win64]="64-bit Windows 7 SP1, 8.1, 10 and 11, and Windows 11 on ARM."
    [win32]="32-bit and 64-bit Windows 7 SP1, 8.1, 10 and 11, and Windows 10 and 11 on ARM."
    [arm64]="Windows 10 and 11 on ARM.")

# The texts come from the committed sources, with Windows line ends.
release_texts() {
    local bundle=$1 source=$2 version=$3 dir=$4
    mkdir -p "$dir"
    sed 's/$/\r/' "$source/LICENSE" >"$dir/LICENSE"
    sed "s/@VERSION@/$version/g; s/@ARCH@/$bundle/g; s/@BITS@/${BUNDLE_BITS[$bundle]}/g;
         s/@RUNS_ON@/${BUNDLE_RUNS_ON[$bundle]}/g; s/\$/\r/" \
        "$source/docs/bundle/README.txt" >"$dir/README.txt"
}

# Entries in a fixed order, with the commit's time and fixed attributes, and
# no extra fields: the zip depends on the file contents alone.
release_zip() {
    local bundle=$1 source=$2 exe=$3 version=$4 stage=$5/$1 out=$6
    release_texts "$bundle" "$source" "$version" "$stage"
    cp "$exe" "$stage/Moxvane.exe"
    chmod 644 "$stage"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
    rm -f "$out/Moxvane-$version-$bundle.zip"
    env --chdir="$stage" TZ=UTC zip -q -X -D "$out/Moxvane-$version-$bundle.zip" \
        Moxvane.exe LICENSE README.txt
}

# One list for all: the zips, each exe under its bundle's name, BUILDINFO.
release_checksums() {
    local out=$1 stages=$2 version=$3
    shift 3
    local zips=("${@/#/Moxvane-$version-}") exes=("${@/%//Moxvane.exe}")
    env --chdir="$out" sha256sum "${zips[@]/%/.zip}" >"$stages/SHA256SUMS"
    env --chdir="$stages" sha256sum "${exes[@]}" >>"$stages/SHA256SUMS"
    env --chdir="$out" sha256sum BUILDINFO >>"$stages/SHA256SUMS"
    mv "$stages/SHA256SUMS" "$out/SHA256SUMS"
}

# " NAME (= VERSION)" for each of the packages installed here, a line each.
release_tools() {
    local package version
    for package in "${release_packages[@]}"; do
        version=$(dpkg-query -W -f='${Version}' "$package" 2>/dev/null || true)
        if [ -n "$version" ]; then
            echo " $package (= $version)"
        fi
    done
}

# The source packages the ARM64 run-time was built from, as its ready file
# records them.
arm64_runtime_sources() {
    sed 's/, /\n/g' "$runs_here_repo/build/arm64-runtime/ready" | sed 's/^\([^ ]*\) \(.*\)$/ \1 (= \2)/'
}

write_buildinfo() {
    local file=$1 commit=$2
    shift 2
    {
        echo "Format: 1.0"
        echo "Source: moxvane"
        echo "Commit: $commit"
        echo "Source-Date-Epoch: $SOURCE_DATE_EPOCH"
        echo "Bundles: $*"
        echo "Build-Architecture: $(dpkg --print-architecture)"
        echo "Installed-Build-Tools:"
        release_tools
        if [[ " $* " == *" arm64 "* ]]; then
            echo "ARM64-Runtime-Sources:"
            arm64_runtime_sources
        fi
    } >"$file"
}
