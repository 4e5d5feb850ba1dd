#!/usr/bin/env bash
# Makes the release a Windows user downloads: both widths built in Release (build/release-i686,
# build/release-x86_64, or the trees ORSK_PACKAGE_BUILDS names), stripped, zipped as
#   dist/orsktrace-<version>-win32.zip   the i686 program, for every Windows from 7 on
#   dist/orsktrace-<version>-win64.zip   the x86_64 program, for 64-bit Windows
# each holding OrskTrace.exe, orsktrace-send.exe, orsktrace.h, README.txt and LICENSE, nothing
# else. The version is the one of the project() line in CMakeLists.txt, read back from the
# configured build. scripts/check-package.sh checks the zips.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
dist=$orsk_root/dist

"$orsk_root/scripts/install-deps.sh"

# The DLLs an exe may import: Windows' own, on every system from 7 on. Anything else, say a
# MinGW runtime DLL, would be missing on the user's machine: the static link has broken.
allowed_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll msvcrt.dll "
# The script processor, the input method and the accessibility interfaces.
allowed_dlls+="usp10.dll imm32.dll ole32.dll oleaut32.dll oleacc.dll "

# The version the resources of a configured build carry (its generated OrskVersion.rc).
built_version() {
  sed -n 's/^ *VALUE "ProductVersion", "\(.*\)"$/\1/p' "$1/OrskVersion.rc"
}

# ORSK_PACKAGE_BUILDS names Release trees that are configured already (the test command's
# build/win-, for build/win-i686 and build/win-x86_64), so that nothing is built twice.
builds=${ORSK_PACKAGE_BUILDS:-$orsk_root/build/release-}
for arch in i686 x86_64; do
  echo "== Release build ($arch)"
  build=$builds$arch
  if [ -z "${ORSK_PACKAGE_BUILDS:-}" ]; then
    cmake -S "$orsk_root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORSK_WERROR=ON \
      -DORSK_BUILD_TESTS=OFF -DORSK_BUILD_BENCH=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$orsk_root/cmake/toolchain-mingw-$arch.cmake" >/dev/null
  elif ! grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt"; then
    echo "package: $build is no configured Release build" >&2
    exit 1
  fi
  cmake --build "$build" -j "$jobs" --target OrskTrace orsktrace-send
done

version=$(built_version "${builds}x86_64")
if [ -z "$version" ] || [ "$version" != "$(built_version "${builds}i686")" ]; then
  echo "package: no version, or the two builds disagree about it" >&2
  exit 1
fi

echo "== Release zips, version $version"
mkdir -p "$dist"
rm -f "$dist"/orsktrace-*-win32.zip "$dist"/orsktrace-*-win64.zip
for arch in i686 x86_64; do
  case $arch in
    i686) width=win32 ;;
    x86_64) width=win64 ;;
  esac
  stage=$orsk_root/build/package/$width
  rm -rf "$stage"
  mkdir -p "$stage"
  for exe in OrskTrace.exe orsktrace-send.exe; do
    "$arch-w64-mingw32-strip" --strip-all -o "$stage/$exe" "$builds$arch/bin/$exe"
    for dll in $("$arch-w64-mingw32-objdump" -p "$stage/$exe" | sed -n 's/^\s*DLL Name: //p'); do
      dll_lower=$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')
      if [[ $allowed_dlls != *" $dll_lower "* ]]; then
        echo "package: $width/$exe imports $dll, which is not part of Windows" >&2
        exit 1
      fi
    done
  done
  cp "$orsk_root/sdk/orsktrace.h" "$stage/"
  # CR LF, so that the Notepad of Windows 7 and 8 shows the lines too.
  sed 's/\r*$/\r/' "$orsk_root/packaging/README.txt" >"$stage/README.txt"
  sed 's/\r*$/\r/' "$orsk_root/LICENSE" >"$stage/LICENSE"
  zip_file=$dist/orsktrace-$version-$width.zip
  (cd "$stage" && zip -q -X "$zip_file" OrskTrace.exe orsktrace-send.exe orsktrace.h README.txt LICENSE)
  echo "dist/$(basename "$zip_file"): $(stat -c %s "$zip_file") bytes"
done
