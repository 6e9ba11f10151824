#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test inside the test rig (X server, window
# manager with a tray, PulseAudio null sink); then the unit tests once more under AddressSanitizer
# and UndefinedBehaviorSanitizer (tools/test_sanitized.sh; GREMLOK_SANITIZED_TESTS=0 leaves them out).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
status=0
tests/rig/rig.sh ctest --test-dir build --output-on-failure -j2 "$@" || status=$?
if [ "${GREMLOK_SANITIZED_TESTS:-1}" != 0 ]; then
  bash tools/test_sanitized.sh || status=1
fi
exit $status
