#!/usr/bin/env bash
# "/ip:" handed to a running copy that listens: listening stops, the tray says "connecting to"
# the host without its blanks, the connecting window shows, and after the pause the copy dials
# the "Port" setting of a listening third copy and completes the handshake with it. While that link is up, command lines are ignored. A running copy that never
# answers leaves the second copy waiting, and its death makes the second copy fail.
. "$(dirname "$0")/lib.sh"
SHOTS=${GREMLOK_SHOTS:-$E2E_DIR}

# Whether something listens on the port, read from the kernel's table: a real connection would
# be a game request, which the running copy answers with a question.
can_connect() {
  python3 - "$1" <<'PY'
import sys
port = "%04X" % int(sys.argv[1])
for table in ("/proc/net/tcp", "/proc/net/tcp6"):
    try:
        rows = open(table).read().splitlines()[1:]
    except OSError:
        continue
    if any(r.split()[1].endswith(":" + port) and r.split()[3] == "0A" for r in rows):
        sys.exit(0)
sys.exit(1)
PY
}

OWN=$(free_port)
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nFirstRun=false\nQuickHelp=false\nListen=true\nPort=%s\n' "$OWN" >"$INI"
start_gremlok
first=$GREMLOK_PID
tray_icon_geometry 5 >/dev/null || fail "icon not in the tray"
wait_trace tray.icon 3 3 || fail "the stored Listen did not make the copy available"
can_connect "$OWN" || fail "not listening on $OWN"

# The peer: a third copy of the program, available, with folders and a trace of its own.
PEER=$(free_port)
P3="$E2E_DIR/third"
mkdir -p "$P3/config/Gremlok" "$P3/runtime" "$P3/data"
chmod 700 "$P3/runtime"
printf '[Settings]\nFirstRun=false\nQuickHelp=false\nListen=true\nAutoAccept=true\nNickname=Third\nPort=%s\n' "$PEER" \
  >"$P3/config/Gremlok/Gremlok.ini"
XDG_CONFIG_HOME="$P3/config" XDG_RUNTIME_DIR="$P3/runtime" XDG_DATA_HOME="$P3/data" GREMLOK_TRACE="$P3/trace.log" \
  "$GREMLOK" >>"$E2E_DIR/third.out" 2>&1 &
GREMLOK_PIDS+=("$!")
wait_until 10 can_connect "$PEER" || fail "the third copy is not listening on $PEER"
# "Port" is read when the connection is made: point it at the peer now.
sed -i "s/^Port=.*/Port=$PEER/" "$INI"

t0=$(now_ms)
"$GREMLOK" "/ip: 127.0.0.1 " >"$E2E_DIR/second.out" 2>&1 &
second=$!
wait_trace tray.tooltip 'Gremlok \(connecting to 127\.0\.0\.1\)' 5 \
  || fail "tooltip while connecting: $(grep '^tray.tooltip' "$GREMLOK_TRACE" | tail -1)"
grep -q "^tray.icon	7$" "$GREMLOK_TRACE" || fail "no connecting icon"
wait_window Gremlok 3 || fail "no connecting window"
import -window root "$SHOTS/cmdline_connecting.png" 2>/dev/null
can_connect "$OWN" && fail "still listening on $OWN while connecting out"
# The second copy ends once the running copy has dialled, after its pause.
wait_exit "$second" 15 || fail "the second copy did not end"
wait "$second" || fail "the second copy exited $?: $(cat "$E2E_DIR/second.out")"
t1=$(now_ms)
[ $((t1 - t0)) -ge 4000 ] || fail "the second copy ended after $((t1 - t0)) ms, before the pause was over"
note "second copy with /ip: ended after $((t1 - t0)) ms"
third_connected() { grep -q '^link	accepted' "$P3/trace.log" 2>/dev/null; }
wait_until 5 third_connected || fail "the third copy saw no connection: $(grep '^link' "$P3/trace.log")"
wait_trace notify 'Gremlok\|Connected to Third \[127\.0\.0\.1\].*' 5 \
  || fail "the first copy did not complete the handshake: $(grep '^notify\|^link' "$GREMLOK_TRACE")"

# While connected every command line is ignored, without a message.
icons=$(grep -c '^tray.icon' "$GREMLOK_TRACE")
cp "$(dirname "$GREMLOK")/Skins/Base Skin.ssz" "$E2E_DIR/Ignored.ssz"
for arg in /listen "$E2E_DIR/Ignored.ssz" /nonsense; do
  timeout 10 "$GREMLOK" "$arg" || fail "second copy with $arg exited $?"
done
unmoved() { [ "$(grep -c '^tray.icon' "$GREMLOK_TRACE")" -eq "$icons" ] && ! grep -qE '^(msgbox|skin	Ignored)' "$GREMLOK_TRACE"; }
holds_for 1 unmoved || fail "something changed while connected: $(grep -E '^(tray.icon|msgbox|skin)' "$GREMLOK_TRACE" | tail -2)"
can_connect "$OWN" && fail "listening again while connected"

# A running copy that does not answer: the second copy waits, and fails when it dies.
kill -STOP "$first"
"$GREMLOK" /listen >"$E2E_DIR/second.out" 2>&1 &
second=$!
wait_exit "$second" 1 && fail "the second copy ended although nobody answered"
kill -KILL "$first"
wait_exit "$second" 5 || fail "the second copy kept waiting after the running copy died"
wait "$second"
status=$?
[ $status -ne 0 ] || fail "the second copy reported success without an answer"
grep -q "no running copy answered" "$E2E_DIR/second.out" || fail "second copy said: $(cat "$E2E_DIR/second.out")"
echo "PASS"
