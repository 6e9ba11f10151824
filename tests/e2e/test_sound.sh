#!/usr/bin/env bash
# Sound of the real program, recorded from the rig's null sink: a fight started from the tray
# menu sounds the enemy's arrival and the player's shot through the preloaded players. Without
# a sound server the program still reaches the tray at once, stays silent, fights, and ends
# promptly when asked.
. "$(dirname "$0")/fight_lib.sh"

command -v parec >/dev/null && command -v sox >/dev/null || { echo "SKIP: parec or sox missing"; exit 0; }
[ -n "${PULSE_SERVER:-}" ] || { echo "SKIP: no sound server in this rig"; exit 0; }
RIG_PULSE=$PULSE_SERVER

mkdir -p "$(dirname "$INI")"
cat >"$INI" <<'INI'
[Settings]
QuickHelp=false
FirstRun=false
Scramble=false
Difficulty=1
AnimationSpeed=1500
INI

# One recording of the sink's monitor for the whole test; a segment is what was written
# between two marks (its byte offsets, on whole samples).
REC="$E2E_DIR/sink.raw"
REC_PID=
record_start() {
  parec -d gremlok_null.monitor --raw --format=s16le --rate=44100 --channels=1 --latency-msec=10 >"$REC" &
  REC_PID=$!
  for _ in $(seq 100); do [ "$(stat -c %s "$REC")" -gt 8192 ] && return 0; sleep 0.05; done
  fail "the sink's monitor cannot be recorded"
}
mark() { sleep "${1:-0}"; local n; n=$(stat -c %s "$REC"); echo $((n - n % 2)); }
# Peak level (0..1) of the recording between two marks.
peak() {
  tail -c +$(($1 + 1)) "$REC" | head -c $(($2 - $1)) |
    sox -t raw -r 44100 -e signed -b 16 -c 1 - -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }'
}
loud() { awk -v p="$(peak "$1" "$2")" 'BEGIN { exit !(p > 0.05) }'; }
stop_program() {
  local pid=$1 end=$(( $(now_ms) + ${2:-5000} ))
  kill -TERM "$pid" 2>/dev/null
  while kill -0 "$pid" 2>/dev/null; do
    [ "$(now_ms)" -lt "$end" ] || return 1
    sleep 0.05
  done
  wait "$pid" 2>/dev/null
  return 0
}
cleanup_sound() { [ -n "$REC_PID" ] && kill "$REC_PID" 2>/dev/null; e2e_cleanup; }
trap cleanup_sound EXIT

fight_from_menu() { fight_now || fail "no fight ($1)"; }
# Waits until the recording since mark $1 is loud (up to $2 seconds).
wait_loud() { local from=$1; wait_until "$2" eval 'loud "$from" "$(mark)"'; }
# A miss on plain desktop away from the enemy, heard (when $2 is "heard"), then Escape.
shoot_and_leave() {
  local row=150 from
  [ "$EY" -lt 300 ] && row=800
  from=$(mark)
  xdotool mousemove 400 "$row" click 1
  wait_trace shot "miss 400 $row" 3 || fail "the shot was not fired ($1)"
  if [ "${2:-}" = heard ]; then
    wait_loud "$from" 3 || fail "the shot was not heard (peak $(peak "$from" "$(mark)"))"
    note "peak of the shot: $(peak "$from" "$(mark)")"
  fi
  xdotool key Escape
  wait_trace fight closed 3 || fail "Escape did not end the fight ($1)"
}

# 1. With the rig's server: the base skin's sounds are preloaded and heard.
record_start
m0=$(mark)
start_gremlok
read -r X Y < <(tray_icon_centre 5) || fail "icon not in the tray"
wait_trace sound.path preloaded 5 || fail "the fight sounds were not preloaded: $(grep '^sound' "$GREMLOK_TRACE")"
m1=$(mark 0.5)
loud "$m0" "$m1" && fail "sound before any fight (peak $(peak "$m0" "$m1"))"

fight_from_menu "with sound"
wait_loud "$m1" 3 || fail "the enemy's arrival was not heard (peak $(peak "$m1" "$(mark)"))"
shoot_and_leave "with sound" heard
# The session's end (SIGTERM) stops the audio thread with the event loop, not seconds later.
stop_program "$GREMLOK_PID" 1500 || fail "the program did not end promptly on SIGTERM"

# 2. No sound server: its socket leads nowhere.
export PULSE_SERVER="unix:$E2E_DIR/no-such-socket"
: >"$GREMLOK_TRACE"
t0=$(now_ms)
start_gremlok
read -r X Y < <(tray_icon_centre 5) || fail "icon not in the tray without a server"
note "no server: start-up to tray icon $(( $(now_ms) - t0 )) ms"
wait_trace sound.disabled 1 3 || fail "sound not reported disabled without a server"
m0=$(mark)
fight_from_menu "no server"
shoot_and_leave "no server"
m1=$(mark 0.5)
loud "$m0" "$m1" && fail "sound reached the sink without a server"
kill -0 "$GREMLOK_PID" 2>/dev/null || fail "the program died without a server"
stop_program "$GREMLOK_PID" 1500 || fail "the program hung on SIGTERM without a server"
echo PASS
