#!/usr/bin/env bash
# Exit from the tray menu: the icon goes, the modes and the skin are written, the skin working
# folder is deleted and the process ends; the next start brings timed fights and the random
# difficulty back. Ending the session (SIGTERM) closes the program without writing the modes.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}
SKINDIR="$XDG_RUNTIME_DIR/simskin.tmp"

# Clicks with the given button and waits for one more traced menu of that side.
open_menu() {
  local side=$1 button=$2 before
  before=$(count tray.menu "$side")
  xdotool mousemove "$X" "$Y" click "$button"
  for _ in $(seq 60); do
    [ "$(count tray.menu "$side")" -gt "$before" ] && { sleep 0.3; return 0; }
    sleep 0.05
  done
  fail "the $side menu did not open"
}
wait_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.05; done
  return 1
}

start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not in the tray"
wait_trace tray.tooltip 'Gremlok' 3 || fail "no tooltip"
skin_present=0
[ -d "$SKINDIR" ] && skin_present=1 && note "skin working folder present: $(ls "$SKINDIR" | wc -l) files"

# Random difficulty, then timed fights on.
open_menu right 3
xdotool key d
sleep 0.3
xdotool key r
sleep 0.3
open_menu left 1
xdotool key t
wait_trace tray.tooltip 'Gremlok \(timed fight\)' 3 || fail "timed fights did not come on"
open_menu left 1
import -window root "$SHOTS/exit_left_menu_timed.png" 2>/dev/null
xdotool key Escape
sleep 0.3

open_menu right 3
xdotool key x
wait_exit "$GREMLOK_PID" || fail "the process did not end after Exit"
wait "$GREMLOK_PID"
status=$?
[ $status -eq 0 ] || fail "exit status $status"
grep -q "^tray.visible	0" "$GREMLOK_TRACE" || fail "the icon was not taken out of the tray"
tray_icon_geometry 1 >/dev/null && fail "an icon is still in the tray"
[ "$(ini_value Settings Difficulty)" = 4 ] || fail "Difficulty written as '$(ini_value Settings Difficulty)'"
[ "$(ini_value Settings TimedFight)" = true ] || fail "TimedFight written as '$(ini_value Settings TimedFight)'"
[ "$(ini_value Settings Listen)" = false ] || fail "Listen written as '$(ini_value Settings Listen)'"
[ "$(ini_value Settings Skin)" = "Base Skin" ] || fail "Skin written as '$(ini_value Settings Skin)'"
[ -e "$SKINDIR" ] && fail "the skin working folder is still there"

# The next start: timed fights on again, random kept (Exit writes it back unchanged).
: >"$GREMLOK_TRACE"
start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not in the tray on the second start"
wait_trace tray.tooltip 'Gremlok \(timed fight\)' 3 || fail "timed fights not restored"
open_menu right 3
xdotool key d
sleep 0.4
import -window root "$SHOTS/exit_difficulty_menu.png" 2>/dev/null
xdotool key Escape Escape
sleep 0.3
# Double click: timed fights off, so the stored value must change at the next Exit.
xdotool mousemove "$X" "$Y" click --repeat 2 --delay 60 1
wait_trace tray.tooltip 'Gremlok' 3 || fail "double click did not switch timed fights off"
open_menu right 3
xdotool key x
wait_exit "$GREMLOK_PID" || fail "the second copy did not end after Exit"
[ "$(ini_value Settings Difficulty)" = 4 ] || fail "random difficulty not restored"
[ "$(ini_value Settings TimedFight)" = false ] || fail "TimedFight not written false"

# The session ends: the program closes in order, writes nothing and keeps the skin folder.
start_gremlok
tray_icon_geometry 5 >/dev/null || fail "icon not in the tray on the third start"
sleep 0.5
sed -i 's/^TimedFight=false/TimedFight=marker/' "$INI"
kill -TERM "$GREMLOK_PID"
wait_exit "$GREMLOK_PID" || fail "SIGTERM did not end the program"
wait "$GREMLOK_PID"
status=$?
[ $status -eq 0 ] || fail "exit status $status after SIGTERM"
[ "$(ini_value Settings TimedFight)" = marker ] || fail "the session's end wrote the modes"
[ $skin_present = 0 ] || [ -d "$SKINDIR" ] || fail "the session's end deleted the skin folder"
echo "PASS"
