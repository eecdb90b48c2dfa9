#!/usr/bin/env bash
# Makes the release bundle from the committed sources (HEAD), in a fresh build
# directory and a fresh Wine prefix: Moxvane.exe with the release flags,
# checked by the image and resource tests, optionally Authenticode-signed,
# zipped with LICENSE and README.txt, and SHA256SUMS for the zip and the exe.
# Two runs on one commit give byte-identical files: every time stamp in them
# is the commit's.
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

build() {
    mkdir "$work/source"
    git archive HEAD | tar -x -C "$work/source"
    wine_session_start "$work/build"
    trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
    cmake -S "$work/source" -B "$work/build" --toolchain "$work/source/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "$work/build" --target Moxvane ResourceTests ProgramImageTests \
        -j "$(nproc)" >/dev/null
    exe=$work/build/ui/Moxvane.exe
    version=$(cat "$work/build/version.txt")
}

# Signed in place, so that the tests below check the signed program. The
# signing time is the commit's, which keeps the signature reproducible.
sign() {
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
    echo "signed and verified: $(grep -m1 'Subject:' "$work/verify.log" | sed 's/^[[:space:]]*//')"
}

run_tests() {
    ctest --test-dir "$work/build" -R '^(ResourceTests|ProgramImageTests)$' \
        --output-on-failure >"$work/tests.log" 2>&1 || {
        cat "$work/tests.log" >&2
        fail "the image or resource tests failed"
    }
}

# The texts come from the committed sources too, with Windows line ends.
# Entries in a fixed order, with the commit's time and fixed attributes, and
# no extra fields: the zip depends on the file contents alone.
bundle() {
    local stage=$work/bundle name=Moxvane-$version-win64.zip
    mkdir "$stage" "$work/out"
    cp "$exe" "$stage/Moxvane.exe"
    sed 's/$/\r/' "$work/source/LICENSE" >"$stage/LICENSE"
    sed "s/@VERSION@/$version/g; s/\$/\r/" "$work/source/docs/bundle/README.txt" >"$stage/README.txt"
    chmod 644 "$stage"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
    (cd "$stage" && TZ=UTC zip -q -X -D "$work/out/$name" Moxvane.exe LICENSE README.txt)
    (cd "$work/out" && sha256sum "$name" && cd "$stage" && sha256sum Moxvane.exe) \
        >"$work/out/SHA256SUMS"
    mkdir -p "$out"
    mv "$work/out/$name" "$work/out/SHA256SUMS" "$out/"
    echo "wrote $out/$name and $out/SHA256SUMS"
}

[ -z "$signing_file" ] || check_signing_input
scripts/install-deps.sh
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
work=$(mktemp -d /tmp/moxvane-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
build
[ -z "$signing_file" ] || sign
run_tests
bundle
