#!/usr/bin/env bash
# A Linux program on the same X display is a clipboard peer like any other: what xclip copies
# becomes an item, and an item put back is what xclip reads. Runs under scripts/test, which
# provides the Wine prefix and the X display.
set -u
root=${KEPSIL_ROOT:?}
build=${KEPSIL_BUILD:?}
wine=$(command -v wine || command -v wine64)
command -v xclip >/dev/null || { echo "FAILED: xclip is not installed"; exit 1; }
work=$(mktemp -d)
cp "$build/windows/kepsil.exe" "$build/windows/ksdriver.exe" "$work/"
mkdir "$work/Clipboard"
cd "$work" || exit 1

. "$root/tests/e2e/lib/script_support.sh"
# Waits up to ten seconds for a text file in the working directory holding exactly the text.
captured() {
  local text=$1
  for _ in $(seq 50); do
    for file in Clipboard/*.txt; do
      [ -f "$file" ] && [ "$(cat "$file"; echo x)" = "${text}x" ] && return 0
    done
    sleep 0.2
  done
  return 1
}
# xclip keeps serving the selection until another program takes it; each copy is ended by pid.
xcopy() {
  printf '%s' "$1" | xclip -quiet -selection clipboard >/dev/null 2>&1 &
  copies+=($!)
}
copies=()

"$wine" kepsil.exe >/dev/null 2>&1 &
program=$!
driver wait-window 30000 || { echo "FAILED: no window"; kill "$program"; exit 1; }

xcopy "copied on Linux"
check "text copied with xclip becomes an item" captured "copied on Linux"
xcopy "a second Linux text"
check "a second text becomes an item" captured "a second Linux text"
check "two rows" rows_become 2

# Row 1 (the first text) goes back on the clipboard: take the row, then "Put to clipboard".
driver select 1 && driver command 203 && driver command 203 && driver command 12
out=""
for _ in $(seq 25); do
  out=$(timeout 5 xclip -o -selection clipboard 2>/dev/null)
  [ "$out" = "copied on Linux" ] && break
  sleep 0.2
done
check "xclip reads the item put back" [ "$out" = "copied on Linux" ]
sleep 1
check "putting back made no item" [ "$(rows)" = 2 ]

driver exit 15000
for pid in "${copies[@]}"; do kill "$pid" 2>/dev/null; done
wait "$program" "${copies[@]}" 2>/dev/null
cd / && rm -rf "$work"
[ "$failures" -eq 0 ]
