#!/usr/bin/env bash
# Runs an end-to-end case of program_e2e.sh on a data folder someone has played in: beside
# the shipped archives it holds a player's own files (the player list, the language, the
# settings, a saved game, replays, an edited level and the lock of a program that ended).
# The case must pass as it does on a fresh build, since a case takes the archives alone.
#   played_folder_e2e.sh <case> <pellora binary> <pellora_data folder> <the case's other arguments...>
set -u

test_case=$1
binary=$2
data=$3
shift 3

fail() {
  echo "FAIL (played folder, $test_case): $*" >&2
  exit 1
}

played=$(mktemp -d "${TMPDIR:-/tmp}/pellora-played.XXXXXX") || fail "no temporary folder"
trap 'rm -rf "$played"' EXIT
for archive in gfx.nuf sound.nuf levels.nuf; do
  cp "$data/$archive" "$played/" || fail "cannot copy $archive from $data"
done
mkdir -p "$played/replays" "$played/levels" || fail "cannot make the player's folders"
printf '\x02\x00\x00\x00' >"$played/language.dat"
printf '\x01\x01\x32\x00\x00\x00\x46\x00\x00\x00' >"$played/sound.cfg"
head -c 116 /dev/urandom >"$played/players.cfg"
head -c 291 /dev/urandom >"$played/ply1.sav"
head -c 1040 /dev/urandom >"$played/ply1.lvl"
head -c 2000 /dev/urandom >"$played/replays/last.rpl"
head -c 1040 /dev/urandom >"$played/levels/1.lvl"
: >"$played/pellora.lock"

bash "$(dirname "$0")/program_e2e.sh" "$test_case" "$binary" "$played" "$@"
