#!/usr/bin/env bash
# A whole fight played as a person would: "&Fight Now!", the frozen desktop with the enemy, a
# movement that wakes it, a click on one of its visible pixels, the death animation, the right
# button, the name prompt, the Best Times dialog and the table in the settings file, whose
# fifth score was damaged by hand: a kill still enters.
. "$(dirname "$0")/fight_lib.sh"

xmessage -geometry +220+160 -title Notes "Quarterly figures: check the totals before Friday." &
GREMLOK_PIDS+=("$!")
start_fight_program AnimationSpeed=400 '[Scores]' Name{1,2,3,4,5}=Anonymous Score{1,2,3,4}=999999 Score5=abc
sleep 0.5
import -window root "$E2E_DIR/desktop.png"
fight_now || fail "no fight from the left menu"
sleep 0.5
import -window root "$SHOTS/fight_frozen.png"

# The enemy's visible pixels differ from the desktop before the fight; aim at the one nearest
# the middle of the frame.
read -r HX HY < <(convert "$E2E_DIR/desktop.png" "$SHOTS/fight_frozen.png" -compose difference -composite \
    -crop "${EW}x${EH}+$EX+$EY" +repage -threshold 1% txt:- \
  | awk -v w="$EW" -v h="$EH" -F'[,: ]+' '/#FFFFFF|white/ {
      d = ($1 - w / 2) ^ 2 + ($2 - h / 2) ^ 2; if (best == "" || d < best) { best = d; x = $1; y = $2 } }
      END { if (best != "") print x, y }')
[ -n "${HX:-}" ] || fail "no visible enemy pixel on the frozen desktop"
grep -q '^clock' "$GREMLOK_TRACE" && fail "the clock ran before any movement"

xdotool mousemove $((EX + HX)) $((EY + HY))
wait_trace clock started 3 || fail "moving did not start the clock"
xdotool click 1
# (On a scaled screen the window system reports positions to the scale's grid.)
wait_trace shot "hit [0-9]+ [0-9]+" 3 || { grep '^shot' "$GREMLOK_TRACE" >&2; fail "the click on a visible pixel was not a hit"; }
read -r _ HX HY < <(grep '^shot	hit' "$GREMLOK_TRACE" | tail -1 | cut -f2)
sleep 0.1
import -window root "$SHOTS/fight_hit.png"
read -r r g b < <(pixel "$SHOTS/fight_hit.png" $((HX - 4)) $((HY - 4 - (HY % 2))))
[ "$r" -gt 150 ] && [ "$g" -lt 100 ] || fail "no blood splash at the hit ($r $g $b)"
sleep 0.5
import -window root "$SHOTS/fight_dying.png"
wait_trace enemy dead 10 || fail "the death animation did not end"
import -window root "$SHOTS/fight_dead.png"
cmp -s "$SHOTS/fight_hit.png" "$SHOTS/fight_dead.png" && fail "the death animation changed nothing on screen"

# The right button ends the fight; the damaged fifth entry counts as the slowest time.
xdotool click 3
wait_trace killtime '[0-9.]+' 3 || fail "no kill time"
T=$(grep '^killtime' "$GREMLOK_TRACE" | tail -1 | cut -f2)
note "kill time $T ms"
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Congratulations$' >/dev/null 2>&1 && break; sleep 0.1; done
xdotool search --onlyvisible --name '^Congratulations$' >/dev/null || fail "no name prompt"
# The frozen desktop no longer stays above everything while the prompt is up.
for w in $(xdotool search --onlyvisible --name '^Gremlok$'); do
  xprop -id "$w" _NET_WM_STATE | grep -q ABOVE && fail "the frozen desktop stays on top during the name prompt"
done
sleep 0.3
import -window root "$SHOTS/name_prompt.png"
xdotool key ctrl+a
xdotool type --delay 30 'Tester'
xdotool key Return
wait_trace besttime "Tester	$T" 5 || fail "the name was not taken"
wait_trace besttimes_row "1	Tester	$T ms" 3 || fail "the Best Times dialog does not list the new time first"
sleep 0.3
import -window root "$SHOTS/best_times.png"
xdotool key Return
wait_trace fight closed 5 || fail "the fight window did not close"

[ "$(ini_value Scores Name1)" = Tester ] && [ "$(ini_value Scores Score1)" = "$T" ] \
  || fail "entry 1 is $(ini_value Scores Name1) $(ini_value Scores Score1)"
for i in 2 3 4 5; do
  [ "$(ini_value Scores Name$i)" = Anonymous ] && [ "$(ini_value Scores Score$i)" = 999999 ] \
    || fail "entry $i changed"
done
kill -0 "$GREMLOK_PID" || fail "the program ended"
echo PASS
