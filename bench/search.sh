#!/usr/bin/env bash
# Times the name search of the removal natively, beside a plain read of the same bytes:
# builds bench/native/SearchBench.cpp in a build of its own without sanitizers and runs
# it. Needs no Wine; prints figures and never fails on a slow machine.
#
#   bench/search.sh [MiB per text] [repeats] [build-dir]   (defaults: 128, 3, ./build/bench)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mib=${1:-128}
repeats=${2:-3}
build=${3:-$top/build/bench}

mkdir -p "$build"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRT450_WERROR=ON \
    >"$build.configure.log" 2>&1 || { cat "$build.configure.log" >&2; exit 1; }
fi
cmake --build "$build" --target search_bench >"$build.build.log" 2>&1 ||
  { cat "$build.build.log" >&2; exit 1; }
"$build/bench/search_bench" "$mib" "$repeats"
