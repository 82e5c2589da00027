#!/usr/bin/env bash
# Prints the live preview's figures: the main stream (1920 x 1080) and the
# sub stream (640 x 360) at 25 pictures a second for SECONDS each (default
# 20), shown by the desktop program's preview window, offscreen, in the
# device lab. Also prints the load average before each run and the
# simulator's CPU share over the run: the machine is shared, and a busy one
# shows in the figures. Needs root; binaries from $CORVANE_BIN_DIR, else
# build/bin. Another preview's benchmark runs through this one with
# PREVIEW_BENCH (the bench program), PREVIEW_BENCH_LAB (its lab file) and
# PREVIEW_BENCH_DEVICE (the device's arguments before stream and seconds).
#
#   tests/bench/operate/run_preview_bench.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
bin=${CORVANE_BIN_DIR:-$root/build/bin}
seconds=${1:-20}
bench=${PREVIEW_BENCH:-corvane-preview-bench}
export PREVIEW_LAB=${PREVIEW_BENCH_LAB:-$here/preview.lab}
export PREVIEW_DEVICE=${PREVIEW_BENCH_DEVICE:-10.77.16.1 34567 secret}
[ -x "$bin/$bench" ] || { echo "$(basename "$0"): $bin/$bench not built" >&2; exit 2; }
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
status=0
for stream in 2 3; do
    echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
    CORVANE_BIN_DIR=$bin "$root/scripts/lab" --lab "$PREVIEW_LAB" -- bash -c '
        # This run'"'"'s simulator: the one started with this lab file.
        devsim=$(pgrep -n -f -- "corvane-devsim --lab $PREVIEW_LAB" || true)
        ticks() { [ -n "$devsim" ] && awk "{print \$14 + \$15}" "/proc/$devsim/stat" || echo 0; }
        before=$(ticks); start=$(date +%s.%N)
        "$0" $PREVIEW_DEVICE "$1" "$2"; rc=$?
        after=$(ticks); end=$(date +%s.%N)
        hz=$(getconf CLK_TCK)
        awk -v t=$((after - before)) -v hz="$hz" -v s="$start" -v e="$end" \
            "BEGIN { printf \"  simulator CPU      %6.1f %% of one core (all its threads)\n\", 100 * t / hz / (e - s) }"
        exit $rc' "$bin/$bench" "$stream" "$seconds" || status=$?
done
exit $status
