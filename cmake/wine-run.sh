#!/bin/sh
# Runs a Windows program under Wine in the given private prefix (created on
# first use), never in the user's own. Usage: wine-run.sh ARCH PREFIX PROGRAM
# [ARGS], ARCH being win32 or win64 (see wine-env.sh).
set -e
. "$(dirname "$0")/wine-env.sh"
klangrid_wine_env "$1" "$2"
prefix="$2"
shift 2
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
exec "$WINELOADER" "$@"
