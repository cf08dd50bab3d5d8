#!/usr/bin/env bash
# Runs every test of Kestrin on a fresh Debian 12 machine:
#  1. installs the Debian packages (skipping what is present),
#  2. builds and runs all tests of the normal build (build/),
#  3. builds and runs the core, file and command-line tests again under
#     AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/),
#  4. runs the fuzzers of the readers (data file, settings file, JSON
#     import) for a short while when clang is available.
# Any failing test or sanitizer report makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
jobs=$(nproc)

echo "== normal build"
bash scripts/build.sh -DKESTRIN_WERROR=ON
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DKESTRIN_SANITIZE=ON -DKESTRIN_WITH_QT=OFF -DKESTRIN_BUILD_BENCH=OFF -DKESTRIN_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-asan --output-on-failure -j"$jobs" -L sanitize

if [ -x scripts/fuzz.sh ] && command -v clang++ >/dev/null 2>&1; then
  echo "== fuzzing (short run)"
  FUZZ_SECONDS=${FUZZ_SECONDS:-60} bash scripts/fuzz.sh
fi

echo "== all tests passed"
