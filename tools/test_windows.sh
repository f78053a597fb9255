#!/usr/bin/env bash
# The Windows build under Wine, on the end-to-end tests' private Xvfb: builds orvex.exe and the
# zip (tools/windows.sh) and the Linux end-to-end tests, then runs with the Windows build what can
# differ by platform: the start-up report scenarios, every menu entry picked both ways (with the
# keys the picks are compared with), and one pass against the Linux build (the same picture,
# screen dump and Orvex.Out). One Wine prefix per run, removed at the end.
#   bash tools/test_windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/windows.sh
bash tools/build.sh orvex orvex_e2e_tests

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
  --gtest_filter='Startup.*:BothWays/MenuPick.*:Windows.*:-Startup.NameForms'
