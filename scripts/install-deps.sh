#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  cmake g++ make googletest libbenchmark-dev clang-format zip unzip
  # The fuzz targets: clang and its runtimes (libFuzzer, ASan and UBSan for clang).
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 xvfb fonts-wine imagemagick
  # Fonts for the world's scripts, as a Windows desktop has them (Wine finds them through
  # fontconfig): Cyrillic, Greek, Arabic, Hebrew (DejaVu), Chinese and Japanese (WenQuanYi),
  # Thai (Loma), Devanagari (Lohit), emoji and symbols (Symbola). About 12 MB.
  fonts-dejavu-core fonts-wqy-microhei fonts-tlwg-loma-ttf fonts-lohit-deva fonts-symbola
  # winex11 loads these at run time; they are only recommended by Wine's packages.
  libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
