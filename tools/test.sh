#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test inside the test rig (X server, window
# manager with a tray, PulseAudio null sink).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
exec tests/rig/rig.sh ctest --test-dir build --output-on-failure -j2 "$@"
