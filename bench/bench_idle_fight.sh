#!/usr/bin/env bash
# Idle memory and wake-ups of the real program after fights: resident memory (and the part of it
# that is the shared capture buffer) 10 s after the last of three fights ends, and the context
# switches of all its threads over the next 10 idle seconds.
# Run inside the rig: tests/rig/rig.sh bench/bench_idle_fight.sh [build/gremlok]
set -u
here=$(cd "$(dirname "$0")" && pwd)
export GREMLOK=${1:-$here/../build/gremlok}
dir=$(mktemp -d); mkdir -p "$dir/rt"; chmod 700 "$dir/rt"
XDG_CONFIG_HOME=$dir/cfg XDG_RUNTIME_DIR=$dir/rt GREMLOK_TEST_DIR=$dir bash -c '
  . "$(dirname "$0")/fight_lib.sh"
  start_fight_program AnimationSpeed=1500
  sleep 2
  mb() { awk -v k="$1" "BEGIN { printf \"%.1f\", k / 1024 }"; }
  echo "after start-up: RSS $(mb "$(rss_kib "$GREMLOK_PID")") MB; goal <= 30 MB"
  for i in 1 2 3; do
    fight_now >/dev/null || fail "no fight"
    sleep 0.5
    xdotool key Escape
    n=$i; for _ in $(seq 60); do [ "$(count fight closed)" -ge "$n" ] && break; sleep 0.05; done
    sleep 0.5
  done
  sleep 10
  shm=$(awk "/^RssShmem/ { print \$2 }" /proc/$GREMLOK_PID/status)
  echo "10 s after the third fight: RSS $(mb "$(rss_kib "$GREMLOK_PID")") MB, of it shared memory $(mb "$shm") MB; goal <= 30 MB"
  switches() { cat /proc/$GREMLOK_PID/task/*/status | awk "/ctxt_switches/ { s += \$2 } END { print s }"; }
  a=$(switches); sleep 10; b=$(switches)
  echo "context switches in 10 idle seconds: $((b - a)); goal 0"' "$here/../tests/e2e/bench_idle_fight"
rm -rf "$dir"
