#!/usr/bin/env bash
# Builds the fuzzers (clang++ with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each for a while on its corpus: the page-text encoding, the names in links and the
# natural order, each against its properties (tests/fuzz/fuzz_properties.cpp).
#
# Usage: scripts/fuzz.sh [SECONDS] [BUILD_DIR]     SECONDS per fuzzer (default 20),
#                                                  BUILD_DIR default build-fuzz
# A longer run: scripts/fuzz.sh 3600
#
# The committed corpus (tests/fuzz/corpus/NAME/) is only read; what a run finds is kept in
# BUILD_DIR/corpus/NAME/ for the next run. An input that breaks a property is saved in
# BUILD_DIR/crashes/; minimise it and add it to the committed corpus (the message says how),
# which every run, CI's included, replays first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=${2:-build-fuzz}
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "fuzz.sh: '$seconds' is not a number of seconds" >&2; exit 2; }
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is missing: run scripts/install-deps.sh" >&2; exit 2; }

CXX=clang++ cmake -S tests/fuzz -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j"$(nproc)"

status=0
total=0
for target in page_text web_path natural_order picture_metadata; do
  mkdir -p "$build/corpus/$target" "$build/crashes"
  log="$build/fuzz_$target.log"
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
    "$build/corpus/$target" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    total=$((total + runs))
    echo "fuzz_$target: $runs executions in ${seconds} s, every property held"
  else
    status=1
    echo "fuzz_$target: FAILED (log: $log)"
    grep -E "property broken|ERROR:|SUMMARY:|Test unit written" "$log" || tail -20 "$log"
    echo "  minimise: $build/fuzz_$target -minimize_crash=1 -runs=100000 FILE"
    echo "  then add the result to tests/fuzz/corpus/$target/"
  fi
done
echo "fuzz: $total executions in all"
exit "$status"
