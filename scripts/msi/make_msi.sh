#!/usr/bin/env bash
# Builds RT450.msi from a shipping folder with wixl (msitools):
#
#   scripts/msi/make_msi.sh <dist-dir> <version> <out.msi>
#
# The package holds SilentSetup.exe and the three package folders as they are in
# <dist-dir> (sign them first: the package carries these very bytes). Its ProductCode is
# a name-based UUID (version 5) of the UpgradeCode and the version, so that the same
# version always is the same product and every version another one, as a major upgrade
# needs. wixl writes every text of the tables in the database's code page and sets none
# but the default one, which has no Chinese letters, and it gives a rollback action
# neither the in-script nor the rollback bit; both are set here afterwards, with
# msibuild. Quiet unless something fails.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 <dist-dir> <version> <out.msi>" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
dist=$(realpath -- "$1")
version=$2
out=$(realpath -m -- "$3")
die() {
  echo "make_msi: $*" >&2
  exit 1
}

[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "not a version: $version"
upgrade_code=$(sed -nE 's/.*UpgradeCode="([0-9A-F-]{36})".*/\1/p' "$here/RT450.wxs")
[ -n "$upgrade_code" ] || die "no UpgradeCode in $here/RT450.wxs"
product_code=$(python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$upgrade_code" "$version")

# The texts in Chinese, in the database's code page 936 (GBK), as the version record's
# Comments names the program: the model and the main window's caption.
product_name='RT450 打印机驱动安装程序'
newer_installed='此电脑已装有更新版本的 RT450 打印机驱动安装程序，本安装包不会替换它。'
port_wrong='PORT 只能是 usb 或 lpt1。'
# msidbCustomActionTypeExe + SourceFile (18), Continue (64), Rollback (256),
# InScript (1024), NoImpersonate (2048).
rollback_type=3410

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
# wixl takes no absolute source paths: it is run in the shipping folder.
icon=$(realpath --relative-to="$dist" "$top/res/pictures/app.ico")
(cd "$dist" && wixl -a x86 -I "$here" -D Dist=. -D Icon="$icon" -D Version="$version" \
  -D ProductCode="$product_code" -o "$work/RT450.msi" "$here/RT450.wxs") \
  >"$work/wixl.log" 2>&1 || { cat "$work/wixl.log" >&2; die "wixl failed"; }

printf '\r\n\r\n936\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
update() {  # table, column, value (quoted as SQL), key column, key
  printf 'UPDATE `%s` SET `%s` = %s WHERE `%s` = '"'%s'" "$@"
}
# PORT reaches the installing service, which takes only the properties listed here, when
# an ordinary account's install is raised to administrator rights.
msibuild "$work/RT450.msi" -i "$work/_ForceCodepage.idt" \
  -q "$(update Property Value "'$product_name'" Property ProductName)" \
  -q "$(update Property Value "'NEWERVERSIONDETECTED;OLDERVERSIONBEINGUPGRADED;PORT'" \
        Property SecureCustomProperties)" \
  -q "$(update LaunchCondition Description "'$newer_installed'" Condition \
        'NOT NEWERVERSIONDETECTED OR Installed')" \
  -q "$(update LaunchCondition Description "'$port_wrong'" Condition \
        'Installed OR PORT~="usb" OR PORT~="lpt1"')" \
  -q "$(update CustomAction Type "$rollback_type" Action RT450InstallRollback)" \
  >"$work/msibuild.log" 2>&1 || { cat "$work/msibuild.log" >&2; die "msibuild failed"; }
mv -f -- "$work/RT450.msi" "$out"
