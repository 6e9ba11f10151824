#!/usr/bin/env bash
# Runs one test with configuration, data and runtime folders of its own, removed afterwards.
set -u
dir=$(mktemp -d /tmp/gremlok-test.XXXXXX)
mkdir -p "$dir/config" "$dir/runtime" "$dir/data"
chmod 700 "$dir" "$dir/runtime"
export XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime" XDG_DATA_HOME="$dir/data" GREMLOK_TEST_DIR="$dir"
"$@"
status=$?
rm -rf "$dir"
exit $status
