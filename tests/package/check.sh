#!/usr/bin/env bash
# Builds the Debian package and plays it as players would: unpacked into a scratch root, the
# installed launcher started from an unrelated folder with a fresh HOME and a scripted game on
# standard input. Checks that the game finds its weapons and pictures, that the save and the
# logs land in the player's own game folder and nowhere else, that a second player gets a
# folder of their own, that a data file or a link the player made is kept while the stale links
# of earlier installations go, that a folder another user owns or may write is refused with
# nothing written in it, that odd HOME values get the launcher's own message, that the package
# depends on the SDL 1.2 and SDL_mixer 1.2 libraries, and that lintian finds no error.
#
# Usage: tests/package/check.sh [BUILD_DIR]   (default: build-package)
# Extra environment for the game runs (a preloaded clock, say) can be given in
# VAULTREACH_GAME_ENV, as NAME=VALUE words.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build-package}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac

"$root/tools/install-packages.sh" lintian
deb=$("$root/tools/package/build.sh" "$build" | tail -n 1)

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

echo "Package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
if [[ "$depends" == *libsdl1.2debian* && "$depends" == *libsdl-mixer1.2* ]]; then
  pass "the package depends on SDL 1.2 and SDL_mixer 1.2"
else
  fail "Depends names no SDL 1.2 or no SDL_mixer 1.2 library"
fi
[ "$(dpkg-deb -f "$deb" Section)" = games ] && pass "section games" || fail "section is not games"

echo "lintian:"
lintian_status=0
lintian_said=$(lintian --fail-on error "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges' <<<"$lintian_said" | sed 's/^/  /' || true
[ "$lintian_status" = 0 ] && pass "lintian finds no error" || fail "lintian finds errors"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch/root"
launcher="$scratch/root/usr/games/vaultreach"
binary="$scratch/root/usr/lib/games/vaultreach/vaultreach"
mkdir -p "$scratch/elsewhere" "$scratch/ann" "$scratch/bob" "$scratch/cid" "$scratch/dee" \
  "$scratch/bare"

# The third player has a weapon table of their own: the launcher must keep it.
mkdir -p "$scratch/cid/.local/share/vaultreach"
printf '/ my own table\nSword 2 1\nAxe 2 1\nClub heavy 9\n' \
  >"$scratch/cid/.local/share/vaultreach/Weapons.txt"

# The second player keeps links of his own beside stale ones of earlier installations: his
# modded weapon table, a link to a backup disk that is not mounted, links to data files no
# installation ships any more, and a data link in an older launcher's form.
bobs="$scratch/bob/.local/share/vaultreach"
installed_data="$scratch/root/usr/share/games/vaultreach"
mkdir -p "$bobs" "$scratch/bob-mods"
printf '/ a modded table\nSword 3 1\nAxe 4 1\n' >"$scratch/bob-mods/Weapons.txt"
ln -s "$scratch/bob-mods/Weapons.txt" "$bobs/Weapons.txt"
ln -s /media/usb/backup "$bobs/backup_link"
ln -s "$installed_data/Removed.txt" "$bobs/Removed.txt"
ln -s /usr/local/share/games/vaultreach/Dropped.txt "$bobs/Dropped.txt"
ln -s "$scratch/root/usr/games/../share/games/vaultreach/Ogre.txt" "$bobs/Ogre.txt"

# Starts the launcher from the unrelated folder with no environment but PATH and the given
# NAME=VALUE words, the input on standard input: (name, input, environment...). Leaves
# NAME.out, NAME.err and NAME.status in the scratch folder.
launch() {
  local name=$1 input=$2 status=0
  shift 2
  (cd "$scratch/elsewhere" && printf "$input" | timeout 300 env -i PATH=/usr/bin:/bin "$@" "$launcher" \
    >"$scratch/$name.out" 2>"$scratch/$name.err") || status=$?
  echo "$status" >"$scratch/$name.status"
}
launch ann 'Ann\ns\nn\ne\nq\n' HOME="$scratch/ann" ${VAULTREACH_GAME_ENV:-} &
launch bob 'Bob\na\nq\n' HOME="$scratch/bob" ${VAULTREACH_GAME_ENV:-} &
launch cid 'Cid\ns\nq\n' HOME="$scratch/cid" ${VAULTREACH_GAME_ENV:-} &
# A player who keeps data elsewhere: XDG_DATA_HOME decides the folder, and the input just ends.
launch dee '' HOME="$scratch/dee" XDG_DATA_HOME="$scratch/dee-data" ${VAULTREACH_GAME_ENV:-} &
# The bare game binary, started where there is no data: one clear line on standard error.
(cd "$scratch/bare" && timeout 300 env -i PATH=/usr/bin:/bin ${VAULTREACH_GAME_ENV:-} "$binary" </dev/null \
  >"$scratch/bare.out" 2>"$scratch/bare.err") &
wait

for player in ann bob cid; do
  folder="$scratch/$player/.local/share/vaultreach"
  [ "$(cat "$scratch/$player.status")" = 0 ] && pass "$player: exit status 0" ||
    fail "$player: exit status $(cat "$scratch/$player.status")"
  for file in Player.txt log.txt AudioLog.txt WeaponsLog.txt; do
    [ -f "$folder/$file" ] && [ ! -L "$folder/$file" ] || fail "$player: no $file in $folder"
  done
  if grep -q "is not valid" "$scratch/$player.out"; then
    fail "$player: a picture or page was missing: $(grep "is not valid" "$scratch/$player.out" | head -1)"
  fi
  if [ -s "$scratch/$player.err" ]; then
    fail "$player: the game wrote to standard error: $(head -2 "$scratch/$player.err")"
  fi
  # Nothing but the game folder appears in the player's home (the sound server's client
  # library keeps its own cookie under .config/pulse where it finds a server).
  others=$(cd "$scratch/$player" && find . -mindepth 1 -not -path ./.local -not -path ./.local/share \
    -not -path './.local/share/vaultreach*' -not -path ./.config -not -path './.config/pulse*')
  [ -z "$others" ] || fail "$player: unexpected files in HOME: $others"
done
saved_line() { sed -n "$2p" "$scratch/$1/.local/share/vaultreach/Player.txt"; }
[ "$(saved_line ann 6)" = Ann ] && [ "$(saved_line ann 7)" = Sword ] &&
  pass "ann: saved as Ann with the Sword from the weapon table" || fail "ann: Player.txt is $(tr '\n' ' ' <"$scratch/ann/.local/share/vaultreach/Player.txt")"
[ "$(saved_line bob 6)" = Bob ] && [ "$(saved_line bob 7)" = Axe ] &&
  pass "bob: a folder of his own, saved as Bob with the Axe" || fail "bob: Player.txt is $(tr '\n' ' ' <"$scratch/bob/.local/share/vaultreach/Player.txt")"
cid_table="$scratch/cid/.local/share/vaultreach/Weapons.txt"
[ ! -L "$cid_table" ] && grep -q Club "$cid_table" && grep -q "Skipped weapon record Club" "$scratch/cid/.local/share/vaultreach/WeaponsLog.txt" &&
  pass "cid: the player's own weapon table is kept and used" || fail "cid: the player's own Weapons.txt was replaced or not read"
[ -L "$scratch/cid/.local/share/vaultreach/Ogre.txt" ] && pass "cid: the other data files are linked" ||
  fail "cid: Ogre.txt was not linked"
if [ "$(cat "$scratch/dee.status")" = 0 ] && [ -f "$scratch/dee-data/vaultreach/Player.txt" ] &&
  [ -z "$(cd "$scratch/dee" && find . -mindepth 1 -not -path ./.config -not -path './.config/pulse*')" ]; then
  pass "dee: XDG_DATA_HOME holds the game folder, and the end of input saves"
else
  fail "dee: status $(cat "$scratch/dee.status"), folder: $(ls -A "$scratch/dee-data/vaultreach" 2>&1 | tr '\n' ' ')"
fi
[ "$(readlink "$bobs/Weapons.txt")" = "$scratch/bob-mods/Weapons.txt" ] &&
  [ "$(readlink "$bobs/backup_link")" = /media/usb/backup ] &&
  pass "bob: his own link and his dangling link are kept" ||
  fail "bob: his links now read: $(cd "$bobs" && ls -l Weapons.txt backup_link 2>&1 | tr '\n' ' ')"
[ ! -L "$bobs/Removed.txt" ] && [ ! -L "$bobs/Dropped.txt" ] &&
  pass "bob: links to data files no installation ships are cleaned" ||
  fail "bob: stale data links are left: $(ls "$bobs" | tr '\n' ' ')"
[ "$(readlink "$bobs/Ogre.txt")" = "$installed_data/Ogre.txt" ] &&
  [ "$(readlink "$scratch/ann/.local/share/vaultreach/Ogre.txt")" = "$installed_data/Ogre.txt" ] &&
  pass "the data links read the plain path $installed_data/..." ||
  fail "the data links read $(readlink "$bobs/Ogre.txt") and $(readlink "$scratch/ann/.local/share/vaultreach/Ogre.txt")"

# Folders the launcher must refuse, and environments it cannot play in: one line of its own on
# standard error, status 1, nothing written. (name, words the line holds, environment...)
refused() {
  local name=$1 words=$2 status
  shift 2
  launch "$name" '' "$@"
  status=$(cat "$scratch/$name.status")
  if [ "$status" = 1 ] && [ "$(wc -l <"$scratch/$name.err")" -eq 1 ] &&
    grep -qF -- "vaultreach: $words" "$scratch/$name.err" && [ ! -s "$scratch/$name.out" ]; then
    pass "$name: $(cat "$scratch/$name.err")"
  else
    fail "$name: status $status, said: $(cat "$scratch/$name.out" "$scratch/$name.err")"
  fi
}
empty_folder() {
  [ -z "$(ls -A "$2")" ] && pass "$1: nothing was written in $2" || fail "$1: $2 holds $(ls -A "$2")"
}
refused home-unset "HOME is not set" XDG_DATA_HOME=relative/data
refused home-empty "HOME is empty" HOME=
refused home-relative "HOME is not an absolute path (players/eve)" HOME=players/eve
# A folder others may write, under a name that echo would cut short at its \c.
hal="$scratch/hal\cx/.local/share/vaultreach"
mkdir -p "$hal" && chmod 0777 "$hal"
refused others-may-write "refusing the game folder $hal: other users may write in it" \
  HOME="$scratch/hal\cx"
empty_folder others-may-write "$hal"
if [ "$(id -u)" -eq 0 ]; then
  # Made first by another user (nobody) in the player's place.
  gus="$scratch/gus/.local/share/vaultreach"
  mkdir -p "$gus" && chown 65534:65534 "$gus"
  refused another-users-folder "refusing the game folder $gus: it belongs to another user" \
    HOME="$scratch/gus"
  empty_folder another-users-folder "$gus"
  # In a shared, sticky XDG_DATA_HOME another user links "vaultreach" to the player's Documents.
  mkdir -p -m 1777 "$scratch/shared" && mkdir -p "$scratch/ivy/Documents"
  ln -s "$scratch/ivy/Documents" "$scratch/shared/vaultreach" &&
    chown -h 65534:65534 "$scratch/shared/vaultreach"
  refused another-users-link "it is a link that another user made" HOME="$scratch/ivy" \
    XDG_DATA_HOME="$scratch/shared"
  empty_folder another-users-link "$scratch/ivy/Documents"
else
  echo "skipped: the folders of another user need root to make (chown)"
fi

leftovers=$(ls -A "$scratch/elsewhere")
[ -z "$leftovers" ] && pass "nothing was written in the folder the launcher was started from" ||
  fail "files were left where the launcher was started: $leftovers"

if grep -q "no Weapons.txt in $scratch/bare" "$scratch/bare.err" && grep -q launcher "$scratch/bare.err" &&
  [ "$(wc -l <"$scratch/bare.err")" -eq 1 ]; then
  pass "the bare binary in the wrong folder says so: $(cat "$scratch/bare.err")"
else
  fail "the bare binary in the wrong folder said: $(cat "$scratch/bare.err")"
fi

if [ "$failures" -ne 0 ]; then
  echo "package check: $failures failed"
  exit 1
fi
echo "package check: all passed"
