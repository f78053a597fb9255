#!/usr/bin/env bash
# Runs the whole test command (tools/test.sh) again and again while a busy loop per core keeps the
# machine loaded, and prints each failure with its test name and output. Exits 1 when a run failed.
#   tools/stress_tests.sh [runs] [ctest arguments...]    default 10 runs of every test
# Every run's full log is kept in $ORVEX_STRESS_LOGS (default a fresh folder under /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
[ $# -gt 0 ] && shift
logs=${ORVEX_STRESS_LOGS:-$(mktemp -d /tmp/orvex-stress-XXXXXX)}
mkdir -p "$logs"

hogs=()
cleanup() { for pid in "${hogs[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# Build once before loading the machine, so that every run measures the tests alone.
bash tools/test.sh -N >/dev/null
for ((k = 0; k < $(nproc); ++k)); do
  bash -c 'while :; do :; done' &
  hogs+=($!)
done

# The failed tests of one ctest log, each with its output; of a GoogleTest binary only the
# scenarios that failed, from their RUN line to their FAILED line.
failures() {
  awk '
    function flush() {
      if (name == "") return
      if (!gtest) { for (i = 1; i <= n && i <= 120; ++i) print "    " body[i]; if (n > 120) print "    ..." }
      name = ""
    }
    /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / {
      flush()
      if ($0 !~ /Passed|Skipped/) { name = $0; print "  " $0; n = 0; gtest = 0; block = "" }
      next
    }
    /^ +Start +[0-9]+: / || /^[0-9]+% tests passed/ { flush(); next }
    name == "" { next }
    {
      body[++n] = $0
      if ($0 ~ /^\[ RUN      \]/) { gtest = 1; block = $0 "\n"; next }
      if ($0 ~ /^\[       OK \]/ || $0 ~ /^\[  SKIPPED \]/) { block = ""; next }
      if ($0 ~ /^\[  FAILED  \]/ && block != "") { printf "%s", block; print $0; block = ""; next }
      if (block != "") block = block $0 "\n"
    }
    END { flush() }
  ' "$1"
}

failed_runs=0
declare -A by_test
for ((run = 1; run <= runs; ++run)); do
  log="$logs/run$run.log"
  start=$SECONDS
  if bash tools/test.sh "$@" >"$log" 2>&1; then
    echo "run $run/$runs: passed ($((SECONDS - start)) s)"
    continue
  fi
  failed_runs=$((failed_runs + 1))
  echo "run $run/$runs: FAILED ($((SECONDS - start)) s), log $log"
  failures "$log"
  while read -r test; do
    by_test[$test]=$((${by_test[$test]:-0} + 1))
  done < <(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*/\1 &/p' "$log" | grep -v 'Passed\|Skipped' | cut -d' ' -f1
           grep -h '^\[  FAILED  \] [A-Za-z_0-9]*\.[A-Za-z_0-9/]* (' "$log" | awk '{print $4}')
done

echo "stress: $failed_runs of $runs runs failed under $(nproc) busy loops; logs in $logs"
for test in "${!by_test[@]}"; do echo "  $test: failed in ${by_test[$test]} runs"; done | sort
[ "$failed_runs" -eq 0 ]
