#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the installer.
# Does nothing when everything is present; prints only on failure or when it installs.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine wine32:i386 wine64
  xvfb x11-apps x11-utils xdotool imagemagick fontconfig fonts-noto-cjk locales
  python3 python3-pil python3-asn1crypto zip fonts-arphic-gbsn00lp osslsigncode openssl
  msitools wixl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  log=$(mktemp)
  if ! { as_root apt-get update -q && as_root apt-get install -y -q --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "bootstrap: apt-get failed (see above)" >&2
    exit 1
  fi
  rm -f "$log"
fi

# Code page 936 under Wine needs the zh_CN locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 >/dev/null 2>&1 || {
    echo "bootstrap: could not generate the zh_CN.UTF-8 locale" >&2; exit 1; }
fi
