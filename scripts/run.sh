#!/usr/bin/env bash
# Builds the Windows program (x86_64) and starts the trace window under 64-bit Wine, on your
# display when DISPLAY is set, else on a virtual one. Returns when the window is closed.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$orsk_root/scripts/install-deps.sh"
cmake -S "$orsk_root" -B "$orsk_root/build/win-x86_64" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$orsk_root/cmake/toolchain-mingw-x86_64.cmake" >/dev/null
cmake --build "$orsk_root/build/win-x86_64" -j "$(nproc)" --target OrskTrace

# shellcheck source=wine-env.sh
source "$orsk_root/scripts/wine-env.sh"
trap wine_session_stop EXIT
if [ -n "${DISPLAY:-}" ]; then
  wine_session_start existing
else
  wine_session_start new
  echo "No DISPLAY: the window runs on the virtual display $DISPLAY."
  echo "  Look at it with: import -display $DISPLAY -window root shot.png"
fi
echo "ORSK Trace Window is running (window class TOrskTraceForm). Send traces to it with"
echo "WM_COPYDATA from any Windows program in this Wine session (README: Sending traces)."
echo "Close the window to end."
"$WINE64" "$orsk_root/build/win-x86_64/bin/OrskTrace.exe" </dev/null >>"$wine_log" 2>&1
