#!/usr/bin/env bash
# Checks the release bundles from outside, as a maintainer and a user would.
# Run after scripts/test.sh, which builds build/mingw, build/mingw-x86 and
# build/mingw-arm64.
# - Two runs of scripts/release.sh on this commit give byte-identical files,
#   and (in a clean work tree) the same Moxvane.exe as the tested builds.
# - Signed with a certificate made here: each signature verifies, a single
#   flipped byte makes it fail, and each signed program shows its window.
# - Unusable signing input stops the release with a message and writes nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
source scripts/wine-session.sh
work=$(mktemp -d /tmp/moxvane-check-release.XXXXXX)
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
same_files() { cmp -s "$1" "$2" && echo same || echo different; }
exit_status() { "$@" >/dev/null 2>&1 && echo 0 || echo failed; }

# The bundles, each with the build of the test suite that made the same
# program. The arm64 one is made where the machine has the ARM64 tools.
bundles=(win64 win32)
[ -f build/arm64-runtime/ready ] && bundles+=(arm64)
declare -A TESTED_BUILD=([win64]=build/mingw [win32]=build/mingw-x86 [arm64]=build/mingw-arm64)

# Where each bundle's programs can run here: with which Wine, or not at all.
runs_here() {
    case $1 in
        win32) wine_runs_x86 ;;
        arm64) [ -f build/arm64-wine/ready ] ;;
    esac
}
wine_of() { if [ "$1" = arm64 ]; then echo "$repo/scripts/arm64-wine.sh"; fi; }

unpack() {
    local bundle
    for bundle in "${bundles[@]}"; do
        unzip -q -o "$1"/Moxvane-*-$bundle.zip -d "$1/$bundle"
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
                "$(same_files "$work/first/$bundle/Moxvane.exe" "${TESTED_BUILD[$bundle]}/ui/Moxvane.exe")"
        else
            echo "skipped: the released $bundle exe is the tested one (the work tree has uncommitted changes)"
        fi
    done
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
    local dir=$1 tested=${TESTED_BUILD[$2]}
    local -x MOXVANE_ARM64_WINE
    MOXVANE_ARM64_WINE=$(wine_of "$2")
    wine_session_start "$repo/$tested"
    tests/ui/xvfb.sh "$work" start
    local display
    display=:$(cat "$work/xvfb.display")
    cp "$tested/tests/ui/WindowProbe.exe" "$dir/"
    (cd "$dir" && DISPLAY=$display windows_run Moxvane.exe >/dev/null 2>&1 </dev/null) &
    local size
    size=$(cd "$dir" && DISPLAY=$display windows_run WindowProbe.exe form 2>/dev/null </dev/null | tr -d '\r')
    wine_session_end
    tests/ui/xvfb.sh "$work" stop
    echo "$size"
}

signed() {
    SIGN_PKCS12=$work/signing.p12 SIGN_PASSWORD_FILE=$work/password \
        scripts/release.sh "$work/signed" >/dev/null
    unpack "$work/signed"
    local bundle exe byte
    for bundle in "${bundles[@]}"; do
        exe=$work/signed/$bundle/Moxvane.exe
        check "the signed $bundle exe verifies" 0 \
            "$(exit_status osslsigncode verify -in "$exe" -CAfile "$work/cert.pem")"
        check "the signed $bundle exe differs from the unsigned one" different \
            "$(same_files "$exe" "$work/first/$bundle/Moxvane.exe")"
        cp "$exe" "$work/tampered.exe"
        byte=$(od -An -tu1 -j4096 -N1 "$work/tampered.exe")
        printf "\\x$(printf %02x $((byte ^ 255)))" |
            dd of="$work/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
        check "one flipped byte fails the $bundle verification" failed \
            "$(exit_status osslsigncode verify -in "$work/tampered.exe" -CAfile "$work/cert.pem")"
        if ! runs_here "$bundle"; then
            echo "skipped: the signed $bundle program shows its window (this machine cannot start its programs)"
            continue
        fi
        check "the signed $bundle program shows its window" 434x252 \
            "$(shows_window "$work/signed/$bundle" "$bundle")"
    done
}

# Each case must stop the release with a message, before anything is built,
# and leave the output directory as it was: not there.
refused() {
    local name=$1 p12=$2 password=$3 message=$4
    local out=$work/refused-$name status=0
    SIGN_PKCS12=$p12 SIGN_PASSWORD_FILE=$password scripts/release.sh "$out" \
        >/dev/null 2>"$work/refused.log" || status=$?
    check "$name: release stops" failed "$([ "$status" -ne 0 ] && echo failed || echo 0)"
    check "$name: says why" yes "$(grep -q "$message" "$work/refused.log" && echo yes || echo no)"
    check "$name: writes nothing" absent "$([ -e "$out" ] && echo present || echo absent)"
}

reproducible
make_certificate
signed
refused "missing certificate" "$work/missing.p12" "$work/password" "cannot read the signing certificate"
refused "wrong password" "$work/signing.p12" "$work/wrong-password" "wrong password"
refused "missing password file" "$work/signing.p12" "$work/missing" "cannot read the password file"
refused "certificate without key" "$work/no-key.p12" "$work/password" "no private key"
rm -rf "$work"
echo "check-release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
