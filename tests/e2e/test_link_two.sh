#!/usr/bin/env bash
# Two copies of the real program on loopback, each on an X display of its own: A is available,
# B connects through "&Connect To..."; both are told who they are connected to; an instant
# message from A pops up at B; "&Away" on A holds B's multiplayer timer and changes B's icon;
# B's timer starts a fight on both; A kills first and B's enemy strikes at once; B re-arms;
# "&Disconnect" gives both sides back their modes and difficulty.
. "$(dirname "$0")/fight_lib.sh"
DA=$DISPLAY
TA=$GREMLOK_TRACE
B=$E2E_DIR/b
TB=$B/trace.log
mkdir -p "$B/config/Gremlok" "$B/runtime" "$B/fluxbox"
chmod 700 "$B/runtime"

# Display B: a second virtual screen with its own panel and tray.
n=$(( ${DA#:} + 1 ))
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
DB=:$n
# Its server and window manager go after the programs that use them.
DISPLAY_B_PIDS=()
trap 'e2e_cleanup; for p in "${DISPLAY_B_PIDS[@]}"; do kill "$p" 2>/dev/null; done' EXIT
Xvfb "$DB" -screen 0 1920x1080x24 -nolisten tcp -noreset >"$B/xvfb.log" 2>&1 &
DISPLAY_B_PIDS+=("$!")
DISPLAY=$DB wait_until 10 xdpyinfo >/dev/null 2>&1
DISPLAY_B_PIDS+=("$(DISPLAY=$DB "$(dirname "$0")/../rig/fluxbox.sh" "$B/fluxbox")")
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; }
DISPLAY=$DB wait_until 10 wm_up

PORT=$(free_port)
common="QuickHelp=false
FirstRun=false
Scramble=false
Blood=false
AnimationSpeed=600
Port=$PORT
MultiplayerFightStart=12
MultiplayerFightLength=0"
mkdir -p "$(dirname "$INI")"
printf '[Settings]\n%s\nNickname=Alpha\nDifficulty=4\nAutoAccept=true\nListen=true\n' "$common" >"$INI"
printf '[Settings]\n%s\nNickname=Bravo\nDifficulty=1\nTimedFight=true\nTimedFightStart=600\n' "$common" \
  >"$B/config/Gremlok/Gremlok.ini"

# on_b CMD...: run a helper against copy B (its display and trace).
on_b() { DISPLAY=$DB GREMLOK_TRACE=$TB "$@"; }
has() { grep -qF -- "$2" "$1" 2>/dev/null; }
wait_has() { wait_until "${3:-10}" has "$1" "$2"; }   # wait_has FILE TEXT [SECONDS]
# menu_key left|right KEY: open a tray menu with the mouse and choose an item by its key.
menu_key() {
  local button=1 w X Y
  [ "$1" = right ] && button=3
  for _ in 1 2 3; do
    w=$(our_windows)
    read -r X Y < <(tray_icon_centre 3) || return 1
    open_menu_at "$X" "$Y" "$button" "$1" && { xdotool key "$2"; return 0; }
    xdotool key Escape
    wait_until 2 windows_back_to "$w"
  done
  return 1
}

xsetroot -solid '#3a6ea5'; on_b xsetroot -solid '#6e3aa5'
start_gremlok
wait_trace tray.icon 3 10 || fail "A is not available"
DISPLAY=$DB XDG_CONFIG_HOME=$B/config XDG_RUNTIME_DIR=$B/runtime GREMLOK_TRACE=$TB \
  "$GREMLOK" >>"$B/gremlok.out" 2>&1 &
GREMLOK_PIDS+=("$!"); PB=$!
wait_has "$TB" "tray.icon	2" 10 || fail "B did not start with timed fights on"
on_b tray_icon_centre 5 >/dev/null || fail "B's icon not in its tray"

# B: "&Connect To...", the host typed into the prompt.
on_b menu_key right c || fail "B's right menu"
wait_has "$TB" "prompt	connect" 5 || fail "no connect prompt on B"
on_b wait_focus Gremlok || fail "the prompt on B did not get the keyboard"
on_b xdotool type --delay 20 127.0.0.1
on_b xdotool key Return
wait_has "$TB" "notify	Gremlok|Connected to Alpha [127.0.0.1]\\nInterval: 0 to 1 minutes\\nDifficulty: intermediate" 10 \
  || { grep notify "$TB" >&2; fail "B was not told it is connected to Alpha"; }
wait_has "$TA" "notify	Gremlok|Connected to Bravo [127.0.0.1]" 5 || fail "A was not told it is connected to Bravo"
wait_has "$TB" "fighttimer	armed" 3 || fail "B's multiplayer timer not armed"
has "$TA" "fighttimer	armed" && fail "A, the listener, armed a timer"
note "connected both ways; B's timer armed"

# A: an instant message, typed in the send dialog.
menu_key right m || fail "A's right menu"
wait_focus "Gremlok - Send an Instant Message" || fail "no send dialog on A"
xdotool type --delay 20 'Ready when you are'
xdotool key Return
wait_has "$TB" "notify	Message from Alpha:|Ready when you are" 5 || fail "B did not show A's message"

# A goes away: B's timer stops, B's icon and tooltip say so; A comes back: the timer runs again.
stops=$(grep -c "^fighttimer	stopped" "$TB")
menu_key left a || fail "A's left menu"
wait_has "$TB" "tray.tooltip	Gremlok (opponent is away)" 5 || fail "B's tooltip does not say the opponent is away"
grep -q "^tray.icon	5" "$TB" || fail "B's icon is not 'opponent away'"
[ "$(grep -c "^fighttimer	stopped" "$TB")" -gt "$stops" ] || fail "B's timer did not stop"
wait_has "$TB" "notify	Gremlok|Alpha is away." 3 || fail "B was not told A is away"
import -window root "$E2E_DIR/a_before.png"
arms=$(grep -c "^fighttimer	armed" "$TB")
menu_key left a || fail "A's left menu (back)"
wait_has "$TB" "notify	Gremlok|Alpha has returned." 5 || fail "B was not told A is back"
[ "$(grep -c "^fighttimer	armed" "$TB")" -gt "$arms" ] || fail "B's timer not armed again"
note "away and back"

# B's timer starts the fight on both.
wait_trace fight ready 20 || fail "no fight on A"
wait_has "$TB" "fight	ready" 5 || fail "no fight on B"
grep -q "^link.send	StartNow" "$TB" || fail "B did not ask for the fight"
read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$TA" | tail -1 | cut -f2)
# Candidates: pixels the enemy changed, nearest the frame's middle first, once the first frame
# has reached the screen.
candidates() {
  import -window root "$E2E_DIR/a_frozen.png"
  convert "$E2E_DIR/a_before.png" "$E2E_DIR/a_frozen.png" -compose difference -composite \
      -crop "${EW}x${EH}+$EX+$EY" +repage -threshold 1% txt:- \
    | awk -v w="$EW" -v h="$EH" -F'[,: ]+' '/#FFFFFF|white/ { print ($1 - w / 2) ^ 2 + ($2 - h / 2) ^ 2, $1, $2 }' \
    | sort -n | awk 'NR % 7 == 1' | head -5 >"$E2E_DIR/candidates"
  [ -s "$E2E_DIR/candidates" ]
}
wait_until 3 candidates || fail "no enemy pixel on A's frozen desktop"
# (A linked fight has no first-move wait: the enemy only strikes when the peer wins.)
while read -r _ HX HY; do
  xdotool mousemove $((EX + HX)) $((EY + HY)) click 1
  wait_trace shot "hit [0-9]+ [0-9]+" 1 && break
done <"$E2E_DIR/candidates"
grep -q "^shot	hit" "$TA" || fail "A could not hit its enemy"
wait_has "$TA" "link.send	IWon" 2 || fail "A did not report its kill"
wait_has "$TB" "link	lost" 5 || fail "B did not lose at once"
wait_has "$TB" "enemy	fires" 5 || fail "B's enemy did not strike"
wait_has "$TB" "player	dead" 5 || fail "B's player did not die"
note "A won; B's enemy struck at once"
import -window root "$E2E_DIR/a_won.png"

# Both fights end; the initiator arms its timer again, the listener arms none.
arms=$(grep -c "^fighttimer	armed" "$TB")
wait_trace enemy dead 10 || fail "A's enemy did not finish dying"
xdotool click 3
on_b xdotool key Escape
wait_trace fight closed 5 || fail "A's fight did not close"
wait_has "$TB" "fight	closed" 5 || fail "B's fight did not close"
wait_until 4 eval '[ "$(grep -c "^fighttimer	armed" "$TB")" -gt "$arms" ]' || fail "B did not re-arm after the fight"
has "$TA" "fighttimer	armed" && fail "A armed a timer"
grep -q '^killtime' "$TA" && fail "a linked fight went into the best times"
# The peer may start the next fight with no warning: the capture buffer, given back 5 s after a
# fight otherwise, stays while the link is up.
wait_until 7 has "$TA" "capture.buffer" && fail "A gave its capture buffer back while linked"

# A disconnects: A listens again on Random, B has timed fights back on Beginner.
menu_key left d || fail "A's left menu (disconnect)"
wait_has "$TA" "link	torn down, difficulty 4" 5 || fail "A's tear-down did not restore Random"
wait_has "$TB" "notify	Gremlok|Disconnected from Alpha." 5 || fail "B was not told of the end"
wait_has "$TB" "link	torn down, difficulty 1" 5 || fail "B's difficulty not restored"
[ "$(grep '^tray.icon' "$TA" | tail -1 | cut -f2)" = 3 ] || fail "A is not available again"
wait_until 2 eval '[ "$(grep "^tray.icon" "$TB" | tail -1 | cut -f2)" = 2 ]' || fail "B's timed fights are not back on"
wait_has "$TA" "capture.buffer	released" 10 || fail "A kept its capture buffer after the link ended"
kill -0 "$GREMLOK_PID" && kill -0 "$PB" || fail "a copy ended"
echo PASS
