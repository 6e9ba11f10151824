#!/usr/bin/env bash
# Not a test: run by tools/take_dialog_screenshots.sh inside the rig to picture the dialogs
# (each Options tab, the About box, the tip) into docs/, with the suffix $SHOT_SUFFIX.
. "$(dirname "$0")/../tests/e2e/lib.sh"
DOCS="$GREMLOK_SOURCE_DIR/docs"
S=${SHOT_SUFFIX:-}
export XDG_DATA_HOME="$E2E_DIR/data"
mkdir -p "$XDG_DATA_HOME/Gremlok/Skins" "$(dirname "$INI")"
cp "$GREMLOK_SOURCE_DIR/resources/skins/Base Skin.ssz" "$XDG_DATA_HOME/Gremlok/Skins/Night Ops.ssz"
printf '[Settings]\nFirstRun=false\nNickname=Sniper Joe\nAutoUnload=true\nTimedFightStart=300\nTimedFightLength=600\n' >"$INI"

shot() {  # window title, file
  local wid
  for _ in $(seq 50); do wid=$(xdotool search --onlyvisible --name "^$1\$" | head -1) && [ -n "$wid" ] && break; sleep 0.1; done
  sleep 0.4
  import -frame -window "$wid" "$DOCS/$2$S.png"
}
start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not in the tray"
wait_trace tip shown 5 || fail "no tip"
shot Gremlok tip
xdotool key Escape
xdotool mousemove "$X" "$Y" click 3; sleep 0.5; xdotool key o
wait_trace options shown 5 || fail "no Options"
shot 'Gremlok Options' options_general
for t in appearance multiplayer skins; do
  xdotool key ctrl+Tab; sleep 0.3
  shot 'Gremlok Options' "options_$t"
done
xdotool key Escape; sleep 0.5
xdotool mousemove "$X" "$Y" click 3; sleep 0.5; xdotool key a
wait_trace about shown 5 || fail "no About"
shot 'About Gremlok' about
xdotool key Escape
