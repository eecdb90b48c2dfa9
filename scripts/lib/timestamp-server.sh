#!/usr/bin/env bash
# A time-stamping server for the release check, on 127.0.0.1 only: RFC 3161
# over HTTP, answered by `openssl ts -reply` with a certificate made for it.
# With "garbage" it answers every query with bytes that are no time stamp.
# Starts in a second; stopped by the release check when it ends.
#   timestamp-server.sh start DIR [garbage]   writes DIR/url, and the
#                                             server's certificate as
#                                             DIR/tsa-cert.pem
#   timestamp-server.sh stop DIR
#   timestamp-server.sh answer DIR MODE       one HTTP exchange (for socat)
set -euo pipefail

make_authority() {
    local dir=$1
    openssl req -x509 -newkey rsa:2048 -noenc -keyout "$dir/tsa-key.pem" -out "$dir/tsa-cert.pem" \
        -days 30 -subj "/CN=Moxvane test time stamps" \
        -addext "extendedKeyUsage=critical,timeStamping" 2>/dev/null
    echo 01 >"$dir/tsa-serial"
    cat >"$dir/tsa.cnf" <<CONFIG
[ tsa ]
default_tsa = test_tsa
[ test_tsa ]
serial = $dir/tsa-serial
signer_cert = $dir/tsa-cert.pem
signer_key = $dir/tsa-key.pem
signer_digest = sha256
default_policy = 1.3.6.1.4.1.4146.2.3
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
CONFIG
}

# The first free port from a fixed range: socat keeps running only where it
# could listen.
start() {
    local dir=$1 mode=${2:-valid} port
    mkdir -p "$dir"
    make_authority "$dir"
    for port in $(seq 38100 38199); do
        socat "TCP-LISTEN:$port,bind=127.0.0.1,reuseaddr,fork" \
            "EXEC:$0 answer $dir $mode" </dev/null >/dev/null 2>>"$dir/tsa.log" &
        echo $! >"$dir/tsa.pid"
        sleep 0.2
        if kill -0 "$(cat "$dir/tsa.pid")" 2>/dev/null; then
            echo "http://127.0.0.1:$port/" >"$dir/url"
            return 0
        fi
    done
    echo "timestamp-server: no free port in 38100-38199" >&2
    exit 1
}

stop() {
    if [ -f "$1/tsa.pid" ]; then
        kill "$(cat "$1/tsa.pid")" 2>/dev/null || true
        rm -f "$1/tsa.pid"
    fi
}

# Reads the request's headers, then exactly its body, and answers.
answer() {
    local dir=$1 mode=$2 line length=0 exchange
    while IFS= read -r line; do
        line=${line%$'\r'}
        if [ -z "$line" ]; then
            break
        fi
        if [[ ${line,,} == content-length:* ]]; then
            length=${line#*:}
            length=${length// /}
        fi
    done
    exchange=$(mktemp -d "$dir/exchange.XXXXXX")
    head -c "$length" >"$exchange/query"
    if [ "$mode" = garbage ]; then
        printf 'no time stamp here' >"$exchange/reply"
    else
        openssl ts -reply -config "$dir/tsa.cnf" -queryfile "$exchange/query" \
            -out "$exchange/reply" 2>>"$dir/tsa.log"
    fi
    printf 'HTTP/1.1 200 OK\r\nContent-Type: application/timestamp-reply\r\n'
    printf 'Content-Length: %s\r\nConnection: close\r\n\r\n' "$(stat -c %s "$exchange/reply")"
    cat "$exchange/reply"
    rm -rf "$exchange"
}

case "${1:-}" in
    start) start "$2" "${3:-valid}" ;;
    stop) stop "$2" ;;
    answer) answer "$2" "$3" ;;
    *)
        echo "usage: timestamp-server.sh start DIR [garbage] | stop DIR" >&2
        exit 2
        ;;
esac
