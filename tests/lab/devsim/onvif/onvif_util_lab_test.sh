#!/usr/bin/env bash
# Debian's onvif-util against the simulator's ONVIF devices (onvif.lab),
# run by scripts/lab in the "pc" namespace: its discovery lists the
# devices that answer its NetworkVideoTransmitter probe, and its login
# (WS-Security) reads the device information, also from a device whose
# clock is two hours ahead. A wrong password and a digest-only device are
# refused.
set -uo pipefail
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
command -v onvif-util >/dev/null || { echo "onvif-util missing: run scripts/setup"; exit 1; }
# onvif-util connects to every XAddr it hears, the link-local one of
# onvif.lab too: refused at once here instead of after seconds of ARP.
ip route add unreachable 169.254.0.0/16

found=$(timeout 20 onvif-util -a 2>&1)
for line in "10.77.16.101 lobby(lobby OC-100)" "10.77.16.102 recorder(recorder OR-16)" \
    "10.77.16.103 gate(gate OC-200)" "10.77.16.104 nvt-only(nvt-only SIM)" "169.254.12.34 (link-local SIM)"; do
    grep -qxF "$line" <<<"$found" || fail "discovery lacks \"$line\""
done
grep -q "Found 5 cameras" <<<"$found" || fail "discovery: $found"

# login USER PASSWORD ADDRESS: onvif-util's output, after its status line.
login() {
    local out status
    out=$(printf 'quit\n' | timeout 20 onvif-util -u "$1" -p "$2" "$3" 2>&1)
    status=$?
    printf '%s\nstatus %s\n' "$out" "$status"
}
out=$(login admin lobby-pass 10.77.16.101)
grep -q "name:   lobby OC-100" <<<"$out" && grep -q "serial: SN020E00000001" <<<"$out" &&
    grep -q "status 0" <<<"$out" || fail "lobby login: $out"
out=$(login viewer viewer-pass 10.77.16.101)
grep -q "serial: SN020E00000001" <<<"$out" || fail "a user reads the device information: $out"
out=$(login admin rec-pass 10.77.16.102)
grep -q "serial: REC-0002" <<<"$out" || fail "recorder (clock two hours ahead): $out"
out=$(login admin wrong 10.77.16.101)
grep -q "ter:NotAuthorized" <<<"$out" && ! grep -q "status 0" <<<"$out" || fail "wrong password: $out"
out=$(login admin gate-pass 10.77.16.103)
grep -q "ter:NotAuthorized" <<<"$out" || fail "digest-only device took WS-Security: $out"

echo "onvif-util: $failures failures"
[ "$failures" -eq 0 ]
