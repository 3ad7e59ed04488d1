#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for a bounded time,
# starting from a copy of its committed seed corpus (the repository is never written).
# Prints one line per fuzzer; on a finding, also the end of the fuzzer's log and where
# the input that broke it was saved, and exits non-zero.
#
#   scripts/fuzz.sh [seconds-per-fuzzer] [build-dir]   (defaults: 20, ./build/fuzz)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
build=${2:-$top/build/fuzz}
fuzzers=(count_occurrences remove_previous_installation)

# Inputs are small files: a few KiB says all there is to say about record and INF texts.
max_len=4096
# Far above what one input takes, so only a hang reaches it.
timeout_seconds=5

mkdir -p "$build"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$top/tests/fuzz" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
fi
cmake --build "$build" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }

export UBSAN_OPTIONS=print_stacktrace=1
status=0
for name in "${fuzzers[@]}"; do
  corpus=$build/corpus/$name
  artifacts=$build/artifacts/$name
  log=$build/$name.log
  rm -rf "$corpus" "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  cp "$top/tests/fuzz/corpus/$name"/* "$corpus/"
  dict=()
  if [ -f "$top/tests/fuzz/$name.dict" ]; then dict=(-dict="$top/tests/fuzz/$name.dict"); fi

  if "$build/${name}_fuzzer" -max_total_time="$seconds" -max_len="$max_len" \
      -timeout="$timeout_seconds" -artifact_prefix="$artifacts/" "${dict[@]}" \
      "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 runs in \2 s/p' "$log")
    echo "fuzz $name: ${runs:-?}, corpus $(ls "$corpus" | wc -l) inputs, no finding"
  else
    status=1
    tail -n 40 "$log" >&2
    echo "fuzz $name: FINDING; input saved in $artifacts/ (log: $log)" >&2
  fi
done
exit $status
