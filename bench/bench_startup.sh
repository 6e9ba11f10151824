#!/usr/bin/env bash
# Start-up to tray icon, idle memory, a second copy's hand-over and the end on SIGTERM of the
# real program, over several fresh starts.
# Run inside the rig: tests/rig/rig.sh bench/bench_startup.sh [build/gremlok] [runs]
set -u
here=$(cd "$(dirname "$0")" && pwd)
export GREMLOK=${1:-$here/../build/gremlok}
runs=${2:-10}
times=() rss=() seconds=() terms=()
for i in $(seq "$runs"); do
  dir=$(mktemp -d); mkdir -p "$dir/rt"; chmod 700 "$dir/rt"
  out=$(XDG_CONFIG_HOME=$dir/cfg XDG_RUNTIME_DIR=$dir/rt GREMLOK_TEST_DIR=$dir bash -c '
    . "'"$here"'/../tests/e2e/lib.sh"
    # Looked for every few milliseconds: the usual 50 ms poll of the tests would round the
    # figure up to its own step.
    t0=$(now_ms); start_gremlok
    until icon_geometry_now >/dev/null; do [ $(( $(now_ms) - t0 )) -lt 10000 ] || exit 1; sleep 0.003; done
    t=$(( $(now_ms) - t0 )); wait_ini Scores Score5 10; sleep 2; m=$(rss_kib "$GREMLOK_PID")
    t0=$(now_ms); "$GREMLOK" >/dev/null 2>&1; second=$(( $(now_ms) - t0 ))
    t0=$(now_ms); kill -TERM "$GREMLOK_PID"; wait_until 10 gone "$GREMLOK_PID"; term=$(( $(now_ms) - t0 ))
    echo "$t $m $second $term"')
  rm -rf "$dir"
  [ -n "$out" ] || { echo "run $i failed"; continue; }
  read -r t m second term <<<"$out"
  times+=("$t"); rss+=("$m"); seconds+=("$second"); terms+=("$term")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
echo "start-up to tray icon: median $(median "${times[@]}") ms over ${#times[@]} starts (min $(median "$(printf '%s\n' "${times[@]}" | sort -n | head -1)") ms); goal <= 60 ms"
m=$(median "${rss[@]}")
echo "idle memory (RSS) 2 s after start-up: median $m KiB ($(awk -v k="$m" 'BEGIN { printf "%.1f", k / 1024 }') MB); goal <= 30 MB"
echo "a second copy handing over and ending: median $(median "${seconds[@]}") ms"
echo "SIGTERM to the end of the process: median $(median "${terms[@]}") ms"
