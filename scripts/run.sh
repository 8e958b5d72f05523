#!/usr/bin/env bash
# Builds KLANGRID.EXE and runs it under Wine in a prefix of the project's own
# (never ~/.wine). When the program has closed, prints what the active
# configuration key holds.
#
# Where 32-bit Wine runs, that is the i686 build in build/run-prefix; elsewhere
# the x86-64 build under 64-bit Wine in build/run-prefix64 (a prefix is of one
# architecture only). KLANGRID_WINDOWS_ARCH=i686|x86_64 forces either
# (scripts/windows-arch.sh).
#
# Without a display the program runs on a virtual one: once its window is up
# a screenshot goes to build/screenshot.png and the program is closed as by
# its close box, which writes nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

log=build/run.log
. cmake/wine-env.sh
driver_key=$klangrid_driver_key

print_active_configuration() {
  echo "== ${driver_key}"
  local values
  if ! values=$(wine reg query "$driver_key" 2>>"$log" | tr -d '\r'); then
    echo "(no such key)"
  elif ! grep -q 'REG_' <<<"$values"; then
    echo "(no values)"
  else
    grep -v '^$' <<<"$values"
  fi
}

# Second half, on the virtual display that the first half started:
# run.sh --headless WINE_ARCH PREFIX PROGRAM
if [ "${1:-}" = "--headless" ]; then
  klangrid_wine_env "$2" "$3"
  exe=$4
  wine "$exe" >>"$log" 2>&1 &
  program=$!
  if ! window=$(timeout 60 xdotool search --sync --onlyvisible --name "^${klangrid_caption}\$" | head -n 1); then
    echo "run: the program's window did not appear; see $log" >&2
    kill "$program" 2>/dev/null || true
    exit 1
  fi
  sleep 1  # let the lists paint
  import -window "$window" build/screenshot.png
  echo "run: screenshot saved to build/screenshot.png"
  # taskkill without /f sends WM_CLOSE: the dialog ends as by its close box.
  wine taskkill /im KLANGRID.EXE >>"$log" 2>&1 || true
  if ! timeout 20 tail --pid="$program" -f /dev/null; then
    wine taskkill /f /im KLANGRID.EXE >>"$log" 2>&1 || true
  fi
  wait "$program" || true
  print_active_configuration
  exit 0
fi

bash scripts/setup.sh
. scripts/windows-arch.sh
klangrid_windows_arch
build=$KLANGRID_WINDOWS_BUILD
exe=$build/ui/KLANGRID.EXE
if [ "$KLANGRID_WINE_ARCH" = win32 ]; then
  prefix=$PWD/build/run-prefix
else
  prefix=$PWD/build/run-prefix64
fi
klangrid_wine_env "$KLANGRID_WINE_ARCH" "$prefix"

cmake --preset "$KLANGRID_WINDOWS_PRESET" >/dev/null
cmake --build "$build" -j"$(nproc)" --target klangrid
mkdir -p build
: >"$log"
echo "run: $exe under ${KLANGRID_WINE_ARCH#win}-bit Wine, prefix $prefix"

if [ ! -f "$prefix/system.reg" ]; then
  echo "run: creating the Wine prefix $prefix"
  wineboot --init >>"$log" 2>&1 || true
  wineserver -w
  # As the sound card's driver installer leaves it: the key, with no values
  # (reg add gives a new key an empty default value; that goes again).
  wine reg add "$driver_key" /f >>"$log" 2>&1
  wine reg delete "$driver_key" /ve /f >>"$log" 2>&1
  wineserver -w
fi

if [ -z "${DISPLAY:-}" ]; then
  klangrid_xvfb_run bash "$PWD/scripts/run.sh" --headless "$KLANGRID_WINE_ARCH" "$prefix" "$exe"
else
  wine "$exe" >>"$log" 2>&1 || true
  print_active_configuration
fi
