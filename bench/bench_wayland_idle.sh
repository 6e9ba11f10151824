#!/usr/bin/env bash
# Idle memory and wake-ups of the real program after fights on a Wayland desktop (the headless
# sway rig), once through the compositor's screencopy and once through the desktop portal:
# resident memory after start-up, 10 s after the third fight and 10 s after the tenth (growth per
# fight or a one-off), where it sits (/proc/PID/smaps: heap, anonymous, shared memory such as
# wl_shm pools and memfd buffers, file mappings), and the context switches of all its threads over
# the next 10 idle seconds. The X11 counterpart is bench_idle_fight.sh.
# Usage: bench/bench_wayland_idle.sh [build/gremlok]
set -u
if [ -z "${WAYLAND_RIG_INNER:-}" ]; then
  here=$(cd "$(dirname "$0")" && pwd)
  export GREMLOK=$(readlink -f "${1:-$here/../build/gremlok}") GREMLOK_SOURCE_DIR=$(cd "$here/.." && pwd)
  exec bash "$here/../tests/rig/wayland.sh" bash "$here/$(basename "$0")"
fi
# wayland_lib.sh finds its neighbours beside $0.
exec bash -c '
  . "$(dirname "$0")/wayland_lib.sh"
  mb() { awk -v k="$1" "BEGIN { printf \"%.1f\", k / 1024 }"; }
  # Resident kB by kind of mapping, then the largest mappings.
  breakdown() {
    awk "
      /^[0-9a-f]+-[0-9a-f]+ / { name = \$6; for (i = 7; i <= NF; i++) name = name \" \" \$i; next }
      /^Rss:/ {
        kind = \"file\"
        if (name == \"[heap]\") kind = \"heap\"
        else if (name == \"\") kind = \"anonymous\"
        else if (name ~ /^\\/memfd:|^\\/dev\\/shm|SYSV|^\\/dev\\/dri|\\(deleted\\)/) kind = \"shared\"
        else if (name ~ /^\\[/) kind = \"other\"
        sum[kind] += \$2
        if (\$2 >= 1024) big[name \" (\" kind \")\"] += \$2
      }
      END {
        printf \"    heap %.1f MB, anonymous %.1f MB, shared (memfd/shm) %.1f MB, file %.1f MB, other %.1f MB\\n\",
          sum[\"heap\"] / 1024, sum[\"anonymous\"] / 1024, sum[\"shared\"] / 1024, sum[\"file\"] / 1024, sum[\"other\"] / 1024
        for (n in big) printf \"      %7.1f MB  %s\\n\", big[n] / 1024, (n ~ /^ / ? \"[anonymous]\" n : n) | \"sort -rn | head -6\"
      }" "/proc/$GREMLOK_PID/smaps"
  }
  report() {
    echo "  $1: RSS $(mb "$(rss_kib "$GREMLOK_PID")") MB"
    breakdown
  }
  fights() {
    local i n
    for i in $(seq "$1"); do
      n=$(count fight closed)
      wayland_fight_now
      sleep 0.5
      wtype -s 150 -k Escape
      wait_until 10 more_than fight closed "$n" || fail "Escape did not end the fight"
      sleep 0.5
    done
  }
  switches() { cat /proc/$GREMLOK_PID/task/*/status | awk "/ctxt_switches/ { s += \$2 } END { print s }"; }

  mkdir -p "$(dirname "$INI")"
  printf "%s\n" "[Settings]" QuickHelp=false FirstRun=false Scramble=false Difficulty=1 AnimationSpeed=1500 >"$INI"
  for way in screencopy portal; do
    : >"$GREMLOK_TRACE"
    if [ "$way" = portal ]; then GREMLOK_CAPTURE=portal start_gremlok; else start_gremlok; fi
    wait_trace tray.tooltip Gremlok 10 || fail "program not up"
    sni_item 10 || fail "the icon did not register with the watcher"
    sleep 2
    echo "$way:"
    report "after start-up"
    fights 3
    took=$(grep "^capture	" "$GREMLOK_TRACE" | tail -1 | cut -f2)
    [ "$took" = "$way" ] || fail "the desktop was captured through ${took:-nothing}, not $way"
    sleep 10
    report "10 s after the 3rd fight"
    fights 7
    sleep 10
    report "10 s after the 10th fight"
    a=$(switches); sleep 10; b=$(switches)
    echo "  context switches in 10 idle seconds: $((b - a)); goal 0"
    kill "$GREMLOK_PID"; wait "$GREMLOK_PID" 2>/dev/null
  done' "$GREMLOK_SOURCE_DIR/tests/e2e/bench_wayland_idle"
