#!/usr/bin/env bash
# Makes the release from the committed sources (HEAD): one bundle for 64-bit
# Windows (win64), one for 32-bit Windows (win32) and one for ARM64 Windows
# (arm64), each in a fresh build directory and a fresh Wine prefix:
# Moxvane.exe with the release flags (lib/release-build.sh), optionally
# Authenticode-signed and time-stamped, checked by the image and resource
# tests, zipped with LICENSE and README.txt; BUILDINFO, what the exes were
# built from and with; and one SHA256SUMS for the zips, the exes (as
# win64/Moxvane.exe, win32/Moxvane.exe and arm64/Moxvane.exe) and BUILDINFO.
# Two runs on one commit give byte-identical files, signed ones too: every
# time in them is the commit's. A time stamp is the server's, so a
# time-stamped release is proved by verify-release.sh instead. Where the
# machine cannot build for ARM64, the arm64 bundle is left out; where a
# bundle's programs cannot start here, its tests are not run; each with its
# loud line (lib/runs-here.sh). 3 to 6 minutes.
#
# Usage: scripts/release.sh [OUTDIR]              (default dist/)
#   SIGN_PKCS12=FILE [SIGN_PASSWORD_FILE=FILE]     sign the program with this
#                                                  certificate and key
#   SIGN_TIMESTAMP_URL=URL                         and have this RFC 3161
#   [SIGN_TIMESTAMP_CA=FILE]                       server countersign it; its
#                                                  stamp must verify against
#                                                  FILE (default: the
#                                                  system's certificates)
# Nothing is written to OUTDIR unless the whole release was made.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source scripts/lib/wine-session.sh
source scripts/lib/release-build.sh
out=$(realpath -m "${1:-dist}")
signing_file=${SIGN_PKCS12:-}
password_file=${SIGN_PASSWORD_FILE:-}
timestamp_url=${SIGN_TIMESTAMP_URL:-}
timestamp_ca=${SIGN_TIMESTAMP_CA:-/etc/ssl/certs/ca-certificates.crt}

# The signing input is checked before anything is built, so a typo costs
# seconds, not a build.
password_option() {
    if [ -n "$password_file" ]; then echo "file:$password_file"; else echo "pass:"; fi
}
check_signing_input() {
    if [ ! -f "$signing_file" ] || [ ! -r "$signing_file" ]; then
        fail "cannot read the signing certificate SIGN_PKCS12='$signing_file'"
    fi
    if [ -n "$password_file" ] && { [ ! -f "$password_file" ] || [ ! -r "$password_file" ]; }; then
        fail "cannot read the password file SIGN_PASSWORD_FILE='$password_file'"
    fi
    local password
    password=$(password_option)
    openssl pkcs12 -in "$signing_file" -passin "$password" -noout 2>/dev/null ||
        fail "cannot open '$signing_file': wrong password, or not a PKCS#12 file"
    local keys
    keys=$(openssl pkcs12 -in "$signing_file" -passin "$password" -nocerts -noenc 2>/dev/null)
    if [[ $keys != *"PRIVATE KEY"* ]]; then
        fail "'$signing_file' holds no private key to sign with"
    fi
    if [ -n "$timestamp_url" ] && [ ! -r "$timestamp_ca" ]; then
        fail "cannot read the time stamp's certificates SIGN_TIMESTAMP_CA='$timestamp_ca'"
    fi
}

# A Wine session for the build directory, under the Wine that runs the
# bundle's programs; the work directory goes at the end.
session() {
    MOXVANE_FOREIGN_WINE=${WINE_OF[${BUILD_OF[$1]}]} wine_session_start "$2"
}

build() {
    local bundle=$1 dir=$work/build-$1
    if [ "${RUNS[${BUILD_OF[$bundle]}]}" = yes ]; then
        session "$bundle" "$dir"
    fi
    release_build "$bundle" "$work/source" "$dir" Moxvane ResourceTests ProgramImageTests
    version=$(cat "$dir/version.txt")
}

# Signed in place, so that the tests below check the signed program. The
# signing time is the commit's, which keeps the signature reproducible; a
# time stamp is checked against the time-stamping server's certificates.
sign() {
    local exe=$work/build-$1/ui/Moxvane.exe
    local args=(-pkcs12 "$signing_file" -h sha256 -n Moxvane -time "$SOURCE_DATE_EPOCH")
    if [ -n "$password_file" ]; then
        args+=(-readpass "$password_file")
    fi
    local verify_args=(-CAfile "$work/certificates.pem")
    if [ -n "$timestamp_url" ]; then
        args+=(-ts "$timestamp_url")
        verify_args+=(-TSA-CAfile "$timestamp_ca")
    fi
    osslsigncode sign "${args[@]}" -in "$exe" -out "$work/signed.exe" >"$work/sign.log" 2>&1 ||
        fail "$1: signing failed: $(grep -m1 -iE 'error|fail' "$work/sign.log" || tail -1 "$work/sign.log")"
    local password
    password=$(password_option)
    openssl pkcs12 -in "$signing_file" -passin "$password" -nokeys \
        -out "$work/certificates.pem" 2>/dev/null
    osslsigncode verify -in "$work/signed.exe" "${verify_args[@]}" >"$work/verify.log" 2>&1 ||
        fail "$1: the signature does not verify: $(grep -m1 -iE 'error|fail' "$work/verify.log")"
    if [ -n "$timestamp_url" ] &&
        ! grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log"; then
        fail "$1: $timestamp_url gave no valid time stamp: $(grep -m1 -i 'timestamp' "$work/verify.log")"
    fi
    mv "$work/signed.exe" "$exe"
    echo "$1: signed and verified: $(grep -m1 'Subject:' "$work/verify.log" | sed 's/^[[:space:]]*//')"
}

# Where the bundle's programs cannot start here, what_runs_here has said so.
run_tests() {
    local dir=$work/build-$1
    if [ "${RUNS[${BUILD_OF[$1]}]}" = no ]; then
        return 0
    fi
    if ! ctest --test-dir "$dir" -R '^(ResourceTests|ProgramImageTests)$' \
        --output-on-failure >"$work/tests.log" 2>&1; then
        cat "$work/tests.log" >&2
        fail "$1: the image or resource tests failed"
    fi
}

if [ -n "$timestamp_url" ] && [ -z "$signing_file" ]; then
    fail "SIGN_TIMESTAMP_URL needs SIGN_PKCS12: only a signature can be time-stamped"
fi
if [ -n "$signing_file" ]; then
    check_signing_input
fi
scripts/install-deps.sh
for_bundles what_runs_here "${RELEASE_BUNDLES[@]}"
mapfile -t bundles < <(buildable_bundles)
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
work=$(mktemp -d /tmp/moxvane-release.XXXXXX)
on_exit rm -rf "$work"
mkdir "$work/source" "$work/out"
git archive "$commit" | tar -x -C "$work/source"
for name in "${bundles[@]}"; do
    build "$name"
    if [ -n "$signing_file" ]; then
        sign "$name"
    fi
    run_tests "$name"
    release_zip "$name" "$work/source" "$work/build-$name/ui/Moxvane.exe" "$version" \
        "$work/stage" "$work/out"
done
write_buildinfo "$work/out/BUILDINFO" "$commit" "${bundles[@]}"
release_checksums "$work/out" "$work/stage" "$version" "${bundles[@]}"
mkdir -p "$out"
for file in "$work"/out/*; do
    mv "$file" "$out/"
    echo "wrote $out/$(basename "$file")"
done
