#!/usr/bin/env bash
# Prints the live preview's figures: the main stream (1920 x 1080) and the
# sub stream (640 x 360) at 25 pictures a second for SECONDS each (default
# 20), shown by the desktop program's preview window, offscreen, in the
# device lab. Also prints the load average before each run and the
# simulator's CPU share over the run: the machine is shared, and a busy one
# shows in the figures. Needs root; binaries from $CORVANE_BIN_DIR, else
# build/bin.
#
#   tests/bench/operate/run_preview_bench.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
bin=${CORVANE_BIN_DIR:-$root/build/bin}
seconds=${1:-20}
[ -x "$bin/corvane-preview-bench" ] || { echo "run_preview_bench: $bin/corvane-preview-bench not built" >&2; exit 2; }
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
status=0
for stream in 2 3; do
    echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
    PREVIEW_LAB=$here/preview.lab CORVANE_BIN_DIR=$bin "$root/scripts/lab" --lab "$here/preview.lab" -- bash -c '
        # This run'"'"'s simulator: the one started with this lab file.
        devsim=$(pgrep -n -f -- "corvane-devsim --lab $PREVIEW_LAB" || true)
        ticks() { [ -n "$devsim" ] && awk "{print \$14 + \$15}" "/proc/$devsim/stat" || echo 0; }
        before=$(ticks); start=$(date +%s.%N)
        "$0" 10.77.16.1 34567 secret "$1" "$2"; rc=$?
        after=$(ticks); end=$(date +%s.%N)
        hz=$(getconf CLK_TCK)
        awk -v t=$((after - before)) -v hz="$hz" -v s="$start" -v e="$end" \
            "BEGIN { printf \"  simulator CPU      %6.1f %% of one core (all its threads)\n\", 100 * t / hz / (e - s) }"
        exit $rc' "$bin/corvane-preview-bench" "$stream" "$seconds" || status=$?
done
exit $status
