#!/usr/bin/env bash
# Six misses leave six bullet holes in the frozen desktop and the pointer kicks after each;
# the seventh click only clicks; Escape ends the fight under the window manager.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}

mkdir -p "$(dirname "$INI")"
cat >"$INI" <<'INI'
[Settings]
QuickHelp=false
FirstRun=false
Scramble=false
Difficulty=1
AnimationSpeed=1500
INI

# "&Fight Now!" from the tray's left menu, by its accelerator. A click the tray loses under
# load is clicked again, as a person would.
fight_now() {
  local attempt n
  for attempt in 1 2 3; do
    n=$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE" 2>/dev/null)
    # The panel may have laid its items out again since: look the icon up afresh.
    read -r X Y < <(tray_icon_centre 2) || return 1
    xdotool mousemove "$X" "$Y" click 1
    for _ in $(seq 60); do
      [ "$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE" 2>/dev/null)" -gt "$n" ] && break
      sleep 0.05
    done
    if [ "$(grep -c '^tray.menu	left$' "$GREMLOK_TRACE" 2>/dev/null)" -gt "$n" ]; then
      [ "$attempt" -gt 1 ] && note "the left menu opened on click $attempt"
      sleep 0.3
      xdotool key f
      wait_trace fight ready 5 && return 0
    fi
    sleep 0.6
  done
  return 1
}
pixel() { convert "$1" -crop "1x1+$2+$3" +repage -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:; }

xsetroot -solid '#3a6ea5'
start_gremlok
read -r X Y < <(tray_icon_centre 5) || fail "icon not in the tray"
wait_trace tray.tooltip 'Gremlok' 3 || fail "program not up"
fight_now || fail "no fight from the left menu"
read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$GREMLOK_TRACE" | tail -1 | cut -f2)
sleep 0.3

# Six shots along a row of plain desktop away from the enemy.
ROW=150
[ "$EY" -lt 300 ] && ROW=800
for i in 1 2 3 4 5 6; do
  x=$((200 + 150 * i))
  xdotool mousemove "$x" "$ROW" click 1
  wait_trace shot "miss $x $ROW" 3 || { grep '^shot' "$GREMLOK_TRACE" >&2; fail "shot $i was not a miss at $x,$ROW"; }
  # The pointer was kicked up and sideways.
  eval "$(xdotool getmouselocation --shell)"
  dx=$((X - x)); dx=${dx#-}
  [ "$Y" -lt "$ROW" ] && [ $((ROW - Y)) -le 20 ] && [ "$dx" -ge 1 ] && [ "$dx" -le 10 ] \
    || fail "pointer not kicked after shot $i: at $X,$Y"
done
sleep 0.2
import -window root "$SHOTS/fight_holes.png"
for i in 1 2 3 4 5 6; do
  x=$((200 + 150 * i))
  # The settled hole: black at its heart, no splat grey left around it.
  read -r r g b < <(pixel "$SHOTS/fight_holes.png" $((x + 1)) $((ROW - 1)))
  [ "$r$g$b" = 000 ] || fail "no hole at shot $i ($r $g $b)"
  read -r r g b < <(pixel "$SHOTS/fight_holes.png" $((x - 3)) $((ROW - 2)))
  [ "$r" != 239 ] || fail "the splat of shot $i did not settle"
done

# A window that opens during the fight does not get to cover it.
xmessage -geometry +300+$((ROW - 40)) -title Intruder "A window that wants the focus" &
GREMLOK_PIDS+=("$!")
sleep 1
import -window root "$E2E_DIR/intruder.png"
read -r r g b < <(pixel "$E2E_DIR/intruder.png" $((350 + 1)) $((ROW - 1)))
[ "$r$g$b" = 000 ] || fail "a new window covered the fight ($r $g $b where a hole is)"

# The seventh click: the empty gun's click and nothing else.
xdotool mousemove 1000 $((ROW + 100)) click 1
wait_trace shot empty 3 || fail "the seventh click was not an empty click"
sleep 0.2
import -window root "$E2E_DIR/seventh.png"
read -r r g b < <(pixel "$E2E_DIR/seventh.png" 1001 $((ROW + 99)))
[ "$r $g $b" = "58 110 165" ] || fail "the seventh click left a mark ($r $g $b)"
[ "$(grep -c '^shot	miss' "$GREMLOK_TRACE")" = 6 ] || fail "more than six rounds were fired"

xdotool key Escape
wait_trace fight closed 3 || fail "Escape did not end the fight"
grep -q '^killtime' "$GREMLOK_TRACE" && fail "a fight without a kill produced a kill time"
echo PASS
