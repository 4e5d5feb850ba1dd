#!/usr/bin/env bash
# Builds the x86_64 Windows program and its benchmark programs (Release), runs them under wine64
# in a private Wine session (own prefix, own virtual display) and prints one Markdown table:
# a row per target with its figure, the baseline measured in the same run, the ratio, the limit
# and pass or FAIL.
#
# The scale comes from the environment (defaults in brackets):
#   ORSK_BENCH_STORED        traces stored for intake, memory, rebuild and search [1000000]
#   ORSK_BENCH_SAMPLES       timed intake round trips at each end [200]
#   ORSK_BENCH_GAP_MS        pause before each timed intake trace, in ms [10]
#   ORSK_BENCH_FLOOD_SENDERS flooding sender processes [4]
#   ORSK_BENCH_FLOOD_TRACES  traces each flooding sender sends [100000]
#   ORSK_BENCH_STARTUP_RUNS  starts of each program for the start-up median [7]
#   ORSK_BENCH_DISPLAY       X display number for the private Xvfb [first free from 150]
#   ORSK_BENCH_TIMEOUT_MIN   minutes after which a benchmark program is stopped [180]
#   ORSK_BENCH_ONLY          run only the programs whose name contains this (startup, stored,
#                            responsiveness) [all]
# e.g. a reduced run: ORSK_BENCH_STORED=10000 ORSK_BENCH_FLOOD_TRACES=2500 bench/run-wine-benchmarks.sh
# Each program's progress and errors go to build/bench-wine/<program>.log.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$orsk_root/build/bench-win-x86_64"
out="$orsk_root/build/bench-wine"
started=$(date +%s)

export ORSK_BENCH_STORED=${ORSK_BENCH_STORED:-1000000}
export ORSK_BENCH_SAMPLES=${ORSK_BENCH_SAMPLES:-200}
export ORSK_BENCH_GAP_MS=${ORSK_BENCH_GAP_MS:-10}
export ORSK_BENCH_FLOOD_SENDERS=${ORSK_BENCH_FLOOD_SENDERS:-4}
export ORSK_BENCH_FLOOD_TRACES=${ORSK_BENCH_FLOOD_TRACES:-100000}
export ORSK_BENCH_STARTUP_RUNS=${ORSK_BENCH_STARTUP_RUNS:-7}

"$orsk_root/scripts/install-deps.sh"

echo "== Windows build (x86_64, Release)"
nice -n 10 cmake -S "$orsk_root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORSK_WERROR=ON \
  -DORSK_BUILD_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE="$orsk_root/cmake/toolchain-mingw-x86_64.cmake" \
  >/dev/null
nice -n 10 cmake --build "$build" -j 2 --target OrskTrace orsk_bench_stored_traces \
  orsk_bench_responsiveness orsk_bench_startup orsk_bench_flood_sender orsk_bench_null_window \
  >/dev/null
bin="$build/bin"

# A private Wine session: its own prefix, its own display.
export WINEPREFIX="$orsk_root/build/wine-prefix-bench"
# shellcheck source-path=SCRIPTDIR source=../scripts/wine-env.sh
source "$orsk_root/scripts/wine-env.sh"
wine_log="$out/wine.log"
mkdir -p "$out"
rm -f "$out"/*.rows "$out"/*.log

display=${ORSK_BENCH_DISPLAY:-150}
if [ -z "${ORSK_BENCH_DISPLAY:-}" ]; then
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
fi
cleanup() { wine_session_stop; }
trap cleanup EXIT
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp </dev/null >>"$wine_log" 2>&1 &
wine_xvfb_pid=$!  # wine_session_stop ends it
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "Xvfb :$display did not start" >&2; exit 1; }
export DISPLAY=":$display"
echo "== Wine session on display :$display, prefix $WINEPREFIX"
wine_session_start existing
# Keeps the Wine desktop alive between programs (a hidden window).
"$WINE64" "$bin/orsk_bench_null_window.exe" --hidden </dev/null >>"$wine_log" 2>&1 &

# Runs one benchmark program: its table rows to <name>.rows, its progress to <name>.log.
# A program that fails or is stopped gets a FAIL row (under `number`) naming its log.
run_bench() {
  local name=$1 number=$2 what=$3 t0 code=0
  [[ "$name" == *"${ORSK_BENCH_ONLY:-}"* ]] || return 0
  t0=$(date +%s)
  echo "== $what (progress in build/bench-wine/$name.log)"
  timeout "${ORSK_BENCH_TIMEOUT_MIN:-180}m" "$WINE64" "$bin/$name.exe" </dev/null \
    >"$out/$name.rows" 2>"$out/$name.log" || code=$?
  echo "   $(($(date +%s) - t0)) s"
  if [ "$code" -ne 0 ]; then
    echo "| $number. $what | program ended with exit code $code: $(tail -n 1 "$out/$name.log") | - | - | - | FAIL |" \
      >>"$out/$name.rows"
  fi
}

run_bench orsk_bench_startup 5 "Start-up"
run_bench orsk_bench_stored_traces 1 "Stored traces: intake, memory, rebuild, search, Empty"
run_bench orsk_bench_responsiveness 2 "Responsiveness under a flood"

cleanup
trap - EXIT
seconds=$(($(date +%s) - started))

echo
echo "Wine benchmarks of OrskTrace.exe (x86_64, wine64 on Xvfb), scale: $ORSK_BENCH_STORED stored" \
  "traces, ${ORSK_BENCH_FLOOD_SENDERS}x$ORSK_BENCH_FLOOD_TRACES flood, $ORSK_BENCH_SAMPLES intake" \
  "samples $ORSK_BENCH_GAP_MS ms apart, $ORSK_BENCH_STARTUP_RUNS start-ups; whole run" \
  "$((seconds / 60)) min $((seconds % 60)) s."
echo
echo "| target | figure | baseline | ratio | limit | result |"
echo "|---|---|---|---|---|---|"
# In the order of the targets' numbers; a program's rows keep their order.
cat "$out"/*.rows | sort -s -t '|' -k 2,2n
