#!/usr/bin/env bash
# The soak: FIGHTS fights played by the program itself (GREMLOK_SOAK), with its resident memory
# and open descriptors sampled along the way; then two linked copies, each on an X display of its
# own, through CYCLES fight cycles on loopback, every fight checked for exactly one winner (one
# side's kill is the other side's loss). Prints the figures; fails when memory grows by 1 MiB or
# more from fight 10 to the last, when descriptors grow at all, or on any desync.
# Run inside the rig:  tests/rig/rig.sh tests/rig/isolated.sh bash tests/soak/soak.sh [FIGHTS] [CYCLES]
# (GREMLOK: the program, default build/gremlok.)
FIGHTS=${1:-1000}
CYCLES=${2:-500}
here=$(cd "$(dirname "$0")" && pwd)
GREMLOK=${GREMLOK:-${GREMLOK_BUILD_DIR:-$here/../../build}/gremlok}
. "$here/../e2e/lib.sh"
quiet="QuickHelp=false
FirstRun=false
Scramble=false
Blood=false"

# ---- One copy, FIGHTS fights.
if [ "$FIGHTS" -gt 0 ]; then
  mkdir -p "$(dirname "$INI")"
  printf '[Settings]\n%s\nDifficulty=1\n' "$quiet" >"$INI"
  xsetroot -solid '#3a6ea5'
  started=$(now_ms)
  GREMLOK_SOAK=$FIGHTS start_gremlok
  # A fight takes well under a second; three each is room for a loaded machine.
  wait_trace soak "done $FIGHTS stuck [0-9]+" $(( 30 + FIGHTS * 3 )) \
    || fail "the soak did not finish: $(grep '^soak' "$GREMLOK_TRACE" | tail -3)"
  secs=$(( ($(now_ms) - started) / 1000 ))
  echo "fights: $FIGHTS in ${secs}s; outcomes: $(grep -oP '^soak\tfight [0-9]+ \K\w+' "$GREMLOK_TRACE" | sort | uniq -c | xargs)"
  echo "fight  VmRSS(KiB)  fds"
  grep -oP '^soak\tsample \K.*' "$GREMLOK_TRACE" | awk '{ printf "%5d  %10d  %3d\n", $1, $3, $5 }'
  sample() { grep -oP "^soak\tsample $1 rss \K[0-9]+ fds [0-9]+" "$GREMLOK_TRACE" | awk -v f="$2" '{ print (f == "rss" ? $1 : $3) }'; }
  base=10; [ "$FIGHTS" -ge 10 ] || base=1
  growth=$(( $(sample "$FIGHTS" rss) - $(sample $base rss) ))
  fds_growth=$(( $(sample "$FIGHTS" fds) - $(sample 1 fds) ))
  echo "RSS growth from fight $base to $FIGHTS: ${growth} KiB (from fight 1: $(( $(sample "$FIGHTS" rss) - $(sample 1 rss) )) KiB); fd growth from fight 1: $fds_growth"
  stuck=$(grep -oP "^soak\tdone $FIGHTS stuck \K[0-9]+" "$GREMLOK_TRACE")
  [ "$stuck" = 0 ] || fail "$stuck fights had to be ended by force"
  [ "$(count soak 'fight [0-9]+ won')" = "$FIGHTS" ] || fail "not every fight was a kill"
  [ "$growth" -lt 1024 ] || fail "resident memory grew by $growth KiB"
  [ "$fds_growth" -le 0 ] || fail "open descriptors grew by $fds_growth"
  kill "$GREMLOK_PID"; wait_exit "$GREMLOK_PID" 10 || fail "the soaked copy did not end"
fi

# ---- Two linked copies, CYCLES fight cycles.
[ "$CYCLES" -gt 0 ] || { echo PASS; exit 0; }
TA=$E2E_DIR/linked_a.log
B=$E2E_DIR/b
TB=$B/trace.log
mkdir -p "$B/config/Gremlok" "$B/runtime" "$B/fluxbox" "$E2E_DIR/a_config/Gremlok" "$E2E_DIR/a_runtime"
chmod 700 "$B/runtime" "$E2E_DIR/a_runtime"
n=$(( ${DISPLAY#:} + 1 ))
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
DB=:$n
DISPLAY_B_PIDS=()
trap 'e2e_cleanup; for p in "${DISPLAY_B_PIDS[@]}"; do kill "$p" 2>/dev/null; done' EXIT
Xvfb "$DB" -screen 0 1920x1080x24 -nolisten tcp -noreset >"$B/xvfb.log" 2>&1 &
DISPLAY_B_PIDS+=("$!")
DISPLAY=$DB wait_until 10 xdpyinfo >/dev/null 2>&1
DISPLAY_B_PIDS+=("$(DISPLAY=$DB "$here/../rig/fluxbox.sh" "$B/fluxbox")")
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; }
DISPLAY=$DB wait_until 10 wm_up

# The initiator (B) asks for the next fight a second after the last one has closed.
PORT=$(free_port)
common="$quiet
Port=$PORT
MultiplayerFightStart=1
MultiplayerFightLength=0"
printf '[Settings]\n%s\nNickname=Alpha\nDifficulty=1\nAutoAccept=true\nListen=true\n' "$common" \
  >"$E2E_DIR/a_config/Gremlok/Gremlok.ini"
printf '[Settings]\n%s\nNickname=Bravo\nDifficulty=1\n' "$common" >"$B/config/Gremlok/Gremlok.ini"
on_b() { DISPLAY=$DB GREMLOK_TRACE=$TB "$@"; }
on_b xsetroot -solid '#6e3aa5'
XDG_CONFIG_HOME=$E2E_DIR/a_config XDG_RUNTIME_DIR=$E2E_DIR/a_runtime GREMLOK_TRACE=$TA GREMLOK_SOAK=$CYCLES start_gremlok
GREMLOK_TRACE=$TA wait_trace tray.icon 3 10 || fail "A is not available"
started=$(now_ms)
DISPLAY=$DB XDG_CONFIG_HOME=$B/config XDG_RUNTIME_DIR=$B/runtime GREMLOK_TRACE=$TB GREMLOK_SOAK=$CYCLES \
  "$GREMLOK" /ip:127.0.0.1 >>"$B/gremlok.out" 2>&1 &
GREMLOK_PIDS+=("$!")
on_b wait_trace link.send 'Nickname:Bravo' 20 || fail "B did not connect to A"
for t in "$TA" "$TB"; do
  GREMLOK_TRACE=$t wait_trace soak "done $CYCLES stuck [0-9]+" $(( 60 + CYCLES * 4 )) \
    || fail "the linked soak did not finish ($t): $(grep '^soak' "$t" | tail -3)"
done
secs=$(( ($(now_ms) - started) / 1000 ))
outcomes() { grep -oP '^soak\tfight [0-9]+ \K\w+' "$1" | head -n "$CYCLES"; }
paste <(outcomes "$TA") <(outcomes "$TB") >"$E2E_DIR/pairs"
desync=$(awk '!(($1 == "won" && $2 == "lost") || ($1 == "lost" && $2 == "won"))' "$E2E_DIR/pairs" | wc -l)
a_won=$(awk '$1 == "won"' "$E2E_DIR/pairs" | wc -l)
b_won=$(awk '$2 == "won"' "$E2E_DIR/pairs" | wc -l)
stuck=$(( $(grep -oP "^soak\tdone $CYCLES stuck \K[0-9]+" "$TA") + $(grep -oP "^soak\tdone $CYCLES stuck \K[0-9]+" "$TB") ))
crossed=$(( $(grep -c "^link	lost (kills crossed)" "$TA") + $(grep -c "^link	lost (kills crossed)" "$TB") ))
echo "linked cycles: $CYCLES in ${secs}s; A won $a_won, B won $b_won; kills that crossed: $crossed; desyncs: $desync; stuck: $stuck"
if [ "$desync" -gt 0 ]; then
  awk '!(($1 == "won" && $2 == "lost") || ($1 == "lost" && $2 == "won")) { print "fight " NR ": A " $1 ", B " $2 }' \
    "$E2E_DIR/pairs" | head -5 >&2
  fail "$desync linked fights did not end with one winner"
fi
[ "$stuck" = 0 ] || fail "$stuck linked fights had to be ended by force"
echo PASS
