#!/usr/bin/env bash
# The real program, available, against a peer that writes raw bytes: the exact opening, a
# granted fight, a peer's kill, garbage, malformed and over-long messages, and a flood without
# NUL that drops the link; the program keeps running and listens again.
. "$(dirname "$0")/lib.sh"
PORT=$(free_port)
mkdir -p "$(dirname "$INI")"
cat >"$INI" <<INI
[Settings]
QuickHelp=false
FirstRun=false
Scramble=false
Blood=false
Nickname=Hunter
Difficulty=2
MultiplayerFightStart=300
MultiplayerFightLength=600
AutoAccept=true
Listen=true
Port=$PORT
INI
start_gremlok
wait_trace tray.icon 3 10 || fail "not available after start-up"
python3 "$(dirname "$0")/raw_peer.py" "$PORT" "$GREMLOK_TRACE" || fail "raw peer"
kill -0 "$GREMLOK_PID" || fail "the program ended"
wait_trace tray.icon 3 5 || fail "not available again"
echo PASS
