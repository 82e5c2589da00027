#!/usr/bin/env bash
# Prints the desktop program's figures: start-up to the first search (target
# under 1 s) and the device list rebuilt with 2000 devices (target under
# 200 ms) and the capacity results after a check-box change with 1000 rows
# (target under 5 ms), the first row of a search over 1000 devices on
# screen (target under 200 ms), offscreen, inside a network namespace of its own (the start-up
# search broadcasts). Needs root; binaries from $CORVANE_BIN_DIR, else build/bin.
#
#   tests/bench/app/run_bench.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${CORVANE_BIN_DIR:-$root/build/bin}
runs=${1:-10}
[ -x "$bin/corvane-app-bench" ] || { echo "run_bench: $bin/corvane-app-bench not built" >&2; exit 2; }
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
"$root/tests/netns-run" "$bin/corvane-app-bench" startup "$runs"
"$root/tests/netns-run" "$bin/corvane-app-bench" rebuild 2000 "$runs"
"$root/tests/netns-run" "$bin/corvane-app-bench" capacity 1000 "$((runs * 10))"
"$root/tests/netns-run" "$bin/corvane-app-bench" qr-click "$((runs * 10))"
"$root/tests/netns-run" "$bin/corvane-app-bench" rows-found 1000 3
