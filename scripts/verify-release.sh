#!/usr/bin/env bash
# Proves that a release was built from this repository's source: checks the
# release folder's SHA256SUMS, builds the commit that its BUILDINFO names with
# the release's flags in a fresh directory, and compares each released exe
# with that build: an unsigned one byte for byte; a signed one after its
# signature is copied onto the build, which must then be the released exe
# byte for byte. One line per exe; exits non-zero on any mismatch. Says first
# where this machine's tools differ from those BUILDINFO names. 2 to 4
# minutes; on a fresh Debian 12 machine it installs what it needs first.
# Usage: scripts/verify-release.sh DIR   (the zips, SHA256SUMS and BUILDINFO)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
repo=$PWD
source scripts/lib/command.sh
source scripts/lib/release-build.sh
release=$(realpath "${1:?usage: scripts/verify-release.sh DIR}")
failed=0

mismatch() {
    echo "$1: NOT REPRODUCED: $2"
    failed=$((failed + 1))
}

# Every file the checksums name, BUILDINFO among them, with the exes
# unpacked beside the zips as their bundle's folder.
check_sums() {
    cp "$release/SHA256SUMS" "$work/"
    if ! grep -q '  BUILDINFO$' "$work/SHA256SUMS"; then
        fail "SHA256SUMS does not list BUILDINFO"
    fi
    cp "$release/BUILDINFO" "$release"/Moxvane-*.zip "$work/"
    local zip bundle
    for zip in "$work"/Moxvane-*.zip; do
        bundle=${zip##*-}
        unzip -q "$zip" Moxvane.exe -d "$work/${bundle%.zip}"
    done
    cd "$work"
    if ! sha256sum --strict --quiet -c SHA256SUMS; then
        fail "the checksums do not match (above)"
    fi
    cd "$repo"
    echo "checksums: every file matches SHA256SUMS"
}

# The tools BUILDINFO names against this machine's: a difference may change
# the bytes, so it is said before the build.
compare_tools() {
    buildinfo_tools "$work/BUILDINFO" >"$work/tools-of-release"
    release_tools >"$work/tools-here"
    if ! cmp -s "$work/tools-of-release" "$work/tools-here"; then
        echo "!!!!! verify-release: this machine's tools differ from those the release was built with" \
            "(< the release's, > this machine's); the exes may differ for that alone: !!!!!"
        diff "$work/tools-of-release" "$work/tools-here" | grep '^[<>]' || true
    fi
}

# A PE file's certificate table (data directory 4): its size, 0 when unsigned.
signature_size() {
    local pe magic directories
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    magic=$(od -An -tx2 -j$((pe + 24)) -N2 "$1" | tr -d ' ')
    directories=$((pe + 24 + 96))
    if [ "$magic" = 020b ]; then
        directories=$((pe + 24 + 112))
    fi
    od -An -tu4 -j$((directories + 4 * 8 + 4)) -N4 "$1" | tr -d ' '
}

# Where two files first differ, or that one is shorter.
first_difference() {
    local answer
    answer=$(cmp "$1" "$2" 2>&1 || true)
    if [[ $answer == *" differ: byte "* ]]; then
        answer=${answer#* differ: byte }
        echo "the first difference is at byte ${answer%%,*}"
    else
        echo "${answer##*: }"
    fi
}

compare() {
    local bundle=$1 released=$work/$1/Moxvane.exe built=$work/build-$1/ui/Moxvane.exe
    local size
    size=$(signature_size "$released")
    if [ "$size" -eq 0 ]; then
        if cmp -s "$released" "$built"; then
            echo "$bundle/Moxvane.exe: reproduced (unsigned, byte for byte)"
        else
            mismatch "$bundle/Moxvane.exe" "differs from the build of $commit: $(first_difference "$released" "$built")"
        fi
        return 0
    fi
    if ! osslsigncode extract-signature -in "$released" -out "$work/$bundle.signature" \
        >"$work/osslsigncode.log" 2>&1; then
        mismatch "$bundle/Moxvane.exe" "its signature cannot be read ($(tail -n 1 "$work/osslsigncode.log"))"
        return 0
    fi
    # attach-signature also checks the signer's chain of trust, which is not
    # the question here (Windows answers it): the bytes it writes are.
    osslsigncode attach-signature -sigin "$work/$bundle.signature" -in "$built" \
        -out "$work/$bundle-attached.exe" >"$work/osslsigncode.log" 2>&1 || true
    if [ ! -f "$work/$bundle-attached.exe" ]; then
        mismatch "$bundle/Moxvane.exe" "its signature cannot be attached to the build of $commit ($(grep -m1 -iE 'error|fail|mismatch' "$work/osslsigncode.log" || tail -n 1 "$work/osslsigncode.log"))"
    elif cmp -s "$released" "$work/$bundle-attached.exe"; then
        echo "$bundle/Moxvane.exe: reproduced (signed: the build of $commit with the release's signature)"
    else
        mismatch "$bundle/Moxvane.exe" "the build of $commit with the release's signature differs: $(first_difference "$released" "$work/$bundle-attached.exe")"
    fi
}

scripts/install-deps.sh
work=$(mktemp -d /tmp/moxvane-verify.XXXXXX)
on_exit rm -rf "$work"
check_sums
commit=$(buildinfo_field "$work/BUILDINFO" Commit)
read -r -a bundles <<<"$(buildinfo_field "$work/BUILDINFO" Bundles)"
SOURCE_DATE_EPOCH=$(buildinfo_field "$work/BUILDINFO" Source-Date-Epoch)
export SOURCE_DATE_EPOCH
if ! git cat-file -e "$commit^{commit}" 2>/dev/null; then
    fail "commit '$commit' is not in this repository: fetch it first"
fi
echo "building $commit: ${bundles[*]}"
compare_tools
mkdir "$work/source"
git archive "$commit" | tar -x -C "$work/source"
what_runs_here_for "${bundles[@]}"
for bundle in "${bundles[@]}"; do
    if [ "${COMPILES[${BUILD_OF[$bundle]}]}" = no ]; then
        mismatch "$bundle/Moxvane.exe" "this machine cannot build it (${WHY_NOT[${BUILD_OF[$bundle]}]})"
        continue
    fi
    release_build "$bundle" "$work/source" "$work/build-$bundle" Moxvane
    compare "$bundle"
done
echo "verify-release: $((${#bundles[@]} - failed)) reproduced, $failed not"
[ "$failed" -eq 0 ]
