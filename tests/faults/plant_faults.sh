#!/usr/bin/env bash
# Plants one-line faults, one at a time, in a scratch copy of the sources, runs the checks that
# should catch each, and prints which were caught. A fault that no check catches shows where the
# tests guard nothing; the list (planted_faults.txt, beside this script) grows with each change.
# Run on request, never by CI: each fault costs a build and a run of its checks.
#
# Each line of the list is three fields separated by tabs: the file, a one-line sed script that
# plants the fault (it must change the file), and the check that should catch it:
#   native:REGEX    the native suite's ctest tests whose names match REGEX
#   windows:REGEX   the same in the Windows build, under Wine (tools/windows/build.sh first)
#   web:WORD        the browser checks whose names hold WORD (tests/web/check.sh), on a browser
#                   build of the planted sources; skipped unless --web is given
# Blank lines and lines starting with # are skipped.
#
# Usage: tests/faults/plant_faults.sh [--full] [--web] [--sanitize] [--only REGEX] [--list FILE]
#   --full       each fault runs its side's whole suite (all the browser checks for the page)
#                instead of the named checks, as CI would
#   --web        runs the page's faults too (an emscripten build; minutes each)
#   --sanitize   the native build with AddressSanitizer and UBSan, as CI's
#   --only REGEX only the faults whose line matches the extended regular expression
# The scratch copy and its builds are kept in build-faults (VAULTREACH_FAULTS_DIR moves them),
# so a second run rebuilds only what the faults touch. Exits 1 when a fault was missed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
list="$here/planted_faults.txt"
full=0
web=0
sanitize=()
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --full) full=1 ;;
    --web) web=1 ;;
    --sanitize) sanitize=(-DVAULTREACH_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    --only) only="$2"; shift ;;
    --list) list="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"; shift ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

out="${VAULTREACH_FAULTS_DIR:-$root/build-faults}"
src="$out/src"
logs="$out/logs"
mkdir -p "$src" "$logs"
# The sources as they are now, committed or not; files the copy holds that are gone here go.
(cd "$root" && git ls-files -co --exclude-standard -z) >"$out/files"
(cd "$root" && xargs -0 cp --parents -p -t "$src" <"$out/files")
(cd "$src" && find . -type f ! -path '*/node_modules/*' -print0) | while IFS= read -r -d '' file; do
  grep -qzxF -- "${file#./}" "$out/files" || rm -f "$src/$file"
done

native_ready=0
windows_ready=0
build_native() {
  if [ "$native_ready" = 0 ]; then
    "$src/tools/setup.sh" "$out/native" -DVAULTREACH_TESTS=ON "${sanitize[@]}" >"$logs/build" 2>&1
    native_ready=1
  else
    cmake --build "$out/native" -j 2 >"$logs/build" 2>&1
  fi
}
build_windows() {
  if [ "$windows_ready" = 0 ]; then
    "$src/tools/windows/build.sh" "$out/windows" >"$logs/build" 2>&1
    windows_ready=1
  else
    cmake --build "$out/windows/game" -j 2 >"$logs/build" 2>&1
  fi
}
# Runs ctest in $1 on the tests matching $2 (all with --full); fails when none match, so that a
# check's name that changed is not taken for a fault that was caught.
run_ctest() {
  local filter=()
  [ "$full" = 1 ] || filter=(-R "$2")
  [ "$(cd "$1" && ctest -N "${filter[@]}" | grep -c '^  Test')" -gt 0 ] || {
    echo "no test matches $2" >"$logs/check"
    return 2
  }
  (cd "$1" && timeout 1800 ctest -j 2 --timeout 300 "${filter[@]}") >"$logs/check" 2>&1
}
check_native() { run_ctest "$out/native" "$1"; }
check_windows() {
  (. "$src/tests/windows/wine-env.sh" "$out/windows" && run_ctest "$out/windows/game" "$1"
    status=$?; wineserver -k 2>/dev/null; exit "$status")
}
check_web() {
  local word="$1"
  [ "$full" = 0 ] || word=""
  "$src/tools/web/build.sh" "$out/web" >"$logs/build" 2>&1 || return 3
  VAULTREACH_WEB_CHECK="$word" "$src/tests/web/check.sh" "$out/web" >"$logs/check" 2>&1
}

caught=0
missed=0
other=0
number=0
report=()
# The list is read on its own descriptor: the builds and checks get no standard input of it.
while IFS=$'\t' read -r -u 3 file script check || [ -n "$file" ]; do
  case "$file" in '' | '#'*) continue ;; esac
  number=$((number + 1))
  [ -z "$only" ] || [[ "$file	$script	$check" =~ $only ]] || continue
  kind="${check%%:*}"
  if [ "$kind" = web ] && [ "$web" = 0 ]; then
    report+=("$(printf '%3d  %-9s %-40s %s' "$number" "not run" "$file" "$check (--web)")")
    continue
  fi
  cp -p "$src/$file" "$out/original"
  sed -i -e "$script" "$src/$file"
  verdict=""
  if cmp -s "$src/$file" "$out/original"; then
    verdict="no change"
  elif [ "$kind" = native ]; then
    build_native || verdict="no build"
  elif [ "$kind" = windows ]; then
    build_windows || verdict="no build"
  elif [ "$kind" != web ]; then
    verdict="bad check"
  fi
  if [ -z "$verdict" ]; then
    set +e
    "check_$kind" "${check#*:}"
    status=$?
    set -e
    case "$status" in
      0) verdict="MISSED" ;;
      2) verdict="bad check" ;;
      3) verdict="no build" ;;
      *) verdict="caught" ;;
    esac
  fi
  # The planted file goes back, newer than anything built from the fault.
  cp "$out/original" "$src/$file"
  touch "$src/$file"
  # Each fault's log: its check's output, or its build's when it was not built.
  case "$verdict" in
    caught) caught=$((caught + 1)); cp "$logs/check" "$logs/fault-$number" ;;
    MISSED) missed=$((missed + 1)); cp "$logs/check" "$logs/fault-$number" ;;
    "bad check") other=$((other + 1)); cp "$logs/check" "$logs/fault-$number" 2>/dev/null || true ;;
    *) other=$((other + 1)); cp "$logs/build" "$logs/fault-$number" 2>/dev/null || true ;;
  esac
  line="$(printf '%3d  %-9s %-40s %s' "$number" "$verdict" "$file" "$check")"
  report+=("$line")
  echo "$line"
done 3<"$list" </dev/null

echo
echo "Planted faults (${#report[@]} listed; each one's log is $logs/fault-N):"
printf '%s\n' "${report[@]}"
echo "$caught caught, $missed missed, $other not planted or not built"
[ "$missed" = 0 ]
