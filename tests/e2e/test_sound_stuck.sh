#!/usr/bin/env bash
# A sound server that accepts the connection and then never answers: the icon still comes up
# at once, start-up finishes within its bounded wait, and the program ends promptly when asked
# (so a new start is not mistaken for a second copy).
. "$(dirname "$0")/lib.sh"
python3 "$(dirname "$0")/silent_server.py" "$E2E_DIR/silent.sock" 60 &
GREMLOK_PIDS+=("$!")
sleep 0.3
export PULSE_SERVER=unix:$E2E_DIR/silent.sock

t0=$(now_ms)
start_gremlok
tray_icon_geometry 2 >/dev/null || fail "no icon within 2 s"
wait_ini Scores Score5 5 || fail "start-up did not finish within 5 s"
note "start-up with a hung sound server: $(( $(now_ms) - t0 )) ms"
t0=$(now_ms)
kill -TERM "$GREMLOK_PID"
wait "$GREMLOK_PID"
t=$(( $(now_ms) - t0 ))
note "ended $t ms after being asked"
[ $t -le 5000 ] || fail "ending took $t ms"
start_gremlok
tray_icon_geometry 3 >/dev/null || fail "a new start after that found no tray icon"
echo PASS
