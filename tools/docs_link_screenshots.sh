#!/usr/bin/env bash
# Not a test: run by tools/take_screenshots.sh inside the rig to make the README's pictures of
# the peer link: the connect prompt, the connecting window and an instant-message popup.
. "$(dirname "$0")/../tests/e2e/lib.sh"
DOCS="$GREMLOK_SOURCE_DIR/docs"
PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nQuickHelp=false\nFirstRun=false\nNickname=Bravo\nPort=%s\n' "$PORT" >"$INI"
xsetroot -solid '#3a6ea5'
export GREMLOK_BALLOONS=0
start_gremlok
wait_trace tray.tooltip 'Gremlok' 10 || fail "program not up"
python3 "$(dirname "$0")/link_peer_greeter.py" "$PORT" 4 &
GREMLOK_PIDS+=("$!")

# crop_window NAME FILE: a root screenshot cut to one window (its frame included).
crop_window() {
  local id x y w h
  id=$(xdotool search --onlyvisible --name "$1" | tail -1) || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  # The window manager's frame: left, right, top, bottom.
  read -r l r t b < <(xprop -id "$id" _NET_FRAME_EXTENTS | grep -oE '[0-9]+' | tr '\n' ' ')
  [ "${t:-0}" -gt 0 ] || t=26   # no extents reported: room for a title bar
  # (the client's place comes back a title bar too low under fluxbox: twice the top edge)
  import -window root "$E2E_DIR/root.png"
  convert "$E2E_DIR/root.png" -crop "$((WIDTH + ${l:-0} + ${r:-0} + 24))x$((HEIGHT + 2 * t + ${b:-0} + 24))+$((X - ${l:-0} - 12))+$((Y - 2 * t - 12))" +repage "$2"
}

read -r X Y < <(stable_icon_centre) || fail "no icon"
xdotool mousemove "$X" "$Y" click 3
wait_trace tray.menu right 5 || fail "no right menu"
sleep 0.3; xdotool key c
wait_trace prompt connect 5 || fail "no prompt"
sleep 0.5
xdotool type --delay 20 127.0.0.1
sleep 0.3
crop_window '^Gremlok$' "$DOCS/link_connect_prompt.png"
xdotool key Return
wait_trace link connected 5 || fail "no connection"
sleep 1.2
crop_window '^Gremlok$' "$DOCS/link_connecting.png"
wait_trace notify "Message from Hunter:.*" 15 || fail "no message"
sleep 0.5
read -r px py pw ph < <(grep '^popup	' "$GREMLOK_TRACE" | tail -1 | cut -f2)
import -window root "$E2E_DIR/root.png"
convert "$E2E_DIR/root.png" -crop "$((pw + 240))x$((ph + 90))+$((px - 220))+$((py - 40))" +repage "$DOCS/link_message_popup.png"
echo done
