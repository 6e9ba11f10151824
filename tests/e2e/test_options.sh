#!/usr/bin/env bash
# The Options dialog as a player uses it, by its accelerators: settings changed on each tab
# (the timed-fight range by a Shift-drag of the thumb) and stored on OK as the settings file
# keeps them; reopened, it shows them; Cancel discards; a skin deleted after No and then Yes;
# What's This on the skins list; the About box opens and closes with Esc.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}
export XDG_DATA_HOME="$E2E_DIR/data"
mkdir -p "$XDG_DATA_HOME/Gremlok/Skins" "$(dirname "$INI")"
cp "$GREMLOK_SOURCE_DIR/resources/skins/Base Skin.ssz" "$XDG_DATA_HOME/Gremlok/Skins/Night Ops.ssz"
printf '[Settings]\nFirstRun=false\nQuickHelp=false\nNickname=Old\nTimedFightStart=300\nTimedFightLength=300\nPointer=1\nCenterPointer=true\nBlood=true\nShadow=false\nAutoAccept=false\nAutoUnload=false\nAutoUnloadTime=5\n' >"$INI"

start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not in the tray"

last() { grep "^$1	" "$GREMLOK_TRACE" | tail -1 | cut -f2; }
# Opens an item of the right-click menu by its accelerator.
from_menu() { open_menu_at "$X" "$Y" 3 right || fail "right menu did not open"; xdotool key "$1"; }
open_options() {
  local before
  before=$(count options shown)
  from_menu o
  wait_until 5 more_than options shown "$before" || fail "Options did not open"
  wait_focus "Gremlok Options" || fail "Options did not get the keyboard"
}
wait_closed() { wait_until 5 more_than options closed $(( $1 - 1 )) || fail "Options did not close"; }
shown_has() { last options.controls | tr '|' '\n' | grep -qxF "$1" || fail "Options shows $(last options.controls), not $1"; }

# General: sound off, centring off, restore after "x1" (the x is refused).
open_options
shown_has 'txtNickname=[Old]'
xdotool key --delay 150 alt+s alt+p alt+r alt+o
xdotool type --delay 50 'x1'
# The timed-fight range: Shift-press on the thumb, drag right, release with Shift held.
read -r HX HY < <(last options.handle.sdrTimedFight)
xdotool mousemove "$HX" "$HY"
xdotool keydown shift mousedown 1
for dx in 20 40 60 80 100; do xdotool mousemove $((HX + dx)) "$HY"; sleep 0.05; done
xdotool mouseup 1 keyup shift
wait_trace options.range.sdrTimedFight '600 [1-9][0-9]*' 3 || fail "the Shift-drag gave $(last options.range.sdrTimedFight)"
read -r START LEN < <(last options.range.sdrTimedFight)
[ "$START" = 600 ] || fail "the range does not start at the thumb (600) but at $START"
[ "$LEN" -gt 0 ] || fail "the Shift-drag gave no length"
import -window root "$SHOTS/options_general_set.png" 2>/dev/null
# Appearance: pointer 3, shadow on, blood off.
xdotool key ctrl+Tab
xdotool key --delay 150 alt+i Right Right alt+h alt+b
# Multiplayer: a nickname with blanks around it, automatic accept.
xdotool key ctrl+Tab
xdotool key alt+n
xdotool type --delay 30 '  Sniper Joe  '
xdotool key --delay 150 alt+a Return
wait_closed 1
for kv in Sound=false CenterPointer=false AutoUnload=true AutoUnloadTime=2 TimedFightStart=600 \
    "TimedFightLength=$LEN" Pointer=3 Shadow=true Blood=false "Nickname=Sniper Joe" AutoAccept=true \
    MultiplayerFightStart=300 MultiplayerFightLength=300; do
  got=$(ini_value Settings "${kv%%=*}")
  [ "$got" = "${kv#*=}" ] || fail "${kv%%=*} is '$got' in the settings file, not '${kv#*=}'"
done

# Reopened, it shows what was stored.
open_options
for v in chkSound=0 chkCenterPointer=0 chkAutoUnload=1 txtAutoUnload=2 "sdrTimedFight=600+$LEN" \
    sdrPointer=3:Black chkShadow=1 chkBlood=0 'txtNickname=[Sniper Joe]' chkAutoAccept=1 chkDirectSound=1\(off\); do
  shown_has "$v"
done
# Cancel (Esc) discards a change.
xdotool key --delay 150 alt+p Escape
wait_closed 2
[ "$(ini_value Settings CenterPointer)" = false ] || fail "Cancel stored the change"
open_options
shown_has chkCenterPointer=0

# Skins: delete Night Ops, first answering No, then Yes.
shown_has 'lstSkins=<Base Skin>'
xdotool key --delay 150 ctrl+Tab ctrl+Tab ctrl+Tab
wait_trace options.skin_item '[0-9]+ [0-9]+ Night Ops' 3 || fail "Night Ops is not in the list"
read -r SX SY _ < <(last options.skin_item)
xdotool mousemove "$SX" "$SY" click 1
xdotool key alt+d
wait_focus Gremlok || fail "no question before deleting"
import -window root "$SHOTS/options_delete_question.png" 2>/dev/null
xdotool key n
wait_focus "Gremlok Options" || fail "the question stayed after No"
[ -f "$XDG_DATA_HOME/Gremlok/Skins/Night Ops.ssz" ] || fail "No deleted the package"
xdotool key alt+d
wait_focus Gremlok || fail "no question before deleting again"
xdotool key y
wait_trace options.skin_deleted 'Night Ops' 3 || fail "Yes did not delete the skin"
[ -f "$XDG_DATA_HOME/Gremlok/Skins/Night Ops.ssz" ] && fail "the package is still there"

# What's This on the skins list.
read -r BX BY _ < <(grep '^options.skin_item' "$GREMLOK_TRACE" | tail -2 | head -1 | cut -f2)
windows=$(our_windows)
xdotool mousemove "$BX" "$BY" click 3
wait_trace options.whatsthis_menu lstSkins 3 || fail "no What's This menu on the skins list"
wait_until 3 more_windows_than "$windows" || fail "the What's This menu is not on screen"
xdotool key w
wait_trace help.popup 22 3 || fail "What's This did not show topic 22"
[ "$(last options.whatsthis_menu)" = lstSkins ] || fail "the menu was for $(last options.whatsthis_menu)"
import -window root "$SHOTS/options_whatsthis.png" 2>/dev/null
xdotool key Escape
wait_until 3 windows_back_to "$windows" || fail "What's This did not close"
# This build names no web site: "Get more skins" opens the help book's page on skins.
read -r GX GY < <(last options.handle.lblGetSkins)
# A right click on "Get more skins" has no What's This.
menus=$(grep -c '^options.whatsthis_menu' "$GREMLOK_TRACE")
xdotool mousemove "$GX" "$GY" click 3
if wait_trace options.whatsthis_menu lblGetSkins 1; then fail "Get more skins has a What's This menu"; fi
[ "$(grep -c '^options.whatsthis_menu' "$GREMLOK_TRACE")" = "$menus" ] || fail "a right click on Get more skins opened a menu"
xdotool mousemove "$GX" "$GY" click 1
wait_trace help.page skins.html 3 || fail "Get more skins did not open the skins page of the help book"
xdotool mousemove "$BX" "$BY" click 1
wait_focus "Gremlok Options" || fail "the dialog did not get the keyboard back"
xdotool key Escape
wait_closed 3

# The About box opens and closes with Esc.
from_menu a
wait_trace about shown 5 || fail "About did not open"
wait_focus "About Gremlok" || fail "About did not get the keyboard"
xdotool key Escape
wait_trace about closed 3 || fail "Esc did not close About"
echo PASS
