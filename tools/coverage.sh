#!/usr/bin/env bash
# Line coverage of the game's own code (game/ world/ characters/ items/ weapons/ platform/):
# builds with gcov instrumentation in build-coverage, runs the random soak on its own and
# prints what it reached, then runs the whole test suite and prints the figures per file and
# in total.
# Usage: tools/coverage.sh   (VAULTREACH_SOAK_GAMES=N plays N games per soak style)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-coverage"

"$root/tools/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DVAULTREACH_COVERAGE=ON
"$root/tools/install-packages.sh" gcovr

filters=()
for folder in game world characters items weapons platform; do
  filters+=(--filter "$root/$folder/")
done
report() {
  gcovr --root "$root" "${filters[@]}" "$@" "$build"
}

find "$build" -name '*.gcda' -delete

echo "== The random soak alone"
"$build/tests/vaultreach_tests" --gtest_filter='Soak/*' --gtest_brief=1
report --print-summary --output /dev/null

echo "== The whole test suite"
(cd "$build" && ctest -j 2 --output-on-failure)
report --print-summary
