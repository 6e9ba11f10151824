#!/usr/bin/env bash
# The enemy wins: nobody shoots, the attack runs to its last frame, the screen flashes red
# (only the red of every pixel stays), shots after that are ignored, no kill time is taken,
# and the idle timer closes the fight by itself.
. "$(dirname "$0")/fight_lib.sh"

start_fight_program AnimationSpeed=60 Blood=true AutoUnload=true AutoUnloadTime=2
fight_now || fail "no fight from the left menu"
# A point of plain desktop well away from the enemy.
PX=40; PY=40
[ "$EX" -lt 200 ] && [ "$EY" -lt 200 ] && PX=1800
import -window root "$E2E_DIR/before.png"
read -r r g b < <(pixel "$E2E_DIR/before.png" $PX $PY)

xdotool mousemove_relative 5 5
wait_trace enemy fires 5 || fail "the enemy never fired"
wait_trace player dead 5 || fail "the player did not die"
red_flash() {
  import -window root "$SHOTS/fight_lost.png"
  read -r r2 g2 b2 < <(pixel "$SHOTS/fight_lost.png" $PX $PY)
  [ "$r2 $g2 $b2" = "$r 0 0" ]
}
wait_until 2 red_flash || fail "no red flash: $r2 $g2 $b2 (was $r $g $b)"

xdotool mousemove $((EX + EW / 2)) $((EY + EH / 2)) click 1
no_shot() { ! grep -q '^shot' "$GREMLOK_TRACE"; }
holds_for 0.5 no_shot || fail "a shot was taken after the player died"
wait_trace fight closed 5 || fail "the fight did not close by itself"
grep -q '^killtime' "$GREMLOK_TRACE" && fail "a lost fight produced a kill time"
echo PASS
