#!/usr/bin/env bash
# A whole fight played as a person would: "&Fight Now!", the frozen desktop with the enemy, a
# movement that wakes it, a click on one of its visible pixels, the death animation, the right
# button, the name prompt, the Best Times dialog and the table in the settings file, whose
# fifth score was damaged by hand: a kill still enters.
. "$(dirname "$0")/fight_lib.sh"

xmessage -geometry +220+160 -title Notes "Quarterly figures: check the totals before Friday." &
GREMLOK_PIDS+=("$!")
wait_window Notes 5 || fail "the notes window did not appear"
start_fight_program AnimationSpeed=400 '[Scores]' Name{1,2,3,4,5}=Anonymous Score{1,2,3,4}=999999 Score5=abc
import -window root "$E2E_DIR/desktop.png"
fight_now || fail "no fight from the left menu"
grep -q '^clock' "$GREMLOK_TRACE" && fail "the clock ran before any movement"
shoot_enemy "$E2E_DIR/desktop.png"
cp "$FROZEN" "$SHOTS/fight_frozen.png"

# Blood at the hit (on a scaled screen positions follow the scale's grid).
blood_at_hit() {
  import -window root "$SHOTS/fight_hit.png"
  read -r r g b < <(pixel "$SHOTS/fight_hit.png" $((HX - 4)) $((HY - 4 - (HY % 2))))
  [ "$r" -gt 150 ] && [ "$g" -lt 100 ]
}
wait_until 2 blood_at_hit || fail "no blood splash at the hit ($r $g $b)"
wait_trace enemy dead 10 || fail "the death animation did not end"
import -window root "$SHOTS/fight_dead.png"
cmp -s "$SHOTS/fight_hit.png" "$SHOTS/fight_dead.png" && fail "the death animation changed nothing on screen"

# The right button ends the fight; the damaged fifth entry counts as the slowest time.
xdotool click 3
wait_trace killtime '[0-9.]+' 3 || fail "no kill time"
T=$(grep '^killtime' "$GREMLOK_TRACE" | tail -1 | cut -f2)
note "kill time $T ms"
wait_window Congratulations 5 || fail "no name prompt"
wait_focus Congratulations || fail "the name prompt did not get the keyboard"
# The frozen desktop no longer stays above everything while the prompt is up.
for w in $(xdotool search --onlyvisible --name '^Gremlok$'); do
  xprop -id "$w" _NET_WM_STATE | grep -q ABOVE && fail "the frozen desktop stays on top during the name prompt"
done
import -window root "$SHOTS/name_prompt.png"
xdotool key ctrl+a
xdotool type --delay 30 'Tester'
xdotool key Return
wait_trace besttime "Tester	$T" 5 || fail "the name was not taken"
wait_trace besttimes_row "1	Tester	$T ms" 3 || fail "the Best Times dialog does not list the new time first"
wait_focus "Gremlok Best Times" || fail "the Best Times dialog did not get the keyboard"
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
