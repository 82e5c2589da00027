#!/usr/bin/env bash
# Upgrades N ONVIF devices of the device lab (50 by default) with one image
# of MIB MiB (32), JOBS uploads in flight (16); the devices restart in
# 200 ms. Prints the time, MiB/s, CPU and peak memory of the uploading side,
# then the simulator's peak memory. Needs root (scripts/lab) and a build
# with CORVANE_BUILD_BENCH=ON.
#
#   tests/bench/onvif/run_onvif_upgrade_bench.sh [N] [JOBS] [MIB]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
export CORVANE_BIN_DIR=${CORVANE_BIN_DIR:-$root/build/bin}
count=${1:-50}
jobs=${2:-16}
mib=${3:-32}
lab=$(mktemp)
trap 'rm -f "$lab"' EXIT
{
    echo "[lab]"
    for ((i = 0; i < count; i++)); do
        host=$((10 + i))
        printf '[device]\nname = bench-%d\nmac = 02-0B-00-00-%02X-%02X\nip = 10.77.%d.%d\n' \
            "$i" $((i / 256)) $((i % 256)) $((16 + host / 256)) $((host % 256))
        printf 'model = BENCH-1\nversion = 1.0\nfamily = onvif\nonvif-user = admin:admin-pass:Administrator\n'
    done
} >"$lab"
"$root/scripts/lab" --lab "$lab" --devsim-arg --reboot-ms --devsim-arg 200 -- bash -c '
    "$CORVANE_BIN_DIR/onvif_upgrade_bench" "$1" "$2" "$3"
    status=$?
    pid=$(pgrep -P "$PPID" -x corvane-devsim || true) # the simulator of this lab
    [ -n "$pid" ] && grep -E "VmHWM|VmRSS" "/proc/$pid/status" | sed "s/^/simulator /"
    exit $status' bench "$count" "$jobs" "$mib"
