#!/usr/bin/env bash
# Checks the release bundle from outside, as a maintainer and a user would.
# Run after scripts/test.sh, which builds build/mingw.
# - Two runs of scripts/release.sh on this commit give byte-identical files,
#   and (in a clean work tree) the same Moxvane.exe as the tested build.
# - Signed with a certificate made here: the signature verifies, a single
#   flipped byte makes it fail, and the signed program shows its window.
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

reproducible() {
    scripts/release.sh "$work/first" >/dev/null
    scripts/release.sh "$work/second" >/dev/null
    local zip
    zip=$(basename "$work"/first/*.zip)
    check "two releases give the same $zip" same "$(same_files "$work/first/$zip" "$work/second/$zip")"
    check "two releases give the same SHA256SUMS" same \
        "$(same_files "$work/first/SHA256SUMS" "$work/second/SHA256SUMS")"
    unzip -q -o "$work/first/$zip" -d "$work/first/unpacked"
    check "SHA256SUMS matches the zip and the exe" 0 \
        "$(cd "$work/first" && cp unpacked/Moxvane.exe . && exit_status sha256sum -c SHA256SUMS)"
    if [ -z "$(git status --porcelain)" ]; then
        check "the released exe is the tested one" same \
            "$(same_files "$work/first/unpacked/Moxvane.exe" build/mingw/ui/Moxvane.exe)"
    else
        echo "skipped: the released exe is the tested one (the work tree has uncommitted changes)"
    fi
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
    local dir=$1
    wine_session_start "$repo/build/mingw"
    tests/ui/xvfb.sh "$work" start
    local display
    display=:$(cat "$work/xvfb.display")
    cp build/mingw/tests/ui/WindowProbe.exe "$dir/"
    (cd "$dir" && DISPLAY=$display windows_run Moxvane.exe >/dev/null 2>&1 </dev/null) &
    local size
    size=$(cd "$dir" && DISPLAY=$display windows_run WindowProbe.exe form 2>/dev/null </dev/null | tr -d '\r')
    wineserver -k 2>/dev/null || true
    tests/ui/xvfb.sh "$work" stop
    echo "$size"
}

signed() {
    SIGN_PKCS12=$work/signing.p12 SIGN_PASSWORD_FILE=$work/password \
        scripts/release.sh "$work/signed" >/dev/null
    local dir=$work/signed/unpacked
    unzip -q -o "$work"/signed/*.zip -d "$dir"
    check "the signed exe verifies" 0 \
        "$(exit_status osslsigncode verify -in "$dir/Moxvane.exe" -CAfile "$work/cert.pem")"
    check "the signed exe differs from the unsigned one" different \
        "$(same_files "$dir/Moxvane.exe" "$work/first/unpacked/Moxvane.exe")"
    cp "$dir/Moxvane.exe" "$work/tampered.exe"
    local byte
    byte=$(od -An -tu1 -j4096 -N1 "$work/tampered.exe")
    printf "\\x$(printf %02x $((byte ^ 255)))" |
        dd of="$work/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
    check "one flipped byte fails verification" failed \
        "$(exit_status osslsigncode verify -in "$work/tampered.exe" -CAfile "$work/cert.pem")"
    check "the signed program shows its window" 434x252 "$(shows_window "$dir")"
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
