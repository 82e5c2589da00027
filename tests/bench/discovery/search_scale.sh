#!/usr/bin/env bash
# Scale of the search: a lab of N generated devices (1000 by default), each
# answering every request, found by one full search of corvane-cli (both
# phases at 3000 ms), first without and then with 5% reply loss. Prints
# found/expected, duplicates and the search time. Runs in the device lab
# (scripts/lab), so it needs root; not part of the ctest run.
#
#   tests/bench/discovery/search_scale.sh [N] [SEED]
#   CORVANE_BIN_DIR selects the build (default build/bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
export CORVANE_BIN_DIR=${CORVANE_BIN_DIR:-$root/build/bin}
count=${1:-1000}
seed=${2:-7}

measure() { # measure LOSS
    "$root/scripts/lab" --generate "$count" --seed "$seed" \
        --devsim-arg --reply-loss --devsim-arg "$1" -- bash -c '
        out=$(mktemp)
        start=$(date +%s%N)
        "$CORVANE_BIN_DIR/corvane-cli" search --format csv >"$out" 2>/dev/null
        ms=$((($(date +%s%N) - start) / 1000000))
        rows=$(($(wc -l <"$out") - 1))
        unique=$(tail -n +2 "$out" | cut -d, -f1 | sort -u | wc -l)
        # Devices whose V3 texts arrived too (a model other than the placeholder).
        texts=$(tail -n +2 "$out" | cut -d, -f13 | grep -vc "^-- --$" || true)
        rm -f "$out"
        printf "reply loss %-5s found %4d/%d  duplicates %d  with V3 texts %4d  search %5d ms\n" \
            "$1" "$rows" "$2" "$((rows - unique))" "$texts" "$ms"' _ "$1" "$count"
}

measure 0
measure 0.05
