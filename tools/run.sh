#!/usr/bin/env bash
# Installs what is needed, builds, and starts Gremlok in the notification area.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
exec ./build/gremlok "$@"
