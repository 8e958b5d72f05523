#!/bin/sh
# Runs a 32-bit Windows program through WOW64, as 64-bit Windows runs the
# program users get: in a 64-bit Wine prefix of its own, booted by 64-bit
# Wine, the program started by 32-bit Wine's loader, both on the 64-bit
# server. Usage: run_wow64.sh PREFIX PROGRAM [ARGS]
# Exits 77 (ctest: skipped) where 32-bit Wine cannot run.
set -e
cmake_dir="$(dirname "$0")/../../cmake"
. "$cmake_dir/wine-env.sh"
if ! klangrid_wine32_runs; then
  echo "Skipped: 32-bit Wine cannot run on this host ($klangrid_wine32_loader missing or" \
       "$klangrid_wine32_server does not run; Debian: wine32:i386)."
  exit 77
fi
prefix="$1"
shift
# wine-run.sh boots the prefix on first use; a 64-bit program is enough.
"$cmake_dir/wine-run.sh" win64 "$prefix" cmd.exe /c exit 0 >/dev/null 2>&1
klangrid_wine_env win64 "$prefix"
export WINELOADER="$klangrid_wine32_loader"
exec "$WINELOADER" "$@"
