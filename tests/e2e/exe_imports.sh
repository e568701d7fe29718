#!/usr/bin/env bash
# kepsil.exe is copied onto a Windows machine on its own: it may import only DLLs that every
# Windows has. Wine carries more (zlib1.dll, for one), so a run under Wine would not notice.
set -u
exe="${KEPSIL_BUILD:-build}/windows/kepsil.exe"
[ -f "$exe" ] || { echo "missing $exe"; exit 1; }
system_dlls="advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 shell32 user32 winmm"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//')
[ -n "$imports" ] || { echo "no imports read from $exe"; exit 1; }
failures=0
for dll in $imports; do
  if [[ " $system_dlls " == *" $dll "* ]]; then
    echo "ok: $dll.dll"
  else
    echo "not a system DLL: $dll.dll"; failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
