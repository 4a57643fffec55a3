#!/usr/bin/env bash
# Runs a test program as a developer runs it beside the program itself: in a runtime folder
# where a running instance holds the single-instance lock. The tests must pass all the same.
# beside-running-instance.sh LOCK_PROBE PRODUCT_NAME PROGRAM [ARGUMENTS]
set -eu
probe=$1
name=$2
shift 2
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
# The lock held here is the one a start meets (status 3: held by another).
status=0
"$probe" "$name" hold "$probe" "$name" || status=$?
if [ "$status" -ne 3 ]; then
  echo "a start does not meet the lock held here (probe status $status)" >&2
  exit 1
fi
"$probe" "$name" hold "$@"
