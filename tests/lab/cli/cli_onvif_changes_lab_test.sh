#!/usr/bin/env bash
# corvane-cli's changes to ONVIF devices, each read back by an independent
# client (the npm `onvif` package, onvif_readback.js), run by scripts/lab in
# the "pc" namespace with the simulator playing changes.lab: a clock batch
# over both families ("not supported" for the native device), a password
# batch in which one device would lock (at most two attempts there), ports,
# a fixed address with gateway and DNS, an address by DHCP found where the
# server put it, and a reset that keeps the network settings. Skipped when
# the npm package is missing (scripts/setup installs it).
set -uo pipefail
bin=${CORVANE_BIN_DIR:?}
cli="$bin/corvane-cli"
lang="$bin/Config File/Lang/eng.lang"
modules=${CORVANE_NPM_DIR:-/var/cache/corvane-npm}/node_modules
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$(dirname "$0")/../cli_checks.sh"
fast=(--phase-ms 300)

if ! command -v node >/dev/null || [ ! -f "$modules/onvif/package.json" ]; then
    echo "SKIPPED: the npm onvif package is not installed in $modules (run scripts/setup)"
    exit 77
fi
# readback HOST PORT PASSWORD PYTHON-CONDITION: the condition holds for the
# JSON the client read (as r).
readback() {
    NODE_PATH=$modules timeout 30 node "$(dirname "$0")/onvif_readback.js" "$1" "$2" admin "$3" >"$out/read" 2>&1
    python3 -c '
import json, sys
r = json.loads(open(sys.argv[1]).read().strip().splitlines()[-1])
sys.exit(0 if eval("(" + sys.argv[2] + ")") else 1)
' "$out/read" "$4" 2>/dev/null || { fail "read back from $1:$2: $4"; cat "$out/read"; }
}
line_of() { grep -F "$1" "$2" | head -n 1; } # the result line of an address

# The clock of every device of both families: the native one cannot, the
# ONVIF ones follow the NTP server; one result line each.
matches=(--match 10.77.16.1 --match 10.77.16.11 --match 10.77.16.12 --match 10.77.16.14 --match 10.77.16.15
    --match 10.77.16.16)
"$cli" set-time "${matches[@]}" --family all --password pw-a --ntp 10.77.0.9 "${fast[@]}" >"$out/time" 2>&1
expect_status 1 $? "set-time over both families"
line_of "10.77.16.1 " "$out/time" | grep -qF "$(text_of info.Fail_not_supported)" || { fail "native clock"; cat "$out/time"; }
line_of "10.77.16.11 " "$out/time" | grep -qF "$(text_of tx.success)" || { fail "ONVIF clock"; cat "$out/time"; }
[ "$(grep -c '^10\.77\.16\.' "$out/time")" -eq 6 ] || { fail "one line per device"; cat "$out/time"; }
readback 10.77.16.11 80 pw-a 'r["time"]["type"] == "NTP" and "10.77.0.9" in json.dumps(r["ntp"])'

# A password batch with a device whose password is another: it is asked
# once (it locks at the third wrong one), the others change.
"$cli" password --match 10.77.16.11 --match 10.77.16.12 --match 10.77.16.13 --family onvif --password pw-a \
    --old pw-a --new pw-b "${fast[@]}" >"$out/password" 2>&1
expect_status 1 $? "password batch with a wrong password on one device"
line_of "10.77.16.13 " "$out/password" | grep -qF "$(text_of info.login_password_err)" ||
    { fail "the locking device's line"; cat "$out/password"; }
readback 10.77.16.11 80 pw-b 'r["info"]["model"] == "OC-100"'
readback 10.77.16.12 80 pw-b 'r["info"]["model"] == "OC-100"'
readback 10.77.16.11 80 pw-a '"error" in r or "error" in r["info"]'
readback 10.77.16.13 80 lock-pass '"firmwareVersion" in r["info"]' # not locked

# Ports: HTTP and RTSP (the TCP port means nothing to ONVIF).
"$cli" ports --match 10.77.16.11 --family onvif --password pw-b --http 8080 --tcp 34567 --rtsp 8554 \
    "${fast[@]}" >"$out/ports" 2>&1
expect_status 0 $? "ports"
readback 10.77.16.11 8080 pw-b \
    'sorted((p["name"], p["port"]) for p in r["protocols"]["networkProtocols"] if p["enabled"]) == [("HTTP", 8080), ("RTSP", 8554)]'

# A fixed address with its gateway and DNS server.
"$cli" set-network --at 10.77.16.15 --ip 10.77.16.55 --mask 255.255.255.0 --gateway 10.77.16.254 \
    --dns1 10.77.0.53 --admin-password pw-a "${fast[@]}" >"$out/static" 2>&1
expect_status 0 $? "set-network to a fixed address"
readback 10.77.16.55 80 pw-a 'all(s in json.dumps(r["nics"]) for s in ("10.77.16.55", "prefixLength\": 24")) and
     "10.77.16.254" in json.dumps(r["gateway"]) and "10.77.0.53" in json.dumps(r["dns"])'

# DHCP: the device is found again where the server put it.
"$cli" set-network --at 10.77.16.14 --ip 10.77.16.14 --mask 255.255.0.0 --gateway 10.77.0.1 --dhcp on \
    --admin-password pw-a "${fast[@]}" >"$out/dhcp" 2>&1
expect_status 0 $? "set-network to DHCP"
grep -qx -- "-> 10.77.16.54" "$out/dhcp" || { fail "DHCP address"; cat "$out/dhcp"; }
readback 10.77.16.54 80 pw-a '"10.77.16.54" in json.dumps(r["nics"]) and "dhcp\": true" in json.dumps(r["nics"]).lower()'

# A reset keeping the network settings: the native device is left alone,
# the ONVIF one forgets its clock setting and keeps its new gateway.
"$cli" set-network --at 10.77.16.16 --ip 10.77.16.16 --mask 255.255.255.0 --gateway 10.77.16.254 \
    --admin-password pw-a "${fast[@]}" >"$out/gateway" 2>&1
expect_status 0 $? "set-network of the gateway"
"$cli" reset --match 10.77.16.1 --match 10.77.16.16 --password pw-a --keep-network "${fast[@]}" >"$out/reset" 2>&1
expect_status 1 $? "reset keeping the network"
line_of "10.77.16.1 " "$out/reset" | grep -qF "$(text_of info.Fail_not_supported)" || { fail "native reset"; cat "$out/reset"; }
line_of "10.77.16.16 " "$out/reset" | grep -qF "$(text_of tx.success)" || { fail "ONVIF reset"; cat "$out/reset"; }
sleep 2.5 # the device restarts
readback 10.77.16.16 80 pw-a 'r["time"]["type"] != "NTP" and "10.77.16.254" in json.dumps(r["gateway"])'

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
