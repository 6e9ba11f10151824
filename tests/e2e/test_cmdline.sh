#!/usr/bin/env bash
# The command line and the hand-over to a running copy: "--version" without and with a copy
# running; a second copy's "/LISTEN" makes the first available and ends 0 once handled; an
# unrecognised argument shows its message and the second copy waits for it; skin packages
# given as a browser-cache path, a file:// URL and a relative path are installed into the
# running copy; another user cannot reach the channel; a failed install shows its error and
# the running copy exits.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}
BUILT=$GREMLOK

# The program runs from a folder of its own, so that installed packages land in a Skins folder
# the test owns.
PROG="$E2E_DIR/prog"
mkdir -p "$PROG/Skins" "$E2E_DIR/downloads"
ln "$BUILT" "$PROG/gremlok" 2>/dev/null || cp "$BUILT" "$PROG/gremlok"
cp "$(dirname "$BUILT")/Skins/Base Skin.ssz" "$PROG/Skins/"
GREMLOK="$PROG/gremlok"
PORT=$(free_port)
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nFirstRun=false\nQuickHelp=false\nPort=%s\n' "$PORT" >"$INI"

# Polls up to $1 s for a visible window titled "Gremlok".
message_box() {
  local end=$(( $(now_ms) + ${1:-5} * 1000 ))
  while [ "$(now_ms)" -lt "$end" ]; do
    xdotool search --onlyvisible --name '^Gremlok$' 2>/dev/null | head -1 | grep . && return 0
    sleep 0.05
  done
  return 1
}
close_box() { xdotool windowactivate --sync "$1" 2>/dev/null; xdotool key Return; }

# "--version" with no copy running, not even a display: printed, status 0, nothing written.
out=$(env -u DISPLAY "$GREMLOK" --version 2>&1) || fail "--version alone failed: $out"
echo "$out" | grep -qE '^Gremlok [0-9]+\.[0-9]+\.[0-9]+$' || fail "--version said: $out"
[ -e "$XDG_RUNTIME_DIR/gremlok.lock" ] && fail "--version took the single-instance lock"

start_gremlok
first=$GREMLOK_PID
tray_icon_geometry 5 >/dev/null || fail "icon not in the tray"

# "--version" with a copy running: answered here, the running copy hears nothing.
out=$("$GREMLOK" --version 2>&1) || fail "--version failed with a copy running"
echo "$out" | grep -q '^Gremlok ' || fail "--version said: $out"
"$GREMLOK" --help | grep -q -- '--listen' || fail "--help does not list --listen"

# "/LISTEN": the running copy listens, the second copy ends 0 after that.
t0=$(now_ms)
timeout 20 "$GREMLOK" /LISTEN >"$E2E_DIR/second.out" 2>&1
status=$?
t1=$(now_ms)
[ $status -eq 0 ] || fail "second copy with /LISTEN exited $status: $(cat "$E2E_DIR/second.out")"
note "second copy with /LISTEN: $((t1 - t0)) ms from start to exit"
# Handled before the second copy ended: no waiting needed here.
grep -q "^tray.icon	3$" "$GREMLOK_TRACE" || fail "icon did not change to 'available' before the second copy ended"
grep -qE "^tray.tooltip	Gremlok \(available\)" "$GREMLOK_TRACE" || fail "tooltip did not say available"
python3 -c "import socket; socket.create_connection(('127.0.0.1', $PORT), 2).close()" \
  || fail "no TCP connection to port $PORT"
# The connection asks the player whether to play; say no, and the copy goes on listening.
wait_trace msgbox 'You have an incoming game request from 127\.0\.0\.1\..*' 5 || fail "no accept question"
box=$(message_box 2) || fail "the accept question is not on screen"
xdotool windowactivate --sync "$box" 2>/dev/null; xdotool key Escape
wait_until 5 eval '! window_up Gremlok' || fail "the accept question stayed"
"$GREMLOK" /listen || fail "a second /listen failed"
[ "$(grep -c '^tray.icon	3$' "$GREMLOK_TRACE")" -eq 1 ] || fail "/listen while listening changed the icon again"

# One argument made of two: unrecognised. The box shows the whole argument; the second copy
# waits until the box is answered.
"$GREMLOK" /listen /ip:x >"$E2E_DIR/second.out" 2>&1 &
second=$!
box=$(message_box 5) || fail "no message box for an unrecognised argument"
wait_trace msgbox 'Error: Unrecognized command line argument "/listen /ip:x"\.' 1 \
  || fail "message text: $(grep '^msgbox' "$GREMLOK_TRACE")"
import -window root "$SHOTS/cmdline_unrecognised.png" 2>/dev/null
wait_exit "$second" 1 && fail "the second copy ended while the box was still open"
close_box "$box"
wait_exit "$second" 5 || fail "the second copy did not end after the box was answered"
wait "$second" || fail "the second copy failed after an unrecognised argument"
kill -0 "$first" || fail "the running copy ended after an unrecognised argument"

# A package from a browser's cache: "%20" is a blank, "[1]" goes.
cp "$PROG/Skins/Base Skin.ssz" "$E2E_DIR/downloads/Night%20Ops[1].ssz"
"$GREMLOK" "$E2E_DIR/downloads/Night%20Ops[1].ssz" || fail "install via the second copy failed"
grep -q "^skin	Night Ops " "$GREMLOK_TRACE" || fail "Night Ops was not loaded before the second copy ended"
[ -f "$PROG/Skins/Night Ops.ssz" ] || fail "Night Ops.ssz not in the Skins folder: $(ls "$PROG/Skins")"
message_box 1 >/dev/null && fail "installing showed a message box"

# The same as a file:// URL, and a path relative to the second copy's own folder.
cp "$PROG/Skins/Base Skin.ssz" "$E2E_DIR/downloads/Dusk[1].ssz"
url="file://$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$E2E_DIR/downloads/Dusk[1].ssz")"
"$GREMLOK" "$url" || fail "install of $url failed"
grep -q "^skin	Dusk " "$GREMLOK_TRACE" || fail "Dusk (from $url) was not loaded"
cp "$PROG/Skins/Base Skin.ssz" "$E2E_DIR/downloads/Dawn.ssz"
(cd "$E2E_DIR/downloads" && "$GREMLOK" '"Dawn.ssz"') \
  || fail "install of a relative path failed"
grep -q "^skin	Dawn " "$GREMLOK_TRACE" || fail "Dawn (a relative path) was not loaded"

# Another user cannot talk to the channel even where the folder lets him through.
if [ "$(id -u)" = 0 ]; then
  sock="$XDG_RUNTIME_DIR/gremlok.sock"
  [ "$(stat -c %a "$sock")" = 700 ] || fail "channel socket mode is $(stat -c %a "$sock")"
  chmod 711 "$XDG_RUNTIME_DIR"
  err=$(setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 -c \
    'import socket, sys; s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); s.sendall(b"/listen\n")' \
    "$sock" 2>&1)
  status=$?
  chmod 700 "$XDG_RUNTIME_DIR"
  [ $status -ne 0 ] || fail "another user reached the channel"
  echo "$err" | grep -q PermissionError || fail "another user's attempt failed otherwise: $err"
else
  note "not root: the other-user check is skipped"
fi

# A failed install: the error with number and text, then the running copy exits (status 1)
# after answering the second copy.
mkdir "$PROG/Skins/Busy.ssz"
cp "$PROG/Skins/Base Skin.ssz" "$E2E_DIR/downloads/Busy.ssz"
"$GREMLOK" "  $E2E_DIR/downloads/Busy.ssz " >"$E2E_DIR/second.out" 2>&1 &
second=$!
box=$(message_box 5) || fail "no message box for a failed install"
wait_trace msgbox "Error installing skin \"$E2E_DIR/downloads/Busy.ssz\"\.\\\\n[0-9]+: .+" 1 \
  || fail "message text: $(grep '^msgbox' "$GREMLOK_TRACE" | tail -1)"
import -window root "$SHOTS/cmdline_install_error.png" 2>/dev/null
close_box "$box"
wait_exit "$second" 5 || fail "the second copy did not end after a failed install"
wait "$second" || fail "the second copy failed although the running copy answered"
wait_exit "$first" 5 || fail "the running copy did not exit after a failed install"
wait "$first"
status=$?
[ $status -eq 1 ] || fail "the running copy exited $status after a failed install"
grep -q "^exit	1$" "$GREMLOK_TRACE" || fail "Exit did not run"
[ "$(ini_value Settings Skin)" = Dawn ] || fail "Skin stored as '$(ini_value Settings Skin)'"
[ "$(ini_value Settings Listen)" = true ] || fail "Listen stored as '$(ini_value Settings Listen)'"

# The same failure on a first copy's own command line: the error, then the start ends there.
: >"$GREMLOK_TRACE"
start_gremlok "$E2E_DIR/downloads/Busy.ssz"
box=$(message_box 10) || fail "no message box for a failed install at start-up"
grep -q '^msgbox	Error installing skin ' "$GREMLOK_TRACE" || fail "start-up message: $(grep '^msgbox' "$GREMLOK_TRACE")"
close_box "$box"
wait_exit "$GREMLOK_PID" 5 || fail "the copy did not end after its failed install"
wait "$GREMLOK_PID"
status=$?
[ $status -eq 1 ] || fail "a failed install at start-up ended with status $status"
tray_icon_geometry 1 >/dev/null && fail "an icon is left in the tray"
echo "PASS"
