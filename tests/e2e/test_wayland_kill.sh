#!/usr/bin/env bash
# A fight won on a Wayland desktop (headless sway) with a pointer: a miss and its kick, a click
# on an opaque pixel of the enemy kills it, the right button ends the fight (no keyboard grab),
# the name prompt takes a name typed and Best Times lists it. Skipped (77) when the Wayland rig
# cannot run here or has no pointer device.
if [ -z "${WAYLAND_RIG_INNER:-}" ]; then
  [ -n "${GREMLOK_SHOTS:-}" ] && export WAYLAND_RIG_OUT=$GREMLOK_SHOTS
  exec bash "$(dirname "$0")/../rig/wayland.sh" bash "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
fi
. "$(dirname "$0")/wayland_lib.sh"
[ -n "${WAYLAND_RIG_POINTER:-}" ] || { echo "SKIP: the Wayland rig has no pointer device (wayvnc)"; exit 77; }
pointer() { swaymsg -q -- seat seat0 cursor "$@" || fail "sway refused: cursor $*"; }
# A click where the pointer is. sway hands a button only to the surface under a pointer that
# has moved since it last rested (it hides a resting pointer), so it moves there and back first.
click() { pointer move 1 0; pointer move -1 0; pointer press "$1"; pointer release "$1"; }

mkdir -p "$(dirname "$INI")"
printf '%s\n' '[Settings]' QuickHelp=false FirstRun=false Scramble=false Difficulty=1 AnimationSpeed=400 \
  CenterPointer=true >"$INI"
start_gremlok
wait_trace tray.tooltip 'Gremlok' 10 || fail "program not up"
sni_item 10 || fail "the icon did not register with the watcher"
grab_desktop "$E2E_DIR/before.png"
wayland_fight_now
wait_frozen "$E2E_DIR/before.png" "$E2E_DIR/fight.png" || fail "the fight is not on screen ($diff pixels differ)"

# The enemy's opaque pixel nearest the middle of its frame: where the fight differs from the desktop.
read -r HX HY < <(convert "$E2E_DIR/before.png" "$E2E_DIR/fight.png" -compose difference -composite \
    -crop "${EW}x${EH}+$EX+$EY" +repage -threshold 1% txt:- \
  | awk -v w="$EW" -v h="$EH" -F'[,: ]+' '/#FFFFFF|white/ {
      d = ($1 - w / 2) ^ 2 + ($2 - h / 2) ^ 2; if (best == "" || d < best) { best = d; x = $1; y = $2 } }
      END { if (best != "") print x, y }')
[ -n "${HX:-}" ] || fail "no visible enemy pixel on the frozen desktop"

# A miss well away from the enemy first: a hole, and on Wayland the kick is drawn, not moved.
if [ "$EX" -gt 960 ]; then MX=300; else MX=1500; fi
pointer set "$MX" 600
wait_trace clock started 5 || fail "moving did not start the clock"
click BTN_LEFT
wait_trace shot "miss [0-9]+ [0-9]+" 5 || fail "the click away from the enemy was not a miss: $(grep '^shot' "$GREMLOK_TRACE")"
read -r _ SX SY < <(grep '^shot	miss' "$GREMLOK_TRACE" | tail -1 | cut -f2)
[ "$SX" = "$MX" ] && [ "$SY" = 600 ] || fail "the miss landed at $SX,$SY instead of $MX,600"

pointer set $((EX + HX)) $((EY + HY))
click BTN_LEFT
wait_trace shot "hit [0-9]+ [0-9]+" 5 || fail "the click on a visible pixel was not a hit: $(grep '^shot' "$GREMLOK_TRACE")"
wait_trace enemy dead 10 || fail "the death animation did not end"
grim "$E2E_DIR/dead.png"
cp "$E2E_DIR/dead.png" "$SHOTS/wayland_kill.png"

# The right button ends the fight; the name prompt comes up over the frozen desktop.
click BTN_RIGHT
wait_trace killtime "[0-9.]+" 5 || fail "the right button did not end the fight: $(tail -5 "$GREMLOK_TRACE" | tr "\n" " ")"
T=$(grep '^killtime' "$GREMLOK_TRACE" | tail -1 | cut -f2)
note "kill time $T ms"
end=$(( $(now_ms) + 10000 ))
until swaymsg -t get_tree | grep -q '"name": "Congratulations"'; do
  [ "$(now_ms)" -lt "$end" ] || fail "no name prompt on the desktop"
  sleep 0.1
done
grab_settled "$SHOTS/wayland_name_prompt.png"
wtype -s 150 -M ctrl a -m ctrl
wtype -s 150 Tester
wtype -s 150 -k Return
wait_trace besttime "Tester	$T" 5 || fail "the name was not taken"
wait_trace besttimes_row "1	Tester	$T ms" 5 || fail "the Best Times dialog does not list the new time first"
grab_settled "$SHOTS/wayland_best_times.png"
wtype -s 150 -k Return
wait_trace fight closed 10 || fail "the fight window did not close"
[ "$(ini_value Scores Name1)" = Tester ] || fail "the table holds $(ini_value Scores Name1) first"
echo PASS
