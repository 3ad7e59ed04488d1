#!/usr/bin/env bash
# Checks that the programs of a shipping folder import only libraries that every
# supported Windows (XP to 10, 32 and 64 bit) maps from its own system directory,
# whatever lies beside the program or in the current directory:
#
#   scripts/check_imports.sh <dist-dir>
#
# Every .exe of the folder is read (setup.exe, SilentSetup.exe and amd64/Setup64.exe at
# least). A program that imports any other library, or has delay-loaded imports (which
# the loader looks up by name, like any import), fails the check. Each import is printed. Every program
# must also carry an application manifest: without one, a "<program>.local" beside it
# makes Windows (XP and Server 2003 by default) load even libraries asked for by full
# path from the program's folder.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 <dist-dir>" >&2
  exit 2
fi
dist=$1

# kernel32, user32 and gdi32 are known DLLs on every Windows NT. msvcrt is one from
# Vista on, and on XP a dependency of the known DLLs, which the system maps with them.
safe="kernel32.dll user32.dll gdi32.dll msvcrt.dll"
# The x86_64 objdump reads 32-bit and 64-bit programs alike.
objdump=x86_64-w64-mingw32-objdump

status=0
for required in setup.exe SilentSetup.exe amd64/Setup64.exe; do
  if [ ! -f "$dist/$required" ]; then
    echo "check_imports: no $required in $dist" >&2
    status=1
  fi
done

while IFS= read -r -d '' program; do
  headers=$("$objdump" -p "$program") || { echo "check_imports: cannot read $program" >&2; status=1; continue; }
  # "Entry d <address> <size> Delay Import Directory": both zero when there is none.
  delay=$(awk '/Delay Import Directory/ { print $3 $4 }' <<<"$headers")
  if [ -n "$(tr -d '0' <<<"$delay")" ]; then
    echo "check_imports: ${program#"$dist"/} has delay-loaded imports" >&2
    status=1
  fi
  # The manifest is resource type 24 (RT_MANIFEST), id 1. objdump indents type entries
  # by three blanks and name entries by five.
  manifest=$(awk '/^[0-9a-f]+   Entry: ID: / { type = $4 }
                  /^[0-9a-f]+     Entry: ID: / && type == "0x000018," && $4 == "0x000001," { print "yes" }' <<<"$headers")
  if [ "$manifest" != yes ]; then
    echo "check_imports: ${program#"$dist"/} has no application manifest" >&2
    status=1
  fi
  imports=$(awk -F': ' '/^\tDLL Name: / { print $2 }' <<<"$headers")
  if [ -z "$imports" ]; then
    # Every program imports kernel32: an empty list means the table was not read.
    echo "check_imports: no imports read from ${program#"$dist"/}" >&2
    status=1
  fi
  while read -r dll; do
    [ -n "$dll" ] || continue
    if [[ " $safe " == *" ${dll,,} "* ]]; then
      echo "${program#"$dist"/}: $dll"
    else
      echo "check_imports: ${program#"$dist"/} imports $dll, which Windows may load from the program's folder" >&2
      status=1
    fi
  done <<<"$imports"
done < <(find "$dist" -type f -iname '*.exe' -print0 | sort -z)

exit $status
