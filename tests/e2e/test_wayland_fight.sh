#!/usr/bin/env bash
# On a Wayland desktop (headless sway): the icon registers with the StatusNotifierItem watcher
# with the tooltip "Gremlok"; activating it opens the left menu; "&Fight Now!" opens a full-screen
# fight whose frozen desktop is the desktop grim saw just before (outside the enemy); Escape ends it.
# Rows: the capture through the compositor's screencopy (sway has it), through the desktop portal
# (GREMLOK_CAPTURE=portal), and through the screencopy from X11 under XWayland.
# Skipped (77) when the Wayland rig cannot run here.
if [ -z "${WAYLAND_RIG_INNER:-}" ]; then
  [ -n "${GREMLOK_SHOTS:-}" ] && export WAYLAND_RIG_OUT=$GREMLOK_SHOTS
  exec bash "$(dirname "$0")/../rig/wayland.sh" bash "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
fi
. "$(dirname "$0")/wayland_lib.sh"

mkdir -p "$(dirname "$INI")"
printf '%s\n' '[Settings]' QuickHelp=false FirstRun=false Scramble=false Difficulty=1 >"$INI"

# fight_row NAME WINDOWSYSTEM CAPTURE: a program already started on WINDOWSYSTEM fights once; the
# desktop is frozen through CAPTURE, pixel for pixel as grim saw it.
fight_row() {
  local name=$1 ws=$2 way=$3
  wait_trace windowsystem "$ws" 10 || fail "$name: not on $ws ($(grep windowsystem "$GREMLOK_TRACE"))"
  wait_trace tray.tooltip 'Gremlok' 10 || fail "$name: program not up"

  sni_item 10 || fail "$name: the icon did not register with the watcher (registered: ${items:-none})"
  note "$name: registered as $service $path"
  tooltip=$(busctl --user get-property "$service" "$path" org.kde.StatusNotifierItem ToolTip)
  echo "$tooltip" | grep -q '"Gremlok"' || fail "$name: tooltip reads $tooltip"

  # The desktop as it is just before the fight.
  grab_desktop "$E2E_DIR/before.png"

  # Activate the icon as the panel does on a left click; "&Fight Now!" by its accelerator.
  wayland_fight_now
  note "$name: enemy at $EX,$EY size ${EW}x$EH"
  grep -q 'desktop could not be captured' "$E2E_DIR/gremlok.out" "$GREMLOK_TRACE" 2>/dev/null \
    && fail "$name: the capture was refused: $(grep -h 'captured' "$E2E_DIR/gremlok.out" "$GREMLOK_TRACE")"
  local took
  took=$(grep '^capture	' "$GREMLOK_TRACE" | tail -1 | cut -f2)
  [ "$took" = "$way" ] || fail "$name: the desktop was captured through ${took:-nothing}, not $way"

  # Full screen on the output, then on screen: the frozen desktop is the one grim saw, outside the
  # enemy (its box widened by a few pixels for the enemy's edge).
  local end=$(( $(now_ms) + 10000 ))
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
  [ "$(now_ms)" -lt "$end" ] || fail "$name: the fight window is not full screen on the output"
  wait_frozen "$E2E_DIR/before.png" "$E2E_DIR/fight.png" \
    || { cp "$E2E_DIR"/*.png "$SHOTS/" 2>/dev/null; fail "$name: the frozen desktop differs from the desktop before the fight in $diff pixels"; }
  # The enemy is really there: its box is not the desktop it covers.
  convert "$E2E_DIR/before.png" -crop "${EW}x$EH+$EX+$EY" +repage "$E2E_DIR/before_box.png"
  convert "$E2E_DIR/fight.png" -crop "${EW}x$EH+$EX+$EY" +repage "$E2E_DIR/fight_box.png"
  enemy_diff=$(compare -metric AE "$E2E_DIR/before_box.png" "$E2E_DIR/fight_box.png" null: 2>&1)
  [ "${enemy_diff%% *}" -gt $(( EW * EH / 10 )) ] 2>/dev/null || fail "$name: no enemy drawn over the frozen desktop ($enemy_diff pixels differ)"
  cp "$E2E_DIR/fight.png" "$SHOTS/wayland_fight_$name.png"

  # Escape ends it, without any keyboard grab.
  wtype -s 150 -k Escape
  wait_trace fight closed 10 || fail "$name: Escape did not end the fight"
  note "$name: fight frozen pixel-exact outside the enemy through $took; enemy box differs in $enemy_diff pixels; Escape ended it"
  kill "$GREMLOK_PID"; wait "$GREMLOK_PID" 2>/dev/null
  : >"$GREMLOK_TRACE"
  : >"$E2E_DIR/gremlok.out"
}

start_gremlok
fight_row screencopy wayland screencopy
cp "$SHOTS/wayland_fight_screencopy.png" "$SHOTS/wayland_fight.png"

GREMLOK_CAPTURE=portal start_gremlok
fight_row portal wayland portal

if [ -z "${WAYLAND_RIG_X11:-}" ]; then
  note "no XWayland in this session (xwayland not installed): the X11 row is left out"
else
  # Under XWayland the fight's clock starts by itself as the window maps (the pointer position
  # X reports before it is moved is not where the motion events say it is), so the enemy may
  # win while the picture is compared: no red flash then, so the frozen desktop stays to see.
  printf '%s\n' '[Settings]' QuickHelp=false FirstRun=false Scramble=false Difficulty=1 Blood=false >"$INI"
  QT_QPA_PLATFORM=xcb DISPLAY=$WAYLAND_RIG_X11 start_gremlok
  fight_row xwayland xcb screencopy
fi
echo PASS
