#!/bin/sh
# Runs a Windows program under Wine in the given private prefix (created on
# first use), never in the user's own. Usage: wine-run.sh PREFIX PROGRAM [ARGS]
set -e
prefix="$1"
shift
# No debugger: a crashing test ends at once with a failure instead of
# waiting in winedbg until its timeout. No menu builder: nothing is written
# into the user's desktop menus.
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
mkdir -p "$prefix"
# Tests may start in parallel; only one of them boots the prefix.
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Without a window manager (Xvfb) Wine waits 2 s for one at every hiding
  # of a managed window; unmanaged windows close at once.
  if [ ! -f "$prefix/.unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
    touch "$prefix/.unmanaged"
  fi
) 9>"$prefix.lock"
exec wine "$@"
