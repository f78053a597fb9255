#!/usr/bin/env bash
# The desktop's pictures of the views of tests/support/views.txt, for the page's to be compared
# with: the viewer of build/ under a private Xvfb, driven to each view by the preloaded shim's
# frame script, frozen and cut from the screen at its window. Writes the map the page must open
# too (OUT/Orvex.Txt, OUT/earth.bmp), then OUT/VIEW-desktop.png view by view, each whole once
# its name appears.
#   bash tests/web/desktop_views.sh OUT
set -euo pipefail
out=$(realpath "$1")
cd "$(dirname "$0")/../.."
source tools/frame_setup.sh
frame_tree=build frame_setup orvex
orvex_start_x
frame_views
cp "$work/earth.bmp" "$work/Orvex.Txt" "$out/"
for view in "${order[@]}"; do
  frame_shot "$PWD/$build/orvex" "$DISPLAY" "$pointer${views[$view]}" "$work/shot.png" window
  mv "$work/shot.png" "$out/$view-desktop.png"
done
