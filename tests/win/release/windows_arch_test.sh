#!/usr/bin/env bash
# Which Windows build the scripts pick (scripts/windows-arch.sh), with the
# host's facts stubbed: 32-bit Wine only where it starts, and a forced path
# that cannot run stops with its reason instead of falling back to the other.
# Usage: windows_arch_test.sh (no arguments; runs from anywhere).
set -uo pipefail
cd "$(dirname "$0")/../../.."
. scripts/windows-arch.sh

kernel32=1 wine32=1 wine64=1
klangrid_kernel_runs_32bit() { [ "$kernel32" = 1 ]; }
klangrid_wine32_runs() { [ "$wine32" = 1 ]; }
klangrid_wine64_runs() { [ "$wine64" = 1 ]; }

failures=0
# check FORCED KERNEL32 WINE32 WINE64 STATUS CHOICE PATTERN: the status, the
# build chosen ("" when none) and a pattern the printed line must match.
check() {
  local forced=$1 status=0 out chose
  kernel32=$2 wine32=$3 wine64=$4
  out=$(export KLANGRID_WINDOWS_ARCH="$forced"
        klangrid_windows_arch 2>&1 && echo "chose $KLANGRID_WINDOWS_ARCH $KLANGRID_WINE_ARCH $KLANGRID_WINDOWS_BUILD") ||
    status=$?
  chose=$(sed -n 's/^chose //p' <<<"$out")
  if [ "$status" != "$5" ] || [ "$chose" != "$6" ] || ! grep -q -- "$7" <<<"$out"; then
    echo "FAIL: forced '$forced', kernel32=$2 wine32=$3 wine64=$4: status $status (want $5)," \
         "chose '$chose' (want '$6'), said:"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

check ""     1 1 1 0 "i686 win32 build/win"     "32-bit Wine runs here"
check ""     1 0 1 0 "x86_64 win64 build/win64" "32-bit code runs here, but 32-bit Wine"
check ""     0 0 1 0 "x86_64 win64 build/win64" "kernel runs no 32-bit code"
check x86_64 1 1 1 0 "x86_64 win64 build/win64" "forced by KLANGRID_WINDOWS_ARCH=x86_64"
check i686   1 1 1 0 "i686 win32 build/win"     "forced by KLANGRID_WINDOWS_ARCH=i686"
check i686   1 0 1 1 ""                         "cannot run here.*install wine32:i386"
check i686   0 0 1 1 ""                         "kernel runs no 32-bit code; unset"
check ""     0 0 0 1 ""                         "needs 64-bit Wine"
check amd64  1 1 1 2 ""                         "neither i686 nor x86_64"

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
echo "all cases passed"
