#!/usr/bin/env bash
# The device commands of corvane-cli inside the device lab (run by
# scripts/lab in the "pc" namespace, the simulator playing sdk.lab).
set -uo pipefail
bin=${CORVANE_BIN_DIR:?}
cli="$bin/corvane-cli"
make_firmware=${1:?make_firmware}
lang="$bin/Config File/Lang/eng.lang"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$(dirname "$0")/../cli_checks.sh"
A=10.77.16.1
B=10.77.16.2
fast=(--phase-ms 300)

expect_line() { # FILE LINE WHAT
    grep -qxF "$2" "$1" || { fail "$3: no line \"$2\" in:"; cat "$1"; }
}
wait_back() { # the device answers the search again with this TCP port
    for _ in $(seq 40); do
        "$cli" search --format csv "${fast[@]}" >"$out/s.csv" 2>/dev/null
        grep -q "^[^,]*,$1,.*" "$out/s.csv" && grep "^[^,]*,$1," "$out/s.csv" | grep -q ",$2," && return 0
        sleep 0.2
    done
    fail "device $1 did not come back with port $2"
}
ok=$(text_of tx.success)
bad=$(text_of info.Fail_not_firmware)
wrong_password=$(text_of info.login_password_err)
op_ok=$(text_of info.operate_success)

# A device of protocol version 1 and a user name over 95 bytes each give
# their own text, in the table and in JSON.
C=10.77.16.3
old_protocol=$(text_of info.login_old_protocol)
too_long=$(text_of info.login_user_too_long)
long_user=$(printf 'u%.0s' $(seq 96))
"$cli" reboot --ip $C --port 34567 --password secret >"$out/old" 2>&1
expect_status 1 $? "reboot of a version-1 device"
expect_line "$out/old" "$C  $old_protocol" "version-1 device, table"
"$cli" reboot --ip $C --port 34567 --password secret --format json >"$out/old.json" 2>/dev/null
grep -qF "\"text\": \"$old_protocol\"" "$out/old.json" || { fail "version-1 device, JSON"; cat "$out/old.json"; }
"$cli" reboot --ip $A --port 34567 --user "$long_user" --password secret >"$out/long" 2>&1
expect_status 1 $? "reboot with a long user name"
expect_line "$out/long" "$A  $too_long" "long user name, table"
"$cli" reboot --ip $A --port 34567 --user "$long_user" --password secret --format json >"$out/long.json" 2>/dev/null
grep -qF "\"text\": \"$too_long\"" "$out/long.json" || { fail "long user name, JSON"; cat "$out/long.json"; }

# Reboot one device; its port comes from the search.
"$cli" reboot --ip $A --password secret "${fast[@]}" >"$out/reboot" 2>&1
expect_status 0 $? "reboot"
expect_line "$out/reboot" "$A  $ok" "reboot"
wait_back $A 34567

# A wrong password fails every device and the exit status says so.
"$cli" reset --mac 02-C0-00-00-10-01 --mac 02:c0:00:00:10:02 --password nope "${fast[@]}" >"$out/reset" 2>&1
expect_status 1 $? "reset with a wrong password"
expect_line "$out/reset" "$A  $wrong_password" "reset, first device"
expect_line "$out/reset" "$B  $wrong_password" "reset, second device"

# Without a password source and without a terminal nothing is tried: no
# empty password counts towards a device's lock.
"$cli" password --mac 02-C0-00-00-10-01 --password secret --old-file /dev/null "${fast[@]}" \
    </dev/null >"$out/nonew" 2>&1
expect_status 2 $? "password without a new password"
grep -q "no password" "$out/nonew" || { fail "no message without a new password"; cat "$out/nonew"; }
env -u CORVANE_PASSWORD "$cli" reboot --ip $A --port 34567 </dev/null >"$out/nologin" 2>&1
expect_status 2 $? "reboot without a login password"
grep -q "no password" "$out/nologin" || { fail "no message without a login password"; cat "$out/nologin"; }

# Password change on both, every password from a file or the environment,
# then the new one logs in. The process list never shows a password.
printf 'secret\n' >"$out/login"
printf 'Secret_2\n' >"$out/new"
CORVANE_OLD_PASSWORD=secret "$cli" password --mac 02-C0-00-00-10-01 --mac 02-C0-00-00-10-02 \
    --password-file "$out/login" --new-file "$out/new" "${fast[@]}" >"$out/password" 2>&1 &
pid=$!
: >"$out/cmdline"
while kill -0 $pid 2>/dev/null; do
    tr '\0' ' ' </proc/$pid/cmdline >>"$out/cmdline" 2>/dev/null
    echo >>"$out/cmdline"
    sleep 0.05
done
wait $pid
expect_status 0 $? "password"
expect_line "$out/password" "$A  $ok" "password A"
expect_line "$out/password" "$B  $ok" "password B"
grep -q -- "--new-file" "$out/cmdline" || fail "the process list was not read while the command ran"
grep -qi "secret" "$out/cmdline" && { fail "a password in the process list"; cat "$out/cmdline"; }

# Export, change the ports, import the export: the old ports come back.
"$cli" export --ip $A --port 34567 --password Secret_2 --out "$out/a.coi" >"$out/export" 2>&1
expect_status 0 $? "export"
expect_line "$out/export" "$A  $op_ok" "export"
[ -s "$out/a.coi" ] || fail "export wrote no file"
"$cli" ports --ip $A --port 34567 --password Secret_2 --http 8080 --tcp 34600 --rtsp 1554 >"$out/ports" 2>&1
expect_status 0 $? "ports"
expect_line "$out/ports" "$A  $ok" "ports"
wait_back $A 34600
"$cli" import --ip $A --password Secret_2 --file "$out/a.coi" "${fast[@]}" >"$out/import" 2>&1
expect_status 0 $? "import"
expect_line "$out/import" "$A  $ok" "import"
wait_back $A 34567

# Model change, seen by the search.
"$cli" model --ip $B --port 34567 --password Secret_2 --set LAB-MODEL-2 >"$out/model" 2>&1
expect_status 0 $? "model"
expect_line "$out/model" "$B  $op_ok" "model"
"$cli" search --format csv "${fast[@]}" | grep "^[^,]*,$B," | grep -q ",LAB-MODEL-2," || fail "search does not show the new model"

# A picture of each stream.
"$cli" snapshot --ip $A --port 34567 --password Secret_2 --stream sub --out "$out/sub.jpg" >"$out/snap" 2>&1
expect_status 0 $? "snapshot"
[ "$(head -c 2 "$out/sub.jpg" | od -An -tx1 | tr -d ' ')" = "ffd8" ] || fail "snapshot is no JPEG"

# Upgrade: a good image on A, a corrupt one on B.
"$make_firmware" IPC-LAB "V2.00.R01 Build: 2026-12-07" 200000 "$out/good.upf"
"$make_firmware" IPC-LAB "V2.00.R01 Build: 2026-12-07" 200000 "$out/bad.upf" corrupt
"$cli" upgrade --ip $A --port 34567 --password Secret_2 --file "$out/good.upf" >"$out/upgrade" 2>&1
expect_status 0 $? "upgrade"
expect_line "$out/upgrade" "$A  $ok" "upgrade"
grep -q "^$A  100%$" "$out/upgrade" || fail "upgrade printed no progress lines"
"$cli" upgrade --ip $B --port 34567 --password Secret_2 --file "$out/bad.upf" >"$out/upgrade-bad" 2>&1
expect_status 1 $? "upgrade with a bad image"
expect_line "$out/upgrade-bad" "$B  $(text_of info.Fail_not_firmware)" "upgrade with a bad image"
# B's model is LAB-MODEL-2 now: an IPC-LAB image is not for it.
"$cli" upgrade --ip $B --port 34567 --password Secret_2 --file "$out/good.upf" >"$out/upgrade-other" 2>&1
expect_status 1 $? "upgrade with another model's image"
expect_line "$out/upgrade-other" "$B  $(text_of info.Fail_wrong_model)" "upgrade with another model's image"
wait_back $A 34567
"$cli" search --format csv "${fast[@]}" | grep "^[^,]*,$A," | grep -q "V2.00.R01" || fail "search does not show the new version"

# A new address over UDP (CFG.V3 with the changed administrator password):
# the device's SDK side follows it.
"$cli" set-network --mac 02-C0-00-00-10-02 --ip 10.77.16.50 --mask 255.255.0.0 --gateway 10.77.0.1 \
    --admin-password Secret_2 "${fast[@]}" >"$out/net" 2>&1
expect_status 0 $? "set-network"
grep -qxF "$(text_of msg.cfg_v3_clear_password)" "$out/net" || { fail "set-network does not warn"; cat "$out/net"; }
for _ in $(seq 20); do # the simulator looks for new addresses once a second
    "$cli" reboot --ip 10.77.16.50 --password Secret_2 "${fast[@]}" >"$out/moved" 2>&1 && break
    sleep 0.3
done
expect_status 0 $? "reboot at the new address"
expect_line "$out/moved" "10.77.16.50  $ok" "reboot at the new address"

echo "$failures failures"
[ "$failures" -eq 0 ]
