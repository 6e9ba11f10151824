# Shared helpers for the end-to-end scripts: start the real program, find its tray icon, wait
# for traced events. Source it: . "$(dirname "$0")/lib.sh"
set -u
E2E_DIR=${GREMLOK_TEST_DIR:-$(mktemp -d)}
export GREMLOK_TRACE=${GREMLOK_TRACE:-$E2E_DIR/trace.log}
INI="$XDG_CONFIG_HOME/Gremlok/Gremlok.ini"
GREMLOK_PIDS=()

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "# $*"; }

e2e_cleanup() {
  for p in "${GREMLOK_PIDS[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.2
  for p in "${GREMLOK_PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
}
trap e2e_cleanup EXIT

# Starts the program in the background; its pid goes to GREMLOK_PID.
start_gremlok() {
  "$GREMLOK" "$@" >>"$E2E_DIR/gremlok.out" 2>&1 &
  GREMLOK_PID=$!
  GREMLOK_PIDS+=("$GREMLOK_PID")
}

now_ms() { date +%s%3N; }

# "x y w h" of the program's icon once it is embedded in the tray (a small window of class
# gremlok inside the panel); waits up to $1 seconds.
icon_geometry_now() {
  xwininfo -root -tree 2>/dev/null | awk '/\("gremlok" "Gremlok"\)/ {
      split($NF, abs, "+");
      if (match($0, /[0-9]+x[0-9]+\+/)) split(substr($0, RSTART, RLENGTH - 1), wh, "x");
      if (wh[1] + 0 > 0 && wh[1] + 0 <= 64 && wh[2] + 0 <= 64) { print abs[2], abs[3], wh[1], wh[2]; found = 1; exit } }
    END { exit !found }'
}
tray_icon_geometry() { wait_until "${1:-5}" icon_geometry_now; }

# Centre of the tray icon, "x y".
tray_icon_centre() {
  local g
  g=$(tray_icon_geometry "${1:-5}") || return 1
  set -- $g
  echo "$(( $1 + $3 / 2 )) $(( $2 + $4 / 2 ))"
}

# The icon's centre once the panel has finished placing it (two readings agree).
stable_icon_centre() {
  local a b
  a=$(tray_icon_centre 5) || return 1
  for _ in $(seq 20); do
    sleep 0.3
    b=$(tray_icon_centre 1) || return 1
    [ "$a" = "$b" ] && { echo "$a"; return 0; }
    a=$b
  done
  return 1
}

# How many trace lines are exactly "key<TAB>value" (value a grep -E pattern); whether more than $3.
count() { grep -cE "^$1	$2\$" "$GREMLOK_TRACE" 2>/dev/null; }
more_than() { [ "$(count "$1" "$2")" -gt "$3" ]; }

# Waits until the trace holds a line "key<TAB>value" (value as a grep -E pattern).
traced() { grep -qE "^$1	$2\$" "$GREMLOK_TRACE" 2>/dev/null; }
wait_trace() { wait_until "${3:-5}" traced "$1" "$2"; }

# Value of "key" in "[group]" of the settings file.
ini_value() {
  awk -v g="[$1]" -v k="$2" -F= '$0 == g { in_g = 1; next } /^\[/ { in_g = 0 }
    in_g && $1 == k { sub(/^[^=]*=/, ""); print; exit }' "$INI"
}

# Waits until "key" of "[group]" in the settings file has a value (up to $3 seconds).
has_ini() { [ -n "$(ini_value "$1" "$2" 2>/dev/null)" ]; }
wait_ini() { wait_until "${3:-5}" has_ini "$1" "$2"; }

rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }

# Visible windows of the program (its tray icon, menus, dialogs, the fight).
our_windows() { xdotool search --onlyvisible --class gremlok 2>/dev/null | wc -l; }

# Waits until "CONDITION..." (a command) holds; up to $1 seconds.
wait_until() {
  local end=$(( $(now_ms) + $1 * 1000 )); shift
  while [ "$(now_ms)" -lt "$end" ]; do "$@" && return 0; sleep 0.05; done
  "$@"
}

# Fails unless "CONDITION..." keeps holding for $1 seconds (a "nothing happened" check).
holds_for() {
  local end=$(( $(now_ms) + $1 * 1000 )); shift
  while [ "$(now_ms)" -lt "$end" ]; do "$@" || return 1; sleep 0.05; done
  "$@"
}

more_windows_than() { [ "$(our_windows)" -gt "$1" ]; }
windows_back_to() { [ "$(our_windows)" -le "$1" ]; }
window_up() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
# Waits until a window with this exact title is up (wait_window), or has the keyboard (wait_focus).
wait_window() { wait_until "${2:-5}" window_up "$1"; }
focused() { [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ]; }
wait_focus() { wait_until "${2:-5}" focused "$1"; }
alive() { kill -0 "$1" 2>/dev/null; }
gone() { ! kill -0 "$1" 2>/dev/null; }
wait_exit() { wait_until "${2:-5}" gone "$1"; }
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# Clicks the icon at X Y with BUTTON and waits until the traced SIDE menu is on screen.
open_menu_at() {
  local x=$1 y=$2 button=$3 side=$4 before windows
  before=$(count tray.menu "$side")
  windows=$(our_windows)
  xdotool mousemove "$x" "$y" click "$button"
  wait_until 3 eval '[ "$(count tray.menu "$side")" -gt "$before" ]' || return 1
  wait_until 3 more_windows_than "$windows"
}

# Escape, and wait until the menu (or submenus) have gone.
close_menu() {
  local windows
  windows=$(( $(our_windows) - ${1:-1} ))
  xdotool key Escape
  wait_until 3 windows_back_to "$windows"
}
