#!/usr/bin/env bash
# corvane-cli as a person at an 80-column terminal meets it (run by
# scripts/lab in the "pc" namespace, the simulator playing select.lab): help
# wrapped at word boundaries, unknown commands, a mistyped address refused at
# once, and the search's one-line progress.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${CORVANE_BIN_DIR:?}
cli="$bin/corvane-cli"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$(dirname "$0")/../cli_checks.sh"
on_tty() { "$here/pty_run.py" 80 24 30 "$@"; } # the terminal's output, CR LF line ends

# The words of a text, one a line.
words() { tr -s ' \r\n' '\n\n\n' <"$1" | grep -v '^$'; }

# Help: no line reaches the last column, and the words are those of the
# unwrapped help, in order (wrapped at spaces, never inside a word).
for args in "--help" "upgrade --help" "set-network --help" "reboot --help"; do
    name=${args// /_}
    # shellcheck disable=SC2086
    on_tty "$cli" $args >"$out/$name.tty"
    expect_status 0 $? "$args on a terminal"
    # shellcheck disable=SC2086
    "$cli" $args >"$out/$name.plain"
    long=$(tr -d '\r' <"$out/$name.tty" | awk 'length($0) > 79' | head -n 3)
    [ -z "$long" ] || fail "$args: lines wider than 79 columns: $long"
    words "$out/$name.tty" >"$out/$name.tty.words"
    words "$out/$name.plain" >"$out/$name.plain.words"
    cmp -s "$out/$name.tty.words" "$out/$name.plain.words" ||
        fail "$args: wrapping changed the words: $(diff "$out/$name.plain.words" "$out/$name.tty.words" | head -n 4)"
done
# The long option texts are wider than 80 columns unwrapped: the check saw wrapping.
awk 'length($0) > 80' "$out/upgrade_--help.plain" | grep -q . || fail "upgrade --help has no line to wrap"

# An unknown command names itself and lists the commands; usage error.
on_tty "$cli" frobnicate >"$out/unknown"
expect_status 2 $? "an unknown command"
grep -qF "unknown command 'frobnicate'" "$out/unknown" || fail "unknown command text: $(cat "$out/unknown")"
grep -q "search" "$out/unknown" && grep -q "set-network" "$out/unknown" || fail "no command list: $(cat "$out/unknown")"

# A mistyped address: usage error at once, no search.
start=$(date +%s%N)
"$cli" reboot --ip 10.77.16.300 --password secret >/dev/null 2>"$out/badip"
expect_status 2 $? "reboot --ip with an invalid address"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -lt 1000 ] || fail "an invalid --ip took ${elapsed} ms"
grep -q -- "--ip" "$out/badip" || fail "invalid --ip message: $(cat "$out/badip")"

# The search on a terminal: a progress line while it runs, redrawn in place
# and erased before the table; the table alone in a pipe.
on_tty "$cli" search --phase-ms 600 >"$out/search.tty"
expect_status 0 $? "search on a terminal"
grep -q "searching, [0-9]* s, [0-9]* devices\? found" "$out/search.tty" || fail "no progress line: $(head -c 300 "$out/search.tty")"
grep -qF "10 devices found" "$out/search.tty" || fail "the progress line never counted the ten devices"
# What the terminal shows: each line as its last carriage return left it.
sed 's/\r$//; s/.*\r//; s/\x1b\[K//g' "$out/search.tty" >"$out/search.shown"
head -n 1 "$out/search.shown" | grep -q '^ip  *mac/endpoint  ' || fail "the table does not start on a clean line: $(head -n 1 "$out/search.shown")"
grep -q searching "$out/search.shown" && fail "the progress line stayed on the screen"
"$cli" search --phase-ms 300 >"$out/search.pipe" 2>"$out/search.err"
grep -q "searching" "$out/search.pipe" "$out/search.err" && fail "progress written to a pipe"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo PASS
