#!/usr/bin/env bash
# The program under the code pages of Eastern and Central Europe and of Japan: the CodePage tests
# of the end-to-end suite (tests/e2e/code_page_test.cpp) run once under each locale, from folders
# named in its script. Wine gives a program the code page of the locale it starts in; the suite's
# own run gives code page 1252. Then reg.exe reads back the association the run wrote: it names the
# program in its folder, named in the locale's script as the tests name it. Needs the Wine session
# of scripts/test and KEPSIL_BUILD.
set -u
build=${KEPSIL_BUILD:?}/windows
wine_bin=$(command -v wine || command -v wine64)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
cd "$build" || exit 1

# The open command as reg.exe prints it, in the console's code page.
association() {
  LC_ALL=$locale "$wine_bin" reg query 'HKCR\Applications\kepsil.exe\shell\open\command' /ve 2>/dev/null |
    tr -d '\r' | iconv -f "$console" -t UTF-8 | grep -o '"C:.*'
}

failures=0
# locale, ANSI code page, console code page, the program's folder in code_page_test.cpp
for entry in "ru_RU:1251:CP866:Документы Ивана" "pl_PL:1250:CP852:Narzędzia" "ja_JP:932:CP932:ソフト資料"; do
  IFS=: read -r language codePage console home <<<"$entry"
  locale=$language.UTF-8
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
    command=$(association)
    case "$command" in
      *"\\$home-"*'\kepsil.exe" "%1"') echo "ok: the association names the program in \"$home\"" ;;
      *) echo "FAILED: the association reads back as: $command"; failures=$((failures + 1)) ;;
    esac
  else
    echo "FAILED: $locale (code page $codePage), exit $status:"
    tr -d '\r' <"$log" | grep -av '^Running main\|^Note:'
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
