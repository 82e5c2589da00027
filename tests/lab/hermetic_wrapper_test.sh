#!/usr/bin/env bash
# Shows that a broadcast sent by a test under tests/netns-run stays inside the
# test's namespace. This script itself runs under the wrapper (as every test
# does), so its namespace stands in for "the machine": it has an interface,
# a default route and a listener on the probe port.
#   1. Control: a broadcast sent here, outside any inner wrapper, reaches the
#      listener here (so the listener would see a leak).
#   2. A broadcast sent under a nested wrapper reaches a listener inside that
#      nested namespace (broadcasts work inside)...
#   3. ...and never reaches the listener outside it.
set -euo pipefail
probe="$1"
wrapper="$(dirname "$0")/../netns-run"
port=47999

listen() { # listen MS OUTFILE
    "$probe" listen "$port" "$1" >"$2" &
    for _ in $(seq 100); do grep -q ready "$2" 2>/dev/null && return 0; sleep 0.02; done
    echo "listener did not start" >&2
    exit 1
}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

listen 600 "$out/control"
"$probe" send "$port"
wait
control=$(tail -n 1 "$out/control")
[ "$control" -ge 1 ] || { echo "FAIL: control broadcast was not received ($control)"; exit 1; }

listen 1500 "$out/outside"
inside=$("$wrapper" bash -c '
    "$1" listen "$2" 600 >"$3/inside" &
    for _ in $(seq 100); do grep -q ready "$3/inside" 2>/dev/null && break; sleep 0.02; done
    "$1" send "$2"; "$1" send "$2"; "$1" send "$2"
    wait
    tail -n 1 "$3/inside"' _ "$probe" "$port" "$out")
wait
outside=$(tail -n 1 "$out/outside")

echo "control=$control inside=$inside outside=$outside"
[ "$inside" -ge 1 ] || { echo "FAIL: broadcast not received inside the wrapper"; exit 1; }
[ "$outside" -eq 0 ] || { echo "FAIL: $outside broadcast(s) left the wrapper"; exit 1; }
echo "PASS"
