#!/usr/bin/env bash
# Not a test: run by tools/take_screenshots.sh inside the rig to make the README's pictures.
. "$(dirname "$0")/../tests/e2e/history_lib.sh"
DOCS="$GREMLOK_SOURCE_DIR/docs"

xmessage -geometry +560+330 -title Notes "Quarterly figures: check the totals before Friday." &
GREMLOK_PIDS+=("$!")
start_fight_program AnimationSpeed=600 CenterPointer=true
sleep 0.5
fight_now || fail "no fight"
import -window root "$E2E_DIR/before.png"
cx=$((EX + EW / 2)); cy=$((EY + EH / 2))
for d in "-70 -40" "90 10" "-40 80"; do
  set -- $d
  xdotool mousemove -- $((cx + $1)) $((cy + $2)) click 1
  sleep 0.25
done
# Aim at the opaque pixel nearest the upper middle of the frame.
read -r HX HY < <(convert "$E2E_DIR/before.png" -crop "${EW}x${EH}+$EX+$EY" +repage txt:- |
  awk -F'[,: ]+' -v w="$EW" -v h="$EH" 'NR > 1 && !/#3A6EA5/ {
    d = ($1 - w / 2) ^ 2 + ($2 - h / 3) ^ 2; if (b == "" || d < b) { b = d; x = $1; y = $2 } }
    END { print x, y }')
xdotool mousemove $((EX + HX)) $((EY + HY)) click 1
sleep 0.35
import -window root "$E2E_DIR/fight.png"
x0=$((cx - 480)); y0=$((cy - 270))
[ $x0 -lt 0 ] && x0=0; [ $y0 -lt 0 ] && y0=0; [ $x0 -gt 960 ] && x0=960; [ $y0 -gt 540 ] && y0=540
convert "$E2E_DIR/fight.png" -crop 960x540+$x0+$y0 +repage "$DOCS/fight.png"
wait_trace enemy dead 15 || true
xdotool click 3
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Congratulations$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 0.3
xdotool key ctrl+a; xdotool type --delay 30 'Quick Draw'; xdotool key Return
wait_trace besttimes_row "1	Quick Draw.*" 5 || fail "no best times"
sleep 0.5
wid=$(xdotool search --onlyvisible --name 'Gremlok Best Times' | head -1)
import -frame -window "$wid" "$DOCS/best_times.png"
xdotool key Return

# The Statistics window over some weeks of made-up fights besides the one just played.
wait_trace history "recorded .*" 5 || fail "the fight was not recorded"
"${GREMLOK_BUILD_DIR:-$GREMLOK_SOURCE_DIR/build}/bench/bench_history" --fill "$XDG_DATA_HOME/Gremlok/history.sqlite" 400
open_statistics
sleep 0.8
import -frame -window "$STATS_WID" "$DOCS/statistics.png"
xdotool key Escape
