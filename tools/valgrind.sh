#!/usr/bin/env bash
# The real viewer under valgrind memcheck on a private Xvfb: start-up with a true-colour and a
# palette picture, then a few hundred frames with the grid, its labels and the place names on and
# the globe turning, then "q". Fails on any invalid read or write, any use of an undefined value
# and any definite or indirect leak not owned by the libraries named in tools/valgrind.supp.
#   tools/valgrind.sh [frames]        default 300
# Uses the viewer of $ORVEX_BUILD_DIR (default build), building it when needed. Prints
# valgrind's summary; the whole log is kept when the check fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
frames=${1:-300}
build=${ORVEX_BUILD_DIR:-build}
[[ $build = /* ]] || build="$root/$build"
source tools/build.sh
[ -f "$build/CMakeCache.txt" ] || orvex_configure build "$build"
cmake --build "$build" --target orvex >/dev/null

work=$(mktemp -d /tmp/orvex-valgrind-XXXXXX)
viewer=""
source tests/support/xserver.sh
cleanup() {
  [ -n "$viewer" ] && kill "$viewer" 2>/dev/null || true
  orvex_stop_x
  [ "${keep:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "valgrind.sh: $*" >&2; keep=1; echo "logs kept in $work" >&2; exit 1; }

# Bounded polling: wait_for SECONDS COMMAND...
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

# Two pictures: 24-bit with an odd width (padded rows) and 8-bit with a palette.
/usr/bin/convert -size 721x360 gradient:navy-seagreen -type TrueColor BMP3:"$work/rgb.bmp"
/usr/bin/convert -size 200x100 plasma:fractal -seed 7 +dither -colors 64 -type Palette -compress None \
  BMP3:"$work/pal.bmp"
printf '2\nrgb.bmp\n6371\npal.bmp\n3390\n' > "$work/Orvex.Txt"

orvex_start_x || fail "Xvfb did not start"
# Rasterise on the viewer's own thread: valgrind runs threads one at a time anyway.
export LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0

(cd "$work" && exec valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect \
   --errors-for-leak-kinds=definite,indirect --num-callers=40 --keep-debuginfo=yes --error-exitcode=3 \
   --suppressions="$root/tools/valgrind.supp" --gen-suppressions=all --log-file="$work/valgrind.log" \
   "$build/orvex" >"$work/out.txt" 2>"$work/err.txt" </dev/null) &
viewer=$!
start=$SECONDS

# The first frame moves the window to (0, 20) and warps the pointer to (510, 382).
framed() { xdotool search --onlyvisible --name '^Orvex\.Exe v0\.73$' getwindowgeometry | grep -q 'Position: 0,20'; }
framed_or_ended() { ! kill -0 "$viewer" 2>/dev/null || framed; }
wait_for 600 framed_or_ended || fail "no frame within 600 s"
kill -0 "$viewer" 2>/dev/null || fail "the viewer ended before its first frame: $(cat "$work/err.txt")"
echo "start-up under memcheck: $((SECONDS - start)) s"
frames_from=$SECONDS
xdotool mousemove 512 400
for k in g p r; do xdotool key "$k"; done

# Auto-rotation warps the pointer 0.4 pixel left each frame (and 720 right once a turn), so the
# pointer's travel counts the frames drawn.
pointer_x() { xdotool getmouselocation | sed 's/^x:\([0-9]*\).*/\1/'; }
travel=0
last=$(pointer_x)
end=$((SECONDS + 1800))
while [ "$travel" -lt $((frames * 2 / 5)) ]; do
  [ $SECONDS -lt $end ] || fail "fewer than $frames frames within 1800 s"
  kill -0 "$viewer" 2>/dev/null || fail "the viewer ended early"
  sleep 1
  now=$(pointer_x)
  step=$((last - now))
  [ $step -lt -300 ] && step=$((step + 720))
  travel=$((travel + step))
  last=$now
done
drawn=$((travel * 5 / 2))
xdotool key q
wait_for 300 bash -c "! kill -0 $viewer" || fail "the viewer did not end after q"
status=0
wait "$viewer" || status=$?
viewer=""

echo "about $drawn frames in $((SECONDS - frames_from)) s, $((SECONDS - start)) s in all under memcheck"
sed -n 's/^==[0-9]*== //p' "$work/valgrind.log" |
  grep -E '^ *(in use at exit|total heap usage|definitely lost|indirectly lost|possibly lost|still reachable|suppressed|ERROR SUMMARY):' || true
[ "$(cat "$work/err.txt")" = "End of run (keyboard)." ] || fail "unexpected standard error: $(cat "$work/err.txt")"
[ "$status" -eq 0 ] || fail "memcheck found errors (exit status $status)"
echo "valgrind.sh: no invalid access, no undefined value, no leak of our own"
