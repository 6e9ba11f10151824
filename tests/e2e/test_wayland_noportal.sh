#!/usr/bin/env bash
# A Wayland desktop without a screenshot portal nor a screencopy (sway has one: it is switched
# off with GREMLOK_CAPTURE=portal): the fight runs over a plain grey background, never a black
# one nor a stale desktop, and the player is told once per run, not at every fight. Rows: the
# program native on Wayland (its grab is null there), and on X11 through XWayland (its grab
# comes back all black). Skipped (77) when the Wayland rig cannot run here.
if [ -z "${WAYLAND_RIG_INNER:-}" ]; then
  export WAYLAND_RIG_PORTAL=0
  [ -n "${GREMLOK_SHOTS:-}" ] && export WAYLAND_RIG_OUT=$GREMLOK_SHOTS
  exec bash "$(dirname "$0")/../rig/wayland.sh" bash "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
fi
. "$(dirname "$0")/wayland_lib.sh"
export GREMLOK_CAPTURE=portal

# row_fights NAME: two fights; each shows the neutral background; one notice in all.
row_fights() {
  local name=$1 round y colours shot=$E2E_DIR/$1.png
  sni_item 10 || fail "$name: the icon did not register with the watcher"
  for round in 1 2; do
    wayland_fight_now
    # A row of the screen clear of the enemy: one colour (the background is a vertical
    # gradient), neither black nor the checkered desktop.
    if [ "$EY" -gt 540 ]; then y=300; else y=800; fi
    local end=$(( $(now_ms) + 10000 ))
    while [ "$(now_ms)" -lt "$end" ]; do
      grim "$shot"
      colours=$(convert "$shot" -crop "1920x1+0+$y" +repage -unique-colors -depth 8 txt:- | grep -v '^#' | awk '{print $3}')
      [ "$(echo "$colours" | wc -l)" = 1 ] && [ "$colours" != "#000000" ] && break
      sleep 0.2
    done
    [ "$(echo "$colours" | wc -l)" = 1 ] && [ "$colours" != "#000000" ] \
      || fail "$name fight $round: row $y of the fight is not a plain background: $(echo $colours | head -c 80)"
    note "$name fight $round: row $y is $colours"
    wtype -s 150 -k Escape
    local closed=$(( round ))
    end=$(( $(now_ms) + 10000 ))
    while [ "$(grep -c '^fight	closed$' "$GREMLOK_TRACE")" -lt "$closed" ]; do
      [ "$(now_ms)" -lt "$end" ] || fail "$name: Escape did not end fight $round"
      sleep 0.05
    done
  done
  local told
  told=$(grep -c '^tray.balloon	.*could not be captured' "$GREMLOK_TRACE")
  [ "$told" = 1 ] || fail "$name: the player was told $told times that the desktop could not be captured"
}

mkdir -p "$(dirname "$INI")"
printf '%s\n' '[Settings]' QuickHelp=false FirstRun=false Scramble=false Difficulty=1 >"$INI"

start_gremlok
wait_trace windowsystem 'wayland' 10 || fail "not native on Wayland: $(grep windowsystem "$GREMLOK_TRACE")"
row_fights native
cp "$E2E_DIR/native.png" "$WAYLAND_RIG_OUT/wayland_noportal.png"
kill "$GREMLOK_PID"; wait "$GREMLOK_PID" 2>/dev/null

if [ -z "${WAYLAND_RIG_X11:-}" ]; then
  note "no XWayland in this session (xwayland not installed): the X11 row is left out"
else
  : >"$GREMLOK_TRACE"
  QT_QPA_PLATFORM=xcb DISPLAY=$WAYLAND_RIG_X11 start_gremlok
  wait_trace windowsystem 'xcb' 10 || fail "not on X11: $(grep windowsystem "$GREMLOK_TRACE")"
  row_fights xwayland
fi
echo PASS
