#!/usr/bin/env bash
# Builds the Windows program and its command-line sender (x86_64) and starts the trace window
# under 64-bit Wine, on your display when DISPLAY is set, else on a virtual one. Returns when the
# window is closed. While it runs, build/wine-session.env names the session's display and prefix,
# so that send.sh can join the session from any terminal.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$orsk_root/scripts/install-deps.sh"
cmake -S "$orsk_root" -B "$orsk_root/build/win-x86_64" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$orsk_root/cmake/toolchain-mingw-x86_64.cmake" >/dev/null
cmake --build "$orsk_root/build/win-x86_64" -j "$(nproc)" --target OrskTrace --target orsktrace-send

# shellcheck source=wine-env.sh
source "$orsk_root/scripts/wine-env.sh"
session_file=$orsk_root/build/wine-session.env
# The session file goes first: send.sh must not join a session that is being taken down.
end_session() {
  rm -f "$session_file" "$session_file.new"
  wine_session_stop
}
trap end_session EXIT
# Closing the terminal, Ctrl-C or a kill end the session too, not only closing the window;
# without these traps bash would die without running the cleanup and leave Xvfb behind.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

if [ -n "${DISPLAY:-}" ]; then
  wine_session_start existing
else
  wine_session_start new
  echo "No DISPLAY: the window runs on the virtual display $DISPLAY."
  echo "  Look at it with: import -display $DISPLAY -window root shot.png"
fi
# Written whole, then renamed, so that send.sh never reads half a file.
printf 'DISPLAY=%s\nWINEPREFIX=%s\n' "$DISPLAY" "$WINEPREFIX" >"$session_file.new"
mv -f "$session_file.new" "$session_file"

# In the background, so that a signal reaches the traps above at once instead of after the window.
"$WINE64" "$orsk_root/build/win-x86_64/bin/OrskTrace.exe" </dev/null >>"$wine_log" 2>&1 &
window_pid=$!

send_command=./scripts/send.sh
[ "$PWD" = "$orsk_root" ] || send_command=$orsk_root/scripts/send.sh
echo "ORSK Trace Window is running. Send it a first trace from another terminal:"
printf '  %q "hello"\n' "$send_command"
echo "(-l LEVEL sets the level; without text, each line of standard input is one trace.)"
echo "Close the window to end."
wait "$window_pid"
