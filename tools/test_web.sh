#!/usr/bin/env bash
# The browser build's tests: builds build-web/ (tools/web.sh), installs the pinned playwright-core
# (npm ci; it drives Debian's chromium, no browser is downloaded) and runs tests/web/ with Node's
# own test runner against a loopback server.
#   bash tools/test_web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh chromium nodejs
# npm: Debian's package, unless the installed Node.js brings its own (NodeSource's does).
command -v npm >/dev/null || bash tools/setup.sh npm
bash tools/web.sh
cd tests/web
npm ci --no-audit --no-fund --loglevel=error
node --test --test-concurrency=1
