#!/usr/bin/env bash
# A desktop whose panel starts after Gremlok: the icon must appear as soon as a tray exists.
# Runs on a screen of its own with no window manager, then starts a bare tray host late.
. "$(dirname "$0")/lib.sh"

n=150
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x800x24 -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
xvfb=$!
GREMLOK_PIDS+=("$xvfb")
export DISPLAY=:$n
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

start_gremlok
sleep 1.5
kill -0 "$GREMLOK_PID" 2>/dev/null || fail "Gremlok ended without a tray"
tray_icon_geometry 0 >/dev/null && fail "an icon was embedded although no tray exists"

trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >"$E2E_DIR/trayer.log" 2>&1 &
GREMLOK_PIDS+=("$!")
t0=$(now_ms)
tray_icon_geometry 5 >/dev/null || fail "the icon did not appear after the tray started"
note "icon embedded $(( $(now_ms) - t0 )) ms after the tray host started"
echo PASS
