#!/usr/bin/env bash
# A program that a test starts ends when the test is killed (by its timeout, say): the lock
# probe, standing in for a test, runs `cat` as a test runs a program of its own and is killed.
# children-end-with-test.sh LOCK_PROBE
set -eu
probe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkfifo "$dir/in" "$dir/out"
exec 7<>"$dir/in"  # cat's input stays open and silent: it runs until it is ended
XDG_RUNTIME_DIR=$dir "$probe" children hold cat <"$dir/in" >"$dir/out" &
test_pid=$!
exec 8<"$dir/out"
# A line through cat: the program runs.
echo started >&7
read -r line <&8
[ "$line" = started ]
kill -KILL "$test_pid"
wait "$test_pid" 2>/dev/null || true
# Only cat still holds the pipe's other end: its end of file says cat has ended. The guard
# only stops a run where it never does.
if ! timeout 5 cat <&8 >/dev/null; then
  echo "a program started by a killed test still runs" >&2
  exit 1
fi
