#!/usr/bin/env bash
# Plays a short fight on the test rig and saves the README's pictures into docs/:
# a fight in progress (holes, a hit) and the Best Times dialog. Needs a built program in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
export GREMLOK="$PWD/build/gremlok" GREMLOK_SOURCE_DIR="$PWD"
exec tests/rig/rig.sh tests/rig/isolated.sh bash tools/docs_screenshots.sh
