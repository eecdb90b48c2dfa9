#!/usr/bin/env bash
# Proves that a release folder is, byte for byte, the release of a commit in
# the history of one trusted ref: the main of the remote this clone came from
# (refs/remotes/origin/main), or the REF named. Run it in a clone of this
# repository. The folder, and every other ref, may be an attacker's: as root
# it only installs, then runs as VERIFY_USER (default nobody); it copies the
# folder's files once and reads only the copy; it reads only the commit and
# the bundles from BUILDINFO; it judges each signature (of its exe, one
# signer, no unauthenticated data but a time stamp) and names its signer and
# time stamp, for the user to compare with the published ones. Then it makes
# the whole release again (lib/release-build.sh), the released signatures
# attached, and compares every file; tools whose versions differ are named.
# The last line is always its own verdict; PROVED lists the files' SHA-256
# and says whether the trusted ref holds a later version. 2 to 4 minutes.
# Usage: scripts/verify-release.sh DIR [REF]
# Exit status: 0 proved; 1 refused, or not the release of its commit; 2 this
# machine cannot verify it (git refuses the clone, no unprivileged user, a
# bundle it cannot build: every other bundle is judged first).
set -euo pipefail
shopt -s inherit_errexit
set -o errtrace
tool=$(cd "$(dirname "$0")/.." && pwd)
source "$tool/scripts/lib/release-build.sh"
export GIT_NO_REPLACE_OBJECTS=1  # a replace ref would build another commit's tree under this one's id
readonly MAX_BYTES=$((64 * 1024 * 1024)) MAX_TEXT_BYTES=65536
readonly ZIP_ENTRIES="Moxvane.exe LICENSE README.txt"
readonly TIME_STAMP_OID=1.3.6.1.4.1.311.3.3.1 NESTED_SIGNATURE_OID=1.3.6.1.4.1.311.2.4.1

# Text from the folder, a ref or a tool's output about them, with control
# characters and bytes outside ASCII made visible, on one line.
visible() {
    printf '%s' "$1" | LC_ALL=C sed -n 'l 0' | LC_ALL=C awk '
        NR > 1 { printf "\\n" } { sub(/\$$/, ""); printf "%s", $0 } END { print "" }'
}

said='' step='' owned_work=''
verdict() {
    echo "verify-release: $*"
    said=yes
}
refuse() {
    verdict "REFUSED: $1: $2"
    exit 1
}
cannot_verify() {
    verdict "CANNOT VERIFY HERE: $*"
    exit 2
}

# Whatever stops it, the last line is a verdict.
trap 'step=$BASH_COMMAND' ERR
finish() {
    local status=$?
    if [ -z "$said" ]; then
        echo "verify-release: CANNOT VERIFY HERE: a step failed (status $status): $(visible "$step")"
        status=2
    fi
    if [ -n "$owned_work" ]; then
        rm -rf "$owned_work"
    fi
    exit "$status"
}
trap finish EXIT

# Root installs and builds the ARM64 run-time from this work tree, then
# hands the rest to an unprivileged user, with a work folder of its own.
run_unprivileged() {
    local user=${VERIFY_USER:-nobody} uid gid status=0
    if ! uid=$(id -u "$user" 2>/dev/null) || ! gid=$(id -g "$user"); then
        cannot_verify "no user $(visible "$user") to verify as: name an unprivileged one in VERIFY_USER"
    fi
    if [ "$uid" -eq 0 ]; then
        cannot_verify "VERIFY_USER is root: name an unprivileged user"
    fi
    local as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups --)
    "${as_user[@]}" test -r "$tool/scripts/verify-release.sh" ||
        cannot_verify "$(visible "$user") cannot read $(visible "$tool"): run it from a clone others can read"
    what_compiles_here "${!PRESET_OF[@]}" >/dev/null 2>&1
    owned_work=$(mktemp -d /tmp/moxvane-verify.XXXXXX)
    git config --file "$owned_work/gitconfig" safe.directory "$clone"
    chown -R "$uid:$gid" "$owned_work"
    "${as_user[@]}" env -i PATH="$PATH" HOME="$owned_work" \
        GIT_CONFIG_GLOBAL="$owned_work/gitconfig" GIT_NO_REPLACE_OBJECTS=1 VERIFY_WORK="$owned_work" \
        bash "$tool/scripts/verify-release.sh" "$@" || status=$?
    said=yes
    if [ "$status" -gt 2 ]; then
        echo "verify-release: CANNOT VERIFY HERE: it stopped with status $status as $(visible "$user")"
        status=2
    fi
    exit "$status"
}

# Each of the folder's files checked by its listing, then copied with a
# limit: a file that changes later changes nothing. Sets zip_version and
# zip_bundles.
copy_folder() {
    if [ ! -r "$folder" ] || [ ! -x "$folder" ]; then
        cannot_verify "$(visible "$folder") cannot be read by $(id -un): copy it where it can be"
    fi
    local type size name limit
    zip_version='' zip_bundles=()
    mkdir "$copy"
    while IFS=/ read -r -d '' type size name; do
        if [ "$type" = l ]; then
            refuse "$(visible "$name")" "a symbolic link"
        elif [ "$type" != f ]; then
            refuse "$(visible "$name")" "not a regular file"
        fi
        check_name "$name"
        limit=$MAX_TEXT_BYTES
        if [[ $name == *.zip ]]; then
            limit=$MAX_BYTES
        fi
        if [ "$size" -eq 0 ] || [ "$size" -gt "$limit" ]; then
            refuse "$name" "$size bytes (a release's has 1 to $limit)"
        fi
        # Never through a link, never waiting on a pipe, no more than listed.
        if ! dd if="$folder/$name" of="$copy/$name" iflag=nofollow,nonblock,count_bytes bs=1M \
            count=$((limit + 1)) status=none 2>/dev/null || [ "$(stat -c %s "$copy/$name")" -ne "$size" ]; then
            refuse "$name" "changed while it was read"
        fi
    done < <(find "$folder" -mindepth 1 -maxdepth 1 -printf '%y/%s/%f\0')
    if [ ! -f "$copy/BUILDINFO" ] || [ ! -f "$copy/SHA256SUMS" ] || [ "${#zip_bundles[@]}" -eq 0 ]; then
        refuse "$(visible "$folder")" "not BUILDINFO, SHA256SUMS and at least one zip"
    fi
}

check_name() {
    local name=$1
    if [ "$name" = BUILDINFO ] || [ "$name" = SHA256SUMS ]; then
        return 0
    fi
    if [[ ! $name =~ ^Moxvane-([0-9]+\.[0-9]+)-(win64|win32|arm64)\.zip$ ]]; then
        refuse "$(visible "$name")" "not a file of a release (BUILDINFO, SHA256SUMS, Moxvane-VERSION-BUNDLE.zip)"
    fi
    if [ -n "$zip_version" ] && [ "${BASH_REMATCH[1]}" != "$zip_version" ]; then
        refuse "$name" "another version than Moxvane-$zip_version-*.zip"
    fi
    zip_version=${BASH_REMATCH[1]}
    zip_bundles+=("${BASH_REMATCH[2]}")
}

# Only what chooses the build is read here: the commit and the bundles. The
# rest of BUILDINFO is compared with the rebuilt one at the end.
read_buildinfo() {
    local file=$copy/BUILDINFO
    if [ "$(LC_ALL=C tr -d '[:print:]\n' <"$file" | wc -c)" -ne 0 ]; then
        refuse BUILDINFO "control characters, NUL bytes or bytes outside ASCII"
    fi
    if [ -n "$(tail -c 1 "$file")" ]; then
        refuse BUILDINFO "its last line has no line end"
    fi
    field Commit '[0-9a-f]{40}' "not a full commit id (40 hexadecimal digits)"
    commit=$value
    field Source-Date-Epoch '[0-9]{1,12}' "not a number of seconds"
    epoch=$value
    field Bundles '(win64|win32|arm64)( (win64|win32|arm64))*' "not a list of win64, win32 and arm64"
    read -r -a bundles <<<"$value"
    if [ "$(printf '%s\n' "${bundles[@]}" | sort -u | wc -l)" -ne "${#bundles[@]}" ]; then
        refuse "BUILDINFO: Bundles" "a bundle named twice"
    fi
    local present named
    present=$(printf '%s\n' "${zip_bundles[@]}" | sort | paste -sd ' ' -)
    named=$(printf '%s\n' "${bundles[@]}" | sort | paste -sd ' ' -)
    if [ "$present" != "$named" ]; then
        refuse "BUILDINFO: Bundles" "names $named, but the folder holds the zips of $present"
    fi
}

# The one line "NAME: VALUE" of BUILDINFO, its value matching PATTERN: sets
# value.
field() {
    local name=$1 pattern=$2 reason=$3 lines
    lines=$(grep -c "^$name:" "$copy/BUILDINFO" || true)
    if [ "$lines" -eq 0 ]; then
        refuse "BUILDINFO: $name" "missing"
    elif [ "$lines" -gt 1 ]; then
        refuse "BUILDINFO: $name" "given twice"
    fi
    value=$(sed -n "s/^$name: //p" "$copy/BUILDINFO")
    if [[ ! $value =~ ^($pattern)$ ]]; then
        refuse "BUILDINFO: $name" "$reason: $(visible "$(grep "^$name:" "$copy/BUILDINFO")")"
    fi
}

# The commit must be in the trusted ref's history before anything of it is
# read. Sets later_version where that ref holds a later one.
check_commit() {
    local url='a ref of this clone' trusted answer
    answer=$(git rev-parse --git-dir 2>&1) || cannot_verify "git refuses this clone: $(visible "$answer")"
    if [[ $anchor =~ ^refs/remotes/([^/]+)/ ]]; then
        url=$(git config --get "remote.${BASH_REMATCH[1]}.url" || echo "a remote without a URL")
    fi
    # A full ref name, looked up as it is: no tag or branch of the same name.
    if [[ $anchor != refs/* ]] || ! git show-ref --verify --quiet "$anchor"; then
        cannot_verify "no ref $(visible "$anchor") here: git fetch origin, or name a full ref (refs/...) to trust"
    fi
    trusted=$(git rev-parse --verify --quiet "$anchor^{commit}") ||
        cannot_verify "$(visible "$anchor") is no commit"
    echo "trusting $(visible "$anchor") ($(visible "$url")), at $trusted"
    if ! git cat-file -e "$commit^{commit}" 2>/dev/null; then
        refuse "BUILDINFO: Commit" "$commit is not in this clone; fetch the trusted history: git fetch origin"
    fi
    if ! git merge-base --is-ancestor "$commit" "$trusted"; then
        refuse "BUILDINFO: Commit" "$commit is not in the history of $(visible "$anchor")"
    fi
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
    if [ "$epoch" != "$SOURCE_DATE_EPOCH" ]; then
        refuse "BUILDINFO: Source-Date-Epoch" "not the time of commit $commit"
    fi
    local ours theirs
    ours=$(project_version "$commit")
    theirs=$(project_version "$trusted")
    later_version=''
    if [ "$theirs" != "$ours" ] && [ "$(printf '%s\n' "$ours" "$theirs" | sort -V | tail -n 1)" = "$theirs" ]; then
        later_version=$theirs
    fi
}

project_version() {
    git show "$1:CMakeLists.txt" 2>/dev/null | sed -n 's/^project(Moxvane VERSION \([0-9.]*\) .*/\1/p' || true
}

# Each zip holds the release's three entries, its texts those the commit's
# sources give; its exe is taken out, at most 64 MiB, and its signature
# judged, all before anything is built.
check_zip() {
    local bundle=$1 zip=$copy/Moxvane-$zip_version-$1.zip names status=0
    local released=$work/released/$bundle
    names=$(unzip -Z1 "$zip" 2>&1 | paste -sd ' ' -) || refuse "${zip##*/}" "not a zip: $(visible "${names:0:200}")"
    if [ "$names" != "$ZIP_ENTRIES" ]; then
        refuse "${zip##*/}" "holds $(visible "${names:0:200}"), not exactly $ZIP_ENTRIES"
    fi
    mkdir -p "$released"
    release_texts "$bundle" "$work/source" "$zip_version" "$work/texts/$bundle"
    local entry
    for entry in $ZIP_ENTRIES; do
        status=0
        # A password is refused, never asked for.
        unzip -qq -P none -p "$zip" "$entry" </dev/null 2>"$work/unzip.log" |
            head -c "$((MAX_BYTES + 1))" >"$released/$entry" || status=$?
        if [ "$(stat -c %s "$released/$entry")" -gt "$MAX_BYTES" ]; then
            refuse "${zip##*/}" "its $entry is over 64 MiB"
        elif [ "$status" -ne 0 ]; then
            refuse "${zip##*/}" "its $entry cannot be read: $(visible "$(tail -n 1 "$work/unzip.log")")"
        elif [ "$entry" != Moxvane.exe ] && ! cmp -s "$released/$entry" "$work/texts/$bundle/$entry"; then
            refuse "${zip##*/}" "its $entry is not the one the sources of $commit give"
        fi
    done
    judge_signature "$bundle"
}

# A PE image's certificate table, "OFFSET SIZE" (0 0 where unsigned), or
# nothing where the file is no PE image or the table lies outside it.
certificate_table() {
    local file=$1 size pe signature magic directory=0 offset length
    size=$(stat -c %s "$file")
    if [ "$size" -lt 512 ]; then
        return 0
    fi
    pe=$(number_at "$file" 60 4)
    if [ "$pe" -gt $((size - 256)) ]; then
        return 0
    fi
    signature=$(number_at "$file" "$pe" 4)
    magic=$(number_at "$file" $((pe + 24)) 2)
    case $signature/$magic in
        17744/267) directory=$((pe + 120)) ;;
        17744/523) directory=$((pe + 136)) ;;
        *) return 0 ;;
    esac
    offset=$(number_at "$file" $((directory + 32)) 4)
    length=$(number_at "$file" $((directory + 36)) 4)
    if [ "$length" -eq 0 ] || { [ "$offset" -ge 512 ] && [ "$length" -ge 16 ] &&
        [ $((offset + length)) -le "$size" ]; }; then
        echo "$offset $length"
    fi
}

# A signature as a release holds one: a single WIN_CERTIFICATE of PKCS#7
# (revision 2, type 2, at most 64 KiB) of a release's shape, whose one
# signer verifies, made over this exe's digest. Names the signer and the
# time stamp.
judge_signature() {
    local bundle=$1 exe=$work/released/$1/Moxvane.exe name=$1/Moxvane.exe table offset size length
    table=$(certificate_table "$exe")
    if [ -z "$table" ]; then
        refuse "$name" "not a Windows program"
    fi
    read -r offset size <<<"$table"
    if [ "$size" -eq 0 ]; then
        echo "$name: unsigned"
        return 0
    fi
    local kind
    length=$(number_at "$exe" "$offset" 4)
    kind=$(number_at "$exe" $((offset + 4)) 4)
    if [ "$kind" != 131584 ] || [ "$length" -le 8 ] || [ $(((length + 7) / 8 * 8)) -ne "$size" ] ||
        [ "$size" -gt "$MAX_TEXT_BYTES" ]; then
        refuse "$name" "its certificate table is not one Authenticode signature of at most 64 KiB"
    fi
    local signature=$work/$bundle
    dd if="$exe" of="$signature.table" iflag=skip_bytes,count_bytes skip="$offset" count="$size" status=none
    tail -c +9 "$signature.table" | head -c $((length - 8)) >"$signature.p7"
    # The PKCS#7 alone: its DER length from its header; only zeros may pad it.
    local bytes der=0
    read -r -a bytes < <(od -An -tu1 -N4 "$signature.p7")
    if [ "${bytes[0]}" = 48 ] && [ "${bytes[1]}" = 130 ]; then
        der=$((4 + bytes[2] * 256 + bytes[3]))
    fi
    if [ "$der" -eq 0 ] || [ "$der" -gt $((length - 8)) ] ||
        [ "$(tail -c +$((der + 1)) "$signature.p7" | tr -d '\0' | wc -c)" -ne 0 ]; then
        refuse "$name" "its certificate table holds more than one PKCS#7 signature"
    fi
    truncate -s "$der" "$signature.p7"
    openssl asn1parse -inform DER -in "$signature.p7" >"$signature.asn1" 2>&1 ||
        refuse "$name" "its signature is no DER: $(visible "$(tail -n 1 "$signature.asn1")")"
    unsigned_attributes "$name" "$signature"
    check_shape "$name" "$signature"
    extract "$signature" ':d=4 .*:1[.]3[.]6[.]1[.]4[.]1[.]311[.]2[.]1[.]4 *$' ':d=5 ' content "$signature.content"
    openssl smime -verify -noverify -inform DER -in "$signature.p7" -content "$signature.content" \
        -signer "$signature.signer" -out /dev/null >"$signature.log" 2>&1 ||
        refuse "$name" "its signature does not verify: $(visible "$(head -n 1 "$signature.log")")"
    if [ "$(grep -c 'BEGIN CERTIFICATE' "$signature.signer")" -ne 1 ]; then
        refuse "$name" "a signature of more than one signer, which a release never holds"
    fi
    osslsigncode verify -in "$exe" >"$signature.verify" 2>&1 || true
    local current calculated
    current=$(sed -n 's/^Current message digest *: *\([0-9A-F]*\).*/\1/p' "$signature.verify" | head -n 1)
    calculated=$(sed -n 's/^Calculated message digest *: *\([0-9A-F]*\).*/\1/p' "$signature.verify" | head -n 1)
    if [ -z "$current" ] || [ "$current" != "$calculated" ]; then
        refuse "$name" "its signature was made for other bytes than this exe's (Windows shows it as invalid)"
    fi
    echo "$name: signed by $(certificate_name "$signature.signer") (its chain is not judged here)"
    name_time_stamp "$name" "$signature"
}

# The types of the signer's unauthenticated attributes: a time stamp at most.
unsigned_attributes() {
    local name=$1 signature=$2 type
    time_stamps=0
    while IFS= read -r type; do
        case $type in
            "$TIME_STAMP_OID") time_stamps=$((time_stamps + 1)) ;;
            "$NESTED_SIGNATURE_OID") refuse "$name" "a nested second signature, which a release never holds" ;;
            *) refuse "$name" "unauthenticated data ($(visible "$type")), which a release never holds" ;;
        esac
    done < <(awk '/:d=5 .*cont \[ 1 \]/ { unsigned = 1 }
        unsigned && /:d=7 .*prim: OBJECT/ { sub(/^.*:/, ""); print }' "$signature.asn1")
}

# The outline of a release's signature, each element's depth and type, down
# to the signer's fields and into a time stamp, its certificates left out:
# one digest algorithm, no CRL, one signer, one time stamp at most.
readonly RELEASE_SHAPE="0 SEQUENCE;1 OBJECT;1 cont [ 0 ];2 SEQUENCE;3 INTEGER;3 SET;4 SEQUENCE;5 OBJECT;\
5 NULL;3 SEQUENCE;4 OBJECT;4 cont [ 0 ];5 SEQUENCE;3 cont [ 0 ];3 SET;4 SEQUENCE;5 INTEGER;5 SEQUENCE;\
5 SEQUENCE;5 cont [ 0 ];5 SEQUENCE;5 OCTET STRING"
readonly TIME_STAMP_SHAPE=";5 cont [ 1 ];6 SEQUENCE;7 OBJECT;7 SET;8 SEQUENCE"
check_shape() {
    local shape
    shape=$(awk '{ match($0, /:d=[0-9]+/); depth = substr($0, RSTART + 3, RLENGTH - 3) + 0
            kind = $0; sub(/^[^:]*:[^:]*(prim|cons): */, "", kind); sub(/  .*$/, "", kind); sub(/ *$/, "", kind) }
        depth == 3 { certificates = (kind == "cont [ 0 ]") }
        depth == 5 { unsigned = (kind == "cont [ 1 ]") }
        (depth <= 5 && !(certificates && depth > 3)) || (unsigned && depth <= 8) { print depth " " kind }' \
        "$2.asn1" | paste -sd ';' -)
    if [ "$shape" != "$RELEASE_SHAPE" ] && [ "$shape" != "$RELEASE_SHAPE$TIME_STAMP_SHAPE" ]; then
        refuse "$1" "its signature holds what a release's never does (a second digest algorithm, signer or value, a CRL)"
    fi
}

# The element of a signature's parse that matches ELEMENT after a line that
# matches AFTER: its content, or the whole, in FILE.
extract() {
    local signature=$1 offset header length
    read -r offset header length < <(awk -v after="$2" -v element="$3" 'found && $0 ~ element {
            match($0, /^ *[0-9]+/); offset = substr($0, RSTART, RLENGTH)
            match($0, /hl= *[0-9]+/); header = substr($0, RSTART + 3, RLENGTH - 3)
            match($0, / l= *[0-9]+/); print offset, header, substr($0, RSTART + 3, RLENGTH - 3); exit }
        $0 ~ after { found = 1 }' "$signature.asn1" | grep . || echo 0 0 0)
    if [ "$4" = content ]; then
        offset=$((offset + header))
    else
        length=$((header + length))
    fi
    dd if="$signature.p7" of="$5" iflag=skip_bytes,count_bytes skip="$offset" count="$length" status=none
}

certificate_name() {
    local lines
    lines=$(openssl x509 -in "$1" -noout -issuer -serial -subject -fingerprint -sha256 -nameopt RFC2253)
    visible "$(paste -sd ';' - <<<"$lines" | sed 's/;/, /g')"
}

# The time stamp must be of this signature (its imprint is the hash of the
# signer's signature value); its time and signer are named, and whether this
# machine's certificates trust it.
name_time_stamp() {
    local name=$1 signature=$2 trusted=no
    if [ "$time_stamps" -eq 0 ]; then
        echo "$name: not time-stamped"
        return 0
    fi
    extract "$signature" ":d=7 .*:$TIME_STAMP_OID" ':d=8 ' whole "$signature.token"
    extract "$signature" '^' ':d=5 .*prim: OCTET STRING' content "$signature.value"
    openssl cms -verify -noverify -inform DER -in "$signature.token" -signer "$signature.stamper" \
        -out /dev/null >/dev/null 2>&1 || refuse "$name" "its time stamp does not verify"
    local stamp=(openssl ts -verify -token_in -in "$signature.token" -data "$signature.value")
    "${stamp[@]}" -CAfile "$signature.stamper" -partial_chain >/dev/null 2>&1 ||
        refuse "$name" "its time stamp is of another signature"
    if "${stamp[@]}" -CAfile /etc/ssl/certs/ca-certificates.crt >/dev/null 2>&1; then
        trusted=yes
    fi
    local time
    time=$(openssl ts -reply -in "$signature.token" -token_in -token_out -text 2>/dev/null |
        sed -n 's/^Time stamp: //p' || true)
    echo "$name: time-stamped $(visible "$time") by $(certificate_name "$signature.stamper")" \
        "(trusted by this machine's certificates: $trusted)"
}

# SHA256SUMS as release.sh would write it for the folder's own files.
check_sums() {
    mkdir "$work/sums"
    cp "$copy"/*.zip "$copy/BUILDINFO" "$work/sums/"
    release_checksums "$work/sums" "$work/released" "$zip_version" "${bundles[@]}"
    if ! cmp -s "$work/sums/SHA256SUMS" "$copy/SHA256SUMS"; then
        refuse SHA256SUMS "not the sums of the folder's files"
    fi
}

# The rebuilt exe, with the released signature attached where there is one:
# osslsigncode 2.5 takes the certificate table, 2.9 the PKCS#7 alone.
attach_signature() {
    local bundle=$1 built=$work/build-$1/ui/Moxvane.exe signature=$work/$1
    candidate=$built
    if [ ! -f "$signature.p7" ]; then
        return 0
    fi
    candidate=$work/attached-$bundle.exe
    local form
    for form in p7 table; do
        osslsigncode attach-signature -sigin "$signature.$form" -in "$built" -out "$candidate" \
            >"$work/osslsigncode.log" 2>&1 || true
        if [ -f "$candidate" ]; then
            return 0
        fi
    done
    echo "$bundle/Moxvane.exe: the signature cannot be attached to the build" \
        "($(visible "$(tail -n 1 "$work/osslsigncode.log")"))"
    candidate=$built
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

# Builds one bundle and compares its zip; the exe's first difference, and
# diffoscope's report where it is installed, where it is not reproduced.
rebuild() {
    local bundle=$1 zip=Moxvane-$zip_version-$1.zip version
    release_build "$bundle" "$work/source" "$work/build-$bundle" Moxvane
    version=$(cat "$work/build-$bundle/version.txt")
    if [ "$version" != "$zip_version" ]; then
        refuse "$zip" "the sources of $commit give version $version"
    fi
    attach_signature "$bundle"
    release_zip "$bundle" "$work/source" "$candidate" "$version" "$work/rebuilt/stage" "$work/rebuilt"
    if cmp -s "$copy/$zip" "$work/rebuilt/$zip"; then
        echo "$zip: reproduced"
        return 0
    fi
    differing+=("$zip")
    echo "$zip: NOT REPRODUCED: $(first_difference "$copy/$zip" "$work/rebuilt/$zip")"
    echo "  its Moxvane.exe: $(first_difference "$work/released/$bundle/Moxvane.exe" "$candidate")"
    if command -v diffoscope >/dev/null; then
        diffoscope "$copy/$zip" "$work/rebuilt/$zip" 2>&1 | head -n 60 | while IFS= read -r line; do
            echo "    $(visible "$line")"
        done
    fi
}

# BUILDINFO must be the rebuilt one but for the tools' versions, which are
# named where they differ.
compare_buildinfo() {
    local unversioned='s/^ \([a-z0-9][a-z0-9.+-]*\) (= [A-Za-z0-9.+~:-]*)$/ \1/'
    write_buildinfo "$work/rebuilt/BUILDINFO" "$commit" "${bundles[@]}"
    if ! cmp -s <(sed "$unversioned" "$copy/BUILDINFO") <(sed "$unversioned" "$work/rebuilt/BUILDINFO"); then
        differing+=(BUILDINFO)
        echo "BUILDINFO: NOT REPRODUCED: its fields or tools are not those of the release of $commit"
        return 0
    fi
    local tools
    tools=$(diff "$copy/BUILDINFO" "$work/rebuilt/BUILDINFO" | sed -n 's/^[<>] \([^ ]*\) .*/\1/p' |
        sort -u | paste -sd ' ' - || true)
    if [ -n "$tools" ]; then
        echo "BUILDINFO: reproduced, but this machine's versions of these tools differ: $(visible "$tools")"
    else
        echo "BUILDINFO: reproduced"
    fi
}

verify() {
    folder=$1 anchor=${2:-refs/remotes/origin/main} copy=$work/copy
    copy_folder
    read_buildinfo
    check_commit
    mkdir "$work/source"
    git archive "$commit" | tar -x -C "$work/source"
    local bundle differing=() unbuilt=()
    for bundle in "${bundles[@]}"; do
        check_zip "$bundle"
    done
    check_sums
    echo "checked before building: the folder's files, BUILDINFO, SHA256SUMS, the zips and signatures"
    export SOURCE_DATE_EPOCH
    for_bundles what_compiles_here "${bundles[@]}"
    mkdir -p "$work/rebuilt/stage"
    for bundle in "${bundles[@]}"; do
        if [ "${COMPILES[${BUILD_OF[$bundle]}]}" = yes ]; then
            rebuild "$bundle"
        else
            unbuilt+=("$bundle (${WHY_NOT[${BUILD_OF[$bundle]}]})")
        fi
    done
    if [ "${#unbuilt[@]}" -eq 0 ]; then
        compare_buildinfo
    fi
    if [ "${#differing[@]}" -ne 0 ]; then
        verdict "NOT REPRODUCED: ${differing[*]} differ from the release of $commit"
        exit 1
    elif [ "${#unbuilt[@]}" -ne 0 ]; then
        cannot_verify "cannot build ${unbuilt[*]}; every other bundle was reproduced"
    fi
    (cd "$copy" && sha256sum -- *)
    local later
    later="$(visible "$anchor") holds no later version"
    if [ -n "$later_version" ]; then
        later="$(visible "$anchor") holds the later version $later_version: this is an older release"
    fi
    verdict "PROVED: every byte of the folder above is the release $zip_version of $commit; $later"
}

if [ "$#" -lt 1 ] || [ "$#" -gt 2 ]; then
    echo "usage: scripts/verify-release.sh DIR [REF]   (a release folder; the full name of the ref to trust)" >&2
    said=yes
    exit 2
fi
if [ ! -d "$1" ]; then
    cannot_verify "$(visible "$1") is no folder that $(id -un) can reach"
fi
folder=$(realpath -- "$1")
if [ "$(id -u)" -eq 0 ]; then
    "$tool/scripts/install-deps.sh" >/dev/null
    clone=$(git rev-parse --show-toplevel 2>&1) || cannot_verify "git refuses this clone: $(visible "$clone")"
    run_unprivileged "$folder" "${@:2}"
fi
if [ -z "${VERIFY_WORK:-}" ]; then
    "$tool/scripts/install-deps.sh" >/dev/null
    owned_work=$(mktemp -d /tmp/moxvane-verify.XXXXXX)
    VERIFY_WORK=$owned_work
fi
work=$VERIFY_WORK
verify "$folder" "${@:2}"
