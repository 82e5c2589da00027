#!/usr/bin/env bash
# corvane-cli search and set-network inside the device lab (run by
# scripts/lab in the "pc" namespace, the simulator playing discovery.lab).
# The first search uses the protocol's own phases; the rest are shortened.
set -uo pipefail
bin=${CORVANE_BIN_DIR:?}
cli="$bin/corvane-cli"
lang="$bin/Config File/Lang/eng.lang"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
text_of() { grep "^$1=" "$lang" | head -n 1 | cut -d= -f2-; }
expect_status() { # expect_status WANT GOT WHAT
    [ "$2" -eq "$1" ] || fail "$3: exit status $2, expected $1"
}

# A full search as the desktop program runs it: two phases of 3000 ms.
start=$(date +%s%N)
"$cli" search --format csv >"$out/full.csv" 2>"$out/full.err"
expect_status 0 $? "search"
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "full search: ${elapsed} ms"
{ [ "$elapsed" -ge 6000 ] && [ "$elapsed" -lt 8000 ]; } || fail "a full search took ${elapsed} ms"
header=$(head -n 1 "$out/full.csv" | tr -d '\r')
[ "$header" = "mac,ip,mask,gateway,dns1,dns2,tcpPort,webPort,onvifPort,dhcpMode,capabilities,type,model,cloudId,deviceTime,version,releaseTime,startTime,customerCode,family,endpointReference,onvifType,name,hardware,location,interface,localAddress,diagnostics,otherAddresses" ] ||
    fail "CSV header: $header"
rows=$(($(wc -l <"$out/full.csv") - 1))
# The shipped configuration keeps every customer ("C0000"): 14 devices.
[ "$rows" -eq 14 ] || fail "$rows devices found, expected 14"
# The texts a V1-only device lacks show "-- --", which starts like a
# spreadsheet formula: quoted as text.
grep -q "^02-C0-00-00-00-02,10.77.16.2,255.255.0.0,10.77.0.1,0.0.0.0,0.0.0.0,34567,80,0,1,0,\"'-- --\",\"'-- --\",\"'-- --\",\"'-- --\",\"'-- --\",\"'-- --\",\"'-- --\"," "$out/full.csv" ||
    fail "the V1-only device's row"
grep -q '^02-C0-00-00-00-03' "$out/full.csv" && fail "a V3-only device was listed"
grep -q '^02-C0-00-00-00-07' "$out/full.csv" && fail "a device with wrong-length replies was listed"
grep -qF '"say ""hi"", ok"' "$out/full.csv" || fail "CSV quoting"
tail -n +2 "$out/full.csv" | LC_ALL=C sort -C || fail "rows not in MAC order"

"$cli" search --format json --phase-ms 500 >"$out/search.json"
expect_status 0 $? "search --format json"
grep -qF '"type": "'$'\xEF\xBF\xBD\xEF\xBF\xBD''cam"' "$out/search.json" || fail "invalid UTF-8 not replaced in JSON"
grep -qF '"model": "say \"hi\", ok"' "$out/search.json" || fail "JSON quote escaping"
grep -qF '"cloudId": "back\\slash"' "$out/search.json" || fail "JSON backslash escaping"
grep -qF '"tcpPort": 34567, "webPort": 8080, "onvifPort": 8080, "dhcpMode": 2, "capabilities": 9' "$out/search.json" ||
    fail "JSON numbers"
[ "$(grep -c '"mac": ' "$out/search.json")" -eq 14 ] || fail "JSON device count"

# Values the IP rules reject never reach the network.
ip_error=$(text_of info.IP_set_error)
"$cli" set-network --mac 02-C0-00-00-00-25 --ip 10.77.18.255 --mask 255.255.0.0 --gateway 10.77.0.1 \
    2>"$out/bad.err" >/dev/null
expect_status 2 $? "set-network with a .255 address"
grep -qF "$ip_error" "$out/bad.err" || fail "IP rule message: $(cat "$out/bad.err")"
"$cli" set-network --mac 02-C0-00-00-00-25 --ip 10.77.18.25 --mask 255.0.255.0 --gateway 10.77.0.1 \
    2>"$out/bad.err" >/dev/null
expect_status 2 $? "set-network with a broken mask"

# CFG.V3 (capability bit 3): refused with a wrong password, then applied.
"$cli" set-network --mac 02-c0-00-00-00-25 --ip 10.77.18.25 --mask 255.255.0.0 --gateway 10.77.0.254 \
    --dns1 10.77.0.53 --dhcp off --admin-password wrong --phase-ms 500 >"$out/refused.out"
expect_status 1 $? "set-network with a wrong password"
grep -qxF "$(text_of info.operate_fail)" "$out/refused.out" || fail "refusal text: $(cat "$out/refused.out")"
"$cli" set-network --mac 02-c0-00-00-00-25 --ip 10.77.18.25 --mask 255.255.0.0 --gateway 10.77.0.254 \
    --dns1 10.77.0.53 --dhcp off --admin-password cli-secret --phase-ms 500 >"$out/done.out"
expect_status 0 $? "set-network"
grep -qxF "$(text_of info.operate_success)" "$out/done.out" || fail "success text: $(cat "$out/done.out")"
# It says which device it changed: the MAC, the address it had, the new one.
grep -qxF "02-C0-00-00-00-25  10.77.16.25 -> 10.77.18.25" "$out/done.out" || fail "changed device: $(cat "$out/done.out")"
# A device that never acknowledges: the time-out text.
"$cli" set-network --mac 02-C0-00-00-00-23 --ip 10.77.18.23 --mask 255.255.0.0 --gateway 10.77.0.1 \
    --admin-password x --phase-ms 500 >"$out/timeout.out"
expect_status 1 $? "set-network without acknowledgement"
grep -qxF "$(text_of info.operate_timeout)" "$out/timeout.out" || fail "time-out text: $(cat "$out/timeout.out")"
# CFG.V2 for a device without bit 3.
"$cli" set-network --mac 02-C0-00-00-00-21 --ip 10.77.18.21 --mask 255.255.0.0 --gateway 10.77.0.1 \
    --phase-ms 500 >"$out/v2.out"
expect_status 0 $? "set-network over CFG.V2"

"$cli" search --format csv --phase-ms 500 >"$out/after.csv"
grep -q '^02-C0-00-00-00-25,10.77.18.25,255.255.0.0,10.77.0.254,10.77.0.53,' "$out/after.csv" ||
    fail "CFG.V3 change not seen: $(grep 00-25 "$out/after.csv")"
grep -q '^02-C0-00-00-00-21,10.77.18.21,255.255.0.0,10.77.0.1,' "$out/after.csv" ||
    fail "CFG.V2 change not seen: $(grep 00-21 "$out/after.csv")"

# Port 5001 taken by another program: code -6 and its text, exit 2.
"$bin/udp_probe" listen 5001 3000 >"$out/holder" &
holder=$!
for _ in $(seq 100); do grep -q ready "$out/holder" 2>/dev/null && break; sleep 0.02; done
"$cli" search >/dev/null 2>"$out/taken.err"
expect_status 2 $? "search with port 5001 taken"
grep -qxF "$(text_of info.socket_server_blind_fail)" "$out/taken.err" || fail "port-taken text: $(cat "$out/taken.err")"
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo PASS
