#!/usr/bin/env bash
# Times whole install runs of setup.exe under Wine against the floor of its fixed
# pauses, and reports peak memory and program sizes. See bench/bench.py --help.
#
#   bench/run.sh [--build-root DIR] [--no-build] [--repeats N] [--hosts NAME ...]
set -euo pipefail
exec python3 "$(cd "$(dirname "$0")" && pwd)/bench.py" "$@"
