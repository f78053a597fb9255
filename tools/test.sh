#!/usr/bin/env bash
# Builds Orvex and runs every test: unit, GL state (under Xvfb) and end to end (under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build.sh
build=${ORVEX_BUILD_DIR:-build}
orvex_configure build "$build"
cmake --build "$build"
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
