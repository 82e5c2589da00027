#!/usr/bin/env bash
# Time of one re-addressing batch: N generated devices (100 by default, a
# third of them ONVIF only) that all answer at one factory address, three
# hosts owning addresses in the target range, at the default search phase
# (3000 ms) and with the simulator's reply jitter. Prints the time of the
# whole batch (search, plan with its ARP probe, the changes and the searches
# that find the devices again) and how many devices changed. Runs in the device lab
# (scripts/lab), so it needs root; not part of the ctest run.
#
#   tests/bench/discovery/readdress_scale.sh [N]
#   CORVANE_BIN_DIR selects the build (default build/bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
export CORVANE_BIN_DIR=${CORVANE_BIN_DIR:-$root/build/bin}
count=${1:-100}

"$root/scripts/lab" --generate "$count" --devsim-arg --onvif-share --devsim-arg 33 \
    --devsim-arg --factory-address --devsim-arg 10.77.16.1 --devsim-arg --admin-password --devsim-arg bench \
    --arp-host 10.77.64.3 --arp-host 10.77.64.40 --arp-host 10.77.64.77 -- bash -c '
    out=$(mktemp)
    start=$(date +%s%N)
    "$CORVANE_BIN_DIR/corvane-cli" set-network --range 10.77.64.1-10.77.64.250 --mask 255.255.0.0 \
        --gateway 10.77.0.1 --yes --admin-password bench >"$out" 2>/dev/null || true
    ms=$((($(date +%s%N) - start) / 1000000))
    changed=$(grep -c "changed, found at the new address$" "$out" || true)
    printf "devices %d  changed %d  not changed %d  batch %6d ms\n" "$1" "$changed" "$(($1 - changed))" "$ms"
    rm -f "$out"
    ' _ "$count"
