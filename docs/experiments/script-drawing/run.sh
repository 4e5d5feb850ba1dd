#!/bin/sh
# Builds scriptlab.exe and runs every mode of it under wine64 on a private Xvfb display (:77) and
# prefix, in a work folder (default /tmp/scriptlab). Results: out_MODE.txt and draw.png there.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=${SCRIPTLAB_DIR:-/tmp/scriptlab}
mkdir -p "$work" && cd "$work"
export WINEPREFIX=$work/prefix DISPLAY=:77 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export PATH=/usr/lib/wine:$PATH
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -municode -mwindows -o scriptlab.exe \
  "$here/scriptlab.cpp" -lusp10 -lgdi32 -luser32 -lnormaliz -static -static-libgcc -static-libstdc++
[ -f xvfb.pid ] && kill -0 "$(cat xvfb.pid)" 2>/dev/null ||
  { Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >xvfb.log 2>&1 & echo $! >xvfb.pid; sleep 1; }
wineserver -p >>wineserver.log 2>&1
if [ ! -d prefix/drive_c ]; then
  wine64 wineboot -i >wineboot.log 2>&1
  wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>reg.log 2>&1
  cp /usr/share/wine/fonts/* prefix/drive_c/windows/Fonts/
fi
for m in enum draw marks emoji caret time long limit dwrite; do
  wine64 scriptlab.exe $m >run_$m.log 2>&1; echo "$m rc=$?"
done
/usr/bin/convert draw.bmp draw.png
wineserver -k; kill "$(cat xvfb.pid)"
