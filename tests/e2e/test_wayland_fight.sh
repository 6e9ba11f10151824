#!/usr/bin/env bash
# On a Wayland desktop (headless sway): the icon registers with the StatusNotifierItem watcher
# with the tooltip "Gremlok"; activating it opens the left menu; "&Fight Now!" opens a full-screen
# fight whose frozen desktop is the desktop grim saw just before (outside the enemy); Escape ends it.
# Skipped (77) when the Wayland rig cannot run here.
if [ -z "${WAYLAND_RIG_INNER:-}" ]; then
  [ -n "${GREMLOK_SHOTS:-}" ] && export WAYLAND_RIG_OUT=$GREMLOK_SHOTS
  exec bash "$(dirname "$0")/../rig/wayland.sh" bash "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
fi
. "$(dirname "$0")/wayland_lib.sh"

mkdir -p "$(dirname "$INI")"
printf '%s\n' '[Settings]' QuickHelp=false FirstRun=false Scramble=false Difficulty=1 >"$INI"
start_gremlok
wait_trace windowsystem 'wayland' 10 || fail "the program did not start natively on Wayland ($(grep windowsystem "$GREMLOK_TRACE"))"
wait_trace tray.tooltip 'Gremlok' 10 || fail "program not up"

sni_item 10 || fail "the icon did not register with the watcher (registered: ${items:-none})"
note "registered as $service $path"
tooltip=$(busctl --user get-property "$service" "$path" org.kde.StatusNotifierItem ToolTip)
echo "$tooltip" | grep -q '"Gremlok"' || fail "tooltip reads $tooltip"

# The desktop as it is just before the fight.
grab_desktop "$E2E_DIR/before.png"

# Activate the icon as the panel does on a left click; "&Fight Now!" by its accelerator.
wayland_fight_now
note "enemy at $EX,$EY size ${EW}x$EH"
grep -q 'desktop could not be captured' "$E2E_DIR/gremlok.out" "$GREMLOK_TRACE" 2>/dev/null \
  && fail "the portal capture was refused: $(grep -h 'captured' "$E2E_DIR/gremlok.out" "$GREMLOK_TRACE")"

# Full screen on the output, then on screen: the frozen desktop is the one grim saw, outside the
# enemy (its box widened by a few pixels for the enemy's edge).
end=$(( $(now_ms) + 10000 ))
while [ "$(now_ms)" -lt "$end" ]; do
  swaymsg -t get_tree | python3 -c '
import json, sys
def walk(n):
    if n.get("pid") == int(sys.argv[1]) and n.get("fullscreen_mode") == 1 and n["rect"]["width"] == 1920 and n["rect"]["height"] == 1080 and n.get("visible"):
        sys.exit(0)
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin)); sys.exit(1)' "$GREMLOK_PID" && break
  sleep 0.1
done
[ "$(now_ms)" -lt "$end" ] || fail "the fight window is not full screen on the output"
wait_frozen "$E2E_DIR/before.png" "$E2E_DIR/fight.png" \
  || { cp "$E2E_DIR"/*.png "$SHOTS/" 2>/dev/null; fail "the frozen desktop differs from the desktop before the fight in $diff pixels"; }
# The enemy is really there: its box is not the desktop it covers.
convert "$E2E_DIR/before.png" -crop "${EW}x$EH+$EX+$EY" +repage "$E2E_DIR/before_box.png"
convert "$E2E_DIR/fight.png" -crop "${EW}x$EH+$EX+$EY" +repage "$E2E_DIR/fight_box.png"
enemy_diff=$(compare -metric AE "$E2E_DIR/before_box.png" "$E2E_DIR/fight_box.png" null: 2>&1)
[ "${enemy_diff%% *}" -gt $(( EW * EH / 10 )) ] 2>/dev/null || fail "no enemy drawn over the frozen desktop ($enemy_diff pixels differ)"
cp "$E2E_DIR/fight.png" "$SHOTS/wayland_fight.png"

# Escape ends it, without any keyboard grab.
wtype -s 150 -k Escape
wait_trace fight closed 10 || fail "Escape did not end the fight"
note "fight frozen pixel-exact outside the enemy; enemy box differs in $enemy_diff pixels; Escape ended it"
echo PASS
