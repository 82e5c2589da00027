#!/usr/bin/env bash
# Checks of the source tree itself:
# 1. every language key written as a literal in src/ exists in the English
#    pack (a mistyped key would show itself as the text on screen);
# 2. the desktop's pages, dialogs, session and toolkit never include the
#    main window's folder, so they depend downward only.
set -u
src=${CORVANE_SOURCE_DIR:?}/src
pack="${CORVANE_SOURCE_DIR}/Config File/Lang/eng.lang"
failures=0

keys=$(sed -n 's/^\xEF\xBB\xBF//; s/\r$//; s/^\([^=;[][^=]*\)=.*/\1/p' "$pack" | sed 's/[[:space:]]*$//' | sort -u)
literals=$(grep -rhoE '"((menu|tx|ck|msg|info)\.[A-Za-z0-9_]+|K0008_OtherErrors|strContainIllegalChar)"' \
    "$src" | tr -d '"' | sort -u)
[ -n "$literals" ] || { echo "FAIL: no language-key literals found under $src"; exit 1; }
missing=$(comm -23 <(echo "$literals") <(echo "$keys"))
if [ -n "$missing" ]; then
    echo "FAIL: language keys used in src/ but missing from eng.lang:"
    echo "$missing"
    failures=$((failures + 1))
fi

for folder in devlist operate capacity settings session ui; do
    [ -d "$src/app/$folder" ] || continue
    upward=$(grep -rlE '#include "app/' "$src/app/$folder" || true)
    if [ -n "$upward" ]; then
        echo "FAIL: $folder includes the main window's folder:"
        echo "$upward"
        failures=$((failures + 1))
    fi
done

echo "$(echo "$literals" | wc -l) key literals checked, $failures failures"
[ "$failures" -eq 0 ]
