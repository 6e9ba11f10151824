#!/usr/bin/env bash
# A history file of garbage never costs a fight or its best time: the file is moved aside
# untouched and a new one started, and the Statistics window opens on an empty history.
. "$(dirname "$0")/history_lib.sh"

DB="$XDG_DATA_HOME/Gremlok/history.sqlite"
mkdir -p "$(dirname "$DB")"
head -c 65536 /dev/urandom >"$DB"
cp "$DB" "$E2E_DIR/garbage"

start_fight_program AnimationSpeed=300
play_kill Survivor
[ "$(ini_value Scores Name1)" = Survivor ] && [ "$(ini_value Scores Score1)" = "$KILLTIME" ] \
  || fail "the best time was lost"
wait_trace history "recorded kill $KILLTIME" 5 || fail "the kill was not recorded"
aside=$(ls "$DB".damaged-* 2>/dev/null | head -1)
[ -n "$aside" ] && cmp -s "$aside" "$E2E_DIR/garbage" || fail "the damaged file was not kept aside"

# Garbage again, found this time by the window.
kill "$GREMLOK_PID"; wait "$GREMLOK_PID" 2>/dev/null
head -c 65536 /dev/urandom >"$DB"
start_gremlok
tray_icon_centre 5 >/dev/null || fail "icon not in the tray"
open_statistics
[ "$(stat_label lblFights)" = 0 ] && [ "$(stat_label lblBestAll)" = "-" ] \
  || fail "the window shows $(stat_label lblFights) fights, best $(stat_label lblBestAll)"
[ "$(ls "$DB".damaged-* | wc -l)" = 2 ] || fail "the second damaged file was not moved aside"
xdotool key Escape
kill -0 "$GREMLOK_PID" || fail "the program ended"
echo PASS
