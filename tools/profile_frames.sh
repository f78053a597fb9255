#!/usr/bin/env bash
# Instructions a frame, counted by callgrind: deterministic where wall-clock rates on a shared
# machine are not. The program runs under a private Xvfb with llvmpipe rasterising on the main
# thread; the frame script (bench/frames/framescript.cpp) types the keys, zeroes the counts at
# swap 60 and ends the program at swap 70, so the total covers ten steady frames.
#   tools/profile_frames.sh PROGRAM [keys] [out-file]     e.g. tools/profile_frames.sh build-bench/orvex p
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "$1"); keys=${2:-}; out=$(realpath -m "${3:-callgrind.frames.out}")
build=build-bench
source tools/build.sh
orvex_configure build-bench "$build"
cmake --build "$build" --target framescript >/dev/null
shim="$PWD/$build/bench/frames/framescript.so"
work=$(mktemp -d)
xvfb=
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
/usr/bin/convert /usr/share/xplanet/images/earth.jpg -resize 2048x1024! -type TrueColor BMP3:"$work/earth.bmp"
printf '1\nearth.bmp\n6371\n' > "$work/Orvex.Txt"
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r display <&3
script="20:m550,322;"
swap=30
for ((k = 0; k < ${#keys}; k++)); do script+="$swap:k${keys:k:1};"; swap=$((swap + 1)); done
(cd "$work" && DISPLAY=":$display" LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0 \
   FRAMESCRIPT="${script}60:z;70:q" LD_PRELOAD="$shim" \
   valgrind --tool=callgrind --callgrind-out-file="$out" "$program" >/dev/null 2>&1 </dev/null)
total=$(callgrind_annotate "$out" 2>/dev/null | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1; exit}')
echo "RESULT instructions-a-frame $((total / 10)) (callgrind, $out)"
