#!/usr/bin/env bash
# Fuzzes the data-file reader: builds the libFuzzer target with clang in
# build-fuzz/ (AddressSanitizer + UndefinedBehaviorSanitizer, libraries
# instrumented for coverage) and runs it for FUZZ_SECONDS seconds (default
# 60) from the seed corpus in tests/fuzz/corpus. Fails on any crash,
# sanitizer report, leak, timeout or out-of-memory; the input that caused it
# is left in build-fuzz/fuzz-artifacts/.
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
cmake --build "$dir" -j"$(nproc)" --target fuzz_load

# The working corpus grows over runs; the seeds stay as committed.
mkdir -p "$dir/fuzz-corpus" "$dir/fuzz-artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
"$dir/tests/fuzz/fuzz_load" \
  -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$dir/fuzz-artifacts/" \
  "$dir/fuzz-corpus" tests/fuzz/corpus
