#!/bin/sh
# Runs a Windows program under Wine with the display at DPI dots per inch.
# The setting belongs to the whole Wine prefix, so PREFIX must be one of its
# own, apart from the prefix of the tests that expect 96 DPI. Usage:
# run_at_dpi.sh DPI ARCH PREFIX PROGRAM [ARGS] (ARCH as for wine-run.sh).
set -e
dpi="$1"
shift
runner="$(dirname "$0")/../../cmake/wine-run.sh"
# Wine 8 reads LogPixels from HKCU\Control Panel\Desktop first and falls back
# to the machine-wide value under Hardware Profiles, which wineboot sets to 96.
if [ ! -f "$2/.logpixels-$dpi" ]; then
  "$runner" "$1" "$2" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$dpi" /f >/dev/null
  touch "$2/.logpixels-$dpi"
fi
exec "$runner" "$@"
