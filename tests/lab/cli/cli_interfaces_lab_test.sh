#!/usr/bin/env bash
# corvane-cli searching out of every interface (run by scripts/lab in the
# "pc" namespace, which has two links: vp* to the simulator playing
# diagnostics.lab, wp* to a second one playing second.lab). One search finds
# the native and ONVIF devices of both networks, each with the interface
# and local address its reply came in on, and names what is wrong with the
# addresses; --interface keeps the search to one interface; a network change
# reaches a device of the second network out of the interface it was found
# on, not where the routing table sends a broadcast.
set -uo pipefail
bin=${CORVANE_BIN_DIR:?}
cli="$bin/corvane-cli"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$(dirname "$0")/../cli_checks.sh"
fast=(--phase-ms 400)

# "ip family interface-prefix localAddress diagnostics otherAddresses" of every record, sorted.
records() {
    python3 -c '
import json, sys
for r in sorted(json.load(open(sys.argv[1])), key=lambda r: (r["ip"], r["mac"])):
    print(r["ip"], r["family"], r["interface"][:2], r["localAddress"], r["diagnostics"] or "-", r["otherAddresses"] or "-", sep="|")
' "$1" || echo "not JSON"
}

"$cli" search --format json "${fast[@]}" >"$out/all.json" 2>/dev/null || fail "search: exit status $?"
expected='10.77.16.30|native|vp|10.77.0.2|-|-
10.77.16.31|native|vp|10.77.0.2|addressConflict|-
10.77.16.31|native|vp|10.77.0.2|addressConflict|-
10.77.16.32|native|vp|10.77.0.2|macAnsweredTwice|10.77.16.33
10.77.16.34|native|vp|10.77.0.2|gatewayOutside|-
10.77.16.35|ONVIF|vp|10.77.0.2|-|-
10.78.16.1|native|wp|10.78.0.2|-|-
10.78.16.2|ONVIF|wp|10.78.0.2|-|-
192.168.1.108|native|vp|10.77.0.2|unreachable|-'
[ "$(records "$out/all.json")" = "$expected" ] || { fail "one search of both networks"; records "$out/all.json"; }

# The CSV carries the same fields.
"$cli" search --format csv --family native "${fast[@]}" >"$out/native.csv" 2>/dev/null
head -n 1 "$out/native.csv" | tr -d '\r' | grep -q ',interface,localAddress,diagnostics,otherAddresses$' ||
    fail "CSV header: $(head -n 1 "$out/native.csv")"
grep -q '^02-D1-00-00-50-05,192.168.1.108,.*,vp[^,]*,10.77.0.2,unreachable,' "$out/native.csv" ||
    { fail "CSV row of the unreachable device"; cat "$out/native.csv"; }

# Only the second interface: only the second network's devices.
second=$(ip -o -4 addr show | awk '$4 == "10.78.0.2/16" { print $2 }')
"$cli" search --format json --interface "$second" "${fast[@]}" >"$out/second.json" 2>/dev/null
[ "$(records "$out/second.json" | cut -d'|' -f1-3 | xargs)" = "10.78.16.1|native|wp 10.78.16.2|ONVIF|wp" ] ||
    { fail "--interface $second"; records "$out/second.json"; }

# The second network's native device takes a new address and is found there.
"$cli" set-network --mac 02-D2-00-00-60-01 --ip 10.78.16.9 --mask 255.255.0.0 --gateway 10.78.0.1 \
    --admin-password none "${fast[@]}" >"$out/moved" 2>&1 || fail "set-network on the second network: $(cat "$out/moved")"
"$cli" search --format json --family native --interface "$second" "${fast[@]}" >"$out/moved.json" 2>/dev/null
[ "$(records "$out/moved.json" | cut -d'|' -f1-3 | xargs)" = "10.78.16.9|native|wp" ] ||
    { fail "not found at its new address"; records "$out/moved.json"; }

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
