#!/usr/bin/env bash
# Fuzzes the program's readers: the data file (fuzz_load), the settings file
# (fuzz_settings), the JSON import (fuzz_import) and the strength log with
# the lab's CSV (fuzz_strength). Builds the libFuzzer
# targets with clang in build-fuzz/ (AddressSanitizer +
# UndefinedBehaviorSanitizer, libraries instrumented for coverage) and runs
# them for FUZZ_SECONDS seconds in all (default 60): half for the data file,
# a sixth each for the other three, each from its seed corpus in tests/fuzz/.
# Fails on any crash, sanitizer report, leak, timeout or out-of-memory; the
# input that caused it is left in build-fuzz/fuzz-artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
dir=${FUZZ_BUILD_DIR:-build-fuzz}

if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ not found: fuzzing skipped" >&2
  exit 0
fi

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
  -DKESTRIN_FUZZ=ON -DKESTRIN_WITH_QT=OFF -DKESTRIN_BUILD_TESTS=OFF -DKESTRIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target fuzz_load fuzz_settings fuzz_import fuzz_strength

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

# run TARGET SECONDS SEEDS MAX_LEN: the working corpus grows over runs in
# build-fuzz/; the seeds stay as committed.
run() {
  local target=$1 time=$2 seeds=$3 maxlen=$4
  (( time >= 1 )) || time=1
  mkdir -p "$dir/fuzz-corpus/$target" "$dir/fuzz-artifacts/$target"
  echo "== $target: $time s"
  "$dir/tests/fuzz/$target" \
    -max_total_time="$time" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/fuzz-artifacts/$target/" \
    "$dir/fuzz-corpus/$target" "$seeds"
}

run fuzz_load $((seconds / 2)) tests/fuzz/corpus 8192
run fuzz_settings $((seconds / 6)) tests/fuzz/corpus-settings 8192
run fuzz_import $((seconds / 6)) tests/fuzz/corpus-import 8192
run fuzz_strength $((seconds / 6)) tests/fuzz/corpus-strength 16384
