#!/usr/bin/env bash
# Qt SQL and Qt Charts stay out of an idle program: the fight history's module comes with the
# first fight's end, the Statistics window's with its first opening. A copy of the program
# without its modules still plays a fight and keeps the best time, and says why there are no
# statistics.
. "$(dirname "$0")/history_lib.sh"

LAZY='libQt6(Sql|Charts|OpenGL)|libgremlok_'
mapped() { grep -oE "($1)[^/ ]*\$" "/proc/$GREMLOK_PID/maps" | sort -u | tr '\n' ' '; }

start_fight_program AnimationSpeed=300
[ -z "$(mapped "$LAZY")" ] || fail "the idle program maps $(mapped "$LAZY")"
play_escape
[ -n "$(mapped libQt6Sql)" ] && [ -n "$(mapped libgremlok_history)" ] || fail "after a fight: $(mapped "$LAZY")"
[ -z "$(mapped 'libQt6Charts|libgremlok_statistics')" ] || fail "a fight brought Qt Charts in: $(mapped "$LAZY")"
open_statistics
[ "$(stat_label lblLeft)" = 1 ] || fail "the window shows $(stat_label lblLeft) fights left"
[ -n "$(mapped libQt6Charts)" ] && [ -n "$(mapped libgremlok_statistics)" ] || fail "with the window: $(mapped "$LAZY")"
xdotool key Escape
wait_until 3 eval '! window_up "Gremlok Statistics"' || fail "the window stayed open"
kill "$GREMLOK_PID"; wait_exit "$GREMLOK_PID" 10 || fail "the program did not end"

# The program alone, with its skins but no modules.
mkdir -p "$E2E_DIR/bare"
cp "$GREMLOK" "$E2E_DIR/bare/" && cp -r "$(dirname "$GREMLOK")/Skins" "$E2E_DIR/bare/" || fail "cannot copy the program"
GREMLOK=$E2E_DIR/bare/gremlok
start_fight_program AnimationSpeed=300
HISTORY_TRACE=lost play_kill Alone
[ "$(ini_value Scores Name1)" = Alone ] && [ "$(ini_value Scores Score1)" = "$KILLTIME" ] \
  || fail "the best time was lost"
read -r X Y < <(tray_icon_centre 2) || fail "no tray icon"
open_menu_at "$X" "$Y" 3 right || fail "no right menu"
xdotool key s
wait_trace statistics 'not loaded' 5 || fail "no word on the missing Statistics module"
wait_focus Gremlok || fail "no message box"
import -window root "$E2E_DIR/no-statistics.png"
xdotool key Return
wait_until 3 eval '! window_up Gremlok' || fail "the message stayed"
alive "$GREMLOK_PID" || fail "the program ended"
echo PASS
