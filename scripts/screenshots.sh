#!/usr/bin/env bash
# Shows each of the five small dialogs, the main dialog and its row menu, and
# the main dialog with the display at 144 DPI, under Wine on a virtual
# display and stores a picture of each in docs/screenshots/. Usage: scripts/screenshots.sh [BUILD_DIR] (default: the
# Windows build of scripts/test.sh, build/win or build/win64 as
# scripts/windows-arch.sh picks for this host).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/windows-arch.sh
klangrid_windows_arch
build=${1:-$KLANGRID_WINDOWS_BUILD}

cmake --preset "$KLANGRID_WINDOWS_PRESET" -B "$build" >/dev/null
cmake --build "$build" -j2 --target dialogs_tests main_dialog_tests
# The picture-taking cases (ctest label screenshots, left out of the pass/fail
# runs) write a BMP of each dialog into their working directory.
klangrid_xvfb_run ctest --test-dir "$build" -L '^screenshots$' --output-on-failure
mkdir -p docs/screenshots
for bmp in "$build"/tests/win/screenshots/*.bmp; do
  name=$(basename "$bmp" .bmp)
  convert "$bmp" -strip "docs/screenshots/$name.png"
  echo "docs/screenshots/$name.png"
done
