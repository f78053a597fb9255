#!/usr/bin/env bash
# Frame-rate benchmark: the real viewer under Xvfb with Mesa's software renderer, frames counted
# from outside by a preloaded swap counter. Each view mode is measured against the floor (the
# textured sphere alone), the sides interleaved, several rounds; prints medians and ratios.
#   tools/bench_frames.sh [rounds] [seconds-per-sample]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
seconds=${2:-4}
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target orvex sphere_floor swapcount >/dev/null

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
/usr/bin/convert /usr/share/xplanet/images/earth.jpg -resize 2048x1024! -type TrueColor BMP3:"$work/earth.bmp"
printf '1\nearth.bmp\n6371\n' > "$work/Orvex.Txt"

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
read -r display <&3
export DISPLAY=":$display"
export LIBGL_ALWAYS_SOFTWARE=1

swaps_of() { od -A n -t u8 -N 8 "$1" | tr -d ' '; }

# sample PROGRAM KEYS: frames per second of PROGRAM after warm-up, with KEYS typed first.
sample() {
  local program=$1 keys=$2 record="$work/swaps.$RANDOM"
  : > "$record"
  (cd "$work" && SWAPCOUNT_FILE="$record" LD_PRELOAD="$counter" \
     exec "$program" >/dev/null 2>&1 </dev/null) &
  local pid=$!
  for _ in $(seq 200); do [ "$(swaps_of "$record" 2>/dev/null || echo 0)" -gt 0 ] 2>/dev/null && break; sleep 0.05; done
  xdotool mousemove 510 402
  for k in $keys; do xdotool key "$k"; sleep 0.3; done
  sleep 1
  local a b
  a=$(swaps_of "$record"); sleep "$seconds"; b=$(swaps_of "$record")
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  echo "scale=2; ($b - $a) / $seconds" | bc
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }

counter="$PWD/$build/bench/frames/swapcount.so"
viewer="$PWD/$build/orvex"
floor="$PWD/$build/bench/frames/sphere_floor"
declare -A modes=([default]="" [places]="p" [help]="h" [stereo-LR]="e" [stereo-RL]="e e" [image-off]="i")
printf '%-10s %10s %10s %8s %8s\n' mode viewer_fps floor_fps ratio spread
for mode in default places help stereo-LR stereo-RL image-off; do
  ratios=(); vs=(); fs=()
  for _ in $(seq "$rounds"); do
    v=$(sample "$viewer" "${modes[$mode]}"); f=$(sample "$floor" "")
    vs+=("$v"); fs+=("$f"); ratios+=("$(echo "scale=3; $f / $v" | bc)")
  done
  vm=$(printf '%s\n' "${vs[@]}" | median); fm=$(printf '%s\n' "${fs[@]}" | median)
  rm_=$(printf '%s\n' "${ratios[@]}" | median)
  lo=$(printf '%s\n' "${ratios[@]}" | sort -g | head -1); hi=$(printf '%s\n' "${ratios[@]}" | sort -g | tail -1)
  printf '%-10s %10s %10s %8s %8s\n' "$mode" "$vm" "$fm" "$rm_" "$lo-$hi"
done
echo "(ratio = viewer frame time / floor frame time, median of $rounds interleaved rounds)"
