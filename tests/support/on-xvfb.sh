#!/usr/bin/env bash
# Runs a test program on the Xvfb that xvfb.sh started for this build folder.
# on-xvfb.sh STATE_DIR PROGRAM [ARGUMENTS]
set -eu
state=$1
shift
# Without it (listing the tests before Xvfb starts) nothing may draw on another display.
unset DISPLAY
if [ -f "$state/display" ]; then
  DISPLAY=$(cat "$state/display")
  export DISPLAY
fi
exec "$@"
