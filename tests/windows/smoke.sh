#!/usr/bin/env bash
# Plays one short scripted game with the real vaultreach.exe under Wine, in a fresh folder
# unpacked from vaultreach-windows.zip, and checks what a Windows player would find: exit
# status 0, the whole of log.txt, a save with Windows line ends that the game's loader reads
# back, and the title music started (an AudioLog.txt without an error).
# Usage: tests/windows/smoke.sh [BUILD_DIR]   (after tools/windows/build.sh)
set -euo pipefail

checking=smoke
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" "${1:-}"
fresh_run smoke
(cd "$run" && unzip -q "$build/vaultreach-windows.zip")
cd "$run/vaultreach"

# Name, weapon, north, east, quit; the last empty line answers "Press Enter to exit".
printf 'Ann\ns\nn\ne\nq\n\n' >input.txt
status=0
timeout 300 wine vaultreach.exe <input.txt >output.txt 2>errors.txt || status=$?
echo "exit status: $status"
[ "$status" -eq 0 ] || fail "exit status $status"
[ ! -s errors.txt ] || fail "standard error: $(head -c 400 errors.txt)"
grep -q 'Hope you enjoyed playing Vaultreach.' output.txt || fail "no farewell on standard output"

echo "log.txt:"
sed 's/\r$//; s/^/  /' log.txt
expected_log="$(printf '%s\n' 'Vaultreach' 'BUILD' 'Intializing Console...Success.' \
  'Creating and initializing game objects...Success.' 'Starting Game.' \
  'Entering Game Loop...Done.' 'Saving Player Data.' 'Exiting with return code 0' \
  'Thanks for playing.')"
actual_log="$(sed 's/\r$//; 2s/^[A-Z][a-z][a-z] [ 0-9][0-9] [0-9]\{4\} [0-9:]\{8\} v1\.2$/BUILD/' log.txt)"
[ "$actual_log" = "$expected_log" ] || fail "log.txt is not the nine lines of a finished game"
[ "$(grep -c $'\r$' log.txt)" -eq 9 ] || fail "log.txt lines do not end in CR LF"

echo "Player.txt:"
sed 's/\r$/\\r/; s/^/  /' Player.txt
[ "$(grep -c $'\r$' Player.txt)" -eq 9 ] || fail "Player.txt lines do not end in CR LF"
[ "$(sed -n '6p;7p;9p' Player.txt | tr -d '\r' | tr '\n' ' ')" = "Ann Sword 0 1 " ] ||
  fail "Player.txt does not hold Ann with the sword at the start"
# The game's own loader, in the Windows test program, reads the save back.
VAULTREACH_SAVE_TO_LOAD="$PWD/Player.txt" timeout 120 wine "$build/game/tests/vaultreach_tests.exe" \
  --gtest_filter='RealSave.LoadsBack' --gtest_brief=1 >load.txt 2>&1 ||
  fail "Load did not read the save back: $(cat load.txt)"
grep -q '1 test' load.txt || fail "the load check did not run: $(cat load.txt)"

echo "AudioLog.txt: $(wc -c <AudioLog.txt) bytes"
[ -f AudioLog.txt ] || fail "no AudioLog.txt"
! grep -q 'Error' AudioLog.txt || fail "the music did not start: $(cat AudioLog.txt)"

finish
