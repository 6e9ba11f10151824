#!/usr/bin/env bash
# Builds the peer link's fuzz target with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs it for a bounded time. Usage: run_fuzz.sh BUILD_DIR [SECONDS]
# Needs clang++ and libclang-rt-14-dev (tools/install-deps.sh installs both).
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?build folder}
secs=${2:-60}
mkdir -p "$out/corpus"
CXX=${FUZZ_CXX:-$(command -v clang++ || command -v clang++-14 || true)}
if [ -z "$CXX" ]; then
  echo "fuzz: clang++ is not installed (bash tools/install-deps.sh installs it); the fuzz run cannot be made" >&2
  exit 1
fi
flags=$(pkg-config --cflags Qt6Core) || { echo "fuzz: pkg-config finds no Qt6Core" >&2; exit 1; }
libs=$(pkg-config --libs Qt6Core)
if ! "$CXX" -std=c++17 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
     -I"$src" $flags "$src/tests/fuzz/fuzz_peerlink.cpp" "$src/net/PeerLink.cpp" $libs \
     -o "$out/fuzz_peerlink" 2>"$out/build.log"; then
  cat "$out/build.log" >&2
  echo "fuzz: building with libFuzzer failed (is libclang-rt-14-dev installed?)" >&2
  exit 1
fi
# Seeds: the messages a real peer sends.
printf '\x07Difficulty:2\0Interval:300,600\0Nickname:Hunter\0' >"$out/corpus/handshake"
printf '\x01StartNow\0StartOK\0ShotFired\0IWon\0Pause\0Resume\0StartDenied\0Msg:hi\r\nthere\0' >"$out/corpus/fight"
"$out/fuzz_peerlink" -max_total_time="$secs" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" 2>"$out/fuzz.log" || { tail -40 "$out/fuzz.log"; exit 1; }
grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss' "$out/fuzz.log"
grep -oE 'cov: [0-9]+ ft: [0-9]+' "$out/fuzz.log" | tail -1
echo "fuzz: no crash"
