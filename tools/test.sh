#!/usr/bin/env bash
# Builds Orvex and runs every test: unit, GL state (under Xvfb) and end to end (under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ORVEX_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
