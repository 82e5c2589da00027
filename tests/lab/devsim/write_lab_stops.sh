#!/usr/bin/env bash
# corvane-devsim --write-lab writes the lab and ends on its own; with
# --serve it goes on serving until it is stopped.
set -euo pipefail
devsim=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
timeout 10 "$devsim" --generate 3 --write-lab "$dir/written.lab" 2>/dev/null
grep -q '^\[device\]' "$dir/written.lab"
"$devsim" --generate 3 --write-lab "$dir/again.lab" --serve --no-sdk --ready-file "$dir/ready" 2>/dev/null &
pid=$!
for _ in $(seq 100); do [ -f "$dir/ready" ] && break; sleep 0.1; done
[ -f "$dir/ready" ] || { echo "--serve did not serve" >&2; kill "$pid"; exit 1; }
kill "$pid"
wait "$pid" || true
echo "write-lab stops; with --serve it serves"
