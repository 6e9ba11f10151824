#!/usr/bin/env bash
# A desktop whose panel starts after Gremlok: the icon must appear as soon as a tray exists.
# Runs on a screen of its own with no window manager, then starts a bare tray host late.
. "$(dirname "$0")/lib.sh"

exec 4< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>"$E2E_DIR/xvfb.log" & echo "pid $!")
read -r _ xvfb <&4
GREMLOK_PIDS+=("$xvfb")
read -r -t 10 n <&4 || fail "no X server"
export DISPLAY=:$n

start_gremlok
wait_trace tray.tooltip Gremlok 5 || fail "the program did not come up"
no_icon_yet() { alive "$GREMLOK_PID" && ! tray_icon_geometry 0 >/dev/null; }
holds_for 1 no_icon_yet || fail "Gremlok ended, or an icon was embedded although no tray exists"

trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >"$E2E_DIR/trayer.log" 2>&1 &
GREMLOK_PIDS+=("$!")
t0=$(now_ms)
tray_icon_geometry 5 >/dev/null || fail "the icon did not appear after the tray started"
note "icon embedded $(( $(now_ms) - t0 )) ms after the tray host started"
echo PASS
