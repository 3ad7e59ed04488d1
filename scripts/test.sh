#!/usr/bin/env bash
# Runs every test: a check of the libraries that the shipping programs import, a signing
# of a copy of the shipping folder with a throwaway certificate and its verification
# (the folder under test stays unsigned), the unit tests (natively, under
# AddressSanitizer and UndefinedBehaviorSanitizer), a bounded fuzz pass over the
# file-text handling, a check of the resources compiled into setup.exe, and the
# end-to-end tests of the real setup.exe and SilentSetup.exe under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=$top/build

"$top/scripts/bootstrap.sh"
"$top/scripts/build.sh" "$root"

echo "== libraries imported by the shipping programs"
"$top/scripts/check_imports.sh" "$root/dist"

echo "== signing with a throwaway certificate"
"$top/scripts/check_signing.sh" "$root/dist" "$root/signing"

echo "== unit tests"
ctest --test-dir "$root/native" --output-on-failure -j 2

echo "== bounded fuzz pass"
"$top/scripts/fuzz.sh" 15 "$root/fuzz"

echo "== resources of setup.exe"
python3 "$top/tests/resources/run_resources.py" "$root/dist/setup.exe"

echo "== end-to-end tests under Wine"
"$top/scripts/e2e.sh" "$root/dist" "$root/win32"
