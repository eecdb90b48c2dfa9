#!/usr/bin/env bash
# Proves that a release folder is, byte for byte, the release of a commit of
# this repository's main history. The folder is untrusted: it must hold
# exactly the zips of its BUILDINFO's bundles, BUILDINFO and SHA256SUMS, all
# regular files; BUILDINFO is read strictly; the commit must be on main or
# under a tag here before anything of it is built. Then the whole release is
# made again as release.sh makes it (lib/release-build.sh), with the
# release's own signature attached to each rebuilt exe, and every file is
# compared with the folder's. A difference is explained: which file, which
# entry of a zip, which byte of an exe (and diffoscope's report, where it is
# installed). The signer of a signed exe is named, for the user to compare
# with the published one: whether to trust it is Windows' question. Nothing
# read from the folder is printed raw. 2 to 4 minutes; on a fresh Debian 12
# machine it installs what it needs first.
# Usage: scripts/verify-release.sh DIR
# Exit status: 0 proved; 1 refused, or not the release of its commit; 2 this
# machine cannot verify it (a bundle it cannot build).
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source scripts/lib/command.sh
source scripts/lib/release-build.sh
readonly MAX_BYTES=$((64 * 1024 * 1024))
readonly ZIP_ENTRIES="Moxvane.exe LICENSE README.txt"

# Text from the folder, or from a tool's output about it, with control
# characters and bytes outside ASCII made visible, on one line.
visible() {
    printf '%s' "$1" | LC_ALL=C sed -n 'l 0' | LC_ALL=C awk '
        NR > 1 { printf "\\n" } { sub(/\$$/, ""); printf "%s", $0 } END { print "" }'
}

refuse() {
    echo "verify-release: REFUSED: $1: $2" >&2
    exit 1
}

cannot_verify() {
    echo "verify-release: CANNOT VERIFY HERE: $*" >&2
    exit 2
}

# Every entry of the folder a regular file of a sane size, and the names
# those of a release: BUILDINFO, SHA256SUMS and Moxvane-VERSION-BUNDLE.zip.
# Sets zip_version, and zip_bundles in the order found.
check_entries() {
    local entry name size
    zip_version='' zip_bundles=()
    while IFS= read -r -d '' entry; do
        name=$(visible "${entry##*/}")
        if [ -L "$entry" ]; then
            refuse "$name" "a symbolic link"
        fi
        if [ ! -f "$entry" ]; then
            refuse "$name" "not a regular file"
        fi
        size=$(stat -c %s "$entry")
        if [ "$size" -eq 0 ] || [ "$size" -gt "$MAX_BYTES" ]; then
            refuse "$name" "$size bytes (a release file has 1 byte to 64 MiB)"
        fi
        check_name "${entry##*/}" "$name"
    done < <(find "$release" -mindepth 1 -maxdepth 1 -print0)
    if [ ! -f "$release/BUILDINFO" ] || [ ! -f "$release/SHA256SUMS" ]; then
        refuse "$(visible "$release")" "no BUILDINFO or no SHA256SUMS"
    fi
    if [ "${#zip_bundles[@]}" -eq 0 ]; then
        refuse "$(visible "$release")" "no zip"
    fi
}

check_name() {
    local name=$1 shown=$2
    if [ "$name" = BUILDINFO ] || [ "$name" = SHA256SUMS ]; then
        return 0
    fi
    if [[ ! $name =~ ^Moxvane-([0-9]+\.[0-9]+)-(win64|win32|arm64)\.zip$ ]]; then
        refuse "$shown" "not a file of a release (BUILDINFO, SHA256SUMS, Moxvane-VERSION-BUNDLE.zip)"
    fi
    if [ -n "$zip_version" ] && [ "${BASH_REMATCH[1]}" != "$zip_version" ]; then
        refuse "$shown" "another version than Moxvane-$zip_version-*.zip"
    fi
    zip_version=${BASH_REMATCH[1]}
    zip_bundles+=("${BASH_REMATCH[2]}")
}

# BUILDINFO as release.sh writes it: each field once and of its form; the
# tools' lines "name (= version)". Sets FIELD[NAME] (a list field: its lines).
declare -A FIELD
read_buildinfo() {
    local file=$work/BUILDINFO line field=
    cp "$release/BUILDINFO" "$file"
    if LC_ALL=C grep -q '[^[:print:]]' "$file"; then
        refuse BUILDINFO "control characters or bytes outside ASCII"
    fi
    while IFS= read -r line; do
        if [[ $line == " "* ]]; then
            if [[ $field != Installed-Build-Tools && $field != ARM64-Runtime-Sources ]]; then
                refuse "BUILDINFO: ${field:-its start}" "a continuation line where none belongs"
            fi
            if [[ ! $line =~ ^\ [a-z0-9][a-z0-9.+-]*\ \(=\ [A-Za-z0-9.+~:-]+\)$ ]]; then
                refuse "BUILDINFO: $field" "a line not of the form 'name (= version)': $(visible "$line")"
            fi
            FIELD[$field]+="$line"$'\n'
            continue
        fi
        if [[ ! $line =~ ^([A-Za-z0-9-]+):\ ?(.*)$ ]]; then
            refuse BUILDINFO "a line that is no field: $(visible "$line")"
        fi
        field=${BASH_REMATCH[1]}
        if [ -n "${FIELD[$field]+set}" ]; then
            refuse "BUILDINFO: $field" "given twice"
        fi
        FIELD[$field]=${BASH_REMATCH[2]}
    done <"$file"
    check_fields
}

check_fields() {
    local field
    for field in "${!FIELD[@]}"; do
        case $field in
            Format | Source | Commit | Source-Date-Epoch | Bundles | Build-Architecture) ;;
            Installed-Build-Tools | ARM64-Runtime-Sources) ;;
            *) refuse "BUILDINFO: $field" "no such field" ;;
        esac
    done
    expect_field Format '^1\.0$' "not 1.0"
    expect_field Source '^moxvane$' "not moxvane"
    expect_field Commit '^[0-9a-f]{40}$' "not a full commit id (40 hexadecimal digits)"
    expect_field Source-Date-Epoch '^[0-9]{1,12}$' "not a number of seconds"
    expect_field Bundles '^(win64|win32|arm64)( (win64|win32|arm64))*$' \
        "not a list of win64, win32 and arm64"
    expect_field Build-Architecture '^[a-z0-9]+$' "not a Debian architecture"
    expect_field Installed-Build-Tools '^ ' "no tools"
    read -r -a bundles <<<"${FIELD[Bundles]}"
    if [ "$(printf '%s\n' "${bundles[@]}" | sort -u | wc -l)" -ne "${#bundles[@]}" ]; then
        refuse "BUILDINFO: Bundles" "a bundle named twice"
    fi
    if [[ " ${bundles[*]} " == *" arm64 "* ]]; then
        expect_field ARM64-Runtime-Sources '^ ' "no sources"
    elif [ -n "${FIELD[ARM64-Runtime-Sources]+set}" ]; then
        refuse "BUILDINFO: ARM64-Runtime-Sources" "given without an arm64 bundle"
    fi
}

expect_field() {
    local name=$1 pattern=$2 reason=$3
    if [ -z "${FIELD[$name]+set}" ]; then
        refuse "BUILDINFO: $name" "missing"
    fi
    if [[ ! ${FIELD[$name]} =~ $pattern ]]; then
        refuse "BUILDINFO: $name" "$reason: $(visible "${FIELD[$name]}")"
    fi
}

# The zips present are exactly the bundles BUILDINFO names.
check_bundles() {
    local present named
    present=$(printf '%s\n' "${zip_bundles[@]}" | sort | paste -sd ' ' -)
    named=$(printf '%s\n' "${bundles[@]}" | sort | paste -sd ' ' -)
    if [ "$present" != "$named" ]; then
        refuse "BUILDINFO: Bundles" "names $named, but the folder holds the zips of $present"
    fi
}

# Only code of this repository's main history is built: the commit must be
# on main (local or fetched) or under a tag. Sets holders.
check_commit() {
    local fetch="fetch the real history first: git fetch --tags origin main"
    if ! git cat-file -e "$commit^{commit}" 2>/dev/null; then
        refuse "BUILDINFO: Commit" "$commit is not in this repository; $fetch"
    fi
    holders=$(git for-each-ref --contains "$commit" --format='%(refname:short)' \
        refs/heads/main 'refs/remotes/*/main' refs/tags | paste -sd ' ' -)
    if [ -z "$holders" ]; then
        refuse "BUILDINFO: Commit" "$commit is on no main branch and under no tag here; $fetch"
    fi
    if [ "${FIELD[Source-Date-Epoch]}" != "$(git log -1 --format=%ct "$commit")" ]; then
        refuse "BUILDINFO: Source-Date-Epoch" "not the time of commit $commit"
    fi
    echo "commit $commit, held by: $holders"
}

# Before anything is built: each zip holds the release's three entries, once
# each, as regular files, its exe of a sane size and its texts those the
# commit's sources give.
check_zip() {
    local bundle=$1 zip=$release/Moxvane-$zip_version-$1.zip names types
    names=$(unzip -Z1 "$zip" 2>&1 | paste -sd ' ' -) ||
        refuse "${zip##*/}" "not a zip: $(visible "$names")"
    if [ "$names" != "$ZIP_ENTRIES" ]; then
        refuse "${zip##*/}" "holds $(visible "$names"), not exactly $ZIP_ENTRIES"
    fi
    local listing line types=''
    listing=$(unzip -Z "$zip")
    while IFS= read -r line; do
        if [[ $line =~ ^([-a-z])[-a-zA-Z]{9}\  ]]; then
            types+=${BASH_REMATCH[1]}
        fi
    done <<<"$listing"
    if [ "$types" != "---" ]; then
        refuse "${zip##*/}" "an entry that is no regular Unix file (a link, a folder)"
    fi
    local released=$work/released/$bundle
    mkdir -p "$released"
    unzip -p "$zip" Moxvane.exe | head -c "$((MAX_BYTES + 1))" >"$released/Moxvane.exe" || true
    if [ "$(stat -c %s "$released/Moxvane.exe")" -gt "$MAX_BYTES" ]; then
        refuse "${zip##*/}" "its Moxvane.exe is over 64 MiB"
    fi
    release_texts "$bundle" "$work/source" "$zip_version" "$work/texts/$bundle"
    local text
    for text in LICENSE README.txt; do
        unzip -p "$zip" "$text" | head -c "$MAX_BYTES" >"$released/$text" || true
        if ! cmp -s "$released/$text" "$work/texts/$bundle/$text"; then
            refuse "${zip##*/}" "its $text is not the one the sources of $commit give"
        fi
    done
}

# The tools BUILDINFO names against this machine's: a difference may change
# the bytes, so it is said before the build.
compare_tools() {
    printf '%s' "${FIELD[Installed-Build-Tools]}" >"$work/tools-of-release"
    release_tools >"$work/tools-here"
    if ! cmp -s "$work/tools-of-release" "$work/tools-here"; then
        echo "!!!!! verify-release: this machine's tools differ from those the release was built with" \
            "(< the release's, > this machine's); the files may differ for that alone: !!!!!"
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

# The code-signing certificates of a signature: subject and SHA-256
# fingerprint, for the user to compare with the published ones.
say_signer() {
    local bundle=$1 signature=$2 certificate usage subject fingerprint
    openssl pkcs7 -inform DER -in "$signature" -print_certs -out "$work/certificates.pem"
    rm -rf "$work/certificates"
    mkdir "$work/certificates"
    awk -v dir="$work/certificates" '/BEGIN CERTIFICATE/ { n++ } n { print > (dir "/" n ".pem") }' \
        "$work/certificates.pem"
    for certificate in "$work"/certificates/*.pem; do
        usage=$(openssl x509 -in "$certificate" -noout -ext extendedKeyUsage 2>/dev/null || true)
        if [[ $usage == *"Code Signing"* ]]; then
            subject=$(openssl x509 -in "$certificate" -noout -subject -nameopt RFC2253)
            fingerprint=$(openssl x509 -in "$certificate" -noout -fingerprint -sha256)
            echo "$bundle/Moxvane.exe: signed by $(visible "${subject#subject=}")," \
                "certificate SHA-256 ${fingerprint#*=}"
        fi
    done
}

# The rebuilt exe as the release would hold it: with the released exe's
# signature attached, where it has one. Sets candidate.
attach_signature() {
    local bundle=$1 released=$work/released/$1/Moxvane.exe built=$work/build-$1/ui/Moxvane.exe
    candidate=$built
    local size
    size=$(signature_size "$released")
    if [ "$size" -eq 0 ]; then
        return 0
    fi
    candidate=$work/attached-$bundle.exe
    if ! osslsigncode extract-signature -in "$released" -out "$work/$bundle.signature" \
        >"$work/osslsigncode.log" 2>&1; then
        echo "$bundle/Moxvane.exe: its signature cannot be read ($(visible "$(tail -n 1 "$work/osslsigncode.log")"))"
        candidate=$built
        return 0
    fi
    say_signer "$bundle" "$work/$bundle.signature"
    # attach-signature also checks the signer's chain of trust, which is not
    # the question here (Windows answers it): the bytes it writes are.
    osslsigncode attach-signature -sigin "$work/$bundle.signature" -in "$built" \
        -out "$candidate" >"$work/osslsigncode.log" 2>&1 || true
    if [ ! -f "$candidate" ]; then
        echo "$bundle/Moxvane.exe: the signature cannot be attached to the build" \
            "($(visible "$(tail -n 1 "$work/osslsigncode.log")"))"
        candidate=$built
    fi
}

# Where two files first differ, or that one is shorter.
first_difference() {
    local answer
    answer=$(cmp "$1" "$2" 2>&1 || true)
    if [[ $answer == *" differ: byte "* ]]; then
        answer=${answer#* differ: byte }
        echo "first at byte ${answer%%,*}"
    else
        echo "one is shorter"
    fi
}

# Why a rebuilt file is not the released one: the exe's first difference,
# and diffoscope's report where it is installed.
explain() {
    local name=$1 bundle
    for bundle in "${bundles[@]}"; do
        if [ "$name" = "Moxvane-$zip_version-$bundle.zip" ] &&
            ! cmp -s "$work/released/$bundle/Moxvane.exe" "$work/rebuilt/stage/$bundle/Moxvane.exe"; then
            echo "  $bundle/Moxvane.exe differs from the build of $commit," \
                "$(first_difference "$work/released/$bundle/Moxvane.exe" "$work/rebuilt/stage/$bundle/Moxvane.exe")"
        fi
    done
    if command -v diffoscope >/dev/null; then
        echo "  diffoscope's report (the folder's file, then the rebuilt one):"
        diffoscope "$release/$name" "$work/rebuilt/$name" >"$work/diffoscope.txt" 2>&1 || true
        local line
        head -n 60 "$work/diffoscope.txt" | while IFS= read -r line; do
            echo "    $(visible "$line")"
        done
    fi
}

scripts/install-deps.sh >/dev/null
if [ "$#" -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: scripts/verify-release.sh DIR   (a release folder)" >&2
    exit 2
fi
release=$(realpath "$1")
work=$(mktemp -d /tmp/moxvane-verify.XXXXXX)
on_exit rm -rf "$work"
check_entries
read_buildinfo
check_bundles
commit=${FIELD[Commit]}
check_commit
mkdir "$work/source"
git archive "$commit" | tar -x -C "$work/source"
for bundle in "${bundles[@]}"; do
    check_zip "$bundle"
done
echo "checked before building: the folder's files, BUILDINFO, the zips' entries and texts"
compare_tools
what_runs_here_for "${bundles[@]}"
for bundle in "${bundles[@]}"; do
    if [ "${COMPILES[${BUILD_OF[$bundle]}]}" = no ]; then
        cannot_verify "$bundle: ${WHY_NOT[${BUILD_OF[$bundle]}]}"
    fi
done
export SOURCE_DATE_EPOCH=${FIELD[Source-Date-Epoch]}
mkdir -p "$work/rebuilt/stage"
for bundle in "${bundles[@]}"; do
    release_build "$bundle" "$work/source" "$work/build-$bundle" Moxvane
    version=$(cat "$work/build-$bundle/version.txt")
    if [ "$version" != "$zip_version" ]; then
        refuse "Moxvane-$zip_version-$bundle.zip" "the sources of $commit give version $version"
    fi
    attach_signature "$bundle"
    release_zip "$bundle" "$work/source" "$candidate" "$version" "$work/rebuilt/stage" "$work/rebuilt"
done
write_buildinfo "$work/rebuilt/BUILDINFO" "$commit" "${bundles[@]}"
release_checksums "$work/rebuilt" "$work/rebuilt/stage" "$zip_version" "${bundles[@]}"
differing=0
for file in "$work"/rebuilt/*; do
    name=${file##*/}
    if [ -d "$file" ]; then
        continue
    fi
    if cmp -s "$release/$name" "$file"; then
        echo "$name: reproduced"
    else
        echo "$name: NOT REPRODUCED: differs from the release of $commit," \
            "$(first_difference "$release/$name" "$file")"
        explain "$name"
        differing=$((differing + 1))
    fi
done
if [ "$differing" -ne 0 ]; then
    echo "verify-release: NOT REPRODUCED: $differing of the folder's files differ from the release of $commit"
    exit 1
fi
echo "verify-release: PROVED: every byte of the folder is the release $zip_version of $commit ($holders)"
