#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, optimised with debug information, ASan and UBSan) and runs
# each for SECONDS_EACH seconds (default 20), one after the other, on its own corpus in
# build/fuzz-corpus/<target>, which grows from run to run. Inputs that once failed
# (tests/fuzz/regressions/<target>/) are replayed first. Prints the executions and the result of
# every target; exits non-zero when any target failed. Logs: build/fuzz-logs/<target>.log;
# failing inputs: build/fuzz-artifacts/<target>-crash-*.
#
#   tests/fuzz/run-fuzzers.sh [SECONDS_EACH]
#
# For a long campaign on a shared machine: nice -n 19 tests/fuzz/run-fuzzers.sh 3600
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
seconds=${1:-20}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS_EACH]" >&2
  exit 2
fi
fuzz_dir="$orsk_root/tests/fuzz"
build="${ORSK_FUZZ_BUILD_DIR:-$orsk_root/build/fuzz}"
corpora="$orsk_root/build/fuzz-corpus"
logs="$orsk_root/build/fuzz-logs"
artifacts="$orsk_root/build/fuzz-artifacts"
targets=(trace_decoder filter_level date_time_text form_description saved_file trace_search
         text_editor)

echo "== Fuzz targets (clang, libFuzzer, ASan and UBSan)"
CC=clang CXX=clang++ cmake -S "$orsk_root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_FLAGS=-g -DCMAKE_CXX_FLAGS=-g \
  -DORSK_BUILD_FUZZ=ON -DORSK_BUILD_TESTS=OFF -DORSK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target orsk_fuzzers

mkdir -p "$corpora" "$logs" "$artifacts"
export UBSAN_OPTIONS=print_stacktrace=1
failed=0
for target in "${targets[@]}"; do
  fuzzer="$build/bin/fuzz_$target"
  corpus="$corpora/$target"
  log="$logs/$target.log"
  mkdir -p "$corpus"
  if [ -d "$fuzz_dir/seeds/$target" ]; then
    cp -n "$fuzz_dir/seeds/$target"/* "$corpus/"
  fi
  if [ "$target" = form_description ]; then
    cp -n "$orsk_root/window/OrskTraceFrm.form" "$corpus/"
  fi
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$artifacts/$target-")
  if [ -f "$fuzz_dir/dictionaries/$target.dict" ]; then
    options+=(-dict="$fuzz_dir/dictionaries/$target.dict")
  fi

  result=ok
  regressions=()
  if [ -d "$fuzz_dir/regressions/$target" ]; then
    mapfile -t regressions < <(find "$fuzz_dir/regressions/$target" -type f | sort)
  fi
  : >"$log"
  if [ ${#regressions[@]} -gt 0 ] && ! "$fuzzer" "${regressions[@]}" >>"$log" 2>&1; then
    result="FAILED on a saved regression input"
  elif ! "$fuzzer" "${options[@]}" "$corpus" >>"$log" 2>&1; then
    result="FAILED"
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  printf '%-17s %10s executions in %4ss, corpus %5s inputs: %s\n' "$target" "${executions:-0}" \
    "$seconds" "$(find "$corpus" -type f | wc -l)" "$result"
  if [ "$result" != ok ]; then
    failed=1
    # The report and the input that caused it.
    grep -E 'ERROR|runtime error|property does not hold|not a FormDescriptionError|Test unit written|Running: ' \
      "$log" | head -n 8 | sed 's/^/    /'
  fi
done

if [ "$failed" -ne 0 ]; then
  echo "fuzzing: FAILED (logs in build/fuzz-logs, inputs in build/fuzz-artifacts)"
  exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no failures"
