#!/usr/bin/env bash
# One batch re-addresses 100 devices (native and ONVIF) that all answer at
# one factory address, on a network where three hosts that are no devices
# own addresses inside the target range (they answer ARP only). Every
# device but one gets its own address, none of the three, and is found
# there again; the one native device whose administrator password is
# another is reported as refusing and stays where it was. A device that
# speaks both families is two records while it shares the factory address:
# it is changed once, and both records end at its one new address.
#   readdress_lab_test.sh [COUNT]   (from ctest; runs itself in the lab)
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${CORVANE_BIN_DIR:-$root/build/bin}
export CORVANE_BIN_DIR=$bin
factory=10.77.16.1
arp_hosts=(10.77.64.3 10.77.64.40 10.77.64.77)

if [ "${1:-}" != --inside ]; then
    count=${1:-100}
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    "$bin/corvane-devsim" --generate "$count" --onvif-share 25 --both-share 10 --factory-address "$factory" \
        --admin-password lab-admin --jitter-ms 0 --write-lab "$work/plain.lab" 2>/dev/null || exit 2
    # The first native device that takes CFG.V3 keeps a password of its own.
    awk '/^\[device\]/ { n++; block = "" } { lines[NR] = $0; dev[NR] = n }
         /^capabilities = (8|9)$/ { v3[n] = 1 } /^family = onvif/ { onvif[n] = 1 }
         END { for (i = 1; i <= n; i++) if (v3[i] && !onvif[i]) { odd = i; break }
               for (i = 1; i <= NR; i++) { line = lines[i]
                   if (dev[i] == odd) { sub(/^admin-password = lab-admin$/, "admin-password = other-admin", line)
                                        sub(/^user = admin:lab-admin$/, "user = admin:other-admin", line) }
                   print line } }' "$work/plain.lab" >"$work/readdress.lab"
    hosts=()
    for host in "${arp_hosts[@]}"; do hosts+=(--arp-host "$host"); done
    "$root/scripts/lab" --lab "$work/readdress.lab" --devsim-arg --reboot-ms --devsim-arg 200 "${hosts[@]}" \
        -- "$0" --inside "$count" "$(grep -c '^family = both' "$work/readdress.lab")"
    exit $?
fi

count=$2
twins=$3 # devices of both families: two records each
records=$((count + twins))
cli="$bin/corvane-cli"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$(dirname "$0")/../cli_checks.sh"

start=$(date +%s.%N)
"$cli" set-network --range 10.77.64.1-10.77.64.250 --mask 255.255.0.0 --gateway 10.77.0.1 --yes \
    --admin-password lab-admin --phase-ms 600 >"$out/lines" 2>"$out/errors"
status=$?
end=$(date +%s.%N)
echo "re-addressed $count devices in $(echo "$end - $start" | bc) s"
[ "$status" -eq 1 ] || fail "exit status $status, expected 1 (one device refused)"

# The plan: one line per device, the ARP hosts skipped as in use.
planned=$(grep -c '  planned$' "$out/lines")
[ "$twins" -gt 0 ] || fail "no device of both families in the lab"
[ "$planned" -eq "$records" ] || fail "$planned records planned, expected $records"
for host in "${arp_hosts[@]}"; do
    grep -qx "$host  skipped: in use (answered ARP)" "$out/lines" || fail "$host not skipped as in use"
done
# The outcome: every device but the odd one changed, each at its own address.
changed=$(grep '  changed, found at the new address$' "$out/lines" | awk '{ print $4 }')
[ "$(echo "$changed" | grep -c .)" -eq $((records - 1)) ] || fail "$(echo "$changed" | grep -c .) records changed"
changed=$(echo "$changed" | sort -u)
[ "$(echo "$changed" | grep -c .)" -eq $((count - 1)) ] || fail "new addresses not one per device"
for host in "${arp_hosts[@]}"; do
    echo "$changed" | grep -qx "$host" && fail "a device was given $host"
done
refused=$(grep -c "^[0-9A-F-]*  $factory -> 10.77.64.[0-9]*  The device refused or did not answer$" "$out/lines")
[ "$refused" -eq 1 ] || fail "$refused devices refused, expected 1"

# A new search sees the same: the odd one at the factory address, the
# others where the batch put them.
"$cli" search --format csv --phase-ms 600 >"$out/after.csv" 2>/dev/null
[ "$(grep -c ",$factory," "$out/after.csv")" -eq 1 ] || fail "not one device left at $factory"
for address in $changed; do
    grep -q ",$address," "$out/after.csv" || fail "nothing found at $address after the batch"
done

if [ "$failures" -ne 0 ]; then
    cat "$out/lines" "$out/errors"
    exit 1
fi
echo "readdress lab: ok"
