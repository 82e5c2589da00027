#!/usr/bin/env bash
# Runs the bitrate, capacity and qr commands of corvane-cli and checks what
# they print, their exit codes and the picture file.
set -u
cli=$1
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# expect STATUS OUTPUT -- COMMAND...: the command's exit status and standard output.
expect() {
    local status=$1 output=$2
    shift 3
    local got got_status
    got=$("$cli" "$@" 2>"$work/stderr")
    got_status=$?
    if [ "$got_status" != "$status" ] || [ "$got" != "$output" ]; then
        echo "FAIL: corvane-cli $*: status $got_status (want $status), output '$got' (want '$output')"
        sed 's/^/    stderr: /' "$work/stderr"
        failures=$((failures + 1))
    fi
    if [ "$status" = 2 ] && [ ! -s "$work/stderr" ]; then
        echo "FAIL: corvane-cli $*: no error message"
        failures=$((failures + 1))
    fi
}

expect 0 "4582 Kb/s" -- bitrate --standard PAL --resolution-id 10 --quality 5 --fps 12
expect 0 "8192 Kb/s" -- bitrate --standard NTSC --resolution-id 10 --quality 5 --fps 30
expect 0 "1527 Kb/s" -- bitrate --fps 1 --quality 5 --resolution-id 10 --standard PAL
expect 0 "0 Kb/s" -- bitrate --standard PAL --resolution-id 31 --quality 0 --fps 25
expect 2 "" -- bitrate --standard PAL --resolution-id 10 --quality 5 --fps 30
expect 2 "" -- bitrate --standard SECAM --resolution-id 10 --quality 5 --fps 25
expect 2 "" -- bitrate --standard PAL --resolution-id 32 --quality 5 --fps 25
expect 2 "" -- bitrate --standard PAL --resolution-id 10 --quality 6 --fps 25
expect 2 "" -- bitrate --standard PAL --resolution-id 10 --quality 5
expect 2 "" -- bitrate --standard PAL --resolution-id 1x --quality 5 --fps 25

expect 0 "88" -- capacity days --disk-gb 1000 --hours 24 --group 1:1024
expect 0 "340" -- capacity disk --days 30 --hours 24 --group 1:1024
expect 0 "680" -- capacity disk --days 30 --hours 24 --group 1:1024 --group 1:1024
expect 0 "0" -- capacity days --disk-gb 0 --hours 24 --group 4:2048
expect 2 "" -- capacity days --disk-gb 1000 --hours 25 --group 1:1024
expect 2 "" -- capacity disk --days 367 --hours 24 --group 1:1024
expect 2 "" -- capacity disk --days 30 --hours 24
expect 2 "" -- capacity disk --days 30 --hours 24 --group 0:1024
expect 2 "" -- capacity disk --days 30 --hours 24 --group 1:-5
expect 2 "" -- capacity disk --disk-gb 30 --hours 24 --group 1:1024
expect 2 "" -- capacity weeks --days 30 --hours 24 --group 1:1024

expect 0 "" -- qr ABC123 --out "$work/a.bmp"
expect 0 "" -- qr --out "$work/b.bmp" ABC123
expect 2 "" -- qr "" --out "$work/c.bmp"
expect 2 "" -- qr ABC123
expect 1 "" -- qr ABC123 --out "$work/missing/d.bmp"
if ! cmp -s "$work/a.bmp" "$work/b.bmp"; then
    echo "FAIL: the same text gave different files"
    failures=$((failures + 1))
fi
# Version 4: 44 x 43 pixels of 2 bytes after the 54 header bytes.
size=$(stat -c %s "$work/a.bmp")
magic=$(head -c 2 "$work/a.bmp")
if [ "$size" != 3838 ] || [ "$magic" != BM ]; then
    echo "FAIL: picture of $size bytes starting with '$magic'"
    failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "all corvane-cli checks passed"
