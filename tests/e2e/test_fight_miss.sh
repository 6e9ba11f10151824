#!/usr/bin/env bash
# Six misses leave six bullet holes in the frozen desktop and kick the pointer each time; a
# window that opens meanwhile does not cover the fight; the seventh click only clicks; Escape
# ends the fight under the window manager.
. "$(dirname "$0")/fight_lib.sh"

start_fight_program AnimationSpeed=1500
fight_now || fail "no fight from the left menu"
ROW=150
[ "$EY" -lt 300 ] && ROW=800
for i in 1 2 3 4 5 6; do
  x=$((200 + 150 * i))
  xdotool mousemove "$x" "$ROW" click 1
  wait_trace shot "miss $x $ROW" 3 || fail "shot $i was not a miss at $x,$ROW"
  eval "$(xdotool getmouselocation --shell)"
  dx=$((X - x)); dx=${dx#-}
  [ "$Y" -lt "$ROW" ] && [ $((ROW - Y)) -le 20 ] && [ "$dx" -ge 1 ] && [ "$dx" -le 10 ] \
    || fail "pointer not kicked after shot $i: at $X,$Y"
done
xmessage -geometry +300+$((ROW - 40)) -title Intruder "A window that wants the focus" &
GREMLOK_PIDS+=("$!")
wait_window Intruder 5 || fail "the intruding window did not appear"
# Every hole settled and in sight: black at its heart, no grey of the splat left.
holes_shown() {
  import -window root "$SHOTS/fight_holes.png"
  for i in 1 2 3 4 5 6; do
    x=$((200 + 150 * i))
    [ "$(pixel "$SHOTS/fight_holes.png" $((x + 1)) $((ROW - 1)))" = "0 0 0" ] || { why="no hole at shot $i (or covered)"; return 1; }
    [ "$(pixel "$SHOTS/fight_holes.png" $((x - 3)) $((ROW - 2)) | cut -d' ' -f1)" != 239 ] || { why="splat $i did not settle"; return 1; }
  done
}
wait_until 3 holes_shown || fail "$why"

xdotool mousemove 1000 $((ROW + 100)) click 1
wait_trace shot empty 3 || fail "the seventh click was not an empty click"
no_mark() { import -window root "$E2E_DIR/seventh.png"; [ "$(pixel "$E2E_DIR/seventh.png" 1001 $((ROW + 99)))" = "58 110 165" ]; }
holds_for 0.5 no_mark || fail "the seventh click left a mark"
[ "$(grep -c '^shot	miss' "$GREMLOK_TRACE")" = 6 ] || fail "more than six rounds were fired"

xdotool key Escape
wait_trace fight closed 3 || fail "Escape did not end the fight"
grep -q '^killtime' "$GREMLOK_TRACE" && fail "a fight without a kill produced a kill time"
echo PASS
