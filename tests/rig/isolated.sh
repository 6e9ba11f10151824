#!/usr/bin/env bash
# Runs one test with configuration, data and runtime folders of its own. They are removed when
# the test passes; a failing test's folder (screenshots, trace, logs) is kept under
# build/test-artifacts/ and its path printed.
set -u
dir=$(mktemp -d /tmp/gremlok-test.XXXXXX)
mkdir -p "$dir/config" "$dir/runtime" "$dir/data"
chmod 700 "$dir" "$dir/runtime"
export XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime" XDG_DATA_HOME="$dir/data" GREMLOK_TEST_DIR="$dir"
"$@"
status=$?
if [ $status -ne 0 ]; then
  keep="${GREMLOK_BUILD_DIR:-$(pwd)}/test-artifacts"
  mkdir -p "$keep" && mv "$dir" "$keep/" \
    && echo "test artifacts kept in $keep/$(basename "$dir")" >&2
fi
rm -rf "$dir"
exit $status
