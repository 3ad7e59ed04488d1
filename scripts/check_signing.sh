#!/usr/bin/env bash
# CI's check of the signing: a throwaway self-signed code-signing certificate (openssl),
# a copy of the shipping folder signed with it by the packaging's own script, its
# Windows Installer package made again from the signed copy and signed as the packaging
# does, and `osslsigncode verify` of every program, library, catalog and package that
# must carry a signature.
#
#   scripts/check_signing.sh <dist-dir> <work-dir>
#
# <work-dir> is emptied first; the signed copy is <work-dir>/dist.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 <dist-dir> <work-dir>" >&2
  exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
dist=$(realpath -- "$1")
work=$(realpath -m -- "$2")
objdump=x86_64-w64-mingw32-objdump

rm -rf -- "$work"
mkdir -p -- "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$work/key.pem" \
  -out "$work/cert.pem" -subj "/CN=RT450 throwaway test signer" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  >"$work/openssl.log" 2>&1 || { cat "$work/openssl.log" >&2; exit 1; }
password=$(head -c 18 /dev/urandom | base64)
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.pfx" \
  -passout fd:3 3<<<"$password" >>"$work/openssl.log" 2>&1 ||
  { cat "$work/openssl.log" >&2; exit 1; }

cp -a -- "$dist" "$work/dist"
RT450_SIGN_PFX=$work/signer.pfx RT450_SIGN_PASSWORD=$password "$top/scripts/sign_dist.sh" "$work/dist"
version=$(msiinfo export "$dist/RT450.msi" Property | sed -nE 's/^ProductVersion\t([0-9.]+)\r?$/\1/p')
"$top/scripts/msi/make_msi.sh" "$work/dist" "$version" "$work/dist/RT450.msi"
RT450_SIGN_PFX=$work/signer.pfx RT450_SIGN_PASSWORD=$password \
  "$top/scripts/sign_dist.sh" --package "$work/dist/RT450.msi"

# Our own images must carry a valid signature; the placeholders stand in for files that
# are not ours and must stay as they were.
status=0
count=0
for file in SilentSetup.exe setup.exe amd64/Setup64.exe amd64/ZORQ80-Series.dll \
            i386w7/ZORQ80-Series.dll i386/ZORQ80-Series.dll amd64/ZORQ80-Series.cat \
            i386w7/ZORQ80-Series.cat i386/ZORQ80-Series.cat RT450.msi; do
  if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/dist/$file" >"$work/verify.log" 2>&1; then
    echo "signed and verified: $file"
    count=$((count + 1))
  else
    cat "$work/verify.log" >&2
    echo "check_signing: $file has no valid signature" >&2
    status=1
  fi
done
while IFS= read -r -d '' file; do
  relative=${file#"$work/dist/"}
  if "$objdump" -f "$file" 2>/dev/null | grep -q 'file format pei-'; then
    case "$relative" in
      setup.exe|SilentSetup.exe|amd64/Setup64.exe|*/ZORQ80-Series.dll) ;;
      *) osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >/dev/null 2>&1 &&
           { echo "check_signing: $relative is signed but is not ours" >&2; status=1; } ;;
    esac
  elif [[ "$relative" != *.cat && "$relative" != RT450.msi ]] &&
       ! cmp -s "$file" "$dist/$relative"; then
    echo "check_signing: $relative changed but is no program" >&2
    status=1
  fi
done < <(find "$work/dist" -type f -print0)
[ "$status" -eq 0 ] && echo "check_signing: $count files signed and verified"

# The signed catalogs still match the signed files: the images' signatures are outside
# their hashes.
/usr/bin/python3 "$top/tests/catalogs/check_catalogs.py" "$work/dist" >"$work/catalogs.log" 2>&1 ||
  { cat "$work/catalogs.log" >&2; echo "check_signing: a signed catalog does not match" >&2; status=1; }
exit "$status"
