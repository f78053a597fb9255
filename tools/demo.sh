#!/usr/bin/env bash
# Demo: builds the viewer, prepares ./demo/ with real imagery of the Earth (a 24-bit day map and an
# 8-bit palette night map) and an Orvex.Txt naming both, then starts the viewer there.
#   With a DISPLAY: the viewer runs in the foreground; end it with Q.
#   Without one: it runs under a private Xvfb until it has drawn, a screenshot is saved to
#   demo/screenshot.png, and the viewer is stopped.
# Needs xvfb, xdotool, imagemagick, xplanet-images and x11-apps (tools/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

images=/usr/share/xplanet/images
for need in /usr/bin/convert /usr/bin/identify "$images/earth.jpg" "$images/night.jpg"; do
  [ -e "$need" ] || { echo "demo: $need is missing; run tools/setup.sh first" >&2; exit 1; }
done

bash tools/build.sh orvex

mkdir -p demo

# header FILE OFFSET BYTES: a little-endian signed field of a BMP header.
header() { od -A n -t "d$3" -j "$2" -N "$3" "$1" | tr -d ' '; }

# Day map: true colour, 24 bits a pixel, rows bottom-up (BMP3 writes the 40-byte info header).
/usr/bin/convert "$images/earth.jpg" -type TrueColor BMP3:demo/earth.bmp
# Night map: remapped to a 256-entry palette and written uncompressed (ImageMagick would use RLE).
/usr/bin/convert "$images/night.jpg" -dither None -colors 256 -type Palette -compress None \
  BMP3:demo/night.bmp

check() {  # check FILE BITS
  local bits compression height
  bits=$(header "$1" 28 2); compression=$(header "$1" 30 4); height=$(header "$1" 22 4)
  if [ "$bits" != "$2" ] || [ "$compression" != 0 ] || [ "$height" -le 0 ]; then
    echo "demo: $1 is not an uncompressed bottom-up $2-bit BMP" \
         "(bits $bits, compression $compression, height $height)" >&2
    exit 1
  fi
}
check demo/earth.bmp 24
check demo/night.bmp 8
/usr/bin/identify -verbose demo/night.bmp | grep -E '^  (Type|Colors|Compression):' | sed 's/^ */night.bmp: /'

printf '2\nearth.bmp\n6371\nnight.bmp\n6371\n' > demo/Orvex.Txt

viewer="$PWD/build/orvex"
if [ -n "${DISPLAY:-}" ]; then
  cd demo
  exec "$viewer"
fi

# No display: a private Xvfb, the viewer in the background, a screenshot once it has drawn.
source tests/support/xserver.sh
viewer_pid=''
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  orvex_stop_x
}
trap cleanup EXIT
orvex_start_x || { echo "demo: Xvfb did not start" >&2; exit 1; }

(cd demo && exec "$viewer" </dev/null) &
viewer_pid=$!

# Drawn once the window sits at its frame place and the screen holds more than black.
drawn=''
for _ in $(seq 300); do
  kill -0 "$viewer_pid" 2>/dev/null || { echo "demo: the viewer ended early" >&2; exit 1; }
  if window=$(xdotool search --onlyvisible --name '^Orvex\.Exe v0\.73$' 2>/dev/null | head -n 1) &&
     [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Absolute upper-left Y:  *20$'; then
    mean=$(xwd -root -silent | /usr/bin/convert xwd:- -format '%[fx:mean]' info:)
    if awk -v m="$mean" 'BEGIN { exit !(m > 0.03) }'; then drawn=yes; break; fi
  fi
  sleep 0.2
done
[ -n "$drawn" ] || { echo "demo: the viewer did not draw in time" >&2; exit 1; }

xwd -root -silent | /usr/bin/convert xwd:- demo/screenshot.png
echo
echo "Screenshot: $PWD/demo/screenshot.png"
