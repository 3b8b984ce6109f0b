#!/usr/bin/env bash
# Prints the time that a reproducible build writes wherever a time is asked for:
# SOURCE_DATE_EPOCH when it is set, otherwise the date of the checked-out commit; nothing when
# neither is known (a copy of the sources without git).
set -euo pipefail
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  echo "$SOURCE_DATE_EPOCH"
else
  git -C "$(dirname "${BASH_SOURCE[0]}")/.." log -1 --format=%ct 2>/dev/null || true
fi
