#!/usr/bin/env bash
# The enemy wins: nobody shoots, the attack runs to its last frame, the screen flashes red
# (only the red of every pixel stays), shots after that are ignored, no kill time is taken,
# and the idle timer closes the fight by itself.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}

mkdir -p "$(dirname "$INI")"
cat >"$INI" <<'INI'
[Settings]
QuickHelp=false
FirstRun=false
Scramble=false
Blood=true
AutoUnload=true
AutoUnloadTime=2
Difficulty=1
AnimationSpeed=60
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

# A point of plain desktop well away from the enemy and the pointer.
PX=40; PY=40
[ "$EX" -lt 200 ] && [ "$EY" -lt 200 ] && PX=1800
import -window root "$E2E_DIR/before.png"
read -r r g b < <(pixel "$E2E_DIR/before.png" $PX $PY)
note "desktop at $PX,$PY: $r $g $b"
[ "$g" -gt 0 ] || fail "test desktop has no green to lose"

xdotool mousemove_relative 5 5
wait_trace clock started 3 || fail "moving did not start the attack"
wait_trace enemy fires 5 || fail "the enemy never fired"
wait_trace player dead 5 || fail "the player did not die"
sleep 0.2
import -window root "$SHOTS/fight_lost.png"
read -r r2 g2 b2 < <(pixel "$SHOTS/fight_lost.png" $PX $PY)
note "after the flash: $r2 $g2 $b2"
[ "$r2" = "$r" ] && [ "$g2" = 0 ] && [ "$b2" = 0 ] || fail "no red flash: $r2 $g2 $b2 (was $r $g $b)"

# Disarmed: a click on the enemy does nothing.
xdotool mousemove $((EX + EW / 2)) $((EY + EH / 2)) click 1
sleep 0.3
grep -q '^shot' "$GREMLOK_TRACE" && fail "a shot was taken after the player died"

# The idle timer ends the fight; no kill time for a lost fight.
wait_trace fight closed 5 || fail "the fight did not close by itself"
grep -q '^killtime' "$GREMLOK_TRACE" && fail "a lost fight produced a kill time"
kill -0 "$GREMLOK_PID" || fail "the program ended"
echo PASS
