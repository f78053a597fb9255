#!/usr/bin/env bash
# Pixel comparison of two builds of the viewer: each runs under its own private Xvfb with the same
# Orvex.Txt and map, is driven by the frame script of the preloaded shim (tests/support/preload)
# to the same view at the same swap with the same clock, held still, and photographed; the two X
# screenshots must differ in 0 pixels, view by view.
#   tools/pixel_compare.sh OLD_BINARY NEW_BINARY [view ...]
# Without views, every view below is compared; PIXEL_COMPARE_KEEP=folder keeps the pictures. Exit status 0 only when every view is identical.
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "$1"); new=$(realpath "$2"); shift 2
source tools/frame_setup.sh; frame_setup
orvex_start_x display_old; orvex_start_x display_new  # one private X server per build

# Actions from swap `from` on, one a swap: repeat ACTION COUNT FROM
repeat() { local k; for ((k = 0; k < $2; k++)); do printf '%d:%s;' $(($3 + k)) "$1"; done; }

# Every view starts from the pointer over 20 E, 30 N (a crowded part of the map); keys follow.
pointer="20:m550,322;"
declare -A views=(
  [default]="40:f"
  [grid-off]="30:kg;60:f"
  [places]="30:kp;60:f"
  [places-60deg]="30:kp;$(repeat u 120 31)200:f"
  [places-140deg]="30:kp;$(repeat u 280 31)350:f"
  [places-image-off]="30:kp;31:ki;60:f"
  [help]="30:kh;250:f"
  [stereo-LR]="30:ke;60:f"
  [stereo-RL]="30:ke;31:ke;60:f"
  [stereo-LR-places-help-30deg]="30:ke;31:kp;32:kh;$(repeat u 60 33)150:f"
  [image-off]="30:ki;60:f"
  [small-window]="30:kl;90:f"
  [auto-rotation]="30:kr;107:f"
)
order=(default grid-off places places-60deg places-140deg places-image-off help stereo-LR
       stereo-RL stereo-LR-places-help-30deg image-off small-window auto-rotation)
[ $# -gt 0 ] && order=("$@")

# shot BINARY DISPLAY SCRIPT OUT: runs BINARY in its own copy of the folder until frozen, then
# photographs the whole screen.
shot() {
  local binary=$1 display=$2 script=$3 out=$4 folder
  folder=$(mktemp -d -p "$work")
  cp "$work/earth.bmp" "$work/Orvex.Txt" "$folder/"
  (cd "$folder" && DISPLAY=$display FRAMESCRIPT="$script" \
     FRAMESCRIPT_FROZEN="$folder/frozen" LD_PRELOAD="$shim" exec "$binary" >/dev/null 2>&1 </dev/null) &
  local pid=$! waited=0
  until [ -s "$folder/frozen" ]; do
    sleep 0.1; waited=$((waited + 1))
    if [ $waited -gt 1200 ] || ! kill -0 $pid 2>/dev/null; then echo "no frozen frame from $binary" >&2; return 1; fi
  done
  xwd -root -silent -display "$display" | /usr/bin/convert xwd:- png:"$out"
  kill $pid; wait $pid 2>/dev/null || true
}

failed=0
for view in "${order[@]}"; do
  script="$pointer${views[$view]}"
  shot "$old" "$display_old" "$script" "$work/old.png" & a=$!
  shot "$new" "$display_new" "$script" "$work/new.png" & b=$!
  wait $a && wait $b
  differing=$(/usr/bin/compare -metric AE "$work/old.png" "$work/new.png" null: 2>&1 || true)
  printf '%-30s %s differing pixels\n' "$view" "$differing"
  [ "$differing" != 0 ] && failed=1
  if [ -n "${PIXEL_COMPARE_KEEP:-}" ]; then  # a folder for the pictures, to look at them
    cp "$work/new.png" "$PIXEL_COMPARE_KEEP/$view-new.png"
    [ "$differing" != 0 ] && cp "$work/old.png" "$PIXEL_COMPARE_KEEP/$view-old.png"
  fi
done
[ $failed = 0 ] && echo "PIXEL-IDENTICAL all ${#order[@]} views" || echo "PIXEL-DIFFERENT"
exit $failed
