# Shared by the end-to-end scripts that drive kepsil.exe with ksdriver.exe from the folder $work
# (both copied there), under the Wine binary $wine. Source it after setting them; it counts
# failed checks in $failures.

failures=0
driver() { "$wine" ksdriver.exe "$@" >"$work/driver.out" 2>&1; }
rows() { driver rows && head -n 1 "$work/driver.out" | tr -d '\r'; }
# Waits up to ten seconds for the list to hold that many rows: a row may show after its file.
rows_become() {
  for _ in $(seq 50); do
    [ "$(rows)" = "$1" ] && return 0
    sleep 0.2
  done
  return 1
}
check() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
