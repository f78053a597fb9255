#!/usr/bin/env bash
# What the frame scripts (bench_frames.sh, bench_frames_wm.sh, pixel_compare.sh, profile_frames.sh,
# tests/web/desktop_views.sh) share, from the top of the source tree: frame_setup builds the targets
# named and the preloaded shim (tests/support/preload) in build-bench (or the tree in $frame_tree);
# makes $work with earth.bmp, Debian's Earth map at 2048 x 1024, and its Orvex.Txt; removes it at
# the end with every background job and every X server started by orvex_start_x
# (tests/support/xserver.sh); Mesa's software renderer throughout.
#   source tools/frame_setup.sh; frame_setup [target ...]      sets build, shim and work
#   frame_views                  reads tests/support/views.txt: sets pointer, views and order
#   frame_shot BINARY DISPLAY SCRIPT OUT [window]   a frozen view photographed
set -euo pipefail
source tools/build.sh
source tests/support/xserver.sh
export LIBGL_ALWAYS_SOFTWARE=1

frame_setup() {
  build=${frame_tree:-build-bench}
  orvex_configure "$build"
  cmake --build "$build" --target orvex_preload "$@" >/dev/null
  shim="$PWD/$build/tests/support/orvex_preload.so"
  work=$(mktemp -d)
  trap 'kill $(jobs -p) 2>/dev/null || true; orvex_stop_x; rm -rf "$work"' EXIT
  /usr/bin/convert /usr/share/xplanet/images/earth.jpg -resize 2048x1024! -type TrueColor BMP3:"$work/earth.bmp"
  printf '1\nearth.bmp\n6371\n' > "$work/Orvex.Txt"
}

# swaps_of RECORD: the buffer swaps the shim has counted in its RECORD file so far.
swaps_of() { od -A n -t u8 -N 8 "$1" | tr -d ' '; }

# frame_views: the views of tests/support/views.txt, each frame script written out swap by swap
# (FROM..TO:ACTION becomes one action a swap): pointer (the actions every view starts with),
# views[name] (the rest) and order (the names in the table's order).
frame_views() {
  local name script part k
  declare -gA views=()
  order=()
  while read -r name script; do
    [[ -z $name || $name == \#* ]] && continue
    local expanded=
    IFS=';' read -ra parts <<< "$script"
    for part in "${parts[@]}"; do
      if [[ $part =~ ^([0-9]+)\.\.([0-9]+):(.*)$ ]]; then
        for ((k = BASH_REMATCH[1]; k <= BASH_REMATCH[2]; k++)); do expanded+="$k:${BASH_REMATCH[3]};"; done
      else
        expanded+="$part;"
      fi
    done
    if [ "$name" = pointer ]; then pointer=$expanded; else views[$name]=$expanded; order+=("$name"); fi
  done < tests/support/views.txt
}

# frame_shot BINARY DISPLAY SCRIPT OUT [window]: runs BINARY in its own copy of $work's map until
# the frame script has frozen it, then photographs the whole screen into OUT (a PNG), or with
# "window" only the viewer's window.
frame_shot() {
  local binary=$1 display=$2 script=$3 out=$4 part=${5:-} folder
  folder=$(mktemp -d -p "$work")
  cp "$work/earth.bmp" "$work/Orvex.Txt" "$folder/"
  (cd "$folder" && DISPLAY=$display FRAMESCRIPT="$script" \
     FRAMESCRIPT_FROZEN="$folder/frozen" LD_PRELOAD="$shim" exec "$binary" >/dev/null 2>&1 </dev/null) &
  local pid=$! waited=0 crop=()
  until [ -s "$folder/frozen" ]; do
    sleep 0.1; waited=$((waited + 1))
    if [ $waited -gt 1200 ] || ! kill -0 $pid 2>/dev/null; then echo "no frozen frame from $binary" >&2; return 1; fi
  done
  if [ "$part" = window ]; then
    local WIDTH HEIGHT X Y SCREEN WINDOW
    eval "$(DISPLAY=$display xdotool search --name 'Orvex' getwindowgeometry --shell)"
    crop=(-crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage)
  fi
  xwd -root -silent -display "$display" | /usr/bin/convert xwd:- "${crop[@]}" png:"$out"
  kill $pid; wait $pid 2>/dev/null || true
}
