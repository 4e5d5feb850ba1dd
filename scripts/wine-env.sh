# Sourced by the run and test scripts: a private Wine session on a virtual X display.
#   wine_session_start   Xvfb (unless a display is given), a prefix, wineserver, wineboot
#   wine_session_stop    ends what wine_session_start started
#   wine64 ...           runs a Windows program in the session
# The prefix lives in build/wine-prefix and is reused across runs (creating one takes ~10 s).

orsk_root=${orsk_root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=${WINEPREFIX:-$orsk_root/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_log=$orsk_root/build/wine.log
wine_xvfb_pid=""

wine64() { "$WINE64" "$@"; }

# Starts Xvfb on the first free display number from 90 on and exports DISPLAY.
wine_start_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >>"$wine_log" 2>&1 &
  wine_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  export DISPLAY=":$n"
}

# Wine's long-lived processes inherit stdout/stderr: they go to a log file, never to a pipe,
# or a caller that captures output would wait for them for ever.
wine_session_start() {
  local own_display=${1:-new}
  mkdir -p "$WINEPREFIX" "$(dirname "$wine_log")"
  : >"$wine_log"
  if [ "$own_display" = new ] || [ -z "${DISPLAY:-}" ]; then
    wine_start_xvfb
  fi
  "$WINESERVER" -p </dev/null >>"$wine_log" 2>&1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once)"
  fi
  "$WINE64" wineboot -i </dev/null >>"$wine_log" 2>&1
  # Without a window manager every hide or close waits ~2 s unless Wine manages no windows.
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$wine_log" 2>&1
  # The real "MS Sans Serif" and "Courier" instead of a DejaVu fallback.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d /usr/share/wine/fonts ] && [ ! -e "$fonts/.orsk-fonts" ]; then
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/* "$fonts/" && touch "$fonts/.orsk-fonts"
  fi
}

wine_session_stop() {
  "$WINESERVER" -k </dev/null >>"$wine_log" 2>&1 || true
  if [ -n "$wine_xvfb_pid" ]; then
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wait "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=""
  fi
}

# The Windows path of a Unix path (Wine maps / to drive Z:).
winepath_of() {
  local path=$1
  printf 'Z:%s' "${path//\//\\}"
}
