#!/usr/bin/env bash
# After a timed fight the window the player was working in gets the keyboard back, even on a
# bare X server where no window manager hands the focus on when the fight window goes.
. "$(dirname "$0")/lib.sh"

exec 4< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>"$E2E_DIR/xvfb.log" & echo "pid $!")
read -r _ xvfb <&4
GREMLOK_PIDS+=("$xvfb")
read -r -t 10 n <&4 || fail "no X server"
export DISPLAY=:$n
# No tray on this bare server: the notice about that must not take the keyboard meanwhile.
export GREMLOK_NOTRAY_WAIT_MS=600000

xmessage -geometry +200+150 -title Notes "Quarterly figures: check the totals before Friday." &
GREMLOK_PIDS+=("$!")
for _ in $(seq 100); do wid=$(xdotool search --onlyvisible --name '^Notes$' 2>/dev/null | head -1); [ -n "$wid" ] && break; sleep 0.05; done
[ -n "${wid:-}" ] || fail "the notes window did not appear"
xdotool windowfocus --sync "$wid"

mkdir -p "$(dirname "$INI")"
printf '[Settings]\nQuickHelp=false\nFirstRun=false\nScramble=false\nTimedFight=true\nTimedFightStart=3\nTimedFightLength=0\n' >"$INI"
start_gremlok
wait_trace fight ready 10 || fail "no timed fight"
wait_trace clock started 0 && fail "the clock ran before any movement"
focused=$(xdotool getwindowfocus)
[ "$focused" != "$wid" ] || fail "the fight did not take the keyboard"
xdotool mousemove 600 400 click 3
wait_trace fight closed 5 || fail "the right button did not end the fight"
end=$(( $(now_ms) + 2000 ))
while [ "$(now_ms)" -lt "$end" ]; do
  [ "$(xdotool getwindowfocus)" = "$wid" ] && { echo PASS; exit 0; }
  sleep 0.05
done
import -window root "$E2E_DIR/focus_after_fight.png"
fail "the keyboard went to $(xdotool getwindowfocus), not back to the notes window $wid"
