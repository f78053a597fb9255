#!/usr/bin/env bash
# Runs every benchmark: import, start-up and frames, then draws the frame chart of
# docs/performance.md, and compares the pictures of this build with those of a reference commit
# pixel for pixel. Never part of the test run; takes about a quarter of an hour.
#   tools/bench.sh [rounds] [reference-commit]   results in build-bench/results/, chart in docs/
# The reference commit (default: the last one before frames were drawn from display lists)
# must give the same pictures in every view of tools/pixel_compare.sh.
# The start-up pictures (5 x 100 MB) are written once into ${ORVEX_BENCH_CACHE:-~/.cache/orvex-bench}.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
reference=${2:-36a91d0}
build=build-bench
results=$build/results
cache=${ORVEX_BENCH_CACHE:-$HOME/.cache/orvex-bench}
source tools/build.sh
orvex_configure build-bench "$build"
cmake --build "$build" >/dev/null
mkdir -p "$results"

{
  echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
  echo "memory: $(free -g | awk '/Mem:/ {print $2}') GB"
  bash tests/support/xserver.sh env LIBGL_ALWAYS_SOFTWARE=1 glxinfo -B 2>/dev/null |
    grep -E "OpenGL renderer|OpenGL version" || echo "(glxinfo from mesa-utils not installed)"
  dpkg-query -W -f='Mesa ${Version}\n' libgl1-mesa-dri 2>/dev/null || true
} | tee "$results/machine.txt"

echo "== import"
"$build/bench/import_bench" | tee "$results/import.txt"

echo "== start-up"
bash tests/support/xserver.sh env LIBGL_ALWAYS_SOFTWARE=1 \
  "$build/bench/startup/startup_bench" "$build/orvex" "$build/bench/startup/startup_reference" \
  "$build/tests/support/orvex_preload.so" "$cache" "$rounds" | tee "$results/startup.txt"

echo "== frames"
bash tools/bench_frames.sh "$rounds" 3 "$results/frames.dat" | tee "$results/frames.txt"

if command -v gnuplot >/dev/null; then
  bash tools/bench_chart.sh "$results/frames.dat" docs/performance-frames.png
  echo "chart: docs/performance-frames.png"
fi

echo "== pixel identity with $reference"
tree=$build/reference-src
rm -rf "$tree" && mkdir -p "$tree"
git archive "$reference" | tar -x -C "$tree"
cmake -S "$tree" -B "$build/reference" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/reference" --target orvex >/dev/null
bash tools/pixel_compare.sh "$build/reference/orvex" "$build/orvex" | tee "$results/pixels.txt"
