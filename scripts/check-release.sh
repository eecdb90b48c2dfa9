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
# - verify-release.sh, in a scratch clone whose origin's main is this
#   commit, proves the unsigned, the signed and the time-stamped release from
#   the source, naming the signer or saying it is unsigned, and refuses a
#   table of forged release folders before it builds anything: fork's refs,
#   foreign, nested and padded signatures among them. It proves a release
#   signed by another certificate naming that one, reads the folder once
#   though a zip is swapped during the build, runs unzip, openssl,
#   osslsigncode and cmake as no root, and refuses an exe changed and signed
#   again.
# - Unusable signing input, or a time-stamping server that cannot be
#   reached, stops the release with a message and writes nothing.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
repo=$PWD
source scripts/lib/wine-session.sh
source scripts/lib/release-build.sh
work=$(mktemp -d /tmp/moxvane-check-release.XXXXXX)
chmod 755 "$work"  # verify-release reads it as nobody
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
for_bundles what_runs_here "${RELEASE_BUNDLES[@]}"
mapfile -t bundles < <(buildable_bundles)

# A copy of a release folder with each zip's files beside it, in its
# bundle's folder; the folder itself stays as released.
unpack() {
    local bundle
    cp -a "$1" "$1.unpacked"
    for bundle in "${bundles[@]}"; do
        unzip -q -o "$1"/Moxvane-*-"$bundle".zip -d "$1.unpacked/$bundle"
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
        "$(cd "$work/first.unpacked" && exit_status sha256sum -c SHA256SUMS)"
    for bundle in "${bundles[@]}"; do
        if [ -z "$(git status --porcelain)" ]; then
            check "the released $bundle exe is the tested one" same \
                "$(same_files "$work/first.unpacked/$bundle/Moxvane.exe" "build/${PRESET_OF[${BUILD_OF[$bundle]}]}/ui/Moxvane.exe")"
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
        exe=$work/signed.unpacked/$bundle/Moxvane.exe
        check "the signed $bundle exe verifies" 0 \
            "$(exit_status osslsigncode verify -in "$exe" -CAfile "$work/cert.pem")"
        check "the signed $bundle exe differs from the unsigned one" different \
            "$(same_files "$exe" "$work/first.unpacked/$bundle/Moxvane.exe")"
        cp "$exe" "$work/tampered.exe"
        flip_code_byte "$work/tampered.exe"
        check "one flipped byte fails the $bundle verification" failed \
            "$(exit_status osslsigncode verify -in "$work/tampered.exe" -CAfile "$work/cert.pem")"
        if [ "${RUNS[${BUILD_OF[$bundle]}]}" = no ]; then
            echo "skipped: the signed $bundle program shows its window (this machine cannot start its programs)"
            continue
        fi
        check "the signed $bundle program shows its window" 434x252 \
            "$(shows_window "$work/signed.unpacked/$bundle" "$bundle")"
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
        osslsigncode verify -in "$work/stamped.unpacked/$bundle/Moxvane.exe" -CAfile "$work/cert.pem" \
            -TSA-CAfile "$work/tsa/tsa-cert.pem" >"$work/verify.log" 2>&1 || true
        check "the time-stamped $bundle exe verifies with its time stamp" 2 \
            "$(grep -c -e '^Timestamp Server Signature verification: ok' \
                -e '^Signature verification: ok' "$work/verify.log")"
    done
}

# verify-release.sh on a folder, in the scratch clone, with the variables
# given: its exit status and its verdict, the last line it prints.
verdict_of() {
    local status=0
    (cd "$work/clone" && env "${@:2}" "$repo/scripts/verify-release.sh" "$1") >"$work/verify-release.log" 2>&1 ||
        status=$?
    echo "$status $(tail -n 1 "$work/verify-release.log")"
}

# Proved, and what it says of the signature: "unsigned", "signed by", or
# "time-stamped"; its whole output where not.
verified() {
    local name=$1 release=$2 said=$3 verdict
    verdict=$(verdict_of "$release")
    if [[ $verdict == "0 verify-release: PROVED: "*"holds no later version" ]] &&
        grep -q ": $said" "$work/verify-release.log"; then
        check "verify-release proves the $name release, saying $said" proved proved
        grep -e 'signed by' -e 'time-stamped' "$work/verify-release.log" | sed 's/^/  /' || true
    else
        check "verify-release proves the $name release, saying $said" proved "$verdict"
        cat "$work/verify-release.log"
    fi
}

# A copy of a genuine release to forge, with SHA256SUMS made anew over its
# zips and BUILDINFO after FORGERY ran in it, as a forger would.
forge() {
    local from=$1 forgery=$2 folder=$work/forged
    rm -rf "$folder"
    cp -a "$from" "$folder"
    (
        cd "$folder"
        "$forgery" >/dev/null
        sums_anew
    )
    echo "$folder"
}

sums_anew() {
    local bundle present=() stage=$work/sums-stage
    rm -rf "$stage"
    for bundle in "${RELEASE_BUNDLES[@]}"; do
        if [ -f "Moxvane-$version-$bundle.zip" ]; then
            mkdir -p "$stage/$bundle"
            unzip -p "Moxvane-$version-$bundle.zip" Moxvane.exe >"$stage/$bundle/Moxvane.exe" 2>/dev/null || true
            present+=("$bundle")
        fi
    done
    release_checksums . "$stage" "$version" "${present[@]}"
}

set_field() {
    sed -i "s/^$1: .*/$1: $2/" BUILDINFO
}

# BUILDINFO as release.sh writes it for the win64 bundle alone.
win64_alone() {
    set_field Bundles win64
    sed -i '/^ARM64-Runtime-Sources:/,$d' BUILDINFO
    rm -f Moxvane-*-win32.zip Moxvane-*-arm64.zip
}

# A zip's files, unpacked into z/ to be changed, then zipped again in the
# release's order.
open_zip() {
    mkdir z
    unzip -q "$1" -d z
}
close_zip() {
    rm "$1"
    (
        cd z
        zip -q -X --symlinks "../$1" "${@:2}"
    )
    rm -rf z
}

# A scratch clone whose origin's main is this commit; a fork's tag and a
# fork's main, as reviewing a pull request brings them, hold commits of
# their own, as does no ref at all; a replace ref swaps this commit for one.
make_clone() {
    local clone=(git -C "$work/clone")
    git init -q "$work/clone"
    "${clone[@]}" remote add origin "$repo"
    "${clone[@]}" fetch -q origin "+HEAD:refs/remotes/origin/main"
    outside_commit=$(commit_outside_main "no ref")
    "${clone[@]}" tag v9.99 "$(commit_outside_main "a fork's tag")"
    "${clone[@]}" update-ref refs/remotes/alice/main "$(commit_outside_main "a fork's main")"
    "${clone[@]}" replace "$(git rev-parse HEAD)" "$outside_commit"  # would build that one in its place
}

# This commit with a build that would run a command: verify-release must
# refuse it before anything of it runs.
commit_outside_main() {
    local clone=(git -C "$work/clone") blob tree
    blob=$( (echo "execute_process(COMMAND touch $work/the-forgers-command-ran)"
        git show HEAD:CMakeLists.txt) | "${clone[@]}" hash-object -w --stdin)
    GIT_INDEX_FILE=$work/other-index "${clone[@]}" read-tree origin/main
    GIT_INDEX_FILE=$work/other-index "${clone[@]}" update-index --cacheinfo "100644,$blob,CMakeLists.txt"
    tree=$(GIT_INDEX_FILE=$work/other-index "${clone[@]}" write-tree)
    GIT_AUTHOR_NAME=check-release GIT_AUTHOR_EMAIL=check-release@localhost \
        GIT_COMMITTER_NAME=check-release GIT_COMMITTER_EMAIL=check-release@localhost \
        "${clone[@]}" commit-tree "$tree" -p origin/main -m "check-release: a forger's build on $1"
}

tampered_win32_left_off() {
    open_zip Moxvane-*-win32.zip
    echo "net user forger x /add" >>z/README.txt
    close_zip "$(echo Moxvane-*-win32.zip)" Moxvane.exe LICENSE README.txt
    set_field Bundles win64
    sed -i '/^ARM64-Runtime-Sources:/,$d' BUILDINFO
    rm -f Moxvane-*-arm64.zip
}
no_bundles_line() { sed -i '/^Bundles:/d' BUILDINFO; }
bundle_named_twice() { set_field Bundles "win64 win64"; }
file_added() {
    win64_alone
    echo "@echo off" >update.bat
    zip -q Moxvane-*-win64.zip update.bat
    rm update.bat
}
readme_changed() {
    win64_alone
    open_zip Moxvane-*-win64.zip
    sed -i 's/Windows/Wndows/' z/README.txt
    close_zip "$(echo Moxvane-*-win64.zip)" Moxvane.exe LICENSE README.txt
}
exe_a_link() {
    win64_alone
    open_zip Moxvane-*-win64.zip
    ln -sf "$work/verify/build-win64/ui/Moxvane.exe" z/Moxvane.exe
    close_zip "$(echo Moxvane-*-win64.zip)" Moxvane.exe LICENSE README.txt
}
two_entries_of_one_name() {
    win64_alone
    open_zip Moxvane-*-win64.zip
    cp z/Moxvane.exe z/Moxvane.exf
    close_zip "$(echo Moxvane-*-win64.zip)" Moxvane.exe LICENSE README.txt Moxvane.exf
    LC_ALL=C sed -i 's/Moxvane\.exf/Moxvane.exe/g' Moxvane-*-win64.zip
}
unlisted_zip() { cp Moxvane-*-win64.zip "Moxvane-win64 (1).zip"; }
branch_as_commit() { set_field Commit main; }
commit_twice() { sed -i 's/^\(Commit: .*\)$/\1\n\1/' BUILDINFO; }
outside_main() { set_field Commit "$outside_commit"; }
fork_tag() { set_field Commit "$(git -C "$work/clone" rev-parse v9.99)"; }
fork_main() { set_field Commit "$(git -C "$work/clone" rev-parse alice/main)"; }
nul_byte() { printf 'Format: 1.0\0\n' >>BUILDINFO; }
no_last_line_end() { truncate -s -1 BUILDINFO; }
# The signed win64 exe replaced by EXE, in win64's zip alone.
win64_exe() {
    win64_alone
    open_zip Moxvane-*-win64.zip
    cp "$1" z/Moxvane.exe
    touch -r z/LICENSE z/Moxvane.exe  # the release's time, as release.sh zips it
    close_zip "$(echo Moxvane-*-win64.zip)" Moxvane.exe LICENSE README.txt
}
foreign_signature() { win64_exe "$work/foreign-signature.exe"; }
nested_signature() { win64_exe "$work/nested.exe"; }
unauthenticated_blob() { win64_exe "$work/blob.exe"; }
escapes() { sed -i 's/^\( cmake (= .*)\)$/\1\x1b[2K\rverify-release: PROVED/' BUILDINFO; }
climbing_name() { mv Moxvane-*-win64.zip Moxvane-...zip; }
symbolic_link() { ln -s /dev/zero SHA256SUMS.sig; }
special_file() { mkfifo Moxvane-1.01-pipe.zip; }
other_epoch() { set_field Source-Date-Epoch 1; }

# How a release is forged, and what verify-release must say as it refuses
# it (exit status 1), all before it builds anything.
forgeries=(
    "a tampered win32 zip left off Bundles|tampered_win32_left_off|REFUSED: BUILDINFO: Bundles: names win64, but the folder holds"
    "no Bundles line|no_bundles_line|REFUSED: BUILDINFO: Bundles: missing"
    "a bundle named twice|bundle_named_twice|REFUSED: BUILDINFO: Bundles: a bundle named twice"
    "a file added to a zip|file_added|not exactly Moxvane.exe LICENSE README.txt"
    "a changed README|readme_changed|its README.txt is not the one the sources of"
    "an exe that is a symbolic link|exe_a_link|REFUSED: win64/Moxvane.exe: not a Windows program"
    "two entries of one name|two_entries_of_one_name|holds Moxvane.exe LICENSE README.txt Moxvane.exe, not exactly"
    "an unlisted zip|unlisted_zip|not a file of a release"
    "a branch name as Commit|branch_as_commit|REFUSED: BUILDINFO: Commit: not a full commit id"
    "two Commit lines|commit_twice|REFUSED: BUILDINFO: Commit: given twice"
    "a commit outside main whose build runs a command|outside_main|is not in the history of refs/remotes/origin/main"
    "a commit of a fork's tag|fork_tag|is not in the history of refs/remotes/origin/main"
    "a commit of a fork's main|fork_main|is not in the history of refs/remotes/origin/main"
    "a NUL byte in BUILDINFO|nul_byte|REFUSED: BUILDINFO: control characters, NUL bytes"
    "BUILDINFO without a last line end|no_last_line_end|REFUSED: BUILDINFO: its last line has no line end"
    "another build's signature on the exe|foreign_signature|signature was made for other bytes than this exe's"
    "a nested second signature|nested_signature|REFUSED: win64/Moxvane.exe: a nested second signature"
    "unauthenticated data in the signature|unauthenticated_blob|REFUSED: win64/Moxvane.exe: unauthenticated data"
    "escapes in BUILDINFO|escapes|REFUSED: BUILDINFO: control characters"
    "a zip name that climbs out of the folder|climbing_name|REFUSED: Moxvane-...zip: not a file of a release"
    "a symbolic link beside the files|symbolic_link|REFUSED: SHA256SUMS.sig: a symbolic link"
    "a special file beside the files|special_file|not a regular file"
    "another time than the commit's|other_epoch|REFUSED: BUILDINFO: Source-Date-Epoch: not the time of commit"
)

# Each refused with its reason, and nothing of the folder printed raw.
refused_forgeries() {
    local row name forgery expected folder verdict escapes
    for row in "${forgeries[@]}"; do
        IFS='|' read -r name forgery expected <<<"$row"
        folder=$(forge "$work/first" "$forgery")
        verdict=$(verdict_of "$folder")
        escapes=$(grep -c $'\e' "$work/verify-release.log" || true)
        if [[ $verdict == "1 verify-release: "*"$expected"* ]] && [ "$escapes" -eq 0 ]; then
            check "verify-release refuses $name" refused refused
        else
            check "verify-release refuses $name" "1 verify-release: ...$expected..., no escape" \
                "$verdict, $escapes escapes"
        fi
    done
    check "the forger's build never ran" absent \
        "$(if [ -e "$work/the-forgers-command-ran" ]; then echo ran; else echo absent; fi)"
}

# Signatures to forge with: the signed win64 exe with a byte of its code
# changed and signed again with the same certificate; the unsigned one with
# that signature attached; the signed one with a second signature nested in
# it, or unauthenticated data added; the unsigned one signed by another
# certificate, the publisher's riding along.
odd_signatures() {
    local signed=$work/signed.unpacked/win64/Moxvane.exe unsigned=$work/first.unpacked/win64/Moxvane.exe
    local sign=(osslsigncode sign -h sha256 -n Moxvane -time "$(git log -1 --format=%ct HEAD)")
    osslsigncode remove-signature -in "$signed" -out "$work/changed.exe" >/dev/null
    flip_code_byte "$work/changed.exe"
    "${sign[@]}" -pkcs12 "$work/signing.p12" -readpass "$work/password" -in "$work/changed.exe" \
        -out "$work/resigned.exe" >/dev/null
    osslsigncode extract-signature -in "$work/resigned.exe" -out "$work/resigned.signature" >/dev/null
    osslsigncode attach-signature -sigin "$work/resigned.signature" -in "$unsigned" \
        -out "$work/foreign-signature.exe" >/dev/null 2>&1 || true  # it says "Signature mismatch"
    openssl req -x509 -newkey rsa:2048 -noenc -keyout "$work/other-key.pem" -out "$work/other.pem" \
        -days 30 -subj "/CN=Moxvane other signer" 2>/dev/null
    "${sign[@]}" -certs "$work/other.pem" -key "$work/other-key.pem" -nest -in "$signed" \
        -out "$work/nested.exe" >/dev/null
    osslsigncode add -addUnauthenticatedBlob -in "$signed" -out "$work/blob.exe" >/dev/null
    cat "$work/other.pem" "$work/cert.pem" >"$work/riding-along.pem"
    "${sign[@]}" -certs "$work/riding-along.pem" -key "$work/other-key.pem" -in "$unsigned" \
        -out "$work/riding-along.exe" >/dev/null
}

resigned_win64() { win64_exe "$work/resigned.exe"; }
resigned() {
    local folder verdict
    folder=$(forge "$work/signed" resigned_win64)
    verdict=$(verdict_of "$folder")
    if [[ $verdict == "1 verify-release: NOT REPRODUCED: "* ]]; then
        check "verify-release refuses an exe changed and signed again" refused refused
    else
        check "verify-release refuses an exe changed and signed again" \
            "1 verify-release: NOT REPRODUCED: ..." "$verdict"
    fi
    grep 'its Moxvane.exe' "$work/verify-release.log" | sed 's/^/  /' || true
}

# Stand-ins for the tools verify-release runs on the folder: each records
# who ran it, then runs the real one; cmake first swaps the forged win64
# zip for the bytes in $work/swap, where that exists, as a folder on a
# share could change during the build.
make_shims() {
    local name
    mkdir "$work/shims"
    touch "$work/uids"
    chmod 666 "$work/uids"
    for name in cmake unzip openssl osslsigncode; do
        cat >"$work/shims/$name" <<SHIM
#!/bin/sh
echo "$name \$(id -u)" >>"$work/uids"
if [ $name = cmake ] && [ -f "$work/swap" ]; then cat "$work/swap" >"$work/forged/Moxvane-$version-win64.zip"; fi
exec $(command -v "$name") "\$@"
SHIM
        chmod 755 "$work/shims/$name"
    done
}

# Signed by another certificate, the publisher's riding along: proved, the
# signer named, though its zip is swapped during the build; the tools that
# read the folder never run as root.
riding_along_exe() { win64_exe "$work/riding-along.exe"; }
riding_along() {
    local folder original verdict signers
    make_shims
    folder=$(forge "$work/signed" riding_along_exe)
    original=$(cd "$folder" && sha256sum Moxvane-*-win64.zip)
    cp "$work/first/Moxvane-$version-win32.zip" "$work/swap"
    chmod a+w "$folder/Moxvane-$version-win64.zip"
    verdict=$(verdict_of "$folder" PATH="$work/shims:$PATH")
    rm "$work/swap"
    signers=$(grep 'signed by' "$work/verify-release.log" | grep -c 'subject=CN=Moxvane other signer' || true)
    check "verify-release proves a release signed by another certificate, naming that one" \
        "0 verify-release: PROVED, 1 named" "${verdict%%: every byte*}, $signers named"
    check "verify-release reads the folder once: a zip swapped during the build changes nothing" \
        "swapped, listed as it was" "$(if [ "$(cd "$folder" && sha256sum Moxvane-*-win64.zip)" != "$original" ]; then echo -n swapped; fi
            if grep -qxF "$original" "$work/verify-release.log"; then echo ", listed as it was"; fi)"
    check "verify-release runs unzip, openssl, osslsigncode and cmake, and never as root" \
        "cmake openssl osslsigncode unzip, root 0 times" \
        "$(cut -d ' ' -f 1 "$work/uids" | sort -u | paste -sd ' ' -), root $(grep -c ' 0$' "$work/uids" || true) times"
}

# Root in a clone that another user owns: git refuses it, and verify-release
# says so with git's reason.
other_owner() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "skipped: verify-release as root in a clone another user owns (not run as root)"
        return 0
    fi
    local verdict
    chown -R nobody "$work/clone"
    verdict=$(verdict_of "$work/first")
    chown -R 0:0 "$work/clone"
    if [[ $verdict == "2 verify-release: CANNOT VERIFY HERE: git refuses this clone: "*"dubious ownership"* ]]; then
        check "verify-release, as root in a clone another user owns, gives git's reason" said said
    else
        check "verify-release, as root in a clone another user owns, gives git's reason" \
            "2 ... dubious ownership ..." "$verdict"
    fi
}

# The three genuine releases proved, every forged one refused.
proved() {
    version=$(echo "$work"/first/Moxvane-*-win64.zip)
    version=${version##*/Moxvane-} version=${version%-win64.zip}
    make_clone
    odd_signatures
    verified unsigned "$work/first" unsigned
    verified signed "$work/signed" "signed by"
    verified time-stamped "$work/stamped" "time-stamped"
    refused_forgeries
    riding_along
    other_owner
    resigned
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
