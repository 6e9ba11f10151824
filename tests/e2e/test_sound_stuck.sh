#!/usr/bin/env bash
# A sound server that accepts the connection and then never answers: the icon still comes up
# at once, start-up finishes within its bounded wait, and the program ends promptly when asked
# (so a new start is not mistaken for a second copy).
. "$(dirname "$0")/lib.sh"
python3 "$(dirname "$0")/silent_server.py" "$E2E_DIR/silent.sock" 60 &
GREMLOK_PIDS+=("$!")
wait_until 5 test -S "$E2E_DIR/silent.sock" || fail "the silent server did not start"
export PULSE_SERVER=unix:$E2E_DIR/silent.sock

t0=$(now_ms)
start_gremlok
tray_icon_geometry 10 >/dev/null || fail "no icon"
wait_ini Scores Score5 10 || fail "start-up did not finish"
note "start-up with a hung sound server: $(( $(now_ms) - t0 )) ms"
t0=$(now_ms)
kill -TERM "$GREMLOK_PID"
# A hang, not a slow machine: the server never answers, so waiting on it would be for ever.
wait_until 10 gone "$GREMLOK_PID" || fail "the program hung on SIGTERM"
note "ended $(( $(now_ms) - t0 )) ms after being asked"
start_gremlok
tray_icon_geometry 3 >/dev/null || fail "a new start after that found no tray icon"
echo PASS
