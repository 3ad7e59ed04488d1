#!/usr/bin/env bash
# Builds the native logic with its unit tests, the two Windows builds and the shipping
# folder. Usage: scripts/build.sh [build-root]   (default: ./build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
werror=${RT450_WERROR:-ON}

configure() {  # dir, extra cmake arguments...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRT450_WERROR="$werror" "$@" \
      >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log" >&2; exit 1; }
  fi
}

mkdir -p "$root"
configure "$root/native" -DRT450_SANITIZE=ON
configure "$root/win32" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-w64-mingw32.cmake"
configure "$root/win64" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64-w64-mingw32.cmake"
for dir in native win32 win64; do
  cmake --build "$root/$dir" >"$root/$dir.build.log" 2>&1 || { cat "$root/$dir.build.log" >&2; exit 1; }
done
"$top/scripts/make_dist.sh" --zip "$root/win32" "$root/win64" "$root/dist"
