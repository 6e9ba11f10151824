#!/usr/bin/env bash
# A high-density screen (3840x2160 at 192 dpi, which Qt scales by 2): the fight covers the
# screen at its real pixels and its frozen desktop is the screen pixel for pixel outside the
# enemy, while the enemy is drawn twice its size in device pixels (the physical size it has on
# a normal screen); a click on one of its visible device pixels kills it.
# Runs on a rig of its own.
if [ -z "${HIDPI_RIG_INNER:-}" ]; then
  exec env HIDPI_RIG_INNER=1 RIG_SCREEN=3840x2160x24 RIG_DPI=192 \
    bash "$(dirname "$0")/../rig/rig.sh" bash "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
fi
. "$(dirname "$0")/fight_lib.sh"

# The drawn size of attack frame 1 at scale 1: its visible pixels' bounding box in the skin.
unzip -o -q "$GREMLOK_SOURCE_DIR/resources/skins/Base Skin.ssz" skin.ini enemy.gif -d "$E2E_DIR/skin"
mask=$(awk -F= '/^MaskColor=/ { print $2 }' "$E2E_DIR/skin/skin.ini" | tr -d '\r')
frames=$(awk -F= '/^Num(Attack|Die)Frames=/ { if ($2 > n) n = $2 } END { print n }' "$E2E_DIR/skin/skin.ini" | tr -d '\r')
read -r sheet_w sheet_h < <(identify -format '%w %h' "$E2E_DIR/skin/enemy.gif")
read -r w1 h1 < <(convert "$E2E_DIR/skin/enemy.gif" -crop "$((sheet_w / frames))x$((sheet_h / 2))+0+0" +repage \
  -transparent "$mask" -trim -format '%w %h' info:)
note "frame 1 at scale 1: ${w1}x$h1 visible pixels"

start_fight_program AnimationSpeed=1500 Shadow=false '[Scores]' Name{1,2,3,4,5}=Ace Score{1,2,3,4,5}=1
convert -size 3840x2160 xc: -sparse-color bilinear '0,0 #ff2000 3839,0 #00ff40 0,2159 #1030ff 3839,2159 #f0f0a0' \
  "$E2E_DIR/desk.png"
display -window root "$E2E_DIR/desk.png"
[ "$(date +%S)" -ge 40 ] && sleep $((61 - 10#$(date +%S)))
screen_settled "$E2E_DIR/ref.png" || fail "the desktop never settled"

fight_now || fail "no fight from the left menu"
[ "$SX $SY $SW $SH $SCALE" = "0 0 3840 2160 2" ] || fail "the fight covers $SX,$SY ${SW}x$SH at scale $SCALE"
grep -q '^capture	shm$' "$GREMLOK_TRACE" || fail "the capture did not go through shared memory"

# Pixel for pixel outside the enemy's box; inside it, the enemy at twice its size.
frozen_matches "$E2E_DIR/ref.png" "$SHOTS/fight_hidpi_full.png" || fail "the frozen desktop differs from the screen in ${diff:-every shot} pixels"
read -r w2 h2 < <(convert "$E2E_DIR/ref.png" "$SHOTS/fight_hidpi_full.png" -compose difference -composite \
  -crop "${EW}x$EH+$EX+$EY" +repage -threshold 0 -trim -format '%w %h' info:)
note "frame 1 drawn ${w2}x$h2 device pixels in a ${EW}x$EH frame"
[ "$w2 $h2" = "$((2 * w1)) $((2 * h1))" ] || fail "the enemy is drawn ${w2}x$h2, not twice ${w1}x$h1"

shoot_enemy "$E2E_DIR/ref.png"
wait_trace enemy dead 10 || fail "the death animation did not end"

# A miss beside the body, on an odd device pixel (which Qt's own positions cannot name at this
# scale): traced there, and its settled hole is twice the 5x5 pixels it covers at scale 1.
mx=$(((EX > 200 ? EX - 40 : EX + EW + 40) | 1)) my=$(((EY + EH / 2) | 1))
xdotool mousemove "$mx" "$my" click 1
wait_trace shot "miss $mx $my" 3 || fail "the shot beside the enemy was not a miss ($(grep '^shot' "$GREMLOK_TRACE" | tail -1))"
hole_size() {
  import -window root "$E2E_DIR/miss.png"
  read -r hw hh < <(convert "$E2E_DIR/ref.png" "$E2E_DIR/miss.png" -compose difference -composite \
    -crop "60x60+$((mx - 30))+$((my - 30))" +repage -threshold 0 -trim -format '%w %h' info:)
  [ "$hw $hh" = "10 10" ]
}
wait_until 3 hole_size || fail "the settled hole is ${hw}x$hh device pixels"
# The enemy, its blood and the hole as a player sees them.
x0=$((EX < mx ? EX : mx)) ; x0=$((x0 - 40 < 0 ? 0 : x0 - 40)) y0=$((EY - 40 < 0 ? 0 : EY - 40))
convert "$E2E_DIR/miss.png" -crop "$((EW + 120))x$((EH + 80))+$x0+$y0" +repage "$SHOTS/fight_hidpi.png"
xdotool key Escape
wait_trace fight closed 3 || fail "Escape did not end the fight"
echo PASS
