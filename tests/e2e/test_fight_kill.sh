#!/usr/bin/env bash
# A whole fight played as a person would: "&Fight Now!" from the tray's left menu, the frozen
# desktop with the enemy, a movement that wakes it, a click on one of its visible pixels, the
# death animation, the right button, the name prompt, the Best Times dialog and the table in
# the settings file.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}

mkdir -p "$(dirname "$INI")"
cat >"$INI" <<'INI'
[Settings]
QuickHelp=false
FirstRun=false
Scramble=false
Difficulty=1
AnimationSpeed=400
INI

# "&Fight Now!" from the tray's left menu, by its accelerator. A click the tray loses under
# load is clicked again, as a person would.
fight_now() {
  local attempt n
  for attempt in 1 2 3; do
    n=$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE" 2>/dev/null)
    # The panel may have laid its items out again since: look the icon up afresh.
    read -r X Y < <(tray_icon_centre 2) || return 1
    xdotool mousemove "$X" "$Y" click 1
    for _ in $(seq 60); do
      [ "$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE" 2>/dev/null)" -gt "$n" ] && break
      sleep 0.05
    done
    if [ "$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE" 2>/dev/null)" -gt "$n" ]; then
      [ "$attempt" -gt 1 ] && note "the left menu opened on click $attempt"
      sleep 0.3
      xdotool key f
      wait_trace fight ready 5 && return 0
    fi
    sleep 0.6
  done
  return 1
}
pixel() { convert "$1" -crop "1x1+$2+$3" +repage -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:; }

# Something on the desktop to freeze.
xsetroot -solid '#3a6ea5'
xmessage -geometry +220+160 -title Notes "Quarterly figures: check the totals before Friday." &
GREMLOK_PIDS+=("$!")

start_gremlok
read -r X Y < <(tray_icon_centre 5) || fail "icon not in the tray"
wait_trace tray.tooltip 'Gremlok' 3 || fail "program not up"
sleep 0.5
import -window root "$E2E_DIR/desktop.png"

fight_now || fail "no fight from the left menu"
read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$GREMLOK_TRACE" | tail -1 | cut -f2)
note "enemy at $EX,$EY size ${EW}x$EH"
[ "$EW" -gt 0 ] && [ "$EH" -gt 0 ] || fail "the enemy has no size (no skin loaded?)"
sleep 0.5
import -window root "$SHOTS/fight_frozen.png"

# The visible pixels of the enemy are those that differ from the desktop before the fight;
# take the one nearest the middle of the frame.
read -r HX HY < <(convert "$E2E_DIR/desktop.png" "$SHOTS/fight_frozen.png" -compose difference -composite \
    -crop "${EW}x${EH}+$EX+$EY" +repage -threshold 1% txt:- \
  | awk -v w="$EW" -v h="$EH" -F'[,: ]+' '/#FFFFFF|white/ {
      d = ($1 - w / 2) ^ 2 + ($2 - h / 2) ^ 2; if (best == "" || d < best) { best = d; x = $1; y = $2 } }
      END { if (best != "") print x, y }')
[ -n "${HX:-}" ] || fail "no visible enemy pixel on the frozen desktop"
HX=$((EX + HX)); HY=$((EY + HY))
note "aiming at $HX,$HY"
[ "$(grep -c '^clock	started' "$GREMLOK_TRACE")" = 0 ] || fail "the clock ran before any movement"

# Moving starts the clock and the attack; the click kills.
xdotool mousemove "$HX" "$HY"
wait_trace clock started 3 || fail "moving did not start the clock"
xdotool click 1
# (On a scaled screen the window system reports positions to the scale's grid.)
wait_trace shot "hit [0-9]+ [0-9]+" 3 || { grep '^shot' "$GREMLOK_TRACE" >&2; fail "the click on a visible pixel was not a hit"; }
read -r _ HX HY < <(grep '^shot	hit' "$GREMLOK_TRACE" | tail -1 | cut -f2)
sleep 0.1
import -window root "$SHOTS/fight_hit.png"
# Blood lies where the shot went.
read -r r g b < <(pixel "$SHOTS/fight_hit.png" $((HX - 4)) $((HY - 4 - (HY % 2))))
note "blood pixel $r $g $b"
[ "$r" -gt 150 ] && [ "$g" -lt 100 ] || fail "no blood splash at the hit"
sleep 0.5
import -window root "$SHOTS/fight_dying.png"
wait_trace enemy dead 10 || fail "the death animation did not end"
import -window root "$SHOTS/fight_dead.png"
cmp -s "$SHOTS/fight_hit.png" "$SHOTS/fight_dead.png" && fail "the death animation changed nothing on screen"

# The right button ends the fight; the kill time is good enough for the table.
xdotool click 3
wait_trace killtime '[0-9.]+' 3 || fail "no kill time"
T=$(grep '^killtime' "$GREMLOK_TRACE" | tail -1 | cut -f2)
note "kill time $T ms"
xdotool search --sync --onlyvisible --name '^Congratulations$' >/dev/null 2>&1 &
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Congratulations$' >/dev/null 2>&1 && break; sleep 0.1; done
xdotool search --onlyvisible --name '^Congratulations$' >/dev/null || fail "no name prompt"
sleep 0.3
import -window root "$SHOTS/name_prompt.png"
xdotool key ctrl+a
xdotool type --delay 30 'Tester'
xdotool key Return
wait_trace besttime "Tester	$T" 5 || fail "the name was not taken"
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Gremlok Best Times$' >/dev/null 2>&1 && break; sleep 0.1; done
wait_trace besttimes_row "1	Tester	$T ms" 3 || fail "the Best Times dialog does not list the new time first"
sleep 0.3
import -window root "$SHOTS/best_times.png"
xdotool key Return
wait_trace fight closed 5 || fail "the fight window did not close"

# The settings file holds the table in order.
[ "$(ini_value Scores Name1)" = Tester ] || fail "Name1 is $(ini_value Scores Name1)"
[ "$(ini_value Scores Score1)" = "$T" ] || fail "Score1 is $(ini_value Scores Score1)"
for i in 2 3 4 5; do
  [ "$(ini_value Scores Name$i)" = Anonymous ] || fail "Name$i changed"
  [ "$(ini_value Scores Score$i)" = 999999 ] || fail "Score$i is $(ini_value Scores Score$i)"
done
sleep 0.5
import -window root "$E2E_DIR/after.png"
kill -0 "$GREMLOK_PID" || fail "the program ended"
echo PASS
