#!/usr/bin/env bash
# Kill-during-save trial of the safe writer: repeats a save of a large file
# and SIGKILLs it after a random delay, then checks that the target holds
# exactly the old or exactly the new version and that nothing else is left
# in the folder. Prints the counts; exits 1 when a file was torn or left.
#   scripts/kill-save-trial.sh [TRIALS] [SIZE_BYTES] [named]
# Needs the build tree (build/tests/core/kestrin_save_trial); "named" makes
# the writer use named temporary files, as on file systems without unnamed
# ones (a killed save's temporary is then removed by the next save, which
# the "left after the next save" figure checks).
set -euo pipefail
cd "$(dirname "$0")/.."
trials=${1:-500}
size=${2:-8388608}
mode=${3:-}
helper=build/tests/core/kestrin_save_trial
[ -x "$helper" ] || { echo "build $helper first (cmake --build build --target kestrin_save_trial)" >&2; exit 2; }

dir=$(mktemp -d "${TMPDIR:-/var/tmp}/kestrin-kill-XXXXXX")
trap 'rm -rf "$dir" "$dir.A" "$dir.B"' EXIT
target=$dir/month.slt

expected() {  # the bytes of one version, as the helper writes them
  { printf 'version %s %s\n' "$1" "$size"; head -c "$size" /dev/zero | tr '\0' "$1"; } | head -c "$size"
}
expected A >"$dir.A"
expected B >"$dir.B"
sumA=$(md5sum <"$dir.A" | cut -d' ' -f1)
sumB=$(md5sum <"$dir.B" | cut -d' ' -f1)
"$helper" "$target" A "$size" $mode

# How long one whole save takes, so the kills spread over all of it.
start=$(date +%s%N)
"$helper" "$target" B "$size" $mode
"$helper" "$target" A "$size" $mode
span=$(( ($(date +%s%N) - start) / 2000 ))  # microseconds per save
[ "$span" -gt 0 ] || span=1000

old=0 new=0 torn=0 left=0 leftAfter=0 current=A
for ((i = 0; i < trials; i++)); do
  next=$([ "$current" = A ] && echo B || echo A)
  "$helper" "$target" "$next" "$size" $mode &
  pid=$!
  delay=$(( (RANDOM * 32768 + RANDOM) % (span + span / 5 + 1) ))
  sleep "$(printf '0.%06d' "$delay")"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  sum=$(md5sum <"$target" | cut -d' ' -f1)
  if [ "$sum" = "$([ "$current" = A ] && echo "$sumA" || echo "$sumB")" ]; then
    old=$((old + 1))
  elif [ "$sum" = "$([ "$next" = A ] && echo "$sumA" || echo "$sumB")" ]; then
    new=$((new + 1)); current=$next
  else
    torn=$((torn + 1))
  fi
  extra=$(find "$dir" -mindepth 1 ! -name month.slt | wc -l)
  left=$((left + extra))
  if [ "$extra" -gt 0 ]; then
    # The next save removes what a killed one left.
    next=$([ "$current" = A ] && echo B || echo A)
    "$helper" "$target" "$next" "$size" $mode && current=$next
    leftAfter=$((leftAfter + $(find "$dir" -mindepth 1 ! -name month.slt | wc -l)))
  fi
done

echo "trials:                       $trials (file of $size bytes, one save about ${span} µs, ${mode:-unnamed} temporary files)"
echo "old file intact:              $old"
echo "new file complete:            $new"
echo "torn:                         $torn"
echo "files left behind after kill: $left"
echo "left after the next save:     $leftAfter"
[ "$torn" -eq 0 ] && [ "$leftAfter" -eq 0 ] && { [ "$mode" = named ] || [ "$left" -eq 0 ]; }
