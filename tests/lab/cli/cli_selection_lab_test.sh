#!/usr/bin/env bash
# Device selection, password sources and result formats of corvane-cli in
# the device lab (run by scripts/lab in the "pc" namespace, the simulator
# playing select.lab: ten devices, password "secret").
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${CORVANE_BIN_DIR:?}
cli="$bin/corvane-cli"
lang="$bin/Config File/Lang/eng.lang"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$(dirname "$0")/../cli_checks.sh"
fast=(--phase-ms 300)
all_ips="10.77.16.1 10.77.16.10 10.77.16.100 10.77.16.13 10.77.16.150 10.77.16.19 10.77.16.2 10.77.16.20 10.77.16.201 10.77.16.5"
matched_ips="10.77.16.1 10.77.16.10 10.77.16.100 10.77.16.13 10.77.16.150 10.77.16.19"

# The addresses of JSON records (one per line, sorted) whose outcome and
# text are as given; fails the test when the output is not a JSON array.
json_ips() { # FILE OUTCOME TEXT
    python3 -c '
import json, sys
records = json.load(open(sys.argv[1]))
assert isinstance(records, list)
for r in records:
    assert set(r) == {"ip", "mac", "outcome", "text"}, r
print(" ".join(sorted(r["ip"] for r in records if r["outcome"] == sys.argv[2] and r["text"] == sys.argv[3])))
' "$@" || echo "not JSON"
}
ok=$(text_of tx.success)
op_ok=$(text_of info.operate_success)
wrong=$(text_of info.login_password_err)

# --all with a wrong password: every device is reached, each record says
# "wrong password", JSON parses, the exit status is 1 (nothing is reset).
"$cli" reset --all --password nope --format json "${fast[@]}" >"$out/all.json" 2>"$out/all.err"
expect_status 1 $? "reset --all with a wrong password"
got=$(json_ips "$out/all.json" login-failed "$wrong")
[ "$got" = "$all_ips" ] || { fail "--all JSON: wrong-password records for '$got'"; cat "$out/all.json" "$out/all.err"; }

# --match on the address, password from the environment: exactly the six
# devices, seen by the search afterwards.
CORVANE_PASSWORD=secret "$cli" model --match '10.77.16.1*' --set MATCHED --format csv "${fast[@]}" \
    >"$out/match.csv" 2>&1
expect_status 0 $? "model --match"
[ "$(head -n 1 "$out/match.csv" | tr -d '\r')" = "ip,mac,outcome,text" ] || fail "CSV header of the results"
got=$(tail -n +2 "$out/match.csv" | grep ",success,$op_ok" | cut -d, -f1 | sort | xargs)
[ "$got" = "$matched_ips" ] || { fail "--match chose '$got'"; cat "$out/match.csv"; }
"$cli" search --format csv "${fast[@]}" 2>/dev/null | grep ',MATCHED,' | cut -d, -f2 | sort | xargs >"$out/models"
[ "$(cat "$out/models")" = "$matched_ips" ] || fail "search shows MATCHED at '$(cat "$out/models")'"

# --macs-from standard input (comments, any spelling), the password from a
# file; the batch engine's lines in the table format.
printf 'secret\n' >"$out/password"
printf '# two of them\n02:c0:00:00:20:02\n02-C0-00-00-20-0A\n' |
    "$cli" reboot --macs-from - --password-file "$out/password" "${fast[@]}" >"$out/macs" 2>&1
expect_status 0 $? "reboot --macs-from -"
sort "$out/macs" >"$out/macs.sorted"
printf '10.77.16.2  %s\n10.77.16.201  %s\n' "$ok" "$ok" | cmp -s - "$out/macs.sorted" ||
    { fail "--macs-from lines"; cat "$out/macs"; }

# A MAC address no device has: nothing runs, exit status 1.
CORVANE_PASSWORD=secret "$cli" reboot --mac 02-C0-00-00-20-FF "${fast[@]}" >"$out/missing" 2>&1
expect_status 1 $? "reboot of a missing device"
grep -q "02-C0-00-00-20-FF" "$out/missing" || fail "the missing device is not named"

# No password given on a terminal: the prompt reads it without echo.
env -u CORVANE_PASSWORD "$here/pty_answers.py" "Password for admin: ::secret" -- \
    "$cli" model --ip 10.77.16.5 --port 34567 --set PROMPTED >"$out/pty" 2>&1
expect_status 0 $? "model with the password from the prompt"
grep -qF "10.77.16.5  $op_ok" "$out/pty" || { fail "prompted model line"; cat "$out/pty"; }

# A password change asked on the terminal: the new password twice; two
# different entries change nothing.
current="The current password of admin: ::secret"
new_first="The new password of admin: ::Typed_pw1"
CORVANE_PASSWORD=secret "$here/pty_answers.py" "$current" "$new_first" \
    "The new password of admin (again): ::Typed_pw2" -- "$cli" password --ip 10.77.16.201 --port 34567 \
    >"$out/differ" 2>&1
expect_status 2 $? "password with two different new entries"
grep -q "differ" "$out/differ" || { fail "no message for different entries"; cat "$out/differ"; }
CORVANE_PASSWORD=secret "$here/pty_answers.py" "$current" "$new_first" \
    "The new password of admin (again): ::Typed_pw1" -- "$cli" password --ip 10.77.16.201 --port 34567 \
    >"$out/typed" 2>&1
expect_status 0 $? "password typed on the terminal"
grep -qF "10.77.16.201  $ok" "$out/typed" || { fail "typed password line"; cat "$out/typed"; }
"$cli" model --ip 10.77.16.201 --port 34567 --password Typed_pw1 --set TYPED >"$out/typed-login" 2>&1
expect_status 0 $? "login with the typed new password"

# A wrong password in a single-device command: the language's text.
"$cli" model --ip 10.77.16.20 --port 34567 --password nope --set X >"$out/wrong" 2>&1
expect_status 1 $? "model with a wrong password"
grep -qxF "10.77.16.20  $wrong" "$out/wrong" || { fail "wrong-password line"; cat "$out/wrong"; }

# Usage errors: exit status 2 and a message, per-command help exits 0.
for args in "reboot" "reboot --all --format xml" "reboot --all --ip 10.77.16.1" "reboot --nonsense" \
    "upgrade --all" "nosuchcommand"; do
    # shellcheck disable=SC2086
    "$cli" $args >"$out/usage" 2>&1
    expect_status 2 $? "corvane-cli $args"
    [ -s "$out/usage" ] || fail "corvane-cli $args: no message"
done
"$cli" upgrade --help >"$out/help" 2>&1
expect_status 0 $? "upgrade --help"
grep -q -- "--password-file" "$out/help" || fail "upgrade --help does not list --password-file"
grep -q "process list" "$out/help" || fail "upgrade --help does not warn about --password"
"$cli" --version | grep -qx "corvane-cli [0-9.]*" || fail "--version"

echo "$failures failures"
[ "$failures" -eq 0 ]
