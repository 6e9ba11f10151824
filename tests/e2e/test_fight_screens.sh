#!/usr/bin/env bash
# Two screens side by side, the pointer on the second: the fight covers the second screen only,
# the pointer is centred on it, its frozen desktop is that screen pixel for pixel outside the
# enemy, and a click on the enemy kills it with the kick leaving the pointer on that screen.
# Runs on a rig of its own (one X screen split into two monitors).
if [ -z "${SCREENS_RIG_INNER:-}" ]; then
  exec env SCREENS_RIG_INNER=1 RIG_SCREEN=3840x1080x24 RIG_MONITORS="1920x1080+0+0 1920x1080+1920+0" \
    bash "$(dirname "$0")/../rig/rig.sh" bash "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
fi
. "$(dirname "$0")/fight_lib.sh"

# Five best times nobody beats: no name prompt after the kill.
start_fight_program AnimationSpeed=1500 CenterPointer=true '[Scores]' Name{1,2,3,4,5}=Ace Score{1,2,3,4,5}=1
# A different desktop on each screen, with detail in every channel.
convert -size 3840x1080 xc: -sparse-color bilinear '0,0 #ff2000 3839,0 #00ff40 0,1079 #1030ff 3839,1079 #f0f0a0' \
  "$E2E_DIR/desk.png"
display -window root "$E2E_DIR/desk.png"
xmessage -geometry +2100+120 -title Witness "Second screen: 0123456789 ABC abc" &
GREMLOK_PIDS+=("$!")
wait_window Witness 5 || fail "the witness window did not appear"
[ "$(date +%S)" -ge 40 ] && sleep $((61 - 10#$(date +%S)))
screen_settled "$E2E_DIR/ref.png" -crop 1920x1080+1920+0 +repage || fail "the second screen never settled"
import -window root "$E2E_DIR/before.png"

FIGHT_POINTER="2500 300" fight_now || fail "no fight from the left menu"
[ "$SX $SY $SW $SH $SCALE" = "1920 0 1920 1080 1" ] || fail "the fight covers $SX,$SY ${SW}x$SH (scale $SCALE), not the second screen"
grep -q '^capture	shm$' "$GREMLOK_TRACE" || fail "the capture did not go through shared memory"
pointer=$(xdotool getmouselocation | awk '{ sub("x:", "", $1); sub("y:", "", $2); print $1, $2 }')
[ "$pointer" = "2880 540" ] || fail "the pointer is at $pointer, not the second screen's centre"
[ "$EX" -ge 0 ] && [ "$EY" -ge 0 ] && [ $((EX + EW)) -le 1920 ] && [ $((EY + EH)) -le 1080 ] \
  || fail "the enemy at $EX,$EY ${EW}x$EH is not inside the screen"
kill "${GREMLOK_PIDS[-1]}"

# The second screen, the enemy's box blacked out, as the reference showed it.
frozen_matches "$E2E_DIR/ref.png" "$SHOTS/fight_screen2.png" -crop 1920x1080+1920+0 +repage || fail "the frozen second screen differs from the screen in ${diff:-every shot} pixels"
# Both screens, for the record (the fight window covers only the second).
import -window root "$SHOTS/fight_screens.png"

shoot_enemy "$E2E_DIR/before.png"
wait_trace enemy dead 10 || fail "the death animation did not end"
x=$(xdotool getmouselocation | awk '{ sub("x:", "", $1); print $1 }')
[ "$x" -ge 1920 ] || fail "the kick moved the pointer off the fight's screen (x $x)"
xdotool key Escape
wait_trace fight closed 3 || fail "Escape did not end the fight"
echo PASS
