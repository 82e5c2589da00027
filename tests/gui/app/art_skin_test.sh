#!/usr/bin/env bash
# The shipped skin pictures are the ones the artwork sources draw: drawing
# them again gives the same files, byte for byte.
#   art_skin_test.sh CORVANE_ART SOURCE_DIR
set -euo pipefail
art=$1
source_dir=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$art" skin "$out"
for file in Logo.ico Help.bmp; do
    if ! cmp -s "$out/$file" "$source_dir/Config File/Skin/$file"; then
        echo "FAIL: Config File/Skin/$file differs from what art/ draws (run: corvane-art skin \"Config File/Skin\")"
        exit 1
    fi
    echo "ok   Config File/Skin/$file matches art/"
done
