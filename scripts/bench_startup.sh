#!/usr/bin/env bash
# Start-up benchmark: how long KLANGRID.EXE takes, from process start until
# its dialog is shown and idle, against a program that opens one empty dialog
# of the same size and font. Both are Release builds, timed the same way by
# bench/launcher, alternately, under Wine on a virtual display in a prefix of
# the benchmark's own. Prints every run, then medians, min/max, quartiles
# and the ratio of the medians (target: at most 1.2).
#
# Usage: scripts/bench_startup.sh [RUNS]      (RUNS per program, default 21, at least 15)
# The build tree is build/release unless KLANGRID_RELEASE_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-21}
if ! [[ "$runs" =~ ^[0-9]+$ ]] || [ "$runs" -lt 15 ]; then
  echo "usage: $0 [RUNS]   (RUNS >= 15)" >&2
  exit 2
fi

build=${KLANGRID_RELEASE_DIR:-build/release}
bash scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build "$build" -j"$(nproc)" --target klangrid empty_dialog launcher >/dev/null

build=$(cd "$build" && pwd)
prefix=$build/bench-prefix
program=$build/ui/KLANGRID.EXE
baseline=$build/bench/EMPTY_DIALOG.EXE
launcher=$build/bench/launcher.exe
wine_run="$PWD/cmake/wine-run.sh"

echo "== machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
     "$(nproc) cores, $(wine --version), $(date -u +%Y-%m-%d)"
echo "== sizes: KLANGRID.EXE $(stat -c %s "$program") bytes, EMPTY_DIALOG.EXE $(stat -c %s "$baseline") bytes"

# Everything that needs a display runs on one virtual display, the prefix's
# desktop process included.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -s "$wine_run" "$prefix" "$runs" \
  "$launcher" "$baseline" "$program" <<'EOF'
set -euo pipefail
wine_run=$1 prefix=$2 runs=$3 launcher=$4 baseline=$5 program=$6
key='HKLM\SOFTWARE\Kestro\AudioDriver'
# As a machine in use has it: the driver's key with the maps, device names,
# the active scheme and three schemes, so start-up reads what it reads there.
"$wine_run" "$prefix" reg add "$key" /v Instrument0 /t REG_BINARY /d ffffffffffffffffffffffffffffffff /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v Instrument1 /t REG_BINARY /d 00000000000000000000000000000000 /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v Instrument2 /t REG_BINARY /d 00000000000000000000000000000000 /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v Percussion0 /t REG_BINARY /d ffffffffff7f /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v Percussion1 /t REG_BINARY /d 000000000000 /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v Percussion2 /t REG_BINARY /d 000000000000 /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v SoftSynDeviceName /d "Kestro SoftSynth" /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v MPUDeviceName /d "Kestro MPU-401" /f >/dev/null
"$wine_run" "$prefix" reg add "$key" /v Scheme /d rock /f >/dev/null
for scheme in classic jazz rock; do
  "$wine_run" "$prefix" reg add "$key\\$scheme" /f >/dev/null
done
status=0
# Wine's sound drivers complain on stderr about the machine's missing sound
# card; the launcher's own messages stay.
"$wine_run" "$prefix" "$launcher" "$runs" "$baseline" "$program" \
  2> >(grep -v '^ALSA lib' >&2) | tr -d '\r' || status=$?
WINEPREFIX="$prefix" timeout 30 wineserver -w || WINEPREFIX="$prefix" wineserver -k || true
exit $status
EOF
