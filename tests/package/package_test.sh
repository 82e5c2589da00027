#!/usr/bin/env bash
# Builds the .deb from the build tree, checks its control data and files,
# unpacks it (dpkg-deb -x) into a temporary root made read-only, and runs
# the installed programs from there: corvane-cli search against the lab's
# two devices, the desktop program offscreen, and beside it the probe (the
# same program with a check of the language switch), whose switch must land
# in the user's Config.ini and be read back at the next start.
# Run by scripts/lab in the "pc" namespace (tests/lab/sdk/sdk.lab).
set -uo pipefail
cpack=${1:?cpack}
build=${2:?build tree}
probe=${3:?package probe}
source_dir=${CORVANE_SOURCE_DIR:?}
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

start=$(date +%s%N)
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
echo "package built in $((($(date +%s%N) - start) / 1000000)) ms"
deb=$(ls "$work"/pkg/corvane_*.deb)

# Dependencies come from the shared libraries the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libstdc++6 libssl3 libqt6widgets6 libqt6gui6; do
    echo "$depends" | grep -q "\b$lib\b" || fail "Depends lacks $lib"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/corvane usr/bin/corvane-cli usr/bin/corvane-devsim \
    "usr/share/corvane/Config File/Config/Config.ini" "usr/share/corvane/Config File/Config/Encode.ini" \
    "usr/share/corvane/Config File/Lang/Ge.lang" "usr/share/corvane/Config File/Skin/Logo.ico" \
    usr/share/applications/org.corvane.Corvane.desktop usr/share/metainfo/org.corvane.Corvane.metainfo.xml \
    usr/share/man/man1/corvane.1.gz usr/share/man/man1/corvane-cli.1.gz usr/share/man/man1/corvane-devsim.1.gz \
    usr/share/bash-completion/completions/corvane-cli usr/share/doc/corvane/copyright; do
    [ -f "$root/$file" ] || fail "the package has no $file"
done
for size in 16 22 24 32 48 64 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/corvane.png
    [ "$(file -b "$icon" | grep -o "$size x $size")" = "$size x $size" ] || fail "icon $size: $(file -b "$icon")"
done
desktop-file-validate "$root/usr/share/applications/org.corvane.Corvane.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.corvane.Corvane.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "appstreamcli validate"; }
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian"; }
fi

# The probe runs from the installed programs' folder, so it finds the
# installed data as they do.
cp "$probe" "$root/usr/bin/corvane-package-probe"
# As installed: nothing under /usr is writable, and a fresh user.
chmod -R a-w "$root/usr"
export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/.config
mkdir -p "$HOME"
shipped="$root/usr/share/corvane/Config File/Config/Config.ini"
user_config=$XDG_CONFIG_HOME/corvane/Config.ini

"$root/usr/bin/corvane-cli" search --format csv --phase-ms 300 >"$work/search.csv" 2>"$work/search.err"
[ $? -eq 0 ] || { cat "$work/search.err"; fail "installed corvane-cli search"; }
for mac in 02-C0-00-00-10-01 02-C0-00-00-10-02; do
    grep -q "^$mac,10.77.16." "$work/search.csv" || fail "installed search did not find $mac"
done
cmp -s "$shipped" "$user_config" || fail "the first start did not copy Config.ini to $user_config"

german=$(grep '^tx.Search=' "$root/usr/share/corvane/Config File/Lang/Ge.lang" | head -n 1 | cut -d= -f2- | tr -d '\r')
english=$(grep '^tx.Search=' "$root/usr/share/corvane/Config File/Lang/eng.lang" | head -n 1 | cut -d= -f2- | tr -d '\r')
export QT_QPA_PLATFORM=offscreen
# The installed desktop program starts and keeps running until stopped.
timeout 3 "$root/usr/bin/corvane" >"$work/start.out" 2>"$work/start.err"
[ $? -eq 124 ] || { cat "$work/start.err"; fail "installed corvane did not keep running"; }
timeout 60 "$root/usr/bin/corvane-package-probe" Deutsch >"$work/first.out" 2>"$work/first.err"
[ $? -eq 0 ] || { cat "$work/first.err"; fail "installed corvane (language switch)"; }
grep -qxF "language=0 search=$english" "$work/first.out" || { cat "$work/first.out"; fail "first start not in English"; }
grep -qxF "language=8 search=$german" "$work/first.out" || { cat "$work/first.out"; fail "the switch to German"; }
grep -q '^Default=Deutsch' "$user_config" || fail "the language switch was not saved in $user_config"
grep -q '^Default=English' "$shipped" || fail "the shipped Config.ini changed"

timeout 60 "$root/usr/bin/corvane-package-probe" report >"$work/second.out" 2>"$work/second.err"
[ $? -eq 0 ] || { cat "$work/second.err"; fail "installed corvane (restart)"; }
grep -qxF "language=8 search=$german" "$work/second.out" || { cat "$work/second.out"; fail "German after a restart"; }

echo "$failures failures"
[ "$failures" -eq 0 ]
