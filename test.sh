#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/tools/setup.sh" "$root/build" -DVAULTREACH_TESTS=ON
cd "$root/build"
ctest --output-on-failure -j "$(nproc)"
