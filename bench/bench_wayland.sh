#!/usr/bin/env bash
# Runs bench_wayland on the Wayland rig. Usage: bench/bench_wayland.sh [build folder]
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
export GREMLOK="$build/bench/bench_wayland" GREMLOK_SOURCE_DIR="$here/.."
exec "$here/../tests/rig/wayland.sh" "$build/bench/bench_wayland"
