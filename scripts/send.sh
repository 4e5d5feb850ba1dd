#!/usr/bin/env bash
# Sends traces to the trace window that ./scripts/run.sh started, from any terminal:
#   send.sh [-l LEVEL] [-t TIMEOUT_MS] [--] TEXT...   the words as one trace
#   some-command | send.sh [-l LEVEL]                 each line of standard input as one trace
# The arguments go to orsktrace-send.exe as they are (send.sh --help shows its usage), and its exit
# code is returned: 0 accepted, 1 refused, 2 no window or no answer in time, 64 bad command line.
# It joins the Wine session of run.sh (same prefix, same display) and never starts one: when that
# session is not running it says so and exits 2.
set -euo pipefail
orsk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
session_file=$orsk_root/build/wine-session.env
sender=$orsk_root/build/win-x86_64/bin/orsktrace-send.exe
own_prefix=${WINEPREFIX:-}

not_running() {
  echo "The trace window is not running: start it with ./scripts/run.sh" >&2
  [ $# -eq 0 ] || echo "$1" >&2
  exit 2
}

[ -f "$session_file" ] || not_running
session_display="" session_prefix=""
while IFS= read -r line; do
  case $line in
    DISPLAY=*) session_display=${line#*=} ;;
    WINEPREFIX=*) session_prefix=${line#*=} ;;
  esac
done <"$session_file"
if [ -z "$session_display" ] || [ -z "$session_prefix" ]; then not_running; fi

# A prefix of your own is another session, one the window does not run in.
if [ -n "$own_prefix" ] &&
  [ "$(realpath -m -- "$own_prefix")" != "$(realpath -m -- "$session_prefix")" ]; then
  not_running "(WINEPREFIX is $own_prefix; the running window uses $session_prefix)"
fi

export WINEPREFIX=$session_prefix DISPLAY=$session_display
# shellcheck source=wine-env.sh
source "$orsk_root/scripts/wine-env.sh"

# The file outlives a run.sh that was killed outright: the wineserver tells whether the session
# is still there (-k0 sends it signal 0, which only asks). Starting a wineserver here instead would
# make a new session without the window, and its long-lived processes would hold the caller's
# pipes open.
"$WINESERVER" -k0 </dev/null >/dev/null 2>&1 || not_running

if [ ! -f "$sender" ]; then
  echo "orsktrace-send.exe is not built: ./scripts/run.sh builds it" >&2
  exit 2
fi
if [ -t 0 ]; then
  # Lines typed on a terminal: Wine would read them through its own console, where neither Ctrl-D
  # nor Ctrl-Z ends the input. Through a pipe, Ctrl-D ends it as for any other command.
  exec 3< <(cat)
  typing_pid=$!
  status=0
  "$WINE64" "$sender" "$@" <&3 || status=$?
  exec 3<&-
  kill "$typing_pid" 2>/dev/null || true
  exit "$status"
fi
exec "$WINE64" "$sender" "$@"
