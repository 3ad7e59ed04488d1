#!/usr/bin/env bash
# Runs the end-to-end tests of setup.exe under Wine.
#
#   scripts/e2e.sh <dist-dir> <win32-build-dir> [pattern ...]
#
# <dist-dir> is the shipping folder (scripts/make_dist.sh); <win32-build-dir> the i686
# build that holds the test programs. Wine prefixes are cached in
# <win32-build-dir>/e2e/prefixes, results and screenshots go to
# <win32-build-dir>/e2e/results and .../screenshots. Prints "N passed, N failed" last
# and exits non-zero when a test failed.
#
# Every suite needs 32-bit Wine. On a machine whose kernel runs no 32-bit programs
# (scripts/check_32bit.py) none is started: a block says which suites did not run and
# why, and the status is 0, or 1 with E2E_REQUIRED=1.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
  echo "usage: $0 <dist-dir> <win32-build-dir> [pattern ...]" >&2
  exit 2
fi
dist=$1
build=$2
shift 2
not_run=()
status=0
reason=$(python3 "$top/scripts/check_32bit.py") || status=$?
[ "$status" -ne 1 ] || not_run=(--not-run "$reason")
exec python3 "$top/tests/e2e/run_e2e.py" --dist "$dist" --build "$build" "${not_run[@]}" "$@"
