# Helpers of the history scripts: whole fights of each outcome, one after another, and the
# Statistics window opened from the right tray menu.
. "$(dirname "${BASH_SOURCE[0]}")/fight_lib.sh"

# How many trace lines are exactly "key<TAB>value" (value a grep -E pattern).
trace_count() { grep -cE "^$1	$2\$" "$GREMLOK_TRACE" 2>/dev/null; }

# wait_more KEY PATTERN N [SECONDS]: until more than N such lines are traced.
wait_more() {
  local end=$(( $(now_ms) + ${4:-5} * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    [ "$(trace_count "$1" "$2")" -gt "$3" ] && return 0
    sleep 0.05
  done
  return 1
}

# A new fight on screen; EX EY EW EH its enemy.
next_fight() {
  local n
  n=$(trace_count fight ready)
  fight_now || fail "no fight from the left menu"
  wait_more fight ready "$n" 5 || fail "the fight did not come up"
  read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$GREMLOK_TRACE" | tail -1 | cut -f2)
}

# Waits until the fight window has closed and the fight is in the history.
fight_recorded() {
  wait_more fight closed "$1" 5 || fail "the fight window did not close"
  wait_more history "recorded .*" "$2" 5 || fail "the fight was not recorded"
}

play_escape() {
  local closed recorded
  closed=$(trace_count fight closed); recorded=$(trace_count history "recorded .*")
  next_fight
  xdotool key Escape
  fight_recorded "$closed" "$recorded"
}

play_lost() {
  local closed recorded dead
  closed=$(trace_count fight closed); recorded=$(trace_count history "recorded .*")
  dead=$(trace_count player dead)
  next_fight
  xdotool mousemove_relative 5 5
  wait_more player dead "$dead" 20 || fail "the player did not die"
  xdotool click 3
  fight_recorded "$closed" "$recorded"
}

# A kill entered in the best times as NAME; KILLTIME is its time.
play_kill() {
  local name=$1 closed recorded hits dead
  closed=$(trace_count fight closed); recorded=$(trace_count history "recorded .*")
  hits=$(trace_count shot "hit .*"); dead=$(trace_count enemy dead)
  import -window root "$E2E_DIR/desktop.png"
  next_fight
  sleep 0.5
  import -window root "$E2E_DIR/frozen.png"
  read -r HX HY < <(convert "$E2E_DIR/desktop.png" "$E2E_DIR/frozen.png" -compose difference -composite \
      -crop "${EW}x${EH}+$EX+$EY" +repage -threshold 1% txt:- \
    | awk -v w="$EW" -v h="$EH" -F'[,: ]+' '/#FFFFFF|white/ {
        d = ($1 - w / 2) ^ 2 + ($2 - h / 2) ^ 2; if (best == "" || d < best) { best = d; x = $1; y = $2 } }
        END { if (best != "") print x, y }')
  [ -n "${HX:-}" ] || fail "no visible enemy pixel"
  xdotool mousemove $((EX + HX)) $((EY + HY))
  sleep 0.2
  xdotool click 1
  wait_more shot "hit .*" "$hits" 3 || fail "the shot at the enemy missed"
  wait_more enemy dead "$dead" 10 || fail "the death animation did not end"
  xdotool click 3
  wait_trace killtime '[0-9.]+' 3 || fail "no kill time"
  KILLTIME=$(grep '^killtime' "$GREMLOK_TRACE" | tail -1 | cut -f2)
  for _ in $(seq 50); do xdotool search --onlyvisible --name '^Congratulations$' >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 0.3
  xdotool key ctrl+a; xdotool type --delay 30 "$name"; xdotool key Return
  wait_trace besttime "$name	$KILLTIME" 5 || fail "the best time was not taken"
  sleep 0.3
  xdotool key Return
  fight_recorded "$closed" "$recorded"
}

# "&Statistics..." from the right menu; waits for the window.
open_statistics() {
  local n m X Y
  m=$(trace_count statistics_label "lblBestAll	.*")
  for _ in 1 2 3; do
    n=$(trace_count tray.menu right)
    read -r X Y < <(tray_icon_centre 2) || fail "no tray icon"
    xdotool mousemove "$X" "$Y" click 3
    if wait_more tray.menu right "$n" 3; then
      sleep 0.3
      xdotool key s
      wait_more statistics_label "lblBestAll	.*" "$m" 5 && break
    fi
    sleep 0.5
  done
  for _ in $(seq 50); do
    STATS_WID=$(xdotool search --onlyvisible --name '^Gremlok Statistics$' 2>/dev/null | head -1)
    [ -n "$STATS_WID" ] && return 0
    sleep 0.1
  done
  fail "the Statistics window did not open"
}

# The latest text of a label of the Statistics window.
stat_label() { grep "^statistics_label	$1	" "$GREMLOK_TRACE" | tail -1 | cut -f3; }
