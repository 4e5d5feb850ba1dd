#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests, the Windows program for x86_64
# and i686 (warnings are errors everywhere), and the end-to-end tests of the x86_64 program
# under 64-bit Wine on a private virtual display.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$orsk_root/scripts/install-deps.sh"

echo "== Native build and unit tests"
cmake -S "$orsk_root" -B "$orsk_root/build/native" -DCMAKE_BUILD_TYPE=Release -DORSK_WERROR=ON
cmake --build "$orsk_root/build/native" -j "$jobs"
ctest --test-dir "$orsk_root/build/native" --output-on-failure -j "$jobs" \
  | tee "$orsk_root/build/unit-tests.log"

for arch in i686 x86_64; do
  echo "== Windows build ($arch)"
  cmake -S "$orsk_root" -B "$orsk_root/build/win-$arch" -DCMAKE_BUILD_TYPE=Release -DORSK_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$orsk_root/cmake/toolchain-mingw-$arch.cmake"
  cmake --build "$orsk_root/build/win-$arch" -j "$jobs"
done

echo "== End-to-end tests (x86_64 under wine64)"
# shellcheck source=wine-env.sh
# Its own prefix, apart from the one the run command uses, with English (United States)
# regional formats, which the tests expect.
export WINEPREFIX="$orsk_root/build/wine-prefix-test"
export LANG=en_US.UTF-8
source "$orsk_root/scripts/wine-env.sh"
trap wine_session_stop EXIT
wine_session_start new
bin="$orsk_root/build/win-x86_64/bin"
"$WINE64" "$bin/orsk_keepalive.exe" </dev/null >>"$wine_log" 2>&1 &
# Pictures the tests leave for a human look: the window with traces, resized, and its menu.
export ORSK_SCREENSHOT ORSK_SCREENSHOT_RESIZED ORSK_SCREENSHOT_MENU
ORSK_SCREENSHOT=$(winepath_of "$orsk_root/build/screenshot.bmp")
ORSK_SCREENSHOT_RESIZED=$(winepath_of "$orsk_root/build/screenshot-resized.bmp")
ORSK_SCREENSHOT_MENU=$(winepath_of "$orsk_root/build/screenshot-menu.bmp")
rm -f "$orsk_root"/build/screenshot*.bmp
ctest --test-dir "$orsk_root/build/win-x86_64" --output-on-failure \
  | tee "$orsk_root/build/e2e-tests.log"
for shot in screenshot screenshot-resized screenshot-menu; do
  if [ -f "$orsk_root/build/$shot.bmp" ]; then
    /usr/bin/convert "$orsk_root/build/$shot.bmp" "$orsk_root/build/$shot.png"
    echo "Screenshot: build/$shot.png"
  fi
done

# One closing line for both suites.
total() { sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$1"; }
failed() { sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$1"; }
all=$(($(total "$orsk_root/build/unit-tests.log") + $(total "$orsk_root/build/e2e-tests.log")))
bad=$(($(failed "$orsk_root/build/unit-tests.log") + $(failed "$orsk_root/build/e2e-tests.log")))
echo "unit and end-to-end tests: $((all - bad)) passed, $bad failed"
