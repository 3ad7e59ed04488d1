#!/usr/bin/env bash
# Runs every test: the unit tests (natively, under AddressSanitizer and
# UndefinedBehaviorSanitizer) and the end-to-end tests of the real setup.exe under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=$top/build

"$top/scripts/bootstrap.sh"
"$top/scripts/build.sh" "$root"

echo "== unit tests"
ctest --test-dir "$root/native" --output-on-failure -j 2

echo "== end-to-end tests under Wine"
"$top/scripts/e2e.sh" "$root/dist" "$root/win32"
