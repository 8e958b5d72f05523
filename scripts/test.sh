#!/usr/bin/env bash
# Builds and runs every test: the portable core natively, again with
# AddressSanitizer and UndefinedBehaviorSanitizer, a bounded fuzz run, and the
# Windows build under Wine on a virtual display; then the Release build's
# size, imports and installer.
#
# The Windows tests run the i686 build under 32-bit Wine where that runs, and
# the x86-64 build under 64-bit Wine elsewhere; KLANGRID_WINDOWS_ARCH=i686 or
# x86_64 forces one (scripts/windows-arch.sh). The i686 Release program, the
# one users get, is built and checked on every host.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
bash scripts/setup.sh
. scripts/windows-arch.sh
klangrid_windows_arch

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
fuzz_runs=${KLANGRID_FUZZ_RUNS:-200000}
skipped_log=build/skipped.txt
: >"$skipped_log"

# One build tree: its workflow preset configures, builds and runs its tests
# (on a virtual display for the Windows ones); then the reason of every test
# ctest skipped, which ctest itself does not print.
run_workflow() {
  local preset=$1 dir=$2 status=0
  klangrid_xvfb_run cmake --workflow --preset "$preset" || status=$?
  [ -f "$dir/ctest.xml" ] || return $status
  python3 - "$dir/ctest.xml" <<'PY' | tee -a "$skipped_log" || true
import sys, xml.etree.ElementTree as tree
for case in tree.parse(sys.argv[1]).getroot().iter("testcase"):
    if case.get("status") != "notrun":
        continue
    output = [line.strip() for line in (case.findtext("system-out") or "").splitlines() if line.strip()]
    said = [line for line in output if "skip" in line.lower()] or output or ["(no reason given)"]
    reason = said[-1][len("skipped:"):].strip() if said[-1].lower().startswith("skipped:") else said[-1]
    print(f"skipped: {case.get('name')}: {reason}")
PY
  return $status
}

echo "== native"
CTEST_PARALLEL_LEVEL=$(nproc) cmake --workflow --preset native
# The failure sweep says how many cases it ran; ctest keeps passing output in its log.
grep -h '^scheme sweep:' build/native/Testing/Temporary/LastTest.log || true

echo "== sanitizers"
CTEST_PARALLEL_LEVEL=$(nproc) cmake --workflow --preset sanitize

echo "== fuzz ($fuzz_runs runs)"
cmake --workflow --preset fuzz
mkdir -p build/fuzz/corpus
build/fuzz/tests/fuzz/startup_fuzzer -runs="$fuzz_runs" -seed=1 -max_len=4096 \
  build/fuzz/corpus tests/fuzz/seeds 2>&1 | tail -n 3
mkdir -p build/fuzz/corpus_scheme_file
build/fuzz/tests/fuzz/scheme_file_fuzzer -runs="$fuzz_runs" -seed=1 -max_len=4096 \
  build/fuzz/corpus_scheme_file tests/fuzz/scheme_file_seeds 2>&1 | tail -n 3

echo "== windows: $KLANGRID_WINDOWS_ARCH build under ${KLANGRID_WINE_ARCH#win}-bit Wine ($KLANGRID_WINDOWS_BUILD)"
run_workflow "$KLANGRID_WINDOWS_PRESET" "$KLANGRID_WINDOWS_BUILD"

echo "== release (what users get, i686: size, imports, installer)"
run_workflow release build/release

if [ "$KLANGRID_WINDOWS_ARCH" = x86_64 ]; then
  # The x86 installer cannot run here; the same test on an amd64 installer
  # around the x86-64 program still exercises the installer's logic.
  echo "== release-x64 (not shipped: the installer's test under 64-bit Wine)"
  run_workflow release-x64 build/release64
fi

echo "== all tests done in $(( $(date +%s) - start )) s: the $KLANGRID_WINDOWS_ARCH build under" \
     "${KLANGRID_WINE_ARCH#win}-bit Wine ($KLANGRID_WINDOWS_BUILD)"
if [ -s "$skipped_log" ]; then
  echo "== not run on this host, and why:"
  sed 's/^skipped: /  /' "$skipped_log"
fi
