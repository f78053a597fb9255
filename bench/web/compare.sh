#!/usr/bin/env bash
# The browser build beside the desktop build on this machine: frames a second of the default,
# help and image-off views (the desktop under Xvfb with Mesa's software renderer, swaps counted by
# the preloaded shim; the page in headless Chromium, framesDrawn counted over the same wall time),
# the page's time to its first frame and its memory with one 8192 x 4096 map, and the first
# picture of both on the same map with the pointer not yet moved (pixels more than 24 levels off
# in any channel). A benchmark, never a test.
#   bash bench/web/compare.sh [rounds] [seconds-per-sample]
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds=${1:-3}
seconds=${2:-4}
bash tools/web.sh >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
source tools/frame_setup.sh; frame_setup orvex
orvex_start_x
viewer="$PWD/$build/orvex"
mkdir "$work/big"
/usr/bin/convert /usr/share/xplanet/images/earth.jpg -resize 8192x4096! -type TrueColor BMP3:"$work/big/big.bmp"
printf '1\nbig.bmp\n6371\n' > "$work/big/Orvex.Txt"

# desktop KEY: frames a second of the desktop build with KEY typed (or none), the pointer where
# tools/bench_frames.sh puts it.
desktop() {
  local record="$work/swaps" a b
  : > "$record"
  (cd "$work" && ORVEX_PRELOAD_RECORD="$record" LD_PRELOAD="$shim" exec "$viewer" >/dev/null 2>&1 </dev/null) &
  local pid=$!
  for _ in $(seq 200); do [ "$(swaps_of "$record" 2>/dev/null || echo 0)" -gt 0 ] 2>/dev/null && break; sleep 0.05; done
  xdotool mousemove 510 402
  [ -n "$1" ] && xdotool key "$1"
  sleep 1
  a=$(swaps_of "$record"); sleep "$seconds"; b=$(swaps_of "$record")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo "scale=1; ($b - $a) / $seconds" | bc
}

# The desktop's first picture: frozen at its 40th swap, the pointer not moved (by then the window
# has its size), cut from the screen.
(cd "$work" && FRAMESCRIPT="40:f" FRAMESCRIPT_FROZEN="$work/frozen" LD_PRELOAD="$shim" \
   exec "$viewer" >/dev/null 2>&1 </dev/null) &
pid=$!
for _ in $(seq 600); do [ -s "$work/frozen" ] && break; sleep 0.1; done
# The viewer's window, once it is 1024 x 748 (the size it keeps; the page's canvas has it too).
for id in $(xdotool search --name 'Orvex'); do
  eval "$(xdotool getwindowgeometry --shell "$id")"
  [ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 748 ] && break
done
xwd -root -silent | /usr/bin/convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage png:"$work/desktop-first.png"
kill "$pid"; wait "$pid" 2>/dev/null || true

for round in $(seq "$rounds"); do
  echo "round $round"
  for view in default help image-off; do
    key=$(case $view in help) echo h ;; image-off) echo i ;; *) echo "" ;; esac)
    echo "desktop-fps-$view $(desktop "$key")"
  done
  node bench/web/page.js "$work" "$seconds" $([ "$round" = 1 ] && echo "$work/big")
done

# First pictures: the page's canvas against the desktop's window, over the size both have.
w=$(/usr/bin/identify -format %w "$work/web-first.png"); h=$(/usr/bin/identify -format %h "$work/web-first.png")
echo "sizes desktop ${WIDTH}x${HEIGHT} page ${w}x${h}"
off=$(/usr/bin/convert "$work/desktop-first.png" -crop "${w}x${h}+0+0" +repage "$work/web-first.png" \
        -compose difference -composite -separate -evaluate-sequence max -threshold 9.41% \
        -format '%[fx:round(mean*w*h)]' info:)
echo "first-picture-pixels-off-by-more-than-24 $off of $((w * h)) ($(echo "scale=2; 100 * $off / ($w * $h)" | bc) %)"
[ -n "${COMPARE_KEEP:-}" ] && cp "$work/desktop-first.png" "$work/web-first.png" "$COMPARE_KEEP/"
true
