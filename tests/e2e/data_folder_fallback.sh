#!/usr/bin/env bash
# The program in a folder that cannot be written (made immutable, as a read-only share or Program
# Files is to a user) keeps its items in the user's application-data folder: it asks the first-run
# question once, and a restart shows the items kept there. The folder has a Cyrillic name and the
# program runs under the Russian locale. Needs root (chattr), the Wine session of scripts/test
# (DISPLAY, WINEPREFIX) and KEPSIL_BUILD.
set -u
build=${KEPSIL_BUILD:?}
wine_bin=$(command -v wine || command -v wine64)
locale=ru_RU.UTF-8
driver() { "$wine_bin" "$build/windows/ksdriver.exe" "$@" 2>/dev/null | tr -d '\r'; }

local_windows=$("$wine_bin" cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
local_unix=$("$wine_bin" winepath -u "$local_windows" 2>/dev/null | tr -d '\r')
[ -d "$local_unix" ] || { echo "FAILED: no application-data folder ($local_windows)"; exit 1; }
own="$local_unix/KepSil"
# Under the build root, not /tmp: the folder must be on a file system that keeps the immutable flag.
work=$(mktemp -d "$build/fallback.XXXXXX")
folder="$work/Программы"
program=
clean_up() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  chattr -i "$folder" 2>/dev/null
  rm -rf "$work" "$own"
}
trap clean_up EXIT
rm -rf "$own"
mkdir "$folder"
cp "$build/windows/kepsil.exe" "$folder/"
chattr +i "$folder" || { echo "FAILED: chattr +i did not take (not root, or a file system without it)"; exit 1; }
if touch "$folder/probe" 2>/dev/null; then echo "FAILED: the folder can still be written"; exit 1; fi

failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
start() {
  (cd "$folder" && LC_ALL=$locale LANG=$locale exec "$wine_bin" kepsil.exe >/dev/null 2>&1) &
  program=$!
  driver wait-window 30000 >/dev/null || { echo "FAILED: no main window"; exit 1; }
}
stop() {
  driver exit 15000 >/dev/null || { echo "FAILED: the program did not end"; exit 1; }
  wait "$program" 2>/dev/null
  program=
}
question_shown() { driver windows | grep -q '^#32770|'; }
rows() { driver rows | head -n 1; }
rows_become() {
  for _ in $(seq 50); do [ "$(rows)" = "$1" ] && return 0; sleep 0.2; done
  return 1
}
text_kept() { grep -lx "kept elsewhere" "$own/Clipboard/"*.txt >/dev/null 2>&1; }

start
asked=1
for _ in $(seq 50); do question_shown && { asked=0; break; }; sleep 0.2; done
check "the first start asks the first-run question" test "$asked" -eq 0
driver button 7 >/dev/null   # No: no association
driver clip-text "kept elsewhere" >/dev/null
check "the copied text is an item" rows_become 1
stop
check "items.dat and prefs.dat are in %LOCALAPPDATA%\\KepSil\\Clipboard" \
  test -f "$own/Clipboard/items.dat" -a -f "$own/Clipboard/prefs.dat"
check "the text is kept there" text_kept
check "nothing was made beside the program" test ! -e "$folder/Clipboard"

start
sleep 1
check "the restart asks nothing" eval '! question_shown'
check "the restart shows the kept item" rows_become 1
stop
[ "$failures" -eq 0 ]
