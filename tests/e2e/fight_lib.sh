# Helpers of the fight scripts: a desktop to freeze, settings written before the start, the
# program up with its tray icon, "&Fight Now!" chosen from the left menu, pixels of a screenshot.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}
FROZEN=$E2E_DIR/frozen.png

# start_fight_program SETTING=VALUE...: quiet start-up (no tip, no first-run hint) plus these.
start_fight_program() {
  mkdir -p "$(dirname "$INI")"
  { echo '[Settings]'; echo QuickHelp=false; echo FirstRun=false; echo Scramble=false
    echo Difficulty=1; printf '%s\n' "$@"; } >"$INI"
  xsetroot -solid '#3a6ea5'
  start_gremlok
  tray_icon_centre 5 >/dev/null || fail "icon not in the tray"
  wait_trace tray.tooltip 'Gremlok' 3 || fail "program not up"
}

# "&Fight Now!" by its accelerator; sets EX EY EW EH to the enemy's place and size (device
# pixels of the fight's screen) and SX SY SW SH SCALE to that screen's place, size and scale.
# With FIGHT_POINTER="x y" the pointer goes there before the choice (the fight covers the screen
# under it). A click the tray loses under load is clicked again, as a person would; the panel may
# have laid its items out again, so the icon is looked up afresh each time.
fight_now() {
  local attempt X Y
  for attempt in 1 2 3; do
    read -r X Y < <(tray_icon_centre 2) || return 1
    if open_menu_at "$X" "$Y" 1 left; then
      [ -n "${FIGHT_POINTER:-}" ] && xdotool mousemove $FIGHT_POINTER
      xdotool key f
      if wait_trace fight ready 5; then
        read -r EX EY EW EH < <(grep '^enemy	[0-9]' "$GREMLOK_TRACE" | tail -1 | cut -f2)
        read -r SX SY SW SH SCALE < <(grep '^screen	' "$GREMLOK_TRACE" | tail -1 | cut -f2)
        note "enemy at $EX,$EY size ${EW}x$EH (menu opened on click $attempt)"
        wait_until 5 fight_window_up || return 1
        return 0
      fi
    fi
    # Whatever the lost click left open goes before the next try.
    xdotool key Escape
    wait_until 2 windows_back_to 1
  done
  return 1
}

# The full-screen fight window covers the fight's screen (mapped, so clicks and keys reach it).
fight_window_up() {
  local w g
  for w in $(xdotool search --onlyvisible --class gremlok 2>/dev/null); do
    g=$(xdotool getwindowgeometry "$w" 2>/dev/null)
    grep -q "Position: $SX,$SY " <<<"$g" && grep -q "Geometry: ${SW}x$SH" <<<"$g" && return 0
  done
  return 1
}

# pixel FILE X Y: "r g b" of one pixel.
# screen_settled FILE [IMPORT_OPTION...]: grabs the screen into FILE until two grabs in a row
# agree (whatever was just drawn has been painted).
screen_settled() {
  local file=$1 prev="" sum
  shift
  for _ in $(seq 40); do
    import -window root "$@" "$file"
    sum=$(md5sum <"$file")
    [ "$sum" = "$prev" ] && return 0
    prev=$sum
    sleep 0.1
  done
  return 1
}

# frozen_matches REF SHOT [IMPORT_OPTION...]: grabs the screen into SHOT until, outside the
# enemy's box (blacked out in both), it matches REF pixel for pixel once the fight is painted
# (the box differs from REF then); diff holds the last count of differing pixels.
frozen_matches() {
  local ref=$1 shot=$2 inside box="rectangle $EX,$EY $((EX + EW - 1)),$((EY + EH - 1))"
  shift 2
  convert "$ref" -fill black -draw "$box" "$E2E_DIR/ref_masked.png"
  diff=""
  for _ in $(seq 15); do
    import -window root "$@" "$shot"
    inside=$(compare -metric AE -extract "${EW}x$EH+$EX+$EY" "$ref" "$shot" null: 2>&1)
    if [ "${inside%% *}" != 0 ]; then
      convert "$shot" -fill black -draw "$box" "$E2E_DIR/fight_masked.png"
      diff=$(compare -metric AE "$E2E_DIR/ref_masked.png" "$E2E_DIR/fight_masked.png" null: 2>&1)
      [ "$diff" = 0 ] && return 0
    fi
    sleep 0.05
  done
  return 1
}

pixel() { convert "$1" -crop "1x1+$2+$3" +repage -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:; }

# Aims at the enemy's visible pixel nearest the middle of its frame (it differs from the
# desktop shot before the fight) and shoots it; sets HX HY to the hit.
shoot_enemy() {
  local before=$1 end=$(( $(now_ms) + 3000 )) started hits
  started=$(count clock started); hits=$(count shot "hit [0-9]+ [0-9]+")
  HX=
  # The first frame reaches the screen a moment after the fight is set up: look until it shows.
  while [ -z "$HX" ] && [ "$(now_ms)" -lt "$end" ]; do
    import -window root "$FROZEN"
    read -r HX HY < <(convert "$before" "$FROZEN" -compose difference -composite \
        -crop "${EW}x${EH}+$((SX + EX))+$((SY + EY))" +repage -threshold 1% txt:- \
      | awk -v w="$EW" -v h="$EH" -F'[,: ]+' '/#FFFFFF|white/ {
          d = ($1 - w / 2) ^ 2 + ($2 - h / 2) ^ 2; if (best == "" || d < best) { best = d; x = $1; y = $2 } }
          END { if (best != "") print x, y }')
  done
  [ -n "${HX:-}" ] || fail "no visible enemy pixel on the frozen desktop"
  xdotool mousemove $((SX + EX + HX)) $((SY + EY + HY))
  wait_until 3 more_than clock started "$started" || fail "moving did not start the clock"
  xdotool click 1
  wait_until 3 more_than shot "hit [0-9]+ [0-9]+" "$hits" || { grep '^shot' "$GREMLOK_TRACE" >&2; fail "the click on a visible pixel was not a hit"; }
  read -r _ HX HY < <(grep '^shot	hit' "$GREMLOK_TRACE" | tail -1 | cut -f2)
}
