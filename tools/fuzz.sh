#!/usr/bin/env bash
# Fuzzes the three file readers (Orvex.Txt, BMP, Orvex.Out) with libFuzzer, ASan and UBSan.
#   tools/fuzz.sh [seconds-per-target] [target ...]     default: 60 s each, all three targets
# Builds into build-fuzz; the corpus grows in build-fuzz/corpus/<target> from one run to the next,
# crashing inputs land in build-fuzz/crashes/<target>. Exits nonzero when a target fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(config bmp latlon)

build=build-fuzz
source tools/build.sh
orvex_configure build-fuzz "$build"
cmake --build "$build" --target make_seeds $(printf '%s_fuzz ' "${targets[@]}")

seeds="$build/seeds"
rm -rf "$seeds" && mkdir -p "$seeds"
"$build/fuzz/make_seeds" "$seeds"

failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t" crashes="$build/crashes/$t" log="$build/fuzz-$t.log"
  mkdir -p "$corpus" "$crashes"
  # -rss_limit_mb and -malloc_limit_mb stay at their defaults: the readers must refuse a huge
  # claimed size themselves, long before the fuzzer's own limits would stop them.
  if "$build/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$crashes/" "$corpus" "$seeds/$t" >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
  printf '%-7s %-6s %12s executions  %s  corpus %s files\n' "$t" "$status" "${runs:-?}" "${cov:-}" \
    "$(ls "$corpus" | wc -l)"
  if [ "$status" = FAILED ]; then
    grep -m 5 -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" || true
    echo "  full log: $log"
  fi
done
exit $failed
