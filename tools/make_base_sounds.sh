#!/usr/bin/env bash
# Makes the six fight sounds of the base skin into resources/skins/base/: short, punchy,
# normalised to -6 dBFS, 16-bit PCM, mono, 44100 Hz. Needs sox. Run from anywhere.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/skins/base"
mkdir -p "$out"
gen() { # name, then the sox effects chain
    local name=$1; shift
    # Two passes: shape the sound with plenty of headroom, then normalise the result.
    sox -r 44100 -c 1 -n -b 32 -e floating-point "$tmp/$name" "$@"
    sox "$tmp/$name" -b 16 -e signed-integer "$out/$name" gain -n -6
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# 0 enemy shot: a heavy gun, a noise crack with a low thump under it.
gen enmy_sht.wav synth 0.45 whitenoise synth 0.45 sine fmod 90-40 gain -8 lowpass 2500 \
    overdrive 20 fade q 0.003 0.45 0.42
# 1 enemy appears: a rising, gurgling snarl.
gen enmy_apr.wav synth 0.6 sawtooth 90-180 synth 0.6 sine amod 25 gain -8 tremolo 6 40 \
    overdrive 12 fade q 0.02 0.6 0.2
# 2 enemy dies: a falling, wobbling squeal.
gen enmy_die.wav synth 0.9 square 700-70 gain -8 tremolo 14 70 lowpass 3000 fade q 0.005 0.9 0.3
# 3 player shot: a dry, bright crack.
gen user_sht.wav synth 0.3 whitenoise gain -8 highpass 400 overdrive 10 fade q 0.001 0.3 0.28
# 4 player killed: a long, distorted fall into rumble.
gen user_die.wav synth 1.2 sine 260-35 synth 1.2 brownnoise mix gain -8 overdrive 25 \
    fade q 0.01 1.2 0.6
# 5 empty gun: a tiny metallic click.
gen user_blt.wav synth 0.06 whitenoise gain -8 highpass 2500 fade q 0.0005 0.06 0.055
