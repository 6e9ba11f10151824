#!/usr/bin/env bash
# The connecting window has no close box of its own, but a window manager may draw one anyway:
# closing it there gives the connection attempt up as Cancel does, instead of leaving a link
# being set up with nothing on screen to show it.
. "$(dirname "$0")/lib.sh"

PEER=$(free_port)
# A peer that takes the connection and never greets, so the window stays up.
python3 -c "import socket, time; s = socket.socket(); s.bind(('127.0.0.1', $PEER)); s.listen(1); print('up', flush=True); c = s.accept(); time.sleep(60)" \
  >"$E2E_DIR/peer.log" 2>&1 &
GREMLOK_PIDS+=("$!")
wait_until 5 grep -q up "$E2E_DIR/peer.log" || fail "the silent peer did not start"
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nQuickHelp=false\nFirstRun=false\nPort=%s\n' "$PEER" >"$INI"
start_gremlok
tray_icon_geometry 5 >/dev/null || fail "icon not in the tray"
"$GREMLOK" "/ip:127.0.0.1" >"$E2E_DIR/second.out" 2>&1 &
wait_trace link connected 10 || fail "no connection to the silent peer"
wait_window Gremlok 3 || fail "no connecting window"
w=$(xdotool search --onlyvisible --name '^Gremlok$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$w")"
# The rig's fluxbox style puts the close box at the right end of a title bar above the window.
xdotool mousemove $((X + WIDTH - 8)) $((Y - 30))
xdotool click 1
wait_trace link 'torn down.*' 5 || fail "closing the window did not give up the attempt"
wait_trace tray.tooltip 'Gremlok' 3 || fail "the tray still says connecting"
window_up Gremlok && fail "the connecting window is still up"
echo PASS
