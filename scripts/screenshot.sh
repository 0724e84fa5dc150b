#!/bin/sh
# Takes a screenshot of a program as a user sees it, on a virtual screen with a window manager.
#
#   scripts/screenshot.sh shot.png [-w SECONDS] COMMAND [ARGUMENTS...]
#
# Starts the virtual X server :99 (Xvfb, 1024x768) and the window manager openbox when they are not running yet,
# runs COMMAND with DISPLAY=:99, waits SECONDS (default 3), saves the whole screen into shot.png with ImageMagick's
# import, then ends COMMAND (and what it started) if it is still running. Xvfb and openbox are left running for the next shot.
# Needs the Debian packages xvfb, openbox and imagemagick.
set -eu

if [ $# -lt 2 ]; then
    echo "usage: $0 shot.png [-w SECONDS] COMMAND [ARGUMENTS...]" >&2
    exit 2
fi
png=$1
shift
wait_seconds=3
if [ "$1" = "-w" ]; then
    wait_seconds=$2
    shift 2
fi

export DISPLAY=:99
if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    Xvfb :99 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    tries=0
    until xdotool getdisplaygeometry >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 50 ]; then
            echo "$0: the virtual X server :99 did not start" >&2
            exit 1
        fi
        sleep 0.1
    done
fi
if ! pgrep -x openbox >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 &
    sleep 1
fi

# A session of its own, so the command and whatever it starts can be ended together.
QT_QPA_PLATFORM=xcb setsid "$@" &
program=$!
sleep "$wait_seconds"
import -window root "$png"
if kill -0 "$program" 2>/dev/null; then
    kill -- "-$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
fi
echo "$png"
