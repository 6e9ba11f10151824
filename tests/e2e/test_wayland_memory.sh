#!/usr/bin/env bash
# What the program keeps on a Wayland desktop (headless sway) once fights are over: the tray menu
# floats at its own size (a tiling compositor must not stretch it, and its pixels, over the
# screen); once idle after fights no graphics driver is loaded (sway draws the window frames, so
# nothing needs OpenGL), no window buffer of a screen's size is left behind, and resident memory
# after five fights is within a few MB of that after one (a screenful is 8 MB).
# Skipped (77) when the Wayland rig cannot run here.
if [ -z "${WAYLAND_RIG_INNER:-}" ]; then
  [ -n "${GREMLOK_SHOTS:-}" ] && export WAYLAND_RIG_OUT=$GREMLOK_SHOTS
  exec bash "$(dirname "$0")/../rig/wayland.sh" bash "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
fi
. "$(dirname "$0")/wayland_lib.sh"

mkdir -p "$(dirname "$INI")"
printf '%s\n' '[Settings]' QuickHelp=false FirstRun=false Scramble=false Difficulty=1 AnimationSpeed=1500 >"$INI"
start_gremlok
wait_trace tray.tooltip 'Gremlok' 10 || fail "program not up"
sni_item 10 || fail "the icon did not register with the watcher"

# The left menu, open: one window of ours, floating, about the size of its three items.
busctl --user call "$service" "$path" org.kde.StatusNotifierItem Activate ii 100 1070 || fail "no Activate"
wait_trace tray.menu left 5 || fail "activating the icon did not open the left menu"
menu_box() {
  swaymsg -t get_tree | python3 -c '
import json, sys
def walk(n, floating):
    if n.get("pid") == int(sys.argv[1]) and n.get("visible"):
        print(n["rect"]["width"], n["rect"]["height"], "floating" if floating else "tiled")
    for c in n.get("nodes", []):
        walk(c, False)
    for c in n.get("floating_nodes", []):
        walk(c, True)
walk(json.load(sys.stdin), False)' "$GREMLOK_PID"
}
box=
end=$(( $(now_ms) + 5000 ))
while [ -z "$box" ] && [ "$(now_ms)" -lt "$end" ]; do box=$(menu_box); sleep 0.1; done
read -r mw mh how <<<"$box"
[ "$how" = floating ] && [ "${mw:-9999}" -lt 600 ] && [ "${mh:-9999}" -lt 400 ] \
  || fail "the left menu is not a small floating window: ${box:-not on screen}"
wtype -s 150 -k Escape 

# fights N: N fights, each ended by Escape; then waits until the program has gone idle (the
# memory a fight held is handed back 5 s after it ends).
fights() {
  local i n idle
  idle=$(grep -c '^capture.buffer	' "$GREMLOK_TRACE")
  for i in $(seq "$1"); do
    n=$(count fight closed)
    wayland_fight_now
    wtype -s 150 -k Escape
    wait_until 10 more_than fight closed "$n" || fail "Escape did not end fight $i"
  done
  wait_until 20 eval '[ "$(grep -c "^capture.buffer	" "$GREMLOK_TRACE")" -gt "$idle" ]' \
    || fail "the program did not go idle after the fights"
}
# Resident kB of the window buffers the compositor shares with us.
shared_kib() {
  awk '/^[0-9a-f]+-/ { shm = ($0 ~ /memfd:wayland/) } shm && /^Rss:/ { s += $2 } END { print s + 0 }' \
    "/proc/$GREMLOK_PID/smaps"
}

fights 1
one=$(rss_kib "$GREMLOK_PID")
fights 4
five=$(rss_kib "$GREMLOK_PID")
note "resident after one fight $one kB, after five $five kB; window buffers $(shared_kib) kB"
drivers=$(grep -oE '[^/ ]*(libEGL_mesa|_dri\.so|libLLVM|libgallium)[^ ]*' "/proc/$GREMLOK_PID/maps" | sort -u | tr '\n' ' ')
[ -z "$drivers" ] || fail "a graphics driver is loaded: $drivers"
[ "$(shared_kib)" -lt 2048 ] || fail "window buffers of $(shared_kib) kB are kept while idle"
[ "$five" -lt $(( one + 6144 )) ] || fail "resident memory grew from $one kB after one fight to $five kB after five"
echo PASS
