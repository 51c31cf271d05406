#!/usr/bin/env bash
# The pellora-server program: its help names every option, a bad option is refused with
# status 2, and started on a free loopback port it answers a lister, then stops cleanly on
# SIGTERM. Every wait is bounded.
set -uo pipefail
server=$1
probe=$2
work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/log" ] && cat "$work/log"; exit 1; }

help=$("$server" --help) || fail "--help did not exit 0"
for option in --bind --port --config --max-peers --max-matches --silence-seconds --help --version; do
  grep -q -- "$option" <<<"$help" || fail "--help does not list $option"
done
"$server" --version | grep -q '^pellora-server ' || fail "--version"
"$server" --no-such-option >/dev/null 2>"$work/bad"
[ $? -eq 2 ] || fail "a bad option did not exit with 2"
grep -q "unknown option --no-such-option" "$work/bad" || fail "a bad option is not named"

"$server" --bind 127.0.0.1 --port 0 >"$work/out" 2>"$work/log" &
pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/.*listening on 127.0.0.1 port \([0-9]*\).*/\1/p' "$work/log" | head -1)
  [ -n "$port" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the server ended at start"
  sleep 0.1
done
[ -n "$port" ] || fail "the server never said where it listens"
"$probe" "$port" | grep -q '^listed 0$' || fail "the server did not answer a lister on port $port"
kill -TERM "$pid"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the server did not stop on SIGTERM"
wait "$pid"
status=$?
[ $status -eq 0 ] || fail "the server exited with $status"
grep -q "service stopped" "$work/log" || fail "no stop line in the log"
echo "pellora-server answered on port $port and stopped cleanly"
