#!/usr/bin/env bash
# A German user locale gives the German texts: the first start's association question is titled
# "Frage". Wine takes the user locale from the environment the program starts in, so this runs
# the program from the shell with LC_ALL set. Needs the Wine session of scripts/test
# (DISPLAY, WINEPREFIX) and KEPSIL_BUILD.
set -u
build=${KEPSIL_BUILD:?}/windows
wine_bin=$(command -v wine || command -v wine64)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/kepsil.exe" "$build/ksdriver.exe" "$work/"
cd "$work"

LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$wine_bin" kepsil.exe >"$work/kepsil.log" 2>&1 &
program=$!
"$wine_bin" ksdriver.exe wait-window 20000 >"$work/wait.log" 2>&1 || { echo "no main window"; kill "$program"; exit 1; }

found=1
for _ in $(seq 50); do
  "$wine_bin" ksdriver.exe windows >"$work/windows.log" 2>&1
  if tr -d '\r' <"$work/windows.log" | grep -qx '#32770|Frage'; then found=0; break; fi
  sleep 0.2
done
if [ "$found" -ne 0 ]; then
  echo "no German question; windows:"; tr -d '\r' <"$work/windows.log"
  "$wine_bin" ksdriver.exe button 7 >/dev/null 2>&1
fi
"$wine_bin" ksdriver.exe button 7 >/dev/null 2>&1   # Nein
sleep 0.5
"$wine_bin" ksdriver.exe exit 15000 >/dev/null 2>&1 || { echo "program did not end"; kill "$program"; exit 1; }
wait "$program"
[ -f "$work/Clipboard/prefs.dat" ] || { echo "no prefs.dat after exit"; exit 1; }
exit "$found"
