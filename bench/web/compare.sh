#!/usr/bin/env bash
# The browser build's frame figures against its floor and targets, with the display's 60 Hz cap in
# place as users run the page: in headless Chromium (Debian's /usr/bin/chromium, SwiftShader WebGL,
# driven by the tests' playwright-core) every figure and its target, then where the default view's
# frame time goes, in Chromium and in Firefox ESR (puppeteer-core, under Xvfb, Mesa's llvmpipe).
# bench/web/page.js says how each figure is measured. Frames shown are animation frames
# (requestAnimationFrame callbacks), frames drawn the page's own count; the floor is
# bench/web/floor.html, the demo map on the textured sphere alone. The desktop build (Xvfb, Mesa's
# llvmpipe) gives only the first picture the page's is compared with. A benchmark, never a test.
#   bash bench/web/compare.sh [rounds] [seconds-per-sample] [frames|parts]   (both unless one is named)
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds=${1:-5}
seconds=${2:-4}
what=${3:-all}
bash tools/web.sh >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
(cd bench/web && npm ci --no-audit --no-fund --loglevel=error)
bash tools/setup.sh firefox-esr
parts() {  # Firefox draws WebGL only with an X display
  node bench/web/page.js parts "$rounds" "$seconds" chromium
  node bench/web/page.js parts "$rounds" "$seconds" firefox
}
if [ "$what" = parts ]; then
  source tests/support/xserver.sh
  trap orvex_stop_x EXIT
  orvex_start_x
  parts
  exit 0
fi
source tools/frame_setup.sh; frame_setup orvex
orvex_start_x
viewer="$PWD/$build/orvex"
mkdir "$work/big"
/usr/bin/convert /usr/share/xplanet/images/earth.jpg -resize 8192x4096! -type TrueColor BMP3:"$work/big/big.bmp"
printf '1\nbig.bmp\n6371\n' > "$work/big/Orvex.Txt"

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

node bench/web/page.js frames "$work" "$rounds" "$seconds"
[ -n "${COMPARE_KEEP:-}" ] && cp "$work/desktop-first.png" "$work/web-first.png" "$COMPARE_KEEP/"
[ "$what" = frames ] || parts
