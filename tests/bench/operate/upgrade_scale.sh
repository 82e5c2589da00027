#!/usr/bin/env bash
# Upgrade batch at scale, in the device lab: DEVICES simulated devices of one
# model (default 200) upgraded by corvane-cli with one firmware image of
# IMAGE_MIB MiB (default 32). Prints the command line's peak resident memory
# against the image size and its CPU time, the most transfers the simulator
# received at once against the transfer limit (UPGRADE_CFG Max_Transfers, 8
# when the shipped Config.ini has it), how many devices reported success, the
# time against the link's floor (the same bytes sent as plain bulk data over
# as many connections at once, over the same veth, in the same run), and the
# simulator's resident memory before the batch, at its peak and once idle
# again. The batch time runs from the command's first device report (its
# search is over and the first device logged in) to its end; the whole
# command's time is printed beside it.
#
#   sudo tests/bench/operate/upgrade_scale.sh [DEVICES] [IMAGE_MIB]
#
# The simulated devices hold their users' keys from the start, as real
# devices do (they store them when a password is set): a login costs the
# device no key derivation, and the simulator's time is the devices' share
# of the transfer only. SIM_KEYS=derive leaves the derivation to each
# device's first login instead.
#
# LINK_MBIT=N shapes the computer's link to the devices to N Mbit/s (a token
# bucket on its side of the veth), for the floor and the batch alike: a
# real network's rate instead of the veth's, which on a small machine is
# bound by the same cores that encrypt, decrypt and verify.
#
# With CORVANE_PROFILE=FILE, perf records every process (call graphs) while
# the command runs, into FILE.
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

lab_args=()
[ "${SIM_KEYS:-stored}" = stored ] && lab_args+=(--devsim-arg --stored-keys)
link_mbit=${LINK_MBIT:-}

streams=$(sed -n 's/^Max_Transfers=//p' "$bin/Config File/Config/Config.ini" | head -1)
streams=${streams:-8}

cat >"$work/run.sh" <<INNER
#!/usr/bin/env bash
set -e
# This runs in the lab's "pc" namespace; the lab (this script's parent) put
# the simulator in "corvane-cams-<its process id>".
cams=corvane-cams-\$PPID
devsim=\$(ip netns pids "\$cams" | head -1)
[ -n "\$devsim" ] || { echo "no simulator in \$cams" >&2; exit 2; }
resident() { awk -v key="\$1:" '\$1 == key {print int(\$2 / 1024)}' "/proc/\$devsim/status"; }
resident VmRSS >"$work/sim_before"
if [ -n "$link_mbit" ]; then
    link=\$(ip -o -4 addr show | awk '\$4 ~ /^10\.77\./ { print \$2; exit }')
    link=\${link%@*}
    tc qdisc add dev "\$link" root tbf rate ${link_mbit}mbit burst 1mb latency 100ms
fi
ip netns exec "\$cams" python3 "$root/tests/bench/operate/link_floor.py" serve 5201 >"$work/floor_ready" &
server=\$!
for _ in \$(seq 100); do [ -s "$work/floor_ready" ] && break; sleep 0.05; done
python3 "$root/tests/bench/operate/link_floor.py" send 10.77.0.1 5201 $((devices * image_bytes)) $streams >"$work/floor"
kill \$server
cpu() { awk '{print \$14 + \$15}' "/proc/\$devsim/stat"; }
cpu >"$work/sim_cpu_before"
profile=${CORVANE_PROFILE:-}
if [ -n "\$profile" ]; then
    perf record -a -g -F 199 -o "\$profile" -- sleep 600 2>/dev/null &
    profiler=\$!
fi
CORVANE_PASSWORD=bench python3 "$root/tests/bench/operate/batch_clock.py" "$work/out" "$work/err" "$work/times" \
    /usr/bin/time -f '%M %U %S' -o "$work/rss" \
    "$bin/corvane-cli" upgrade --all --file "$work/image.upf" && status=0 || status=\$?
echo \$status >"$work/status"
cpu >"$work/sim_cpu_after"
if [ -n "\$profile" ]; then
    kill -INT \$profiler
    wait \$profiler || true
fi
resident VmHWM >"$work/sim_peak"
sleep 8 # the devices restart; the simulator is idle again
resident VmRSS >"$work/sim_after"
cp "\$CORVANE_LAB_LOG" "$work/devsim.log"
INNER
chmod +x "$work/run.sh"
"$root/scripts/lab" --lab "$work/scale.lab" "${lab_args[@]}" -- "$work/run.sh"

read -r rss_kib cli_user cli_system <"$work/rss"
read -r floor_s floor_rate <"$work/floor"
peak=$(grep -o 'firmware transfers at once: [0-9]*' "$work/devsim.log" | awk '{print $NF}' | sort -n | tail -1)
ok=$(grep -c '  Succeeded$' "$work/out" || true)
read -r t0 first t1 <"$work/times"
printf 'devices                %d\n' "$devices"
printf 'image                  %d MiB\n' "$((image_bytes / 1024 / 1024))"
printf 'peak resident memory   %d MiB (target: under image + 100 = %d MiB)\n' \
    "$((rss_kib / 1024))" "$((image_bytes / 1024 / 1024 + 100))"
printf 'transfers at once      %s (limit %s)\n' "${peak:-0}" "$streams"
printf 'devices succeeded      %d of %d (exit status %s)\n' "$ok" "$devices" "$(cat "$work/status")"
batch=$(echo "$t1 - $first" | bc)
printf 'command line CPU       %.1f s (user %.1f + system %.1f; target: under 15 s)\n' \
    "$(echo "$cli_user + $cli_system" | bc)" "$cli_user" "$cli_system"
link_text="the veth as it is"
[ -n "$link_mbit" ] && link_text="shaped to $link_mbit Mbit/s"
printf 'link floor             %.1f s (%s GiB/s, %d streams, %d MiB; %s)\n' "$floor_s" "$floor_rate" \
    "$streams" "$((devices * image_bytes / 1024 / 1024))" "$link_text"
printf 'device keys            %s\n' "${SIM_KEYS:-stored}"
printf 'command time           %.1f s (the first device report after %.1f s)\n' "$(echo "$t1 - $t0" | bc)" \
    "$(echo "$first - $t0" | bc)"
printf 'batch time             %.1f s = %.1f x the floor (target: within 1.5 x; from the first report)\n' "$batch" \
    "$(echo "$batch / $floor_s" | bc -l)"
printf 'simulator CPU          %.1f s during the command\n' \
    "$(echo "($(cat "$work/sim_cpu_after") - $(cat "$work/sim_cpu_before")) / $(getconf CLK_TCK)" | bc -l)"
printf 'simulator resident     %d MiB before, %d MiB peak, %d MiB idle after\n' \
    "$(cat "$work/sim_before")" "$(cat "$work/sim_peak")" "$(cat "$work/sim_after")"
