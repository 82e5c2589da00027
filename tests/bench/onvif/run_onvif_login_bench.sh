#!/usr/bin/env bash
# Logs in to N generated ONVIF devices (500 by default) of the device lab and
# reads their information, 16 logins in flight; prints the time and the peak
# memory. Needs root (scripts/lab) and a build with CORVANE_BUILD_BENCH=ON.
#
#   tests/bench/onvif/run_onvif_login_bench.sh [N] [JOBS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
export CORVANE_BIN_DIR=${CORVANE_BIN_DIR:-$root/build/bin}
count=${1:-500}
jobs=${2:-16}
lab=$(mktemp)
trap 'rm -f "$lab"' EXIT
# Written inside a namespace of its own, as everything the simulator does.
"$root/tests/netns-run" "$CORVANE_BIN_DIR/corvane-devsim" --generate "$count" --seed 5 --onvif-share 100 --write-lab "$lab"
"$root/scripts/lab" --lab "$lab" -- "$CORVANE_BIN_DIR/onvif_login_bench" "$lab" "$jobs"
