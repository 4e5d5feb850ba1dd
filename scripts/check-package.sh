#!/usr/bin/env bash
# Checks the zips scripts/package.sh wrote to dist/ the way a user meets them: each unpacked into
# a clean folder, its file list, its files, the width and version resources of its exes; the
# 64-bit program is started from there under wine64 and sent a trace with the packaged sender.
# Prints one line per item and exits non-zero when any failed.
#
# The Windows half (orsk_package_check, tests/e2e) is built apart from the packaged exes, in
# build/package-check; the Wine session has its own prefix (build/wine-prefix-package) and
# display, so that it never meets the test or run sessions.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$orsk_root/scripts/install-deps.sh"

echo "== The check program (x86_64)"
# ORSK_PACKAGE_CHECK_BUILD names an x86_64 tree with the tests that is configured already (the
# test command's build/win-x86_64), so that nothing is configured twice.
check_build=${ORSK_PACKAGE_CHECK_BUILD:-$orsk_root/build/package-check}
if [ -z "${ORSK_PACKAGE_CHECK_BUILD:-}" ]; then
  cmake -S "$orsk_root" -B "$check_build" -DCMAKE_BUILD_TYPE=Release -DORSK_WERROR=ON \
    -DORSK_BUILD_BENCH=OFF -DCMAKE_TOOLCHAIN_FILE="$orsk_root/cmake/toolchain-mingw-x86_64.cmake" \
    >/dev/null
fi
cmake --build "$check_build" -j "$jobs" --target orsk_package_check orsk_keepalive >/dev/null
checker=$check_build/bin/orsk_package_check.exe
# The project version, as the configured build wrote it into the resources.
version=$(sed -n 's/^ *VALUE "ProductVersion", "\(.*\)"$/\1/p' "$check_build/OrskVersion.rc")
[ -n "$version" ] || { echo "check-package: no version in $check_build/OrskVersion.rc" >&2; exit 1; }

failures=0
pass() { echo "ok      $*"; }
fail() {
  echo "FAILED  $*"
  failures=$((failures + 1))
}
# check DESCRIPTION COMMAND...: one line for a command that must succeed.
check() {
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then pass "$what"; else fail "$what"; fi
}

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/orsktrace-package.XXXXXX")
export WINEPREFIX=$orsk_root/build/wine-prefix-package
# shellcheck source=wine-env.sh
source "$orsk_root/scripts/wine-env.sh"
wine_log=$orsk_root/build/wine-package.log
trap 'wine_session_stop; rm -rf "$unpacked"' EXIT

# Runs a Windows program under wine64 with its output in a file (a pipe could be held open by
# Wine's own processes), then shows that output; returns the program's exit code.
run_windows() {
  local out=$unpacked/windows-output.txt status=0
  "$WINE64" "$@" </dev/null >"$out" 2>>"$wine_log" || status=$?
  tr -d '\r' <"$out"
  return "$status"
}

# Puts LABEL in front of what each line of the check program names.
labelled() { sed "s#^\(ok      \|FAILED  \)#\1$1#"; }

# check_versions DIR: both exes' version resources against the project version and the licence.
check_versions() {
  local dir=$1 copyright exe description
  copyright=$(grep -m1 '^Copyright' "$dir/LICENSE" | tr -d '\r')
  for exe in OrskTrace.exe orsktrace-send.exe; do
    description="ORSK Trace Window"
    [ "$exe" = OrskTrace.exe ] || description="ORSK Trace Window sender"
    # Each item is printed by the check program itself.
    run_windows "$checker" version "$(winepath_of "$dir/$exe")" "$version.0" \
      "FileVersion=$version" "ProductVersion=$version" "ProductName=ORSK Trace Window" \
      "FileDescription=$description" "OriginalFilename=$exe" "LegalCopyright=$copyright" |
      labelled "$(basename "$dir")/" || failures=$((failures + 1))
  done
}

expected_files=$(printf '%s\n' LICENSE OrskTrace.exe README.txt orsktrace-send.exe orsktrace.h | sort)
for width in win32 win64; do
  zip_file=$orsk_root/dist/orsktrace-$version-$width.zip
  echo "== dist/$(basename "$zip_file")"
  if [ ! -f "$zip_file" ]; then
    fail "$(basename "$zip_file") exists (make it with scripts/package.sh)"
    continue
  fi
  listed=$(unzip -Z1 "$zip_file" | sort)
  if [ "$listed" = "$expected_files" ]; then
    pass "$width: holds exactly $(echo "$listed" | paste -sd ' ')"
  else
    fail "$width: holds $(echo "$listed" | paste -sd ' '), expected $(echo "$expected_files" | paste -sd ' ')"
  fi
  dir=$unpacked/$width
  mkdir "$dir"
  unzip -q "$zip_file" -d "$dir"
  check "$width: orsktrace.h is sdk/orsktrace.h" cmp "$dir/orsktrace.h" "$orsk_root/sdk/orsktrace.h"
  check "$width: README.txt is packaging/README.txt" \
    diff <(tr -d '\r' <"$dir/README.txt") "$orsk_root/packaging/README.txt"
  check "$width: LICENSE is the project's" diff <(tr -d '\r' <"$dir/LICENSE") "$orsk_root/LICENSE"
  case $width in
    win32) format=pei-i386 ;;
    win64) format=pei-x86-64 ;;
  esac
  for exe in OrskTrace.exe orsktrace-send.exe; do
    check "$width/$exe is $format" grep -q "file format $format" \
      <(x86_64-w64-mingw32-objdump -f "$dir/$exe")
    check "$width/$exe is stripped" grep -qx "no symbols" \
      <(x86_64-w64-mingw32-objdump --syms "$dir/$exe")
  done
done

echo "== The exes under wine64"
wine_session_start new
# Keeps Wine's desktop alive between the programs, or each new window takes seconds to appear.
"$WINE64" "$check_build/bin/orsk_keepalive.exe" </dev/null >>"$wine_log" 2>&1 &
for width in win32 win64; do
  if [ -d "$unpacked/$width" ]; then check_versions "$unpacked/$width"; fi
done

if [ -d "$unpacked/win64" ]; then
  cd "$unpacked/win64"
  "$WINE64" OrskTrace.exe </dev/null >>"$wine_log" 2>&1 &
  trace_pid=$!
  if run_windows "$checker" wait-window 60 | labelled "win64: "; then
    status=0
    run_windows orsktrace-send.exe "packaged" || status=$?
    if [ "$status" -eq 0 ]; then
      pass "win64: orsktrace-send.exe \"packaged\" was accepted (exit code 0)"
    else
      fail "win64: orsktrace-send.exe \"packaged\" gave exit code $status, expected 0"
    fi
    said=$(run_windows orsktrace-send.exe --version) || true
    if [ "$said" = "orsktrace-send $version" ]; then
      pass "win64: orsktrace-send.exe --version says \"$said\""
    else
      fail "win64: orsktrace-send.exe --version says \"$said\", expected \"orsktrace-send $version\""
    fi
    run_windows "$checker" close-window 30 | labelled "win64: " || failures=$((failures + 1))
  else
    failures=$((failures + 1))
  fi
  cd "$orsk_root"
  for _ in $(seq 100); do kill -0 "$trace_pid" 2>/dev/null || break; sleep 0.1; done
  status=0
  if kill -0 "$trace_pid" 2>/dev/null; then
    fail "win64: OrskTrace.exe still running after its window closed"
  else
    wait "$trace_pid" || status=$?
    if [ "$status" -eq 0 ]; then
      pass "win64: OrskTrace.exe ended with exit code 0"
    else
      fail "win64: OrskTrace.exe ended with exit code $status, expected 0"
    fi
  fi
fi
echo "skipped running the win32 exes: this machine's kernel cannot run 32-bit code (Exec" \
  "format error); their file list, width and version resources were checked above"

if [ "$failures" -gt 0 ]; then
  echo "Package check: $failures failed"
  exit 1
fi
echo "Package check: version $version, every item passed"
