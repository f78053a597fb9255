#!/usr/bin/env bash
# Picture helper benchmark: a 21600 x 10800 JPEG (made once by make_map with libvips) to an
# 8192 x 4096 BMP, 24-bit and 8-bit, against the least work libvips needs for the same decode and
# scale (`vips thumbnail` into its raw format). Rounds interleave the three sides; each side
# reports the median, lowest and highest wall time, CPU time (user + system) and peak memory.
# When tools/windows.sh has built build-win/orvex-picture.exe, the Windows helper's 24-bit run
# under Wine (a private prefix, its server kept for the run) is a fourth side.
#   bash bench/picture/run.sh [rounds]          (default 5; results also in build-bench/results/)
# Never part of the test run. The input (about 30 MB) is kept in ${ORVEX_BENCH_CACHE:-~/.cache/orvex-bench}.
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds=${1:-5}
build=build-bench
cache=${ORVEX_BENCH_CACHE:-$HOME/.cache/orvex-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target make_map orvex-picture >/dev/null
mkdir -p "$cache" "$build/results"
map=$cache/map-21600x10800.jpg
[ -s "$map" ] || "$build/bench/picture/make_map" 21600 10800 "$map"
work=$(mktemp -d "${TMPDIR:-/tmp}/picture-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export ORVEX_PICTURE=$PWD/$build/orvex-picture
sides=(helper-24 helper-8 reference)
exe=$PWD/build-win/orvex-picture.exe
if [ -f "$exe" ] && command -v wine >/dev/null; then
    export WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
    DISPLAY= wineboot -i >/dev/null 2>&1
    wineserver -w
    wineserver -p
    sides+=(wine-24)
fi

# One timed run: side name, then the command; appends "wall cpu peak-KiB" to $work/side.
timed() {
    local side=$1; shift
    rm -f "$work"/out.* "$work/Orvex.Txt"
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
        { cat "$work/err" >&2; exit 1; }
    awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time" >>"$work/$side"
}
for ((round = 1; round <= rounds; round++)); do
    timed helper-24 tools/orvex-picture --max-size 8192 -C "$work" "$map" 6371 out.24.bmp
    timed helper-8 tools/orvex-picture -8 --max-size 8192 -C "$work" "$map" 6371 out.8.bmp
    timed reference vips thumbnail "$map" "$work/out.v" 8192 --height 8192 --size down --no-rotate
    [ ${#sides[@]} -eq 3 ] || timed wine-24 wine "$exe" --max-size 8192 -C "$work" "$map" 6371 out.w.bmp
done
timed fit-gl xvfb-run -a tools/orvex-picture --fit-gl -C "$work" "$map" 6371 out.fit.bmp
fitted=$(od -An -t d4 -j 18 -N 8 --endian=little "$work/out.fit.bmp" | xargs)

{
    echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
    echo "input: $map ($(stat -c %s "$map") bytes), $rounds rounds"
    printf '%-10s %26s %22s %20s\n' side "wall s (median lo-hi)" "cpu s (median lo-hi)" "peak MiB (median)"
    for side in "${sides[@]}"; do
        sort -n -k1 "$work/$side" | awk -v side="$side" '
            { wall[NR] = $1 } END { lo = wall[1]; hi = wall[NR]; med = wall[int((NR + 1) / 2)]
              printf "%-10s %10.2f (%5.2f-%5.2f)", side, med, lo, hi }'
        sort -n -k2 "$work/$side" | awk '{ cpu[NR] = $2 } END {
              printf " %10.2f (%5.2f-%5.2f)", cpu[int((NR + 1) / 2)], cpu[1], cpu[NR] }'
        sort -n -k3 "$work/$side" | awk '{ m[NR] = $3 } END { printf " %12.0f\n", m[int((NR + 1) / 2)] / 1024 }'
    done
    awk -v size="$fitted" '{ printf "fit-gl     %10.2f s wall, %.2f s cpu, %.0f MiB peak, output %s under Xvfb\n", $1, $2, $3 / 1024, size }' "$work/fit-gl"
    awk 'FNR == 1 { f = FILENAME } { s[f] += $1; n[f]++ } END {
        printf "RESULT wall ratio helper-24/reference %.2f, helper-8/helper-24 %.2f (means)\n",
               s[ARGV[1]] / s[ARGV[3]], s[ARGV[2]] / s[ARGV[1]] }' \
        "$work/helper-24" "$work/helper-8" "$work/reference"
    [ ${#sides[@]} -eq 3 ] || awk 'FNR == 1 { f = FILENAME } { s[f] += $1; n[f]++ } END {
        printf "RESULT wall ratio wine-24/helper-24 %.2f (means)\n", s[ARGV[2]] / s[ARGV[1]] }' \
        "$work/helper-24" "$work/wine-24"
} | tee "$build/results/picture.txt"
