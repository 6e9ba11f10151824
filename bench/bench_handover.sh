#!/usr/bin/env bash
# Hand-over of a command line: time from starting a second copy with "/listen" until it has
# ended, the running copy having started listening before it answered; and the same round trip
# when there is nothing to do (already listening). The running copy is restarted every round.
# Run inside the rig: tests/rig/rig.sh bench/bench_handover.sh [build/gremlok] [runs]
set -u
here=$(cd "$(dirname "$0")" && pwd)
export GREMLOK=${1:-$here/../build/gremlok}
runs=${2:-15}
listen=() noop=()
dir=$(mktemp -d); mkdir -p "$dir/rt" "$dir/cfg/Gremlok"; chmod 700 "$dir/rt"
export XDG_CONFIG_HOME=$dir/cfg XDG_RUNTIME_DIR=$dir/rt GREMLOK_TEST_DIR=$dir
. "$here/../tests/e2e/lib.sh"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
for i in $(seq "$runs"); do
  printf '[Settings]\nFirstRun=false\nQuickHelp=false\nPort=%s\n' "$port" >"$INI"
  : >"$GREMLOK_TRACE"
  start_gremlok
  tray_icon_geometry 10 >/dev/null || { echo "run $i: no icon"; continue; }
  t0=$(now_ms); "$GREMLOK" /listen; t1=$(now_ms)
  grep -q "^tray.icon	3$" "$GREMLOK_TRACE" && listen+=($((t1 - t0))) || echo "run $i: not listening"
  # Already listening: the same round trip with nothing to do.
  t0=$(now_ms); "$GREMLOK" /listen; t1=$(now_ms)
  noop+=($((t1 - t0)))
  kill "$GREMLOK_PID"; wait "$GREMLOK_PID" 2>/dev/null
done
rm -rf "$dir"
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
range() { printf '%s\n' "$@" | sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { print lo "-" hi }'; }
echo "second copy \"/listen\", start to exit, running copy starts listening: median $(median "${listen[@]}") ms over ${#listen[@]} runs (range $(range "${listen[@]}") ms)"
echo "second copy \"/listen\", start to exit, already listening:           median $(median "${noop[@]}") ms over ${#noop[@]} runs (range $(range "${noop[@]}") ms)"
