#!/usr/bin/env bash
# The browser build's tests in three engines: builds build-web/ (tools/web.sh) and the desktop
# viewer with the preloaded shim in build/ (the views test compares the page's pictures with its
# pictures under Xvfb), installs Debian's Chromium, Firefox ESR and WebKitGTK (its WebDriver and
# MiniBrowser) and the pinned npm modules that drive them (npm ci, no install scripts: no browser
# or driver is downloaded), and runs tests/web/ with Node's own test runner against a loopback
# server once per engine. Firefox and WebKit run under a private Xvfb (tests/web/engines.js).
#   bash tools/test_web.sh [chromium|firefox|webkit ...]     all three unless named
set -euo pipefail
cd "$(dirname "$0")/.."
engines=("$@")
[ $# -gt 0 ] || engines=(chromium firefox webkit)
bash tools/setup.sh chromium firefox-esr webkit2gtk-driver nodejs
# npm: Debian's package, unless the installed Node.js brings its own (NodeSource's does).
command -v npm >/dev/null || bash tools/setup.sh npm
bash tools/web.sh
CMAKE_BUILD_PARALLEL_LEVEL=2 bash tools/build.sh orvex orvex_preload >/dev/null
cd tests/web
npm ci --ignore-scripts --no-audit --no-fund --loglevel=error
# Every engine runs, and a failure in any fails the whole.
failed=()
for engine in "${engines[@]}"; do
  echo "== the page's tests in $engine"
  started=$SECONDS
  ORVEX_ENGINE=$engine node --test --test-concurrency=1 || failed+=("$engine")
  echo "== $engine: $((SECONDS - started)) s"
done
[ ${#failed[@]} -eq 0 ] || { echo "test_web: failed in ${failed[*]}" >&2; exit 1; }
