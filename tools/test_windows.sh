#!/usr/bin/env bash
# The Windows build under Wine, on the end-to-end tests' private Xvfb: builds orvex.exe and the
# zip (tools/windows.sh) and the Linux end-to-end tests, then runs with the Windows build what can
# differ by platform: the start-up report scenarios, every menu entry picked both ways (with the
# keys the picks are compared with), and one pass against the Linux build (the same picture,
# screen dump and Orvex.Out); then the picture helper orvex-picture.exe: the Linux helper's
# groups of checks, a map made by both helpers, and a picture dropped on it in Explorer. One Wine
# prefix per run, removed at the end.
#   bash tools/test_windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/windows.sh
bash tools/build.sh orvex orvex-picture orvex_e2e_tests

prefix=$(mktemp -d "${TMPDIR:-/tmp}/orvex-wine.XXXXXX")
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$prefix"; }
trap cleanup EXIT
# The prefix is made once (Wine's first start, about 10 s), and its server kept for the run.
DISPLAY='' wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p

# A name with a double quote cannot be a Windows file name: that scenario stays Linux's.
ORVEX_E2E_WINE=$PWD/build-win/orvex.exe build/tests/e2e/orvex_e2e_tests \
  --gtest_filter='Startup.*:BothWays/MenuEntryChosen.*:Windows.*:-Startup.NameForms'

# The picture helper's checks, run through the clone's tools/orvex-picture as the Linux tests run
# them: a helper that is orvex-picture.exe under Wine. No display but the one xvfb-run gives.
echo '#!/bin/sh' >"$prefix/orvex-picture"
echo "exec wine '$PWD/build-win/orvex-picture.exe' \"\$@\"" >>"$prefix/orvex-picture"
chmod +x "$prefix/orvex-picture"
for group in conversions scaling config limits errors; do
  DISPLAY= ORVEX_PICTURE=$prefix/orvex-picture bash tests/tools/picture_helper_test.sh "$PWD/tools/orvex-picture" $group
done

# A picture dropped on orvex-picture.exe in Explorer: its only argument, in a console of its own
# (a terminal gives Wine's console one); the answers are typed once each prompt is shown.
drop=$prefix/drop
mkdir -p "$drop"
cp build-win/orvex-picture.exe "$drop/"
/usr/bin/convert -size 40x20 xc:teal "$drop/red planet.png"
mkfifo "$drop/keys"
console=$drop/console
shown() {  # the console's text, its cursor moves and blanks left out, holds $1 within 30 s
  for _ in $(seq 300); do
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' "$console" 2>/dev/null | tr -d '\n' | grep -q "$1" && return 0
    sleep 0.1
  done
  echo "drop: no '$1' on the console" >&2; return 1
}
type_line() { shown "$1" && printf '%s' "$2" >&4 && shown "$1$2" && printf '\r' >&4; }
(cd "$prefix" && timeout 60 script -qc "wine '$drop/orvex-picture.exe' '$(winepath -w "$drop/red planet.png")'" /dev/null \
  <"$drop/keys" >"$drop/console") &
exec 4>"$drop/keys"
type_line 'Earth):' 3389.5 && type_line 'bmp\]:' '' && type_line 'window\.' ''
wait $!
exec 4>&-
[ -s "$drop/red planet.bmp" ] && [ "$(cat "$drop/Orvex.Txt")" = $'1\r\n"red planet.bmp"\r\n3389.5\r' ] ||
  { echo "drop: no BMP and Orvex.Txt entry (CR LF lines) beside orvex-picture.exe" >&2; exit 1; }
echo "drop: all checks passed"

# orvex.exe in a console of its own: an Orvex.Txt with an unclosed quote ends the run, and the
# console waits for Enter before it closes, as after every other stop.
cp build-win/orvex.exe "$drop/"
printf '1\n"earth.bmp\n6371\n' >"$drop/Orvex.Txt"
console=$drop/stop-console
mkfifo "$drop/stop-keys"  # a fifo of its own: the helper's console may still hold the first one
(cd "$drop" && timeout 60 script -qc "wine '$drop/orvex.exe'" /dev/null <"$drop/stop-keys" >"$console") &
exec 4>"$drop/stop-keys"
{ shown 'not found\.' && shown 'PressEnter' && printf '\r' >&4; } ||
  { echo "stop: the unclosed quote's stop does not wait for Enter" >&2; exit 1; }
wait $!
exec 4>&-
echo "stop: waits for Enter"
