# Helpers of the history scripts: whole fights of each outcome, one after another, and the
# Statistics window opened from the right tray menu.
. "$(dirname "${BASH_SOURCE[0]}")/fight_lib.sh"

# How a fight's end shows in the trace: "recorded", or "lost" for a program without its history.
HISTORY_TRACE=${HISTORY_TRACE:-recorded}

# wait_more KEY PATTERN N [SECONDS]: until more than N such lines are traced.
wait_more() { wait_until "${4:-5}" more_than "$1" "$2" "$3"; }

# A new fight on screen; EX EY EW EH its enemy.
next_fight() {
  local n
  n=$(count fight ready)
  fight_now || fail "no fight from the left menu"
  wait_more fight ready "$n" 5 || fail "the fight did not come up"
  read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$GREMLOK_TRACE" | tail -1 | cut -f2)
}

# Waits until the fight window has closed and the fight is in the history.
fight_recorded() {
  wait_more fight closed "$1" 5 || fail "the fight window did not close"
  wait_more history "$HISTORY_TRACE .*" "$2" 5 || fail "the fight's end was not traced as $HISTORY_TRACE"
}

play_escape() {
  local closed recorded
  closed=$(count fight closed); recorded=$(count history "$HISTORY_TRACE .*")
  next_fight
  xdotool key Escape
  fight_recorded "$closed" "$recorded"
}

play_lost() {
  local closed recorded dead
  closed=$(count fight closed); recorded=$(count history "$HISTORY_TRACE .*")
  dead=$(count player dead)
  next_fight
  xdotool mousemove_relative 5 5
  wait_more player dead "$dead" 20 || fail "the player did not die"
  xdotool click 3
  fight_recorded "$closed" "$recorded"
}

# A kill entered in the best times as NAME; KILLTIME is its time.
play_kill() {
  local name=$1 closed recorded dead
  closed=$(count fight closed); recorded=$(count history "$HISTORY_TRACE .*"); dead=$(count enemy dead)
  import -window root "$E2E_DIR/desktop.png"
  next_fight
  shoot_enemy "$E2E_DIR/desktop.png"
  wait_more enemy dead "$dead" 10 || fail "the death animation did not end"
  xdotool click 3
  wait_trace killtime '[0-9.]+' 3 || fail "no kill time"
  KILLTIME=$(grep '^killtime' "$GREMLOK_TRACE" | tail -1 | cut -f2)
  wait_focus Congratulations || fail "no name prompt"
  xdotool key ctrl+a; xdotool type --delay 30 "$name"; xdotool key Return
  wait_trace besttime "$name	$KILLTIME" 5 || fail "the best time was not taken"
  wait_focus "Gremlok Best Times" || fail "no Best Times"
  xdotool key Return
  fight_recorded "$closed" "$recorded"
}

# "&Statistics..." from the right menu; waits for the window.
open_statistics() {
  local m X Y
  m=$(count statistics_label "lblBestAll	.*")
  for _ in 1 2 3; do
    read -r X Y < <(tray_icon_centre 2) || fail "no tray icon"
    if open_menu_at "$X" "$Y" 3 right; then
      xdotool key s
      wait_more statistics_label "lblBestAll	.*" "$m" 5 && break
    fi
    xdotool key Escape
    wait_until 2 windows_back_to 1
  done
  wait_focus "Gremlok Statistics" || fail "the Statistics window did not open"
}

# The latest text of a label of the Statistics window.
stat_label() { grep "^statistics_label	$1	" "$GREMLOK_TRACE" | tail -1 | cut -f3; }
