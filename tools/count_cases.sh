#!/usr/bin/env bash
# Prints the GoogleTest cases of a ctest run whose tests are whole suites (under node or Wine):
# ctest's own counts are of suites, GoogleTest's closing lines in ctest's log give the cases.
# Usage: tools/count_cases.sh BUILD_DIR WHERE   (WHERE names the emulator in the line)
set -euo pipefail
log="$1/Testing/Temporary/LastTest.log"
count() {
  awk -v mark="$1" 'index($0, mark) == 1 && $4 ~ /^[0-9]+$/ {n += $4} END {print n + 0}' "$log"
}
passed=$(count '[  PASSED  ] ')
skipped=$(count '[  SKIPPED ] ')
failed=$(count '[  FAILED  ] ')
echo "$2: $((passed + skipped + failed)) test cases run, $passed passed, $skipped skipped," \
  "$failed failed."
