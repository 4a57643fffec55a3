#!/usr/bin/env bash
# Starts or stops the Xvfb that the player and end-to-end tests draw on. Xvfb takes a free
# display itself, so test runs of several build folders, and other X servers, live side by
# side; the display's name is kept in STATE_DIR for on-xvfb.sh.
# xvfb.sh start|stop STATE_DIR
set -u
action=${1:-}
state=${2:-}
if [ -z "$state" ]; then
  echo "usage: xvfb.sh start|stop STATE_DIR" >&2
  exit 2
fi
pidfile=$state/pid
case "$action" in
  start)
    mkdir -p "$state"
    if [ -f "$pidfile" ] && [ -f "$state/display" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
      exit 0
    fi
    rm -f "$state/display"
    # Xvfb writes the number of the display it took to this pipe once it takes connections;
    # should it end before, the pipe closes. The read's timeout only stops a stuck start.
    ready=$state/ready
    rm -f "$ready"
    mkfifo "$ready"
    Xvfb -screen 0 1280x1024x24 -nolisten tcp -displayfd 3 3>"$ready" >"$state/log" 2>&1 &
    echo $! >"$pidfile"
    if read -r -t 15 number <"$ready" && [ -n "$number" ]; then
      rm -f "$ready"
      echo ":$number" >"$state/display"
      exit 0
    fi
    rm -f "$ready"
    echo "Xvfb did not start" >&2
    cat "$state/log" >&2
    exit 1
    ;;
  stop)
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    rm -f "$pidfile" "$state/display"
    exit 0
    ;;
esac
echo "usage: xvfb.sh start|stop STATE_DIR" >&2
exit 2
