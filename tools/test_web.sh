#!/usr/bin/env bash
# The browser build's tests: builds build-web/ (tools/web.sh) and the desktop viewer with the
# preloaded shim in build/ (the views test compares the page's pictures with its pictures under
# Xvfb), installs the pinned playwright-core (npm ci; it drives Debian's chromium, no browser is
# downloaded) and runs tests/web/ with Node's own test runner against a loopback server.
#   bash tools/test_web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh chromium nodejs
# npm: Debian's package, unless the installed Node.js brings its own (NodeSource's does).
command -v npm >/dev/null || bash tools/setup.sh npm
bash tools/web.sh
CMAKE_BUILD_PARALLEL_LEVEL=2 bash tools/build.sh orvex orvex_preload >/dev/null
cd tests/web
npm ci --no-audit --no-fund --loglevel=error
node --test --test-concurrency=1
