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
PREVIEW_BENCH=corvane-rtsp-preview-bench PREVIEW_BENCH_LAB=$here/bench.lab \
    PREVIEW_BENCH_DEVICE="10.77.16.171 bench-pass" exec "$here/../operate/run_preview_bench.sh" "$@"
