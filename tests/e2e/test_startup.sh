#!/usr/bin/env bash
# A first start on an empty configuration: the icon reaches the tray quickly with its
# tooltip, the settings file holds the first-run values and the default best times, and a
# second copy ends at once without disturbing the first. A copy killed outright leaves
# nothing that stops the next start.
. "$(dirname "$0")/lib.sh"

# With no display at all the program says so and ends, instead of crashing.
msg=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$GREMLOK" 2>&1)
status=$?
[ $status -eq 1 ] || fail "without a display the exit status was $status"
echo "$msg" | grep -q "no X display" || fail "without a display it said: $msg"
[ -f "$INI" ] && fail "without a display it still wrote settings"

t0=$(now_ms)
start_gremlok
first=$GREMLOK_PID
tray_icon_geometry 10 >/dev/null || fail "icon not embedded in the tray"
t1=$(now_ms)
note "start-up to tray icon: $((t1 - t0)) ms"
wait_trace tray.tooltip 'Gremlok' 1 || fail "tooltip is not \"Gremlok\""

# Start-up writes the best-times table last, after the icon is up.
wait_ini Scores Score5 5 || fail "no best-times table"
[ "$(ini_value Settings FirstRun)" = false ] || fail "FirstRun not written false"
login=$(id -un)
expected=$login
[ ${#login} -gt 17 ] && expected=""
[ "$(ini_value Settings Nickname)" = "$expected" ] || fail "Nickname is '$(ini_value Settings Nickname)', wanted '$expected'"
for i in 1 2 3 4 5; do
  [ "$(ini_value Scores Name$i)" = Anonymous ] || fail "Name$i is not Anonymous"
  [ "$(ini_value Scores Score$i)" = 999999 ] || fail "Score$i is not 999999"
done

# A second copy: exits 0, silently, and the first goes on.
t0=$(now_ms)
timeout 5 "$GREMLOK" >"$E2E_DIR/second.out" 2>&1
status=$?
t1=$(now_ms)
[ $status -eq 0 ] || fail "second copy exited with $status"
note "second copy ended in $((t1 - t0)) ms"
kill -0 "$first" 2>/dev/null || fail "the first copy died"
[ "$(grep -c '^tray.visible	1' "$GREMLOK_TRACE")" -eq 1 ] || fail "the second copy put up an icon"

# Killed outright: the lock and socket it leaves must not stop the next start.
kill -9 "$first"
wait "$first" 2>/dev/null
start_gremlok
tray_icon_geometry 3 >/dev/null || fail "no icon after a killed copy"
kill -0 "$GREMLOK_PID" 2>/dev/null || fail "the new copy ended after a killed one"
[ "$(ini_value Settings FirstRun)" = false ] || fail "settings lost"
echo "PASS"
