#!/usr/bin/env bash
# Checks the release bundles from outside, as a maintainer and a user would,
# in 15 to 25 minutes. Run after scripts/test.sh, which builds build/mingw,
# build/mingw-x86 and build/mingw-arm64.
# - Two runs of scripts/release.sh on this commit give byte-identical files,
#   and (in a clean work tree) the same Moxvane.exe as the tested builds.
# - Signed with a certificate made here: each signature verifies, a single
#   flipped byte makes it fail, and each signed program shows its window.
# - Time-stamped by a server started here on 127.0.0.1: each exe verifies
#   with its time stamp.
# - verify-release.sh proves the unsigned, the signed and the time-stamped
#   release from the source, and refuses an exe changed and signed again,
#   and a BUILDINFO that names another commit.
# - Unusable signing input, or a time-stamping server that cannot be
#   reached, stops the release with a message and writes nothing.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
repo=$PWD
source scripts/lib/wine-session.sh
source scripts/lib/release-build.sh
work=$(mktemp -d /tmp/moxvane-check-release.XXXXXX)
on_exit rm -rf "$work"
on_exit scripts/lib/timestamp-server stop "$work/tsa"
passed=0 failed=0

check() {
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
        passed=$((passed + 1))
    else
        printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
        failed=$((failed + 1))
    fi
}
same_files() {
    if cmp -s "$1" "$2"; then echo same; else echo different; fi
}
exit_status() {
    if "$@" >/dev/null 2>&1; then echo 0; else echo failed; fi
}

# The bundles this machine builds, each with the build of the test suite that
# made the same program.
what_runs_here_for "${RELEASE_BUNDLES[@]}"
mapfile -t bundles < <(buildable_bundles)

unpack() {
    local bundle
    for bundle in "${bundles[@]}"; do
        unzip -q -o "$1"/Moxvane-*-"$bundle".zip -d "$1/$bundle"
    done
}

reproducible() {
    scripts/release.sh "$work/first" >/dev/null
    scripts/release.sh "$work/second" >/dev/null
    local file bundle
    for file in "$work"/first/*; do
        file=$(basename "$file")
        check "two releases give the same $file" same "$(same_files "$work/first/$file" "$work/second/$file")"
    done
    unpack "$work/first"
    check "SHA256SUMS matches every zip and exe" 0 \
        "$(cd "$work/first" && exit_status sha256sum -c SHA256SUMS)"
    for bundle in "${bundles[@]}"; do
        if [ -z "$(git status --porcelain)" ]; then
            check "the released $bundle exe is the tested one" same \
                "$(same_files "$work/first/$bundle/Moxvane.exe" "build/${PRESET_OF[${BUILD_OF[$bundle]}]}/ui/Moxvane.exe")"
        else
            echo "skipped: the released $bundle exe is the tested one (the work tree has uncommitted changes)"
        fi
    done
}

# One byte of the code, at file offset 4096, turned into another.
flip_code_byte() {
    local byte
    byte=$(od -An -tu1 -j4096 -N1 "$1")
    printf '%b' "\\x$(printf %02x $((byte ^ 255)))" |
        dd of="$1" bs=1 seek=4096 conv=notrunc status=none
}

make_certificate() {
    printf 'correct horse\n' >"$work/password"
    printf 'wrong\n' >"$work/wrong-password"
    openssl req -x509 -newkey rsa:2048 -noenc -keyout "$work/key.pem" -out "$work/cert.pem" \
        -days 30 -subj "/CN=Moxvane test signing" -addext "extendedKeyUsage=codeSigning" \
        2>/dev/null
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" \
        -out "$work/signing.p12" -passout "file:$work/password"
    openssl pkcs12 -export -nokeys -in "$work/cert.pem" -out "$work/no-key.p12" \
        -passout "file:$work/password"
}

shows_window() {
    local dir=$1 tested=build/${PRESET_OF[${BUILD_OF[$2]}]}
    local -x MOXVANE_FOREIGN_WINE=${WINE_OF[${BUILD_OF[$2]}]}
    wine_session_start "$repo/$tested"
    scripts/lib/xvfb "$work" start
    local display
    display=:$(cat "$work/xvfb.display")
    cp "$tested/tests/ui/WindowProbe.exe" "$dir/"
    (cd "$dir" && DISPLAY=$display "$windows_run" Moxvane.exe >/dev/null 2>&1 </dev/null) &
    local size
    size=$(cd "$dir" && DISPLAY=$display "$windows_run" WindowProbe.exe form 2>/dev/null </dev/null | tr -d '\r')
    wine_session_end
    scripts/lib/xvfb "$work" stop
    echo "$size"
}

signed() {
    SIGN_PKCS12=$work/signing.p12 SIGN_PASSWORD_FILE=$work/password \
        scripts/release.sh "$work/signed" >/dev/null
    unpack "$work/signed"
    local bundle exe
    for bundle in "${bundles[@]}"; do
        exe=$work/signed/$bundle/Moxvane.exe
        check "the signed $bundle exe verifies" 0 \
            "$(exit_status osslsigncode verify -in "$exe" -CAfile "$work/cert.pem")"
        check "the signed $bundle exe differs from the unsigned one" different \
            "$(same_files "$exe" "$work/first/$bundle/Moxvane.exe")"
        cp "$exe" "$work/tampered.exe"
        flip_code_byte "$work/tampered.exe"
        check "one flipped byte fails the $bundle verification" failed \
            "$(exit_status osslsigncode verify -in "$work/tampered.exe" -CAfile "$work/cert.pem")"
        if [ "${RUNS[${BUILD_OF[$bundle]}]}" = no ]; then
            echo "skipped: the signed $bundle program shows its window (this machine cannot start its programs)"
            continue
        fi
        check "the signed $bundle program shows its window" 434x252 \
            "$(shows_window "$work/signed/$bundle" "$bundle")"
    done
}

# Time-stamped by the test's own server: each exe verifies with its stamp.
stamped() {
    scripts/lib/timestamp-server start "$work/tsa"
    SIGN_PKCS12=$work/signing.p12 SIGN_PASSWORD_FILE=$work/password \
        SIGN_TIMESTAMP_URL=$(cat "$work/tsa/url") SIGN_TIMESTAMP_CA=$work/tsa/tsa-cert.pem \
        scripts/release.sh "$work/stamped" >/dev/null
    scripts/lib/timestamp-server stop "$work/tsa"
    unpack "$work/stamped"
    local bundle
    for bundle in "${bundles[@]}"; do
        osslsigncode verify -in "$work/stamped/$bundle/Moxvane.exe" -CAfile "$work/cert.pem" \
            -TSA-CAfile "$work/tsa/tsa-cert.pem" >"$work/verify.log" 2>&1 || true
        check "the time-stamped $bundle exe verifies with its time stamp" 2 \
            "$(grep -c -e '^Timestamp Server Signature verification: ok' \
                -e '^Signature verification: ok' "$work/verify.log")"
    done
}

# verify-release.sh on a release: every exe reproduced, or (with "refused")
# not, as its exit status and its lines say.
verified() {
    local name=$1 release=$2 expected=${3:-reproduced} status=0
    scripts/verify-release.sh "$release" >"$work/verify-release.log" 2>&1 || status=$?
    local reproduced not_reproduced
    reproduced=$(grep -c ': reproduced' "$work/verify-release.log" || true)
    not_reproduced=$(grep -c ': NOT REPRODUCED' "$work/verify-release.log" || true)
    if [ "$expected" = reproduced ]; then
        check "verify-release: every exe of the $name release reproduced" \
            "0 $(grep -c '/Moxvane.exe$' "$release/SHA256SUMS") 0" "$status $reproduced $not_reproduced"
    else
        check "verify-release refuses the $name release" "failed 0 1" \
            "$(if [ "$status" -ne 0 ]; then echo failed; else echo 0; fi) $reproduced $not_reproduced"
    fi
    if [ "$expected" = refused ]; then
        grep ': NOT REPRODUCED' "$work/verify-release.log" | sed 's/^/  /' || true
    elif [ "$status" -ne 0 ]; then
        cat "$work/verify-release.log"
    fi
}

# A release of the win64 bundle alone, from FROM, with its exe replaced by
# EXE and BUILDINFO naming COMMIT; SHA256SUMS made anew to match, as someone
# who changed it would.
forged() {
    local from=$1 to=$2 exe=$3 commit=$4 zip
    mkdir -p "$to/stage"
    zip=$(basename "$from"/Moxvane-*-win64.zip)
    cp "$from/$zip" "$to/"
    cp "$exe" "$to/stage/Moxvane.exe"
    (cd "$to/stage" && zip -q "$to/$zip" Moxvane.exe)
    sed "s/^Commit: .*/Commit: $commit/; s/^Bundles: .*/Bundles: win64/" "$from/BUILDINFO" \
        >"$to/BUILDINFO"
    mkdir -p "$to/win64"
    mv "$to/stage/Moxvane.exe" "$to/win64/"
    (cd "$to" && sha256sum "$zip" win64/Moxvane.exe BUILDINFO >SHA256SUMS)
    rm -rf "$to/stage" "$to/win64"
}

# This commit with another web address in the window: a commit whose
# program differs, kept out of every branch.
other_commit() {
    local blob tree
    blob=$(git show HEAD:ui/Form1Layout.h | sed 's/www\.example\.com/www.example.org/' |
        git hash-object -w --stdin)
    GIT_INDEX_FILE=$work/other-index git read-tree HEAD
    GIT_INDEX_FILE=$work/other-index git update-index --cacheinfo "100644,$blob,ui/Form1Layout.h"
    tree=$(GIT_INDEX_FILE=$work/other-index git write-tree)
    GIT_AUTHOR_NAME=check-release GIT_AUTHOR_EMAIL=check-release@localhost \
        GIT_COMMITTER_NAME=check-release GIT_COMMITTER_EMAIL=check-release@localhost \
        git commit-tree "$tree" -p HEAD -m "check-release: another web address"
}

# The three releases proved from the source, and two forged ones refused:
# a signed exe with one byte of its code changed and signed again, and an
# unsigned release whose BUILDINFO names another commit.
proved() {
    verified unsigned "$work/first"
    verified signed "$work/signed"
    verified time-stamped "$work/stamped"
    local exe=$work/resigned.exe
    osslsigncode remove-signature -in "$work/signed/win64/Moxvane.exe" -out "$work/changed.exe" \
        >/dev/null
    flip_code_byte "$work/changed.exe"
    osslsigncode sign -pkcs12 "$work/signing.p12" -readpass "$work/password" -h sha256 -n Moxvane \
        -time "$(git log -1 --format=%ct HEAD)" -in "$work/changed.exe" -out "$exe" >/dev/null
    forged "$work/signed" "$work/resigned" "$exe" "$(git rev-parse HEAD)"
    verified "changed and signed again" "$work/resigned" refused
    forged "$work/first" "$work/other" "$work/first/win64/Moxvane.exe" "$(other_commit)"
    verified "another commit's" "$work/other" refused
}

# Each case must stop the release with a message and leave the output
# directory as it was: not there. The signing input is refused before
# anything is built, the time-stamping server once the first exe is signed.
refused() {
    local name=$1 message=$2
    shift 2
    local out=$work/refused-$name status=0
    env "$@" scripts/release.sh "$out" >/dev/null 2>"$work/refused.log" || status=$?
    check "$name: release stops" failed "$(if [ "$status" -ne 0 ]; then echo failed; else echo 0; fi)"
    check "$name: says why" 0 "$(exit_status grep -q "$message" "$work/refused.log")"
    check "$name: writes nothing" absent "$(if [ -e "$out" ]; then echo present; else echo absent; fi)"
}

reproducible
make_certificate
signed
stamped
proved
refused "missing certificate" "cannot read the signing certificate" \
    SIGN_PKCS12="$work/missing.p12" SIGN_PASSWORD_FILE="$work/password"
refused "wrong password" "wrong password" \
    SIGN_PKCS12="$work/signing.p12" SIGN_PASSWORD_FILE="$work/wrong-password"
refused "missing password file" "cannot read the password file" \
    SIGN_PKCS12="$work/signing.p12" SIGN_PASSWORD_FILE="$work/missing"
refused "certificate without key" "no private key" \
    SIGN_PKCS12="$work/no-key.p12" SIGN_PASSWORD_FILE="$work/password"
refused "unreachable time-stamping server" "signing failed" \
    SIGN_PKCS12="$work/signing.p12" SIGN_PASSWORD_FILE="$work/password" \
    SIGN_TIMESTAMP_URL=http://127.0.0.1:9/ SIGN_TIMESTAMP_CA="$work/cert.pem"
echo "check-release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
