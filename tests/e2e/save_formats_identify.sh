#!/usr/bin/env bash
# Pictures saved with each file type are what ImageMagick recognises: a 24-bit BMP, a JPEG of
# quality 100 and a PNG. The end-to-end test saves them through the real requester and leaves
# copies here. Runs under scripts/test, which provides the Wine prefix and the X display.
set -u
build=${KEPSIL_BUILD:?}
wine=$(command -v wine || command -v wine64)
command -v identify >/dev/null || { echo "FAILED: ImageMagick is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}

(cd "$build/windows" && KEPSIL_SAVED_PICTURES="Z:${work//\//\\}" timeout 300 "$wine" kepsil_e2e_tests.exe \
   --gtest_filter=SaveItems.PictureIsWrittenInTheChosenFormat >"$work/test.log" 2>&1)
grep -q '\[  PASSED  \] 1 test' "$work/test.log" || { tr -d '\r' <"$work/test.log" | tail -20; failures=$((failures + 1)); }

check "BMP pattern (24-bit: three 8-bit channels)" "BMP3 40x30 8 3" "$(identify -format '%m %wx%h %z %[channels]' "$work/picture.bmp" 2>&1 | sed 's/srgb/3/')"
check "JPEG pattern" "JPEG 40x30 100" "$(identify -format '%m %wx%h %Q' "$work/picture.jpg" 2>&1)"
check "PNG pattern" "PNG 40x30" "$(identify -format '%m %wx%h' "$work/picture.png" 2>&1)"
check "typed .png with the JPEG pattern" "JPEG 100" "$(identify -format '%m %Q' "$work/x.png.jpg" 2>&1)"
[ "$failures" -eq 0 ]
