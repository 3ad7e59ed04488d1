#!/usr/bin/env bash
# Runs every test: a check of the libraries that the shipping programs import, a signing
# of a copy of the shipping folder with a throwaway certificate and its verification
# (the folder under test stays unsigned), an independent check of the driver catalogs
# against the files they list and their reading by Wine's own catalog and set-up calls
# (64-bit Wine, which runs everywhere), a check of the tables of the Windows Installer
# package (msitools), the unit tests (natively, under
# AddressSanitizer and UndefinedBehaviorSanitizer), a bounded fuzz pass over the
# file-text handling, a check of the resources compiled into setup.exe, a test of these
# scripts on a machine without 32-bit programs (with the checks that the documents' tables
# of exit codes list the program's and that every place that names the version says that
# of VERSION), and the end-to-end tests of the real setup.exe and SilentSetup.exe under
# Wine.
#
# The end-to-end tests need a kernel that runs 32-bit programs; where it runs none, they
# are not started and a block at the end says so (scripts/e2e.sh). The last line counts
# every test that ran and every one that did not: "total: N passed, N failed, N skipped".
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=$top/build
logs=$root/test-logs

"$top/scripts/bootstrap.sh"
"$top/scripts/build.sh" "$root"
mkdir -p "$logs"

passed=0 failed=0 skipped=0
# Adds the counts of a step's closing "N passed, N failed[, N skipped]" line.
tally() {
  local counts
  counts=$(grep -Eo '^[0-9]+ passed, [0-9]+ failed(, [0-9]+ skipped)?$' "$1" | tail -n 1 |
    grep -Eo '[0-9]+' | tr '\n' ' ')
  set -- $counts 0 0 0
  passed=$((passed + $1)) failed=$((failed + $2)) skipped=$((skipped + $3))
}

echo "== libraries imported by the shipping programs"
"$top/scripts/check_imports.sh" "$root/dist"

echo "== signing with a throwaway certificate"
"$top/scripts/check_signing.sh" "$root/dist" "$root/signing"

echo "== unit tests"
ctest --test-dir "$root/native" --output-on-failure -j 2 | tee "$logs/unit.log"
# ctest closes on "100% tests passed, 0 tests failed out of 120".
unit_total=$(sed -nE 's/.* tests failed out of ([0-9]+)$/\1/p' "$logs/unit.log" | tail -n 1)
passed=$((passed + ${unit_total:-0}))

echo "== catalogs of the package folders"
/usr/bin/python3 "$top/tests/catalogs/check_catalogs.py" "$root/dist" | tee "$logs/catalogs.log"
tally "$logs/catalogs.log"

echo "== the driver catalogs as the system's own calls see them (64-bit Wine)"
python3 "$top/tests/catalogs/run_wine_catalogs.py" "$root/dist" \
  "$root/win64/tests/catalogs/catalog_probe.exe" "$root/wine-catalogs" | tee "$logs/wine-catalogs.log"
tally "$logs/wine-catalogs.log"

echo "== tables of the Windows Installer package"
python3 "$top/tests/msi/check_msi.py" "$root/dist" | tee "$logs/msi.log"
tally "$logs/msi.log"

echo "== bounded fuzz pass"
"$top/scripts/fuzz.sh" 15 "$root/fuzz"

echo "== resources of setup.exe"
python3 "$top/tests/resources/run_resources.py" "$root/dist/setup.exe" | tee "$logs/resources.log"
tally "$logs/resources.log"

echo "== the test and run commands on a machine without 32-bit programs; facts that several files state"
python3 "$top/tests/scripts/run_script_tests.py" | tee "$logs/scripts.log"
tally "$logs/scripts.log"

echo "== end-to-end tests under Wine"
e2e_status=0
"$top/scripts/e2e.sh" "$root/dist" "$root/win32" | tee "$logs/e2e.log" || e2e_status=$?
tally "$logs/e2e.log"

echo "total: $passed passed, $failed failed, $skipped skipped"
exit "$e2e_status"
