#!/usr/bin/env bash
# Three fights played as a person would (left with Escape, lost, won) end up in the history:
# the Statistics window counts them, shows the kill's time as the best, exports them as CSV and
# clears them after asking.
. "$(dirname "$0")/history_lib.sh"

start_fight_program AnimationSpeed=300
play_escape
play_lost
play_kill Tester
[ "$(ini_value Scores Score1)" = "$KILLTIME" ] || fail "the best time is not in the table"

open_statistics
import -window root "$E2E_DIR/statistics.png"
[ "$(stat_label lblFights)" = 3 ] || fail "fights: $(stat_label lblFights)"
[ "$(stat_label lblKills)" = 1 ] || fail "kills: $(stat_label lblKills)"
[ "$(stat_label lblLosses)" = 1 ] || fail "losses: $(stat_label lblLosses)"
[ "$(stat_label lblLeft)" = 1 ] || fail "left: $(stat_label lblLeft)"
[ "$(stat_label lblBestAll)" = "$KILLTIME ms" ] || fail "best: $(stat_label lblBestAll), kill time $KILLTIME"
[ "$(stat_label lblMedian10)" = "$(printf '%.1f' "$KILLTIME") ms" ] || fail "median of the last 10: $(stat_label lblMedian10)"

# Export through the file dialog, typing the name as a person would.
CSV="$E2E_DIR/fights.csv"
xdotool key alt+e
wait_focus "Export Fight History" || fail "no file dialog"
xdotool key ctrl+a; xdotool type --delay 20 "$CSV"; xdotool key Return
wait_trace statistics_export 3 5 || fail "nothing exported"
[ "$(wc -l <"$CSV")" = 4 ] || fail "the export has $(wc -l <"$CSV") lines"
results=$(tail -n +2 "$CSV" | tr -d '\r' | cut -d, -f2,3,5,6 | tr '\n' ' ')
[ "$results" = "fight now,1,left, fight now,1,lost, fight now,1,kill,$KILLTIME " ] || fail "exported: $results"

# Clearing asks first; "No" keeps everything.
xdotool key alt+c
wait_focus "Clear History" || fail "clearing did not ask"
xdotool key alt+n
wait_focus "Gremlok Statistics" || fail "the question stayed"
[ "$(stat_label lblFights)" = 3 ] || fail "No cleared the history"
xdotool key alt+c
wait_focus "Clear History" || fail "clearing did not ask again"
xdotool key alt+y
wait_trace statistics_label "lblFights	0" 5 || fail "the history was not cleared"
xdotool key Escape
wait_until 3 eval '! window_up "Gremlok Statistics"' || fail "the window stayed open"
[ "$(ini_value Scores Score1)" = "$KILLTIME" ] || fail "clearing the history touched the best times"
kill -0 "$GREMLOK_PID" || fail "the program ended"
echo PASS
