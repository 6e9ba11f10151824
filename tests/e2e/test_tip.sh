#!/usr/bin/env bash
# The first-run tip: shown at start while "QuickHelp" is on. Esc with its box ticked stores
# nothing, so it comes again; OK with the box ticked stops it at the next start.
. "$(dirname "$0")/lib.sh"
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nFirstRun=false\n' >"$INI"

run_until_icon() {
  : >"$GREMLOK_TRACE"
  start_gremlok
  tray_icon_centre 10 >/dev/null || fail "icon not in the tray"
}
stop_program() {
  kill "$GREMLOK_PID"; wait "$GREMLOK_PID" 2>/dev/null
}
tip_window_ready() {
  wait_trace tip shown 5 || fail "$1"
  wait_focus Gremlok || fail "the tip did not get the keyboard"
}
# Ticks the box, presses KEY and waits for the tip to close.
answer_tip() { xdotool key --delay 150 alt+d "$1"; wait_trace tip closed 3; }

run_until_icon
tip_window_ready "no tip on the first start"
answer_tip Escape || fail "Esc did not close the tip"
[ -z "$(ini_value Settings QuickHelp)" ] || fail "Esc stored QuickHelp=$(ini_value Settings QuickHelp)"
stop_program

run_until_icon
tip_window_ready "the tip did not come again after Esc"
answer_tip Return || fail "OK did not close the tip"
[ "$(ini_value Settings QuickHelp)" = false ] || fail "OK with the box ticked did not store QuickHelp=false"
stop_program

run_until_icon
# Start-up is over once the icon is in; give a late tip a bounded moment to appear.
if wait_trace tip shown 2; then fail "the tip came although it was turned off"; fi
echo PASS
