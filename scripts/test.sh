#!/usr/bin/env bash
# Builds and runs every test: the portable core natively, again with
# AddressSanitizer and UndefinedBehaviorSanitizer, a bounded fuzz run, and the
# Windows build under Wine on a virtual display; then the Release build's
# size, imports and installer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
fuzz_runs=${KLANGRID_FUZZ_RUNS:-200000}
start=$(date +%s)

echo "== native"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"

echo "== sanitizers"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DKLANGRID_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j"$jobs"
ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

echo "== fuzz ($fuzz_runs runs)"
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKLANGRID_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz -j"$jobs"
mkdir -p build/fuzz/corpus
build/fuzz/tests/fuzz/startup_fuzzer -runs="$fuzz_runs" -seed=1 -max_len=4096 \
  build/fuzz/corpus tests/fuzz/seeds 2>&1 | tail -n 3

echo "== windows (under Wine)"
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win -j"$jobs"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir build/win --output-on-failure --timeout 300

echo "== release (what users get: size, imports, installer)"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/release -j"$jobs" --target klangrid installer
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir build/release --output-on-failure -R '^(release_|installer$)'

echo "== all tests done in $(( $(date +%s) - start )) s"
