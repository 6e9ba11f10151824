#!/usr/bin/env bash
# The frozen desktop is the desktop: outside the enemy, the fight shows pixel for pixel what a
# grab of the screen showed just before, grabbed through X shared memory, and it stays so while
# the real desktop underneath changes. The same holds for a fight after the idle program has
# given the capture buffer back.
. "$(dirname "$0")/fight_lib.sh"

start_fight_program AnimationSpeed=1500

# frozen_desktop_matches "GRADIENT" "WITNESS TEXT": a desktop with detail in every channel (a
# four-colour gradient and a window with text), a fight over it, and the comparison.
frozen_desktop_matches() {
convert -size 1920x1080 xc: -sparse-color bilinear "$1" "$E2E_DIR/desk.png"
display -window root "$E2E_DIR/desk.png"
xmessage -geometry +60+80 -title Witness "$2" &
GREMLOK_PIDS+=("$!")
# The panel's clock must not turn over between the reference and the capture.
[ "$(date +%S)" -ge 50 ] && sleep $((61 - 10#$(date +%S)))
# The reference: the screen once it stops changing.
screen_settled "$E2E_DIR/ref.png" || fail "the desktop never settled"

fight_now || fail "no fight from the left menu"
[ "$(grep '^capture	' "$GREMLOK_TRACE" | tail -1)" = "capture	shm" ] \
  || fail "the capture did not go through shared memory: $(grep '^capture	' "$GREMLOK_TRACE")"
# Change the real desktop under the fight: the fight must not show it.
kill "${GREMLOK_PIDS[-1]}"
xsetroot -solid '#000000'

# Everything but the enemy's box, blacked out in both pictures, must match exactly once the
# fight is painted (the enemy's box differs from the reference then).
frozen_matches "$E2E_DIR/ref.png" "$SHOTS/fight_capture.png" || fail "the frozen desktop differs from the screen in ${diff:-every shot} pixels"

closed=$(count fight closed)
xdotool key Escape
wait_until 3 more_than fight closed "$closed" || fail "Escape did not end the fight"
}

frozen_desktop_matches '0,0 #ff2000 1919,0 #00ff40 0,1079 #1030ff 1919,1079 #f0f0a0' "Frozen in time: 0123456789 ABC abc"
# Idle after the fight, the program gives the buffer back; the next fight makes it again.
wait_trace capture.buffer released 15 || fail "the capture buffer was not given back: $(grep '^capture.buffer' "$GREMLOK_TRACE")"
frozen_desktop_matches '0,0 #2040f0 1919,0 #f01010 0,1079 #e0e020 1919,1079 #10a060' "Thawed and frozen again: 9876543210 XYZ xyz"
echo PASS
