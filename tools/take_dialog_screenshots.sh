#!/usr/bin/env bash
# Pictures of the Options tabs, the About box and the tip in docs/, at 100% and at 200%
# scale (a screen twice as large). Needs a built program in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
export GREMLOK="$PWD/build/gremlok" GREMLOK_SOURCE_DIR="$PWD"
SHOT_SUFFIX= tests/rig/rig.sh tests/rig/isolated.sh bash tools/docs_dialogs.sh
RIG_SCREEN=3840x2160x24 QT_SCALE_FACTOR=2 SHOT_SUFFIX=_200 \
  tests/rig/rig.sh tests/rig/isolated.sh bash tools/docs_dialogs.sh
