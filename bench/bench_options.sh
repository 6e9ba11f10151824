#!/usr/bin/env bash
# From choosing "&Options..." in the tray menu (its accelerator key sent) to the Options window
# visible on the X screen, over several openings; each opening builds the dialog afresh.
# Run inside the rig: tests/rig/rig.sh tests/rig/isolated.sh bench/bench_options.sh [build/gremlok] [runs]
set -u
here=$(cd "$(dirname "$0")" && pwd)
export GREMLOK=${1:-$here/../build/gremlok}
runs=${2:-15}
. "$here/../tests/e2e/lib.sh"
mkdir -p "$(dirname "$INI")"
printf '[Settings]\nFirstRun=false\nQuickHelp=false\n' >"$INI"
start_gremlok
read -r X Y < <(stable_icon_centre) || fail "icon not in the tray"
visible() { xdotool search --onlyvisible --name '^Gremlok Options$' >/dev/null 2>&1; }
times=()
for i in $(seq "$runs"); do
  before=$(count tray.menu right)
  xdotool mousemove "$X" "$Y" click 3
  until [ "$(count tray.menu right)" -gt "$before" ]; do sleep 0.02; done
  sleep 0.3
  t0=$(now_ms)
  xdotool key o
  end=$(( t0 + 5000 ))
  until visible; do [ "$(now_ms)" -lt "$end" ] || fail "run $i: no window"; done
  times+=($(( $(now_ms) - t0 )))
  sleep 0.3
  xdotool key Escape
  while visible; do sleep 0.05; done
  sleep 0.2
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
echo "menu choice to Options on screen: median $(median "${times[@]}") ms over ${#times[@]} openings (first ${times[0]} ms, all: ${times[*]})"
