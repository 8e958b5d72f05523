#!/usr/bin/env bash
# Start-up benchmark: how long KLANGRID.EXE takes, from process start until
# its dialog is shown and idle, against two programs that do no more than
# they must: one that opens an empty dialog of the same size and font, and
# one that opens the program's own main-dialog template, empty of code but
# for the MIDI output query the program cannot skip. All three are Release
# builds, timed the same way by bench/launcher, in turn, under Wine on a
# virtual display in a prefix of the benchmark's own. Prints every run, then
# medians, min/max, quartiles and the ratio of the program's median to each
# of the others' (target against the empty dialog: at most 1.2).
#
# Usage: scripts/bench_startup.sh [RUNS]      (RUNS per program, default 21, at least 15)
# The i686 build under 32-bit Wine where that runs, else the x86-64 one under
# 64-bit Wine (scripts/windows-arch.sh; KLANGRID_WINDOWS_ARCH forces either).
# The build tree is that of the release or release-x64 preset unless
# KLANGRID_RELEASE_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-21}
if ! [[ "$runs" =~ ^[0-9]+$ ]] || [ "$runs" -lt 15 ]; then
  echo "usage: $0 [RUNS]   (RUNS >= 15)" >&2
  exit 2
fi

bash scripts/setup.sh
. scripts/windows-arch.sh
klangrid_windows_arch
build=${KLANGRID_RELEASE_DIR:-$KLANGRID_RELEASE_BUILD}
cmake --preset "$KLANGRID_RELEASE_PRESET" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target klangrid empty_dialog template_dialog launcher >/dev/null

build=$(cd "$build" && pwd)
prefix=$build/bench-prefix
program=$build/ui/KLANGRID.EXE
empty=$build/bench/EMPTY_DIALOG.EXE
template=$build/bench/TEMPLATE_DIALOG.EXE
launcher=$build/bench/launcher.exe

echo "== machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
     "$(nproc) cores, $("$KLANGRID_WINE_LOADER" --version) ${KLANGRID_WINE_ARCH#win}-bit," \
     "$(date -u +%Y-%m-%d)"
echo "== sizes: KLANGRID.EXE $(stat -c %s "$program") bytes, EMPTY_DIALOG.EXE $(stat -c %s "$empty") bytes," \
     "TEMPLATE_DIALOG.EXE $(stat -c %s "$template") bytes"

# Everything that needs a display runs on one virtual display, the prefix's
# desktop process included.
klangrid_xvfb_run bash -s "$PWD/cmake" "$KLANGRID_WINE_ARCH" "$prefix" "$runs" \
  "$launcher" "$empty" "$template" "$program" <<'EOF'
set -euo pipefail
cmake_dir=$1 arch=$2 prefix=$3 runs=$4 launcher=$5 empty=$6 template=$7 program=$8
. "$cmake_dir/wine-env.sh"
wine_run() { "$cmake_dir/wine-run.sh" "$arch" "$prefix" "$@"; }
key=$klangrid_driver_key
# As a machine in use has it: the driver's key with the maps, device names,
# the active scheme and three schemes, so start-up reads what it reads there.
wine_run reg add "$key" /v Instrument0 /t REG_BINARY /d ffffffffffffffffffffffffffffffff /f >/dev/null
wine_run reg add "$key" /v Instrument1 /t REG_BINARY /d 00000000000000000000000000000000 /f >/dev/null
wine_run reg add "$key" /v Instrument2 /t REG_BINARY /d 00000000000000000000000000000000 /f >/dev/null
wine_run reg add "$key" /v Percussion0 /t REG_BINARY /d ffffffffff7f /f >/dev/null
wine_run reg add "$key" /v Percussion1 /t REG_BINARY /d 000000000000 /f >/dev/null
wine_run reg add "$key" /v Percussion2 /t REG_BINARY /d 000000000000 /f >/dev/null
wine_run reg add "$key" /v SoftSynDeviceName /d "Kestro SoftSynth" /f >/dev/null
wine_run reg add "$key" /v MPUDeviceName /d "Kestro MPU-401" /f >/dev/null
wine_run reg add "$key" /v Scheme /d rock /f >/dev/null
for scheme in classic jazz rock; do
  wine_run reg add "$key\\$scheme" /f >/dev/null
done
status=0
# Wine's sound drivers complain on stderr about the machine's missing sound
# card; the launcher's own messages stay.
wine_run "$launcher" "$runs" "$empty" "$template" "$program" \
  2> >(grep -v '^ALSA lib' >&2) | tr -d '\r' || status=$?
klangrid_wine_env "$arch" "$prefix"
timeout 30 "$WINESERVER" -w || wineserver -k || true
exit $status
EOF
