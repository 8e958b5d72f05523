#!/bin/sh
# Runs a Windows program under Wine in the given private prefix (created on
# first use), never in the user's own. Usage: wine-run.sh PREFIX PROGRAM [ARGS]
set -e
prefix="$1"
shift
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
# Tests may start in parallel; only one of them boots the prefix.
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
  fi
) 9>"$prefix.lock"
exec wine "$@"
