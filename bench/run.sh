#!/usr/bin/env bash
# Times whole install runs of setup.exe under Wine against the floor of its fixed
# pauses, and reports peak memory and program sizes. See bench/bench.py --help.
#
#   bench/run.sh [--build-root DIR] [--no-build] [--repeats N] [--hosts NAME ...]
#
# It runs setup.exe, so it needs a kernel that runs 32-bit programs; on a machine without
# one it says so and ends.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
reason=$(python3 "$here/../scripts/check_32bit.py") || status=$?
if [ "$status" -eq 1 ]; then
  echo "No benchmark on this machine: $reason."
  exit 0
fi
exec python3 "$here/bench.py" "$@"
