#!/usr/bin/env bash
# Clicking the real tray icon as a player would: a single click opens the left menu only after
# the double-click time, a right click opens the right menu at once, choosing "&Timed Fight"
# changes the icon and tooltip, a double click while timed fights are on switches them off and
# opens no menu, a double click while idle starts a fight and opens no menu, and the next
# single click still opens the menu.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}

# No first-run tip: its window would count among ours.
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nQuickHelp=false\n' >"$INI"
start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not in the tray"
note "icon at $X,$Y"
wait_trace tray.tooltip 'Gremlok' 3 || fail "no tooltip"

# Milliseconds from now until the trace holds one more "key<TAB>value" line than it does now.
time_until_more() {
  local key=$1 value=$2 limit=$3 before t0
  before=$(count "$key" "$value")
  t0=$(now_ms)
  shift 3
  "$@"
  local end=$(( t0 + limit * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    if [ "$(count "$key" "$value")" -gt "$before" ]; then echo $(( $(now_ms) - t0 )); return 0; fi
    sleep 0.02
  done
  return 1
}

# Single click: the left menu, not before the double-click time.
ms=$(time_until_more tray.menu left 3 xdotool mousemove "$X" "$Y" click 1) || fail "single click opened no left menu"
note "single click to left menu: $ms ms"
[ "$ms" -ge 300 ] || fail "left menu came after $ms ms, before a double click could have followed"
wait_until 3 more_windows_than 1 || fail "the left menu is not on screen"
import -window root "$SHOTS/tray_left_menu.png" 2>/dev/null
close_menu

# Right click: the right menu at once.
open_menu_at "$X" "$Y" 3 right || fail "right click opened no menu"
import -window root "$SHOTS/tray_right_menu.png" 2>/dev/null
close_menu

# "&Timed Fight" from the left menu, by its accelerator.
open_menu_at "$X" "$Y" 1 left || fail "left menu did not open for the timed fight"
lefts=$(count tray.menu left)
xdotool key t
wait_trace tray.tooltip 'Gremlok \(timed fight\)' 3 || fail "tooltip did not become the timed-fight one"
[ "$(grep '^tray.icon' "$GREMLOK_TRACE" | tail -1 | cut -f2)" = 2 ] || fail "icon is not the timed-fight icon"

# A double click while timed fights are on switches them off and opens no menu.
tips=$(count tray.tooltip Gremlok)
xdotool mousemove "$X" "$Y" click --repeat 2 --delay 60 1
wait_trace tray.dblclick timed 3 || fail "double click was not taken as one"
wait_until 3 eval '[ "$(count tray.tooltip Gremlok)" -gt "$tips" ]' || fail "timed fights still on after the double click"
[ "$(grep '^tray.icon' "$GREMLOK_TRACE" | tail -1 | cut -f2)" = 1 ] || fail "icon is not the idle icon"
no_left_menu() { [ "$(count tray.menu left)" -eq "$lefts" ]; }
holds_for 1 no_left_menu || fail "the double click opened the left menu"

# A double click while idle starts a fight and opens no menu.
xdotool mousemove "$X" "$Y" click --repeat 2 --delay 60 1
wait_trace tray.dblclick fight 3 || fail "idle double click did not start a fight"
wait_trace fight 'shown' 5 || fail "no fight window after the double click"
holds_for 1 no_left_menu || fail "the idle double click opened the left menu"
import -window root "$SHOTS/tray_fight.png" 2>/dev/null
# Leave the fight (Escape or the right button end it).
xdotool key Escape
if ! wait_trace fight closed 2; then
  xdotool click 3
  wait_trace fight closed 5 || fail "the fight did not end"
fi
wait_until 3 windows_back_to 1 || fail "the fight window stayed on screen"

# The next single click opens the menu again: no marker of the double click is left over.
open_menu_at "$X" "$Y" 1 left || fail "single click after the double click opened nothing"
close_menu
# "&Help Topics" opens the help book in a window of its own.
open_menu_at "$X" "$Y" 3 right || fail "no right menu for help"
xdotool key h
wait_until 5 window_up "Gremlok Help" || fail "Help Topics opened no help window"
import -window root "$SHOTS/tray_help.png" 2>/dev/null
kill -0 "$GREMLOK_PID" || fail "the program died"

# A timed fight that comes while a tray menu is open closes the menu, so the pointer is free
# to shoot. Next start: timed fights on, due two seconds after start-up.
kill "$GREMLOK_PID"; wait "$GREMLOK_PID" 2>/dev/null
printf '[Settings]\nFirstRun=false\nQuickHelp=false\nTimedFight=true\nTimedFightStart=2\nTimedFightLength=0\n' >"$INI"
: >"$GREMLOK_TRACE"
start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not back in the tray"
xdotool mousemove "$X" "$Y" click 3
wait_trace tray.menu right 2 || fail "no right menu before the timed fight"
wait_trace fight shown 5 || fail "the timed fight did not come"
wait_trace tray.menu closed 2 || fail "the menu stayed open over the fight"
echo "PASS"
