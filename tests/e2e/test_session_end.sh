#!/usr/bin/env bash
# The session's end (SIGTERM) ends the program promptly and cleanly whatever is on screen: a
# fight, the first-run hint after the first death, the name prompt after a kill; it writes no
# modes. Losing the X display ends it with an exit status, never a crash.
. "$(dirname "$0")/fight_lib.sh"
ROUNDS=${ROUNDS:-10}

# Sends SIGTERM and wants the process gone within a second, with status 0.
term_and_expect_exit() {
  local what=$1 end
  kill -TERM "$GREMLOK_PID"
  end=$(( $(now_ms) + 1000 ))
  while kill -0 "$GREMLOK_PID" 2>/dev/null && [ "$(now_ms)" -lt "$end" ]; do sleep 0.02; done
  if kill -0 "$GREMLOK_PID" 2>/dev/null; then
    import -window root "$E2E_DIR/still_running_$what.png"
    fail "SIGTERM with $what up: still running after 1 s"
  fi
  wait "$GREMLOK_PID"
  local status=$?
  [ $status -eq 0 ] || fail "SIGTERM with $what up: exit status $status"
}

fresh() { : >"$GREMLOK_TRACE"; }

# The session's end writes no modes (only Exit does) and leaves the skin folder.
for i in $(seq "$ROUNDS"); do
  fresh
  start_fight_program AnimationSpeed=400 TimedFight=marker
  fight_now || fail "no fight (round $i)"
  term_and_expect_exit "a fight"
  [ "$(ini_value Settings TimedFight)" = marker ] || fail "the session's end wrote the modes"
  [ -d "$XDG_RUNTIME_DIR/simskin.tmp" ] || fail "the session's end deleted the skin folder"
done
note "fight: $ROUNDS of $ROUNDS"

for i in $(seq "$ROUNDS"); do
  fresh
  start_fight_program AnimationSpeed=30 FirstRun=true Blood=false
  fight_now || fail "no fight (round $i)"
  xdotool mousemove_relative 5 5
  wait_trace help.popup 14 5 || fail "no first-run hint after the first death"
  [ "$i" = 1 ] && import -window root "$E2E_DIR/first_run_hint.png"
  term_and_expect_exit "the first-run hint"
done
note "first-run hint: $ROUNDS of $ROUNDS"

for i in $(seq "$ROUNDS"); do
  fresh
  start_fight_program AnimationSpeed=400
  import -window root "$E2E_DIR/desktop.png"
  fight_now || fail "no fight (round $i)"
  shoot_enemy "$E2E_DIR/desktop.png"
  wait_trace enemy dead 10 || fail "the death animation did not end"
  xdotool click 3
  wait_window Congratulations 5 || fail "no name prompt"
  term_and_expect_exit "the name prompt"
done
note "name prompt: $ROUNDS of $ROUNDS"

# The X server goes away under a running copy.
for i in 1 2 3; do
  exec 4< <(Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp 2>>"$E2E_DIR/xvfb.log" & echo "pid $!")
  read -r _ xvfb <&4
  GREMLOK_PIDS+=("$xvfb")
  read -r -t 10 n <&4 || fail "no second X server"
  fresh
  DISPLAY=:$n start_gremlok
  wait_ini Scores Score5 5 || fail "the program did not come up on :$n"
  wait_trace tray.tooltip 'Gremlok' 5 || fail "no tooltip on :$n"
  kill "$xvfb"
  wait "$GREMLOK_PID"
  status=$?
  [ $status -lt 128 ] || fail "losing the display ended the program with status $status"
  note "display lost: exit status $status"
done
echo PASS
