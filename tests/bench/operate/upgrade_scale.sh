#!/usr/bin/env bash
# Upgrade batch at scale, in the device lab: DEVICES simulated devices of one
# model (default 200) upgraded by corvane-cli with one firmware image of
# IMAGE_MIB MiB (default 32). Prints the command line's peak resident memory
# against the image size, the most transfers the simulator received at once
# against the transfer limit (UPGRADE_CFG Max_Transfers, 8 when the shipped
# Config.ini has it), how many devices reported success, and the time.
#
#   sudo tests/bench/operate/upgrade_scale.sh [DEVICES] [IMAGE_MIB]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${CORVANE_BIN_DIR:-$root/build/bin}
devices=${1:-200}
mib=${2:-32}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One model for all, so one image fits every device; addresses 10.77.16.1 on.
{
    echo "[lab]"
    echo "seed = 7"
    for i in $(seq 1 "$devices"); do
        printf '[device]\nmac = 02-C5-00-00-%02X-%02X\nip = 10.77.%d.%d\n' \
            $((i / 256)) $((i % 256)) $((16 + i / 250)) $((i % 250 + 1))
        printf 'capabilities = 0x09\nadmin-password = bench\nmodel = IPC-SIM\ntype = IPC\n'
        printf 'version = V1.0 Build: 2026-01-01\n'
    done
} >"$work/scale.lab"
"$bin/make_firmware" IPC-SIM "V9.0 Build: 2026-12-08" $((mib * 1024 * 1024)) "$work/image.upf"
image_bytes=$(stat -c %s "$work/image.upf")

cat >"$work/run.sh" <<INNER
#!/usr/bin/env bash
start=\$(date +%s.%N)
CORVANE_PASSWORD=bench /usr/bin/time -f '%M' -o "$work/rss" \
    "$bin/corvane-cli" upgrade --all --file "$work/image.upf" >"$work/out" 2>"$work/err"
echo \$? >"$work/status"
end=\$(date +%s.%N)
echo "\$start \$end" >"$work/times"
cp "\$CORVANE_LAB_LOG" "$work/devsim.log"
INNER
chmod +x "$work/run.sh"
"$root/scripts/lab" --lab "$work/scale.lab" -- "$work/run.sh"

rss_kib=$(cat "$work/rss")
peak=$(grep -o 'firmware transfers at once: [0-9]*' "$work/devsim.log" | awk '{print $NF}' | sort -n | tail -1)
ok=$(grep -c '  Succeeded$' "$work/out" || true)
read -r t0 t1 <"$work/times"
printf 'devices                %d\n' "$devices"
printf 'image                  %d MiB\n' "$((image_bytes / 1024 / 1024))"
printf 'peak resident memory   %d MiB (target: under image + 100 = %d MiB)\n' \
    "$((rss_kib / 1024))" "$((image_bytes / 1024 / 1024 + 100))"
printf 'transfers at once      %s (limit %s)\n' "${peak:-0}" \
    "$(sed -n 's/^Max_Transfers=//p' "$bin/Config File/Config/Config.ini" | head -1)"
printf 'devices succeeded      %d of %d (exit status %s)\n' "$ok" "$devices" "$(cat "$work/status")"
printf 'batch time             %.1f s\n' "$(echo "$t1 - $t0" | bc)"
