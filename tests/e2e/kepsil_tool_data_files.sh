#!/usr/bin/env bash
# kepsil-tool prefs/items print what the program would load from prepared data files.
set -u
tool="${KEPSIL_BUILD:-build}/native/tools/kepsil-tool"
[ -x "$tool" ] || { echo "missing $tool"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect_line() {  # OUTPUT LINE
  if ! grep -qxF -- "$2" <<<"$1"; then
    echo "expected line '$2' in:"; echo "$1"; failures=$((failures + 1))
  fi
}

# Five integers only, with an impossible item limit and a list too low for the window.
printf '\x00\x00\x00\x00\x01\x00\x00\x00\xfc\xff\xff\xff\x00\x00\x00\x00\x01\x00\x00\x00' >"$work/short.dat"
out=$("$tool" prefs "$work/short.dat") || failures=$((failures + 1))
expect_line "$out" "ShowAfterPaste=0"
expect_line "$out" "ItemLimit=1"
expect_line "$out" "DeleteAfterPaste=0"
expect_line "$out" "StartVisible=1"
expect_line "$out" "ListHeight=227"
expect_line "$out" "NewItemsChecked=1"
expect_line "$out" "LastLoadDir="
[ "$(wc -l <<<"$out")" -eq 20 ] || { echo "prefs printed $(wc -l <<<"$out") lines"; failures=$((failures + 1)); }

# Defaults for a file that is not there.
out=$("$tool" prefs "$work/none.dat" 2>/dev/null) || failures=$((failures + 1))
expect_line "$out" "ItemLimit=20"
expect_line "$out" "SavedWindowX=50"

# Two records: one good, one that would reach outside the working directory; count says three.
printf '\x03\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x0001012027-000000-1\x00\x00\x00\x00\x00\x00\x00\x00\x00..\\prefs\x00' >"$work/items.dat"
out=$("$tool" items "$work/items.dat") || failures=$((failures + 1))
expect_line "$out" "count=1"
expect_line "$out" "item0.kind=1"
expect_line "$out" "item0.checked=1"
expect_line "$out" "item0.name=01012027-000000-1"
expect_line "$out" "skipped=1"
expect_line "$out" "truncated=1"
if "$tool" items "$work/none.dat" 2>/dev/null; then echo "items on a missing file succeeded"; failures=$((failures + 1)); fi

[ "$failures" -eq 0 ]
