#!/usr/bin/env bash
# A short soak (the full one is tests/soak/soak.sh, run by hand): 60 fights the program plays
# by itself with no growth in memory or descriptors after warm-up, and two linked copies through
# 30 fight cycles, each with exactly one winner on both sides.
exec bash "$(dirname "$0")/../soak/soak.sh" 60 30
