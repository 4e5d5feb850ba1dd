#!/usr/bin/env bash
# Builds everything and runs every test: the formatting check, the native unit tests, the
# Windows program for x86_64 and i686 (warnings are errors everywhere), and the end-to-end tests
# of the x86_64 program under 64-bit Wine on a private virtual display.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$orsk_root/scripts/install-deps.sh"

echo "== Formatting (clang-format, the tree's .clang-format)"
(cd "$orsk_root" &&
  find app bench common intake sdk store tests window -name '*.cpp' -o -name '*.h' -o -name '*.c' |
  sort | xargs clang-format --dry-run --Werror)

echo "== Native build and unit tests"
cmake -S "$orsk_root" -B "$orsk_root/build/native" -DCMAKE_BUILD_TYPE=Release -DORSK_WERROR=ON
cmake --build "$orsk_root/build/native" -j "$jobs"
ctest --test-dir "$orsk_root/build/native" --output-on-failure -j "$jobs" \
  | tee "$orsk_root/build/unit-tests.log"

echo "== Native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$orsk_root" -B "$orsk_root/build/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORSK_WERROR=ON \
  -DORSK_SANITIZE=ON -DORSK_BUILD_BENCH=OFF
cmake --build "$orsk_root/build/asan" -j "$jobs"
# Any report ends its test with a failure: the code is built without recovery, and leaks are
# reported at exit.
ASAN_OPTIONS=detect_stack_use_after_return=1:check_initialization_order=1 \
  UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$orsk_root/build/asan" --output-on-failure -j "$jobs" \
  | tee "$orsk_root/build/asan-tests.log"

echo "== Fuzzing, 20 seconds a target"
"$orsk_root/tests/fuzz/run-fuzzers.sh" 20

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
# A small full disk for the save test: a 64 KiB tmpfs seen by Wine as drive T:. Where mounting
# is not allowed, that one test is skipped.
full_disk="$orsk_root/build/full-disk"
mkdir -p "$full_disk"
if mountpoint -q "$full_disk" || mount -t tmpfs -o size=64k orsk-full-disk "$full_disk" 2>/dev/null; then
  trap 'wine_session_stop; umount "$full_disk" 2>/dev/null || true' EXIT
  ln -sfn "$full_disk" "$WINEPREFIX/dosdevices/t:"
  export ORSK_FULL_DISK='T:\'
fi
ctest --test-dir "$orsk_root/build/win-x86_64" --output-on-failure \
  | tee "$orsk_root/build/e2e-tests.log"
for shot in screenshot screenshot-resized screenshot-menu; do
  if [ -f "$orsk_root/build/$shot.bmp" ]; then
    /usr/bin/convert "$orsk_root/build/$shot.bmp" "$orsk_root/build/$shot.png"
    echo "Screenshot: build/$shot.png"
  fi
done

echo "== Release zips (dist/) and their check"
ORSK_PACKAGE_BUILDS="$orsk_root/build/win-" "$orsk_root/scripts/package.sh"
ORSK_PACKAGE_CHECK_BUILD="$orsk_root/build/win-x86_64" "$orsk_root/scripts/check-package.sh"

# One closing line for all suites, in the plain 'N passed, N failed' form.
total() { sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$1"; }
failed() { sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$1"; }
all=$(($(total "$orsk_root/build/unit-tests.log") + $(total "$orsk_root/build/e2e-tests.log")))
bad=$(($(failed "$orsk_root/build/unit-tests.log") + $(failed "$orsk_root/build/e2e-tests.log")))
all=$((all + $(total "$orsk_root/build/asan-tests.log")))
bad=$((bad + $(failed "$orsk_root/build/asan-tests.log")))
echo "Unit (plain and sanitized) and end-to-end tests together:"
echo "tests: $((all - bad)) passed, $bad failed"
