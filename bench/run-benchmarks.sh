#!/usr/bin/env bash
# Builds the core benchmarks (native, optimised) and prints their figures as a Markdown table.
#   bench/run-benchmarks.sh [extra Google Benchmark flags, e.g. --benchmark_repetitions=3]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/bench"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORSK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target orsk_core_bench >/dev/null
bench="$build/bench/orsk_core_bench"

echo "| benchmark | time per run | throughput | figures |"
echo "|---|---|---|---|"
# One family at a time: the CSV output wants the same counters in every row.
for family in $("$bench" --benchmark_list_tests 2>/dev/null | sed 's|/.*||' | uniq); do
  "$bench" --benchmark_filter="^$family(/|\$)" --benchmark_format=csv "$@" 2>/dev/null | awk -F, '
    NR == 1 {
      for (i = 1; i <= NF; i++) col[$i] = i
      first_counter = col["error_message"] + 1
      for (i = first_counter; i <= NF; i++) { name[i] = $i; gsub(/"/, "", name[i]) }
      next
    }
    {
      gsub(/"/, "", $1)
      time = sprintf("%.3g %s", $col["real_time"], $col["time_unit"])
      rate = ""
      if ($col["bytes_per_second"] != "") rate = sprintf("%.0f MB/s", $col["bytes_per_second"] / 1e6)
      else if ($col["items_per_second"] != "") rate = sprintf("%.2f M items/s", $col["items_per_second"] / 1e6)
      figures = ""
      for (i = first_counter; i <= NF; i++)
        if ($i != "") figures = figures (figures == "" ? "" : ", ") name[i] " " sprintf("%.4g", $i)
      print "| " $1 " | " time " | " rate " | " figures " |"
    }'
done
