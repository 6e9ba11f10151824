# Helpers of the scripts run on the Wayland rig (tests/rig/wayland.sh).
. "$(dirname "$0")/lib.sh"
SHOTS=$WAYLAND_RIG_OUT

# sni_item [SECONDS]: waits until the program's StatusNotifierItem is registered with the watcher;
# sets service and path to where it answers.
sni_item() {
  local word pid end
  item= items=
  end=$(( $(now_ms) + ${1:-10} * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    items=$(busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
              org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null)
    for word in $items; do
      word=${word//\"/}
      service=${word%%/*}
      [ -n "$service" ] || continue
      pid=$(busctl --user status "$service" 2>/dev/null | awk -F= '/^PID=/ {print $2}')
      [ "$pid" = "$GREMLOK_PID" ] && { item=$word; break 2; }
    done
    sleep 0.1
  done
  [ -n "$item" ] || return 1
  service=${item%%/*}
  path=/${item#*/}
  [ "$path" = "/$service" ] && path=/StatusNotifierItem
  return 0
}

# "&Fight Now!": the icon activated as the panel does on a left click, then the menu's
# accelerator typed; waits until the fight is ready and sets EX EY EW EH to the enemy's box.
wayland_fight_now() {
  local n
  n=$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE")
  busctl --user call "$service" "$path" org.kde.StatusNotifierItem Activate ii 100 1070 \
    || fail "the item did not take Activate"
  local end=$(( $(now_ms) + 5000 ))
  while [ "$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE")" -le "$n" ]; do
    [ "$(now_ms)" -lt "$end" ] || fail "activating the icon did not open the left menu"
    sleep 0.05
  done
  n=$(grep -c '^fight	ready$' "$GREMLOK_TRACE")
  local shown tries=0
  shown=$(grep -c '^fight	shown$' "$GREMLOK_TRACE")
  # The key is typed again while the menu is still open and no fight has begun: a menu that
  # maps late can miss the first one, as a person's first key press.
  while :; do
    wtype -s 150 f
    tries=$((tries + 1))
    end=$(( $(now_ms) + 3000 ))
    while [ "$(grep -c '^fight	shown$' "$GREMLOK_TRACE")" -le "$shown" ] && [ "$(now_ms)" -lt "$end" ]; do sleep 0.05; done
    [ "$(grep -c '^fight	shown$' "$GREMLOK_TRACE")" -gt "$shown" ] && break
    [ "$(tail -1 "$GREMLOK_TRACE")" = "tray.menu	left" ] && [ "$tries" -lt 3 ] && continue
    fail "no fight after \"&Fight Now!\" ($(tail -3 "$GREMLOK_TRACE" | tr '\n' ' '))"
  done
  end=$(( $(now_ms) + 20000 ))
  while [ "$(grep -c '^fight	ready$' "$GREMLOK_TRACE")" -le "$n" ]; do
    [ "$(now_ms)" -lt "$end" ] || fail "no fight after \"&Fight Now!\" ($(tail -3 "$GREMLOK_TRACE" | tr '\n' ' '))"
    sleep 0.05
  done
  read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$GREMLOK_TRACE" | tail -1 | cut -f2)
}

# grab_desktop FILE: grim's picture of the desktop once the panel shows the icon (waybar fetches
# the picture from the item after registering it).
grab_desktop() {
  local end=$(( $(now_ms) + 10000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    grim "$1" || fail "grim could not grab the desktop"
    [ "$(convert "$1" -crop 120x28+1800+1052 +repage -format %k info:)" -gt 1 ] && return 0
    sleep 0.1
  done
  fail "the panel never showed the icon"
}

# grab_settled FILE: grim's picture once two grabs in a row agree (a window just shown has
# finished painting).
grab_settled() {
  local end=$(( $(now_ms) + 5000 )) prev="" sum
  while [ "$(now_ms)" -lt "$end" ]; do
    grim "$1" || fail "grim could not grab the desktop"
    sum=$(md5sum <"$1")
    [ "$sum" = "$prev" ] && return 0
    prev=$sum
  done
  fail "the desktop never settled"
}

# wait_frozen BEFORE SHOT: waits until the screen (grabbed into SHOT) is BEFORE outside the
# enemy's box (widened by a few pixels for its edge); diff holds the last count of differing pixels.
wait_frozen() {
  local before=$1 shot=$2 end=$(( $(now_ms) + 10000 ))
  local box="rectangle $((EX - 4)),$((EY - 4)) $((EX + EW + 4)),$((EY + EH + 4))"
  convert "$before" -fill black -draw "$box" "$E2E_DIR/before_masked.png"
  diff=
  while [ "$(now_ms)" -lt "$end" ]; do
    grim "$shot"
    convert "$shot" -fill black -draw "$box" "$E2E_DIR/shot_masked.png"
    diff=$(compare -metric AE "$E2E_DIR/before_masked.png" "$E2E_DIR/shot_masked.png" null: 2>&1)
    [ "$diff" = 0 ] && return 0
    sleep 0.2
  done
  return 1
}
