#!/usr/bin/env bash
# Exit from the tray menu: the icon goes, the modes and the skin are written, the skin working
# folder is deleted and the process ends; the next start brings timed fights and the random
# difficulty back. (The session's end is test_session_end.)
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}
SKINDIR="$XDG_RUNTIME_DIR/simskin.tmp"

# Clicks with the given button and waits until that side's menu is on screen.
open_menu() { open_menu_at "$X" "$Y" "$2" "$1" || fail "the $1 menu did not open"; }
# Opens a submenu by its accelerator.
open_submenu() {
  local windows
  windows=$(our_windows)
  xdotool key "$1"
  wait_until 3 more_windows_than "$windows" || fail "submenu $1 did not open"
}

# No first-run tip: its window would count among ours.
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nQuickHelp=false\n' >"$INI"
start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not in the tray"
wait_trace tray.tooltip 'Gremlok' 3 || fail "no tooltip"
[ -d "$SKINDIR" ] || fail "no skin working folder"

# Random difficulty, then timed fights on.
open_menu right 3
open_submenu d
xdotool key r
wait_until 3 windows_back_to 1 || fail "the menu stayed open after Random"
open_menu left 1
xdotool key t
wait_trace tray.tooltip 'Gremlok \(timed fight\)' 3 || fail "timed fights did not come on"
open_menu left 1
import -window root "$SHOTS/exit_left_menu_timed.png" 2>/dev/null
close_menu

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
open_submenu d
import -window root "$SHOTS/exit_difficulty_menu.png" 2>/dev/null
xdotool key Escape Escape
wait_until 3 windows_back_to 1 || fail "the menus stayed open"
# Double click: timed fights off, so the stored value must change at the next Exit.
xdotool mousemove "$X" "$Y" click --repeat 2 --delay 60 1
wait_trace tray.tooltip 'Gremlok' 3 || fail "double click did not switch timed fights off"
open_menu right 3
xdotool key x
wait_exit "$GREMLOK_PID" || fail "the second copy did not end after Exit"
[ "$(ini_value Settings Difficulty)" = 4 ] || fail "random difficulty not restored"
[ "$(ini_value Settings TimedFight)" = false ] || fail "TimedFight not written false"

echo "PASS"
