#!/usr/bin/env bash
# Assembles the shipping folder from the two Windows builds:
#
#   scripts/make_dist.sh [--zip] <win32-build-dir> <win64-build-dir> <out-dir>
#
#   <out-dir>/setup.exe                         from the i686 build
#   <out-dir>/SilentSetup.exe                   from the i686 build: the unattended installer
#   <out-dir>/amd64/   7 driver files, INF, catalog, Setup64.exe   (x64 resource DLL)
#   <out-dir>/i386w7/  7 driver files, INF, catalog                (x86 resource DLL)
#   <out-dir>/i386/    7 driver files, INF, catalog                (x86 resource DLL)
#   <out-dir>/RT450.msi                         the unattended install as a Windows
#                                               Installer package (scripts/msi)
#
# <out-dir> is emptied first, so a second run gives the same folder. The INF gets the
# version the two builds were made with (their version.txt, from VERSION) and the date of
# the sources (SOURCE_DATE_EPOCH, else the last commit) in DriverVer; each folder's
# catalog lists the INF and the files it copies (driver/tools/make_catalog.py). Its
# programs, libraries and catalogs are then signed when a certificate is given
# (scripts/sign_dist.sh: without one it says so), packed into RT450.msi with the same
# version, which is signed in turn. With --zip the folder is also packed into
# <out-dir>.zip beside it. Quiet unless something fails.
#
# The five files of the platform's universal printer driver (UNIDRV.DLL, UNIDRV.HLP,
# UNIDRVUI.DLL, UNIRES.DLL, STDNAMES.GPD) are not ours to ship. Point RT450_UNIDRV_DIR
# at a folder with one sub-folder per package folder (amd64, i386w7, i386), each
# holding the five files of that platform release; without it, text files marked as
# placeholders stand in for them so that every flow of the installer can still run.
set -euo pipefail

usage() {
  echo "usage: $0 [--zip] <win32-build-dir> <win64-build-dir> <out-dir>" >&2
  exit 2
}
die() {
  echo "make_dist: $*" >&2
  exit 1
}

make_zip=no
if [ "${1:-}" = "--zip" ]; then
  make_zip=yes
  shift
fi
[ $# -eq 3 ] || usage

top=$(cd "$(dirname "$0")/.." && pwd)
win32=$(realpath -m -- "$1")
win64=$(realpath -m -- "$2")
out=$(realpath -m -- "$3")
driver_sources=$top/driver
variants=(amd64 i386w7 i386)
unidrv_files=(UNIDRV.DLL UNIDRV.HLP UNIDRVUI.DLL UNIRES.DLL STDNAMES.GPD)
objdump=x86_64-w64-mingw32-objdump

[ -d "$win32" ] || die "no build folder $win32"
[ -d "$win64" ] || die "no build folder $win64"

# The output folder is deleted wholesale: refuse anything that holds the sources or the
# builds.
for kept in / "$top" "$win32" "$win64"; do
  case "$kept/" in
    "$out"/*) die "refusing to empty $out: it contains $kept" ;;
  esac
done

# A built file, checked to be a PE image of the expected machine so that swapped build
# folders fail here rather than on the user's machine.
built_file() {  # path, pe format (pei-i386 | pei-x86-64)
  local path=$1 format=$2
  [ -f "$path" ] || die "missing $path: build that folder first"
  "$objdump" -f "$path" 2>/dev/null | grep -q "file format $format\$" ||
    die "$path is not a $format image"
  printf '%s\n' "$path"
}

# setup.exe is found by name so that its place in the build tree is the app's own
# business; exactly one may exist.
find_setup() {
  local found
  mapfile -t found < <(find "$win32" -name setup.exe -type f -not -path '*/CMakeFiles/*' | LC_ALL=C sort)
  [ ${#found[@]} -gt 0 ] || die "no setup.exe in $win32: build the target setup first"
  [ ${#found[@]} -eq 1 ] || die "more than one setup.exe in $win32: ${found[*]}"
  built_file "${found[0]}" pei-i386
}

# Windows tools expect CRLF in text files; the sources keep LF.
copy_text() {  # source, target
  sed 's/\r*$/\r/' "$1" >"$2"
}

write_placeholder() {  # target, file name
  printf '%s\r\n' \
    "PLACEHOLDER - NOT A REAL DRIVER FILE" \
    "" \
    "This file stands in for $2 of the platform's universal printer driver," \
    "which this package does not ship. Printing needs the real file in its place." \
    >"$1"
}

# The Windows versions each folder serves, as the catalog's OSAttr names them
# (2:<major>.<minor>): 64-bit XP/Server 2003 on; 32-bit Windows 7 on; 32-bit XP, Server
# 2003 and Vista.
declare -A os_attributes=(
  [amd64]=2:5.2,2:6.0,2:6.1,2:6.2,2:6.3,2:10.0
  [i386w7]=2:6.1,2:6.2,2:6.3,2:10.0
  [i386]=2:5.1,2:5.2,2:6.0
)

# The driver's and the MSI's version is the one the programs and the DLLs were built
# with; the driver's date
# that of the sources, so that the same sources give the same folder.
for build in "$win32" "$win64"; do
  [ -f "$build/version.txt" ] || die "no version.txt in $build: configure that build first"
done
version=$(cat "$win32/version.txt")
[ "$version" = "$(cat "$win64/version.txt")" ] ||
  die "the builds were made with different versions: build both again"
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)}
driver_date=$(date -u -d "@$epoch" +%m/%d/%Y)
catalog_time=$(date -u -d "@$epoch" +%Y%m%d%H%M%SZ)

setup_exe=$(find_setup)
silent_exe=$(built_file "$win32/silent/SilentSetup.exe" pei-i386)
setup64_exe=$(built_file "$win64/setup64/Setup64.exe" pei-x86-64)
resources_x86=$(built_file "$win32/driver/ZORQ80-Series.dll" pei-i386)
resources_x64=$(built_file "$win64/driver/ZORQ80-Series.dll" pei-x86-64)

if [ -n "${RT450_UNIDRV_DIR:-}" ]; then
  for variant in "${variants[@]}"; do
    for name in "${unidrv_files[@]}"; do
      [ -f "$RT450_UNIDRV_DIR/$variant/$name" ] ||
        die "RT450_UNIDRV_DIR lacks $variant/$name"
    done
  done
fi

rm -rf -- "$out"
mkdir -p -- "$out"
install -m 0755 "$setup_exe" "$out/setup.exe"
install -m 0755 "$silent_exe" "$out/SilentSetup.exe"

for variant in "${variants[@]}"; do
  dir=$out/$variant
  mkdir -- "$dir"
  if [ "$variant" = amd64 ]; then
    install -m 0644 "$resources_x64" "$dir/ZORQ80-Series.dll"
    install -m 0755 "$setup64_exe" "$dir/Setup64.exe"
  else
    install -m 0644 "$resources_x86" "$dir/ZORQ80-Series.dll"
  fi
  copy_text "$driver_sources/ZORQ80-Series.gpd" "$dir/ZORQ80-Series.gpd"
  sed -e "s|@DRIVER_DATE@|$driver_date|" -e "s|@DRIVER_VERSION@|$version|" \
    "$driver_sources/ZORQ80-Series.INF" | sed 's/\r*$/\r/' >"$dir/ZORQ80-Series.INF"
  for name in "${unidrv_files[@]}"; do
    if [ -n "${RT450_UNIDRV_DIR:-}" ]; then
      install -m 0644 "$RT450_UNIDRV_DIR/$variant/$name" "$dir/$name"
    else
      write_placeholder "$dir/$name" "$name"
    fi
  done
  # Debian's python, which has python3-asn1crypto.
  /usr/bin/python3 "$driver_sources/tools/make_catalog.py" --os "${os_attributes[$variant]}" \
    --time "$catalog_time" "$dir" ZORQ80-Series.INF ZORQ80-Series.cat ||
    die "the catalog of $variant could not be made"
done

"$top/scripts/sign_dist.sh" "$out"
# The package carries the signed programs, and is signed itself.
"$top/scripts/msi/make_msi.sh" "$out" "$version" "$out/RT450.msi"
"$top/scripts/sign_dist.sh" --package "$out/RT450.msi"

if [ "$make_zip" = yes ]; then
  archive=$out.zip
  rm -f -- "$archive"
  # Fixed times and a sorted list make the archive depend on the contents only.
  find "$out" -exec touch -h -d '2000-01-01 00:00:00 UTC' {} +
  (
    cd "$(dirname "$out")"
    name=$(basename "$out")
    find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$archive" -@
  )
fi
