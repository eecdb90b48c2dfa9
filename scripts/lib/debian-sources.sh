# shellcheck shell=bash
# Sourced by the scripts that make Debian chroots or fetch Debian's sources:
# this machine's release and where its packages come from, read from its apt
# sources in either format (debian.sources or sources.list).
debian_suite=$(. /etc/os-release && echo "$VERSION_CODENAME")

# "URI SUITE" for each Debian source of this machine.
debian_sources() {
    local file=/etc/apt/sources.list.d/debian.sources
    if [ -f "$file" ]; then
        awk '/^URIs:/ { uri = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) print uri, $i }' "$file"
    else
        awk '$1 == "deb" && $2 !~ /^\[/ { print $2, $3 }' /etc/apt/sources.list 2>/dev/null
    fi
}

# A private apt state in DIR whose sources are the lines given: for what this
# machine's own apt is not set up to fetch (source packages, another suite),
# without touching its sources or packages. Sets private_apt_options, to be
# given to apt-get.
private_apt() {
    local dir=$1
    shift
    mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial"
    printf '%s\n' "$@" >"$dir/sources.list"
    # shellcheck disable=SC2034 # read by the caller
    private_apt_options=(-o "Dir::Etc::SourceList=$dir/sources.list" -o Dir::Etc::SourceParts=/nonexistent
                         -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache"
                         -o APT::Sandbox::User=root)
}

# The mirror of the release's own suite.
debian_mirror() {
    debian_sources | awk -v suite="$debian_suite" '$2 == suite { print $1; exit }' |
        grep . || echo http://deb.debian.org/debian
}
