#!/usr/bin/env bash
# corvane-cli with both device families (run by scripts/lab in the "pc"
# namespace, one simulator playing mixed.lab, a second one annex.lab on a
# second network): the search lists each device of both networks once with
# its family, devices answering one probe type only and one naming a
# link-local address included; --family chooses the sources, --address
# reaches a device that multicast does not, the default table fits 80
# columns, and info reads an ONVIF device with a login.
set -uo pipefail
bin=${CORVANE_BIN_DIR:?}
cli="$bin/corvane-cli"
lang="$bin/Config File/Lang/eng.lang"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fast=(--phase-ms 400)

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
text_of() { grep "^$1=" "$lang" | head -n 1 | cut -d= -f2- | tr -d '\r'; }
expect_status() { # WANT GOT WHAT
    [ "$2" -eq "$1" ] || fail "$3: exit status $2, expected $1"
}
# "ip family" of every JSON record, sorted, one pair a line.
families() {
    python3 -c '
import json, sys
for r in sorted(json.load(open(sys.argv[1])), key=lambda r: r["ip"]):
    print(r["ip"], r["family"])
' "$1" || echo "not JSON"
}

"$cli" search --format json "${fast[@]}" >"$out/all.json" 2>/dev/null
expect_status 0 $? "search"
annex=("10.78.16.1 ONVIF" "10.78.16.2 ONVIF" "10.78.16.3 ONVIF")
printf '%s\n' "10.77.16.1 native" "10.77.16.2 native" "10.77.16.3 both" "10.77.16.4 ONVIF" "10.77.16.5 ONVIF" "${annex[@]}" |
    cmp -s - <(families "$out/all.json") || { fail "families of the search"; families "$out/all.json"; }
grep -qF '"endpointReference": "urn:uuid:c0a7e000-0000-4000-8000-020E00003005", "onvifType": "recorder"' \
    "$out/all.json" || fail "the recorder's ONVIF fields"

"$cli" search --format json --family onvif "${fast[@]}" >"$out/onvif.json" 2>/dev/null
expect_status 0 $? "search --family onvif"
printf '%s\n' "10.77.16.3 ONVIF" "10.77.16.4 ONVIF" "10.77.16.5 ONVIF" "${annex[@]}" | cmp -s - <(families "$out/onvif.json") ||
    { fail "--family onvif"; families "$out/onvif.json"; }

"$cli" search --family native --format csv "${fast[@]}" >"$out/native.csv" 2>/dev/null
[ "$(head -n 1 "$out/native.csv" | tr -d '\r' | cut -d, -f19-)" = "customerCode,family,endpointReference,onvifType,name,hardware,location,interface,localAddress,diagnostics,otherAddresses" ] ||
    fail "CSV header: $(head -n 1 "$out/native.csv")"
[ "$(tail -n +2 "$out/native.csv" | cut -d, -f2 | sort | xargs)" = "10.77.16.1 10.77.16.2 10.77.16.3" ] ||
    fail "--family native: $(cat "$out/native.csv")"

# The default table: one line per device (and the header), none wider than
# 80 columns, the long model cut; --wide keeps every column.
"$cli" search "${fast[@]}" >"$out/table" 2>/dev/null
[ "$(wc -l <"$out/table")" -eq 9 ] || fail "table lines: $(cat "$out/table")"
awk 'length($0) > 80 { bad = 1 } END { exit bad }' "$out/table" || { fail "table wider than 80"; cat "$out/table"; }
grep -qE '^10\.77\.16\.1 +02-C0-00-00-30-01 +native +IPC +IPC-NATIVE' "$out/table" || fail "native row: $(cat "$out/table")"
grep -qE '^10\.77\.16\.4 +~000-020E00003004 +ONVIF +camera +OC-100' "$out/table" || fail "ONVIF row: $(cat "$out/table")"
"$cli" search --wide "${fast[@]}" 2>/dev/null | grep -qE 'IPC-NATIVE-LONG-1 .* V1.00.R01 Build: 2026-01-01' ||
    fail "--wide cut a cell"

# A device beyond the multicast's reach, asked by address; a range of
# addresses; text that is no range is refused with the language's text.
"$cli" search --address 10.77.16.6 --format json "${fast[@]}" >"$out/remote.json" 2>/dev/null
expect_status 0 $? "search --address"
[ "$(families "$out/remote.json")" = "10.77.16.6 ONVIF" ] || { fail "--address"; cat "$out/remote.json"; }
"$cli" search --address 10.78.16.2-9 --family onvif --format json "${fast[@]}" >"$out/range.json" 2>/dev/null
[ "$(families "$out/range.json" | xargs)" = "10.78.16.2 ONVIF 10.78.16.3 ONVIF" ] || { fail "--address range"; cat "$out/range.json"; }
"$cli" search --address 10.77.16.9-3 "${fast[@]}" >"$out/bad" 2>&1
expect_status 2 $? "search --address with a reversed range"
grep -qF "$(text_of info.Address_range_bad)" "$out/bad" || { fail "reversed range text"; cat "$out/bad"; }

# The link-local XAddrs: the device is reached where its reply came from.
"$cli" info --ip 10.78.16.3 --password ll-pass --format json "${fast[@]}" >"$out/ll.json" 2>"$out/ll.err"
expect_status 0 $? "info of the link-local device"
grep -qF '"model": "OC-LL"' "$out/ll.json" || { fail "info of the link-local device"; cat "$out/ll.json" "$out/ll.err"; }

# info: a digest login to the camera, and WS-Security on a recorder whose
# clock is two hours ahead.
"$cli" info --ip 10.77.16.4 --password cam-pass --format json "${fast[@]}" >"$out/cam.json" 2>"$out/cam.err"
expect_status 0 $? "info of the camera"
python3 -c '
import json, sys
r = json.load(open(sys.argv[1]))
assert (r["model"], r["serialNumber"], r["mac"], r["address"]) == ("OC-100", "CAM-0004", "02-0E-00-00-30-04", "10.77.16.4"), r
assert r["services"], r
' "$out/cam.json" || { fail "info of the camera"; cat "$out/cam.json" "$out/cam.err"; }
CORVANE_PASSWORD=rec-pass "$cli" info --ip 10.77.16.5 "${fast[@]}" >"$out/nvr" 2>&1
expect_status 0 $? "info of the recorder"
grep -qE '^serialNumber +SN020E00003005$' "$out/nvr" || { fail "recorder table"; cat "$out/nvr"; }

# A wrong password: the language's text and exit status 1.
"$cli" info --ip 10.77.16.4 --password wrong "${fast[@]}" >"$out/wrong" 2>&1
expect_status 1 $? "info with a wrong password"
grep -qF "10.77.16.4  $(text_of info.login_password_err)" "$out/wrong" || { fail "wrong-password text"; cat "$out/wrong"; }

# The camera's configuration saved and its firmware upgraded through the
# batch: the transfer's percent, the version read back, a file of another
# model refused.
"$cli" export --ip 10.77.16.4 --password cam-pass --out "$out/cam.backup" "${fast[@]}" >"$out/export" 2>&1
expect_status 0 $? "export of the camera"
[ -s "$out/cam.backup" ] || { fail "export wrote nothing"; cat "$out/export"; }
"$bin/make_firmware" OC-100 "2.9.0" $((1024 * 1024)) "$out/cam.img" >/dev/null
"$bin/make_firmware" OTHER-9 "2.9.0" $((1024 * 1024)) "$out/other.img" >/dev/null
"$cli" upgrade --ip 10.77.16.4 --password cam-pass --file "$out/other.img" "${fast[@]}" >"$out/up-other" 2>&1
expect_status 1 $? "upgrade with another model's image"
"$cli" upgrade --ip 10.77.16.4 --password cam-pass --file "$out/cam.img" "${fast[@]}" >"$out/up" 2>&1
expect_status 0 $? "upgrade of the camera"
"$cli" info --ip 10.77.16.4 --password cam-pass --format json "${fast[@]}" 2>/dev/null |
    grep -qF '"firmwareVersion": "2.9.0"' || { fail "version after the upgrade"; cat "$out/up"; }

# An ONVIF camera re-addressed through its login, found at its new address
# by the next search; a wrong password changes nothing.
"$cli" set-network --at 10.77.16.4 --ip 10.77.16.44 --mask 255.255.0.0 --gateway 10.77.0.1 \
    --admin-password wrong "${fast[@]}" >"$out/setnet-wrong" 2>&1
expect_status 1 $? "set-network with a wrong password"
"$cli" set-network --at 10.77.16.4 --ip 10.77.16.44 --mask 255.255.0.0 --gateway 10.77.0.1 \
    --admin-password cam-pass "${fast[@]}" >"$out/setnet" 2>&1
expect_status 0 $? "set-network of the ONVIF camera"
grep -qF "$(text_of info.operate_success)" "$out/setnet" || { fail "set-network text"; cat "$out/setnet"; }
"$cli" search --format json --family onvif "${fast[@]}" >"$out/moved.json" 2>/dev/null
families "$out/moved.json" >"$out/moved" # whole, not cut short by grep -q
grep -qx "10.77.16.44 ONVIF" "$out/moved" || { fail "moved camera"; cat "$out/moved"; }

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
