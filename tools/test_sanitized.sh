#!/usr/bin/env bash
# The unit tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer in a build
# folder of their own (build-asan; ccache keeps rebuilds short). Any report stops the test that
# made it, and so fails the run. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGREMLOK_SANITIZE=ON >/dev/null
targets=()
for src in tests/unit/test_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
cmake --build build-asan -j"$(nproc)" --target "${targets[@]}"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
exec tests/rig/rig.sh ctest --test-dir build-asan --output-on-failure -j2 -R '^unit\.' "$@"
