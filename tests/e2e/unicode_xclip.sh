#!/usr/bin/env bash
# Texts beyond code page 1252 and transparent pictures copied on Linux with xclip: the program keeps
# what was copied, hands it back unchanged, and pastes it into notepad as it was. Runs under
# scripts/test, which provides the Wine prefix and the X display.
set -u
root=${KEPSIL_ROOT:?}
build=${KEPSIL_BUILD:?}
wine=$(command -v wine || command -v wine64)
command -v xclip >/dev/null || { echo "FAILED: xclip is not installed"; exit 1; }
command -v convert >/dev/null || { echo "FAILED: ImageMagick is not installed"; exit 1; }
work=$(mktemp -d)
cp "$build/windows/kepsil.exe" "$build/windows/ksdriver.exe" "$work/"
mkdir "$work/Clipboard"
cd "$work" || exit 1

greek="Καλημέρα κόσμε"
cyrillic="Съешь же ещё этих мягких французских булок"
cjk_one="日本語のテキスト"
cjk_two="中文文本测试"
emoji="smile 😀 please"
symbols="→ ✓ €"
euro="price 5 €"

. "$root/tests/e2e/lib/script_support.sh"
same_bytes() { cmp -s "$1" <(printf '%s' "$2"); }
# Prints the base name of the item whose file with that extension holds exactly the bytes, waiting
# up to ten seconds for it.
item_holding() {
  local extension=$1 bytes=$2
  for _ in $(seq 50); do
    for file in Clipboard/*."$extension"; do
      [ -f "$file" ] && same_bytes "$file" "$bytes" && { basename "$file" ".$extension"; return 0; }
    done
    sleep 0.2
  done
  return 1
}
copies=()
# xclip keeps serving the selection until another program takes it; each copy is ended by pid.
xcopy() {
  printf '%s' "$1" | xclip -quiet -selection clipboard >/dev/null 2>&1 &
  copies+=($!)
}
# Reads the clipboard through X (in that target) into a file until it holds the bytes of `want`.
xread_until() {
  local want=$1 target=$2
  for _ in $(seq 25); do
    timeout 5 xclip -o -selection clipboard -t "$target" >"$work/read.out" 2>/dev/null
    cmp -s "$work/read.out" "$want" && return 0
    sleep 0.2
  done
  return 1
}
# Takes the row as the item menu's commands do, then puts it back on the clipboard.
put_back() { driver select "$1" && driver command 203 && driver command 203 && driver command 12; }

"$wine" kepsil.exe >/dev/null 2>&1 &
program=$!
driver wait-window 30000 || { echo "FAILED: no window"; kill "$program"; exit 1; }

# --- capture: each text is one item whose .utf holds exactly what was copied --------------------
declare -A names
for text in "$greek" "$cyrillic" "$cjk_one" "$cjk_two" "$emoji" "$symbols"; do
  xcopy "$text"
  names[$text]=$(item_holding utf "$text")
  check "\"$text\" is kept as UTF-8 beside its ANSI text" \
    test -n "${names[$text]}" -a -f "Clipboard/${names[$text]}.txt"
done
check "two different CJK texts are two items" \
  test -n "${names[$cjk_one]}" -a "${names[$cjk_one]}" != "${names[$cjk_two]}"
symbols_txt=$(od -An -tx1 "Clipboard/${names[$symbols]}.txt" 2>/dev/null | tr -d ' \n')
check "the ANSI text keeps one byte per character, the euro sign as 0x80" \
  test "${#symbols_txt}" = 10 -a "${symbols_txt: -4}" = 2080
xcopy "$euro"
euro_name=$(item_holding txt "price 5 $(printf '\x80')")
# Beyond ASCII, so its Unicode text is kept too: a system of another code page reads it the same.
check "a text that code page 1252 holds (\"$euro\") keeps its Unicode text beside the ANSI one" \
  test -n "$euro_name" -a "$(cat "Clipboard/$euro_name.utf" 2>/dev/null)" = "$euro"
check "seven rows" rows_become 7

# --- put back: xclip reads exactly the bytes that were copied; no item comes of it --------------
# Rows are newest first: euro 0, symbols 1, emoji 2, second CJK 3, first CJK 4, Cyrillic 5, Greek 6.
printf '%s' "$emoji" >"$work/emoji.want"
put_back 2
check "the emoji text put back reads back byte for byte" xread_until "$work/emoji.want" UTF8_STRING
printf '%s' "$cyrillic" >"$work/cyrillic.want"
put_back 5
check "the Cyrillic text put back reads back byte for byte" xread_until "$work/cyrillic.want" UTF8_STRING
sleep 1
check "putting back made no item" test "$(rows)" = 7

# --- paste into notepad: Return pastes the real characters into the window behind ----------------
"$wine" notepad.exe >/dev/null 2>&1 &
notepad=$!
for _ in $(seq 50); do driver front Notepad && break; sleep 0.2; done
# Notepad is the window the user worked in, then the program comes to the front, whose keys work
# only while it is the active window. The row is checked (new items are) and delete-after-paste is
# on: the pasted item goes.
paste_into_notepad() {
  driver front Notepad && driver front KepSilWindow1 && driver select "$1" && driver key 13
  rows_become "$2"
}
notepad_holds() {
  printf '%s' "$1" >"$work/notepad.want"
  for _ in $(seq 50); do
    driver edit-text Notepad notepad.got && cmp -s notepad.got "$work/notepad.want" && return 0
    sleep 0.2
  done
  return 1
}
paste_into_notepad 6 6
check "the Greek text pasted into notepad is the Greek text" notepad_holds "$greek"
paste_into_notepad 2 5
check "then the emoji text follows it" notepad_holds "$greek$emoji"
kill "$notepad" 2>/dev/null

# --- a PNG with transparency: one item that keeps the file as it was, and hands it back ---------
convert -size 160x100 xc:none -fill 'rgba(220,40,40,0.5)' -draw 'circle 80 50 80 8' \
  -fill 'rgb(30,60,200)' -draw 'rectangle 8 8 50 40' png32:"$work/clear.png"
before=$(rows)
xclip -quiet -selection clipboard -t image/png -i "$work/clear.png" >/dev/null 2>&1 &
copies+=($!)
png_name=""
for _ in $(seq 50); do
  for file in Clipboard/*.png; do [ -f "$file" ] && png_name=$(basename "$file" .png); done
  [ -n "$png_name" ] && break
  sleep 0.2
done
check "the transparent PNG is kept byte for byte" cmp -s "Clipboard/$png_name.png" "$work/clear.png"
check "beside a picture blended for the .bmp" test -s "Clipboard/$png_name.bmp"
sleep 1
check "it made exactly one item" test "$(rows)" = $((before + 1))
put_back 0
check "put back, image/png reads the same bytes" xread_until "$work/clear.png" image/png
sleep 1
check "putting the picture back made no item" test "$(rows)" = $((before + 1))

driver exit 15000
for pid in "${copies[@]}"; do kill "$pid" 2>/dev/null; done
wait "$program" "$notepad" "${copies[@]}" 2>/dev/null
cd / && rm -rf "$work"
[ "$failures" -eq 0 ]
