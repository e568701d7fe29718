#!/usr/bin/env bash
# The program under the code pages of Eastern and Central Europe and of Japan: the CodePage tests
# of the end-to-end suite (tests/e2e/code_page_test.cpp) run once under each locale, from folders
# named in its script. Wine gives a program the code page of the locale it starts in; the suite's
# own run gives code page 1252. Needs the Wine session of scripts/test and KEPSIL_BUILD.
set -u
build=${KEPSIL_BUILD:?}/windows
wine_bin=$(command -v wine || command -v wine64)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
cd "$build" || exit 1

failures=0
for pair in ru_RU:1251 pl_PL:1250 ja_JP:932; do
  locale=${pair%%:*}.UTF-8
  codePage=${pair##*:}
  if ! locale -a 2>/dev/null | grep -qix "${locale%%.*}.utf8"; then
    echo "FAILED: locale $locale is not installed (scripts/bootstrap makes it)"
    failures=$((failures + 1))
    continue
  fi
  LC_ALL=$locale LANG=$locale KEPSIL_EXPECT_CODE_PAGE=$codePage timeout 600 "$wine_bin" kepsil_e2e_tests.exe \
    --gtest_filter='CodePage.*' --gtest_brief=1 >"$log" 2>&1
  status=$?
  if [ "$status" -eq 0 ] && tr -d '\r' <"$log" | grep -q '^\[  PASSED  \] [1-9]'; then
    echo "ok: $locale (code page $codePage)"
  else
    echo "FAILED: $locale (code page $codePage), exit $status:"
    tr -d '\r' <"$log" | grep -av '^Running main\|^Note:'
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
