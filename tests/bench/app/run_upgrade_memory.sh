#!/usr/bin/env bash
# The desktop program's resident memory across upgrade batches, in the device
# lab: DEVICES simulated devices of one model (default 16), an image of
# IMAGE_MIB MiB (default 8), BATCHES batches (default 20) in one process; the
# resident memory after each batch, and batch 20 against batch 5.
#
#   sudo tests/bench/app/run_upgrade_memory.sh [DEVICES] [IMAGE_MIB] [BATCHES]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${CORVANE_BIN_DIR:-$root/build/bin}
devices=${1:-16}
mib=${2:-8}
batches=${3:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
    echo "[lab]"
    echo "seed = 7"
    for i in $(seq 1 "$devices"); do
        printf '[device]\nmac = 02-C6-00-00-%02X-%02X\nip = 10.77.16.%d\n' $((i / 256)) $((i % 256)) "$i"
        printf 'tcp-port = 34567\ncapabilities = 0x09\nadmin-password = bench\nmodel = IPC-SIM\ntype = IPC\n'
        printf 'version = V1.0 Build: 2026-01-01\nreboot-seconds = 1\n'
    done
} >"$work/memory.lab"
"$bin/make_firmware" IPC-SIM "V9.0 Build: 2026-12-08" $((mib * 1024 * 1024)) "$work/image.upf"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
"$root/scripts/lab" --lab "$work/memory.lab" -- "$bin/upgrade_memory_bench" "$devices" "$work/image.upf" "$batches"
