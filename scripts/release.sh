#!/usr/bin/env bash
# Makes the release bundles from the committed sources (HEAD), one for 64-bit
# Windows (win64), one for 32-bit Windows (win32) and one for ARM64 Windows
# (arm64), each in a fresh build directory and a fresh Wine prefix:
# Moxvane.exe with the release flags, checked by the image and resource
# tests, optionally Authenticode-signed, zipped with LICENSE and README.txt;
# and one SHA256SUMS for the zips and the exes (as win64/Moxvane.exe,
# win32/Moxvane.exe and arm64/Moxvane.exe). Two runs on one commit give
# byte-identical files: every time stamp in them is the commit's. Where the
# machine has no ARM64 tools, the arm64 bundle is left out, loudly.
#
# Usage: scripts/release.sh [OUTDIR]              (default dist/)
#   SIGN_PKCS12=FILE [SIGN_PASSWORD_FILE=FILE]     sign the program with this
#                                                  certificate and key
# Nothing is written to OUTDIR unless the whole bundle was made.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh
out=$(realpath -m "${1:-dist}")
signing_file=${SIGN_PKCS12:-}
password_file=${SIGN_PASSWORD_FILE:-}

fail() {
    echo "release.sh: $*" >&2
    exit 1
}

# The signing input is checked before anything is built, so a typo costs
# seconds, not a build.
password_option() {
    if [ -n "$password_file" ]; then echo "file:$password_file"; else echo "pass:"; fi
}
check_signing_input() {
    [ -f "$signing_file" ] && [ -r "$signing_file" ] ||
        fail "cannot read the signing certificate SIGN_PKCS12='$signing_file'"
    if [ -n "$password_file" ]; then
        [ -f "$password_file" ] && [ -r "$password_file" ] ||
            fail "cannot read the password file SIGN_PASSWORD_FILE='$password_file'"
    fi
    openssl pkcs12 -in "$signing_file" -passin "$(password_option)" -noout 2>/dev/null ||
        fail "cannot open '$signing_file': wrong password, or not a PKCS#12 file"
    openssl pkcs12 -in "$signing_file" -passin "$(password_option)" -nocerts -noenc 2>/dev/null |
        grep -q 'PRIVATE KEY' || fail "'$signing_file' holds no private key to sign with"
}

# The bundles: name, toolchain, the words for its README.
bundles=(win64 win32 arm64)
declare -A TOOLCHAIN=([win64]=mingw-w64-x86_64 [win32]=mingw-w64-i686 [arm64]=mingw-w64-aarch64-clang)
declare -A BITS=([win64]=64-bit [win32]=32-bit [arm64]=ARM64)
declare -A RUNS_ON=(
    [win64]="64-bit Windows 7 SP1, 8.1, 10 and 11, and Windows 11 on ARM."
    [win32]="32-bit and 64-bit Windows 7 SP1, 8.1, 10 and 11, and Windows 10 and 11 on ARM."
    [arm64]="Windows 10 and 11 on ARM.")

# The ARM64 programs run under the Wine of the arm64 Debian, where there is one.
arm64_wine=
if [ -f build/arm64-wine/ready ]; then arm64_wine=$PWD/scripts/arm64-wine.sh; fi
wine_of() { if [ "$1" = arm64 ]; then echo "$arm64_wine"; fi; }
runs_here() {
    case $1 in
        win32) wine_runs_x86 ;;
        arm64) [ -n "$arm64_wine" ] ;;
    esac
}

# A Wine session for the build directory; the work directory goes at the end.
session() {
    MOXVANE_ARM64_WINE=$(wine_of "$1") wine_session_start "$2"
    trap 'wine_session_end; rm -rf "$work"' EXIT
}

build() {
    local bundle=$1 dir=$work/build-$1
    ! runs_here "$bundle" || session "$bundle" "$dir"
    # The ARM64 run-time and Wine are this work tree's, made once.
    local options=()
    [ "$bundle" != arm64 ] || options=(-DMOXVANE_ARM64_RUNTIME="$PWD/build/arm64-runtime"
                                       -DMOXVANE_ARM64_WINE="$PWD/scripts/arm64-wine.sh")
    cmake -S "$work/source" -B "$dir" --toolchain "$work/source/cmake/${TOOLCHAIN[$bundle]}.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel "${options[@]}" >/dev/null
    cmake --build "$dir" --target Moxvane ResourceTests ProgramImageTests -j "$(nproc)" >/dev/null
    version=$(cat "$dir/version.txt")
}

# Signed in place, so that the tests below check the signed program. The
# signing time is the commit's, which keeps the signature reproducible.
sign() {
    local exe=$work/build-$1/ui/Moxvane.exe
    local args=(-pkcs12 "$signing_file" -h sha256 -n Moxvane -time "$SOURCE_DATE_EPOCH")
    [ -z "$password_file" ] || args+=(-readpass "$password_file")
    osslsigncode sign "${args[@]}" -in "$exe" -out "$work/signed.exe" >"$work/sign.log" 2>&1 ||
        fail "signing failed: $(tail -1 "$work/sign.log")"
    openssl pkcs12 -in "$signing_file" -passin "$(password_option)" -nokeys \
        -out "$work/certificates.pem" 2>/dev/null
    osslsigncode verify -in "$work/signed.exe" -CAfile "$work/certificates.pem" \
        >"$work/verify.log" 2>&1 ||
        fail "the signature does not verify: $(grep -m1 -iE 'error|fail' "$work/verify.log")"
    mv "$work/signed.exe" "$exe"
    echo "$1: signed and verified: $(grep -m1 'Subject:' "$work/verify.log" | sed 's/^[[:space:]]*//')"
}

run_tests() {
    local dir=$work/build-$1
    if ! runs_here "$1"; then
        echo "!!!!! $1: image and resource tests NOT RUN: this machine cannot start its programs !!!!!"
        return
    fi
    ctest --test-dir "$dir" -R '^(ResourceTests|ProgramImageTests)$' \
        --output-on-failure >"$work/tests.log" 2>&1 || {
        cat "$work/tests.log" >&2
        fail "$1: the image or resource tests failed"
    }
}

# The texts come from the committed sources too, with Windows line ends.
# Entries in a fixed order, with the commit's time and fixed attributes, and
# no extra fields: the zip depends on the file contents alone.
bundle() {
    local bundle=$1 stage=$work/stage/$1 name=Moxvane-$version-$1.zip
    mkdir -p "$stage"
    cp "$work/build-$bundle/ui/Moxvane.exe" "$stage/Moxvane.exe"
    sed 's/$/\r/' "$work/source/LICENSE" >"$stage/LICENSE"
    sed "s/@VERSION@/$version/g; s/@ARCH@/$bundle/g; s/@BITS@/${BITS[$bundle]}/g;
         s/@RUNS_ON@/${RUNS_ON[$bundle]}/g; s/\$/\r/" \
        "$work/source/docs/bundle/README.txt" >"$stage/README.txt"
    chmod 644 "$stage"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
    (cd "$stage" && TZ=UTC zip -q -X -D "$work/out/$name" Moxvane.exe LICENSE README.txt)
}

# One list for all bundles: the zips, then each exe under its bundle's name.
checksums() {
    local zips=("${bundles[@]/#/Moxvane-$version-}") exes=("${bundles[@]/%//Moxvane.exe}")
    (cd "$work/out" && sha256sum "${zips[@]/%/.zip}" &&
        cd "$work/stage" && sha256sum "${exes[@]}") >"$work/out/SHA256SUMS"
}

# The ARM64 compiler and run-time, where this machine can have them.
check_arm64_tools() {
    if [ -f build/arm64-not-installed.txt ] || ! scripts/arm64-runtime.sh; then
        echo "!!!!! arm64: NO ARM64 BUNDLE: this machine has no ARM64 compiler or run-time !!!!!" >&2
        bundles=(win64 win32)
    fi
}

[ -z "$signing_file" ] || check_signing_input
scripts/install-deps.sh
check_arm64_tools
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
work=$(mktemp -d /tmp/moxvane-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/source" "$work/out"
git archive HEAD | tar -x -C "$work/source"
for name in "${bundles[@]}"; do
    build "$name"
    [ -z "$signing_file" ] || sign "$name"
    run_tests "$name"
    bundle "$name"
done
checksums
mkdir -p "$out"
for file in "$work"/out/*; do
    mv "$file" "$out/"
    echo "wrote $out/$(basename "$file")"
done
