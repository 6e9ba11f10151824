# Helpers of the scripts run on the Wayland rig (tests/rig/wayland.sh).
. "$(dirname "$0")/lib.sh"

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
  wtype -s 150 f
  end=$(( $(now_ms) + 20000 ))
  while [ "$(grep -c '^fight	ready$' "$GREMLOK_TRACE")" -le "$n" ]; do
    [ "$(now_ms)" -lt "$end" ] || fail "no fight after \"&Fight Now!\" ($(tail -3 "$GREMLOK_TRACE"))"
    sleep 0.05
  done
  read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$GREMLOK_TRACE" | tail -1 | cut -f2)
}
