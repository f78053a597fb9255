#!/usr/bin/env bash
# What the frame scripts (bench_frames.sh, bench_frames_wm.sh, pixel_compare.sh, profile_frames.sh)
# share, from the top of the source tree: frame_setup builds the targets named and the preloaded
# shim (tests/support/preload) in build-bench; makes $work with earth.bmp, Debian's Earth map at
# 2048 x 1024, and its Orvex.Txt; removes it at the end with every background job and every X
# server started by orvex_start_x (tests/support/xserver.sh); Mesa's software renderer throughout.
#   source tools/frame_setup.sh; frame_setup [target ...]      sets build, shim and work
set -euo pipefail
source tools/build.sh
source tests/support/xserver.sh
export LIBGL_ALWAYS_SOFTWARE=1

frame_setup() {
  build=build-bench
  orvex_configure build-bench "$build"
  cmake --build "$build" --target orvex_preload "$@" >/dev/null
  shim="$PWD/$build/tests/support/orvex_preload.so"
  work=$(mktemp -d)
  trap 'kill $(jobs -p) 2>/dev/null || true; orvex_stop_x; rm -rf "$work"' EXIT
  /usr/bin/convert /usr/share/xplanet/images/earth.jpg -resize 2048x1024! -type TrueColor BMP3:"$work/earth.bmp"
  printf '1\nearth.bmp\n6371\n' > "$work/Orvex.Txt"
}

# swaps_of RECORD: the buffer swaps the shim has counted in its RECORD file so far.
swaps_of() { od -A n -t u8 -N 8 "$1" | tr -d ' '; }
