#!/usr/bin/env bash
# Prints the ONVIF live preview's figures: the simulator's 1920 x 1080 H.264
# main stream at 25 pictures a second (and the 640 x 360 sub stream) for
# SECONDS each (default 20), shown by the desktop program's preview window,
# offscreen, in the device lab. Also prints the load average before each run
# and the simulator's CPU share (it encodes): the machine is shared, and a
# busy one shows in the figures. Needs root and a build with
# CORVANE_BUILD_BENCH=ON; binaries from $CORVANE_BIN_DIR, else build/bin.
#
#   tests/bench/preview/run_rtsp_preview_bench.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
bin=${CORVANE_BIN_DIR:-$root/build/bin}
seconds=${1:-20}
[ -x "$bin/corvane-rtsp-preview-bench" ] || { echo "run_rtsp_preview_bench: $bin/corvane-rtsp-preview-bench not built" >&2; exit 2; }
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
status=0
for stream in 2 3; do
    echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
    BENCH_LAB=$here/bench.lab CORVANE_BIN_DIR=$bin "$root/scripts/lab" --lab "$here/bench.lab" -- bash -c '
        devsim=$(pgrep -n -f -- "corvane-devsim --lab $BENCH_LAB" || true)
        ticks() { [ -n "$devsim" ] && awk "{print \$14 + \$15}" "/proc/$devsim/stat" || echo 0; }
        before=$(ticks); start=$(date +%s.%N)
        "$0" 10.77.16.171 bench-pass "$1" "$2"; rc=$?
        after=$(ticks); end=$(date +%s.%N)
        hz=$(getconf CLK_TCK)
        awk -v t=$((after - before)) -v hz="$hz" -v s="$start" -v e="$end" \
            "BEGIN { printf \"  simulator CPU      %6.1f %% of one core (all its threads)\n\", 100 * t / hz / (e - s) }"
        exit $rc' "$bin/corvane-rtsp-preview-bench" "$stream" "$seconds" || status=$?
done
exit $status
