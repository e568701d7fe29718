#!/usr/bin/env bash
# Alt + Ctrl + Space shows and hides the main window; keys are pressed on the X display, as a
# keyboard would, while another program (notepad) has the focus. Runs under scripts/test, which
# provides the Wine prefix and the X display.
set -u
root=${KEPSIL_ROOT:?}
build=${KEPSIL_BUILD:?}
wine=$(command -v wine || command -v wine64)
keys="python3 $root/tests/e2e/hotkey_xkeys.py"
work=$(mktemp -d)
cp "$build/windows/kepsil.exe" "$build/windows/ksdriver.exe" "$work/"
mkdir "$work/Clipboard"
cd "$work" || exit 1
failures=0

driver() { "$wine" ksdriver.exe "$@" >"$work/driver.out" 2>&1; }
visible() { driver windows && grep -q '|KepSil!' "$work/driver.out"; }
# Waits up to four seconds for the window to be shown (1) or hidden (0).
becomes() {
  local want=$1
  for _ in $(seq 20); do
    if visible; then [ "$want" = 1 ] && return 0; else [ "$want" = 0 ] && return 0; fi
    sleep 0.2
  done
  return 1
}
check() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
# Showing a window without a window manager stalls Wine's drawing for up to two seconds, during
# which the program samples no keys; wait that out after each toggle, and on a slow machine until
# the program answers again.
settle() { sleep 2.5; driver sync 20000; }
# Keys stuck from an earlier failure must not spoil the next case.
release_all() { $keys -space -alt -ctrl 100; }

"$wine" kepsil.exe >/dev/null 2>&1 &
program=$!
driver wait-window 30000 || { echo "FAILED: no window"; kill "$program"; exit 1; }
"$wine" notepad.exe >/dev/null 2>&1 &
notepad=$!
sleep 3
check "starts visible" becomes 1

$keys +ctrl 100 +alt 150 +space 150 -space 100 -alt -ctrl 100
check "Ctrl+Alt, then Space hides" becomes 0
settle
$keys +alt 100 +ctrl 150 +space 150 -space 100 -ctrl -alt 100
check "the same gesture (Alt first) shows it again" becomes 1
settle

$keys +ctrl +alt 150 +space 2500
check "holding all three hides" becomes 0
sleep 1
check "and toggles only once" becomes 0
release_all
settle
$keys +ctrl +alt 150 +space 150 -space 150 -alt -ctrl
check "shown again" becomes 1
settle

$keys +ctrl +alt 150 +space 150 -space 150
check "first tap hides" becomes 0
settle
$keys +space 150 -space 150
check "second tap shows" becomes 1
settle
$keys +space 150 -space 150
check "third tap hides" becomes 0
settle
$keys -alt -ctrl 100
release_all

$keys +space 150 +ctrl +alt 600
check "Space held before Ctrl+Alt does nothing" becomes 0
$keys -space 150 +space 150 -space 150 -alt -ctrl
check "a fresh press of Space then works" becomes 1
settle
release_all

driver exit 15000
kill "$notepad" 2>/dev/null
wait "$program" "$notepad" 2>/dev/null
cd / && rm -rf "$work"
[ "$failures" -eq 0 ]
