#!/usr/bin/env bash
# Demo: builds the viewer, prepares ./demo/ with real imagery of the Earth (a 24-bit day map and an
# 8-bit palette night map) and an Orvex.Txt naming both, then starts the viewer there.
#   With a DISPLAY: the viewer runs in the foreground; end it with Q.
#   Without one: it runs under a private Xvfb until it has drawn, a screenshot is saved to
#   demo/screenshot.png, and the viewer is stopped.
# Needs xvfb, xdotool, imagemagick, xplanet-images and x11-apps (tools/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/build.sh orvex
bash tools/demo_maps.sh demo

viewer="$PWD/build/orvex"
if [ -n "${DISPLAY:-}" ]; then
  cd demo
  exec "$viewer"
fi

# No display: a private Xvfb, the viewer in the background, a screenshot once it has drawn.
work=$(mktemp -d)
xvfb_pid=''
viewer_pid=''
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "demo: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

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
