#!/usr/bin/env bash
# Instructions a frame, counted by callgrind: deterministic where wall-clock rates on a shared
# machine are not. The program runs under a private Xvfb with llvmpipe rasterising on the main
# thread; the frame script of the preloaded shim (tests/support/preload) types the keys, zeroes the
# counts at swap 60 and ends the program at swap 70, so the total covers ten steady frames.
#   tools/profile_frames.sh PROGRAM [keys] [out-file]     e.g. tools/profile_frames.sh build-bench/orvex p
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "$1"); keys=${2:-}; out=$(realpath -m "${3:-callgrind.frames.out}")
source tools/frame_setup.sh; frame_setup
orvex_start_x
script="20:m550,322;"
swap=30
for ((k = 0; k < ${#keys}; k++)); do script+="$swap:k${keys:k:1};"; swap=$((swap + 1)); done
(cd "$work" && LP_NUM_THREADS=0 \
   FRAMESCRIPT="${script}60:z;70:q" LD_PRELOAD="$shim" \
   valgrind --tool=callgrind --callgrind-out-file="$out" "$program" >/dev/null 2>&1 </dev/null)
total=$(callgrind_annotate "$out" 2>/dev/null | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1; exit}')
echo "RESULT instructions-a-frame $((total / 10)) (callgrind, $out)"
