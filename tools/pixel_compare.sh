#!/usr/bin/env bash
# Pixel comparison of two builds of the viewer: each runs under its own private Xvfb with the same
# Orvex.Txt and map, is driven by the frame script of the preloaded shim (tests/support/preload)
# to the same view at the same swap with the same clock, held still, and photographed; the two X
# screenshots must differ in 0 pixels, view by view (the views of tests/support/views.txt).
#   tools/pixel_compare.sh OLD_BINARY NEW_BINARY [view ...]
# Without views, every view is compared; PIXEL_COMPARE_KEEP=folder keeps the pictures. Exit status 0 only when every view is identical.
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "$1"); new=$(realpath "$2"); shift 2
source tools/frame_setup.sh; frame_setup
orvex_start_x display_old; orvex_start_x display_new  # one private X server per build

frame_views
[ $# -gt 0 ] && order=("$@")

failed=0
for view in "${order[@]}"; do
  script="$pointer${views[$view]}"
  frame_shot "$old" "$display_old" "$script" "$work/old.png" & a=$!
  frame_shot "$new" "$display_new" "$script" "$work/new.png" & b=$!
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
