#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine: the emulator through which ctest runs the x86_64
# test programs. The Wine session (display, prefix, server) comes from the caller's environment.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
exec /usr/lib/wine/wine64 "$@"
