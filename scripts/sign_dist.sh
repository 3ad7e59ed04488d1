#!/usr/bin/env bash
# Signs the programs, libraries and driver catalogs of a shipping folder with
# Authenticode (SHA-256):
#
#   scripts/sign_dist.sh <dist-dir>
#   scripts/sign_dist.sh --package <file.msi>
#
# The certificate comes from the environment:
#   RT450_SIGN_PFX         the code-signing certificate with its private key (PKCS#12)
#   RT450_SIGN_PASSWORD    its password (handed to osslsigncode through a pipe, never on
#                          a command line)
#   RT450_SIGN_TIMESTAMP   optional: an RFC 3161 time-stamp server URL, so that the
#                          signatures stay valid after the certificate expires
# Without RT450_SIGN_PFX it says so and signs nothing. Every PE image of the folder is
# signed except the platform's universal printer driver files, which are not ours and
# come with their maker's signature; so is every catalog (*.cat), whose member hashes
# leave out the images' signatures. With --package it signs the one Windows Installer
# package given, which is made from the signed folder, and says nothing without a
# certificate (the folder's signing has said it). Quiet otherwise, unless something fails.
set -euo pipefail
package=
if [ "${1:-}" = "--package" ] && [ $# -eq 2 ]; then
  package=$2
elif [ $# -ne 1 ] || [ "$1" = "--package" ]; then
  echo "usage: $0 <dist-dir> | --package <file.msi>" >&2
  exit 2
fi
dist=$1
objdump=x86_64-w64-mingw32-objdump
not_ours="UNIDRV.DLL UNIDRV.HLP UNIDRVUI.DLL UNIRES.DLL STDNAMES.GPD"

if [ -z "${RT450_SIGN_PFX:-}" ]; then
  [ -n "$package" ] && exit 0
  echo "sign_dist: no certificate (RT450_SIGN_PFX): the shipping folder stays unsigned" >&2
  exit 0
fi
[ -f "$RT450_SIGN_PFX" ] || { echo "sign_dist: no file $RT450_SIGN_PFX" >&2; exit 1; }
[ -n "${RT450_SIGN_PASSWORD+set}" ] || {
  echo "sign_dist: RT450_SIGN_PASSWORD is not set" >&2; exit 1; }

timestamp=()
if [ -n "${RT450_SIGN_TIMESTAMP:-}" ]; then
  timestamp=(-ts "$RT450_SIGN_TIMESTAMP")
fi

sign() {  # file
  osslsigncode sign -pkcs12 "$RT450_SIGN_PFX" -readpass <(printf '%s' "$RT450_SIGN_PASSWORD") \
    -h sha256 -n "RT450 printer driver installer" "${timestamp[@]}" \
    -in "$1" -out "$1.signed" >/dev/null ||
    { rm -f "$1.signed"; echo "sign_dist: signing $1 failed" >&2; exit 1; }
  mv -f "$1.signed" "$1"
}

if [ -n "$package" ]; then
  [ -f "$package" ] || { echo "sign_dist: no file $package" >&2; exit 1; }
  sign "$package"
  exit 0
fi

signed=0
while IFS= read -r -d '' file; do
  case " $not_ours " in *" $(basename "$file") "*) continue ;; esac
  case "$file" in
    *.cat) ;;
    *) "$objdump" -f "$file" 2>/dev/null | grep -q 'file format pei-' || continue ;;
  esac
  sign "$file"
  signed=$((signed + 1))
done < <(find "$dist" -type f -print0 | LC_ALL=C sort -z)
[ "$signed" -gt 0 ] || { echo "sign_dist: nothing to sign in $dist" >&2; exit 1; }
