#!/usr/bin/env bash
# Scale of the search over both families: a generated lab of N devices (1000
# by default), half of them ONVIF only, found by one search of corvane-cli
# (native and WS-Discovery side by side), first without and then with 10 %
# reply loss on both sides. Prints the rows per family, duplicates (one key
# twice) and the search time; then the desktop program's device list over
# the same lab with 10 % loss: the first row on screen after the search
# starts (target under 200 ms), every row, and the search's end. Runs in the
# device lab (scripts/lab), so it needs root; not part of the ctest run.
#
#   tests/bench/discovery/mixed_search_scale.sh [N] [SEED]
#   CORVANE_BIN_DIR selects the build (default build/bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
export CORVANE_BIN_DIR=${CORVANE_BIN_DIR:-$root/build/bin}
count=${1:-1000}
seed=${2:-7}

measure() { # measure LOSS
    "$root/scripts/lab" --generate "$count" --seed "$seed" --devsim-arg --onvif-share --devsim-arg 50 \
        --devsim-arg --reply-loss --devsim-arg "$1" -- bash -c '
        out=$(mktemp)
        start=$(date +%s%N)
        "$CORVANE_BIN_DIR/corvane-cli" search --format csv >"$out" 2>/dev/null
        ms=$((($(date +%s%N) - start) / 1000000))
        header=$(head -n 1 "$out")
        column() { echo "$header" | tr , "\n" | grep -nx "$1" | cut -d: -f1; }
        mac=$(column mac); epr=$(column endpointReference); family=$(column family)
        rows=$(($(wc -l <"$out") - 1))
        keys=$(tail -n +2 "$out" | awk -F, -v m="$mac" -v e="$epr" "{ print (\$m != \"\" ? \$m : \$e) }" | sort -u | wc -l)
        native=$(tail -n +2 "$out" | cut -d, -f"$family" | grep -cx native || true)
        onvif=$(tail -n +2 "$out" | cut -d, -f"$family" | grep -cx ONVIF || true)
        rm -f "$out"
        printf "reply loss %-4s rows %4d/%d (native %d, ONVIF %d)  duplicates %d  search %5d ms\n" \
            "$1" "$rows" "$2" "$native" "$onvif" "$((rows - keys))" "$ms"' _ "$1" "$count"
}

measure 0
measure 0.1

"$root/scripts/lab" --generate "$count" --seed "$seed" --devsim-arg --onvif-share --devsim-arg 50 \
    --devsim-arg --reply-loss --devsim-arg 0.1 -- \
    env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}" \
    "$CORVANE_BIN_DIR/corvane-app-bench" rows-found-lab "$count" 3
