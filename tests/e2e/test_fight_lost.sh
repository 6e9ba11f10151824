#!/usr/bin/env bash
# The enemy wins: nobody shoots, the attack runs to its last frame, the screen flashes red
# (only the red of every pixel stays), shots after that are ignored, no kill time is taken,
# and the idle timer closes the fight by itself. An animation speed of 0 still attacks, and a
# chosen skin whose package lacks the sheet it names fights with the base enemy.
. "$(dirname "$0")/fight_lib.sh"

export XDG_DATA_HOME="$E2E_DIR/data"
mkdir -p "$E2E_DIR/pack" "$XDG_DATA_HOME/Gremlok/Skins"
printf '[Skin]\r\nSprites=missing.gif\r\n' >"$E2E_DIR/pack/skin.ini"
(cd "$E2E_DIR/pack" && zip -q "$XDG_DATA_HOME/Gremlok/Skins/Broken.ssz" skin.ini)
start_fight_program AnimationSpeed=0 Blood=true AutoUnload=true AutoUnloadTime=2 Skin=Broken
fight_now || fail "no fight from the left menu"
[ "$(grep '^skin' "$GREMLOK_TRACE" | tail -1 | cut -f2)" = "Base Skin 100x100 loaded" ] && [ "$EW $EH" = "100 100" ] \
  || fail "not the base enemy: $(grep '^skin' "$GREMLOK_TRACE" | tail -1), ${EW}x$EH"
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
