#!/usr/bin/env bash
# Starts or stops the Xvfb that the player and end-to-end tests draw on.
set -u
action=$1
display=${2:-:77}
number=${display#:}
pidfile=/tmp/quorvel-xvfb-$number.pid
case "$action" in
  start)
    if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then exit 0; fi
    rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
    # Xvfb writes the display's number to this pipe once it takes connections; should it
    # end before, the pipe closes. The read's timeout only stops a stuck start.
    ready=$(mktemp -u "/tmp/quorvel-xvfb-$number.XXXXXX")
    mkfifo "$ready"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -displayfd 3 \
      3>"$ready" >/tmp/quorvel-xvfb-$number.log 2>&1 &
    echo $! >"$pidfile"
    if read -r -t 60 _ <"$ready"; then
      rm -f "$ready"
      exit 0
    fi
    rm -f "$ready"
    echo "Xvfb did not start on $display" >&2
    cat /tmp/quorvel-xvfb-$number.log >&2
    exit 1
    ;;
  stop)
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    rm -f "$pidfile"
    exit 0
    ;;
esac
echo "usage: xvfb.sh start|stop [DISPLAY]" >&2
exit 2
