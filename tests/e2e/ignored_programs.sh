#!/usr/bin/env bash
# Each item remembers the program it was copied from, and a program the user ignores makes no more
# items, across a restart, while copies from other programs (a Linux one through xclip) still do.
# Runs under scripts/test, which provides the Wine prefix and the X display.
set -u
root=${KEPSIL_ROOT:?}
build=${KEPSIL_BUILD:?}
wine=$(command -v wine || command -v wine64)
command -v xclip >/dev/null || { echo "FAILED: xclip is not installed"; exit 1; }
work=$(mktemp -d)
cp "$build/windows/kepsil.exe" "$build/windows/ksdriver.exe" "$work/"
mkdir "$work/Clipboard"
cd "$work" || exit 1
program=

. "$root/tests/e2e/lib/script_support.sh"
start() {
  "$wine" kepsil.exe >/dev/null 2>&1 &
  program=$!
  driver wait-window 30000 || { echo "FAILED: no window"; kill "$program"; exit 1; }
}
stop() {
  driver exit
  wait "$program" 2>/dev/null
}
# The driver copies from a window of its own and keeps it for two seconds.
driver_copy() { "$wine" ksdriver.exe clip-text-owned "$1" 2000 >/dev/null 2>&1; }
cleanup() {
  [ -n "$(jobs -p)" ] && kill $(jobs -p) 2>/dev/null
  cd / && rm -rf "$work"
}
trap cleanup EXIT

start
driver_copy "copied by the driver"
check "a copy from a program with a window becomes an item" rows_become 1
source_file=$(ls Clipboard/*.src 2>/dev/null | head -n 1)
check "the item keeps the program it came from" test "$(cat "$source_file" 2>/dev/null)" = "ksdriver.exe"

# The item menu's "Ignore copies from ksdriver.exe", on the row taken as Space takes it.
driver select 0 && driver command 203 && driver command 203 && driver command 63 && driver sync
check "the ignored program is written to its file" grep -qx $'ksdriver.exe\r' Clipboard/ignored.dat
driver_copy "ignored copy"
driver sync
check "a copy from the ignored program makes no item" rows_become 1

printf '%s' "copied on Linux" | xclip -quiet -selection clipboard >/dev/null 2>&1 &
check "a copy from another program still does" rows_become 2
# Wine's bridge to X owns no window: such an item names no program.
check "a copy from Linux names no program" test "$(ls Clipboard/*.src | wc -l)" -eq 1
kill %% 2>/dev/null

stop
start
check "the items come back" rows_become 2
driver_copy "ignored after the restart"
driver sync
check "the program stays ignored after a restart" rows_become 2

# "Ignored programs..." lists it; Remove (button 0x6401) takes it off the list, Close (0x6402) ends.
"$wine" ksdriver.exe command 64 >/dev/null 2>&1 &
sleep 2
driver button 25601 && driver button 25602 && driver sync
check "removing the program from the list deletes its file" test ! -e Clipboard/ignored.dat
driver_copy "no longer ignored"
check "its copies make items again" rows_become 3
stop

echo "$failures failed"
[ "$failures" -eq 0 ]
