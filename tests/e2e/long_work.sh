#!/usr/bin/env bash
# Long work on a long history keeps the window answering: 20,000 stored texts, the find's first
# letters and the item limit lowered to 10. Writing 40,000 files from inside Wine would take
# minutes, so they are made here natively and handed to the test, which moves them into its own
# program folder. Needs the Wine session of scripts/test (DISPLAY, WINEPREFIX) and KEPSIL_BUILD.
set -u
build=${KEPSIL_BUILD:?}/windows
wine_bin=$(command -v wine || command -v wine64)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Clipboard"
python3 - "$work/Clipboard" 20000 <<'PY'
import os, struct, sys, zlib
folder, count = sys.argv[1], int(sys.argv[2])
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
# A 278 x 60 thumbnail: lavender with a darker square where the item's icon goes.
rows = b"".join(b"\0" + b"".join(bytes((90, 90, 140) if x < 60 else (230, 230, 250)) for x in range(278)) for _ in range(60))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 278, 60, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
for row in range(count):
    name = "05032026-%06d-100" % (999999 - row)
    with open(os.path.join(folder, name + ".clt"), "wb") as f:
        f.write(png)
    with open(os.path.join(folder, name + ".txt"), "wb") as f:
        f.write(b"stored text %d" % row)
PY
items=$("$wine_bin" winepath -w "$work/Clipboard" 2>/dev/null | tr -d '\r')
[ -n "$items" ] || { echo "no Windows path for $work/Clipboard"; exit 1; }
cd "$build"
KEPSIL_LONG_WORK_ITEMS="$items" timeout 900 "$wine_bin" kepsil_e2e_tests.exe --gtest_filter='LongWork.*' \
  --gtest_brief=1 >"$work/test.log" 2>&1
status=$?
tr -d '\r' <"$work/test.log" | grep -v "Read access denied"
grep -q "PASSED.*1 test" "$work/test.log" || status=1
exit "$status"
