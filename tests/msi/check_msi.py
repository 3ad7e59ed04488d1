#!/usr/bin/python3
"""Checks the tables of the shipping folder's Windows Installer package, RT450.msi, as
Windows Installer will read them: read back with msitools' msidump and msiextract, never
from the source that made them.

    check_msi.py <dist-dir>

What each check holds is in its docstring. Then each mutation below is made on a copy
of the package with msibuild (an action missing or out of order, a type or a property
that wixl gets wrong when left to itself): its check must fail, or the checks would not
catch that fault. Prints a line per check and "N passed, N failed"; exits 1 on any
failure."""

import re
import shutil
import subprocess
import sys
import tempfile
import uuid
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
PACKAGE = "RT450.msi"
UPGRADE_CODE = "{0F040D90-DD8E-4585-BC82-1149B3C7D267}"
PRODUCT_NAME = "RT450 打印机驱动安装程序"
INSTALL_FOLDER = ("ProgramFilesFolder", "RT450 Printer Installer")
# What the package carries: SilentSetup.exe and the package folders, not setup.exe.
CARRIED = ("SilentSetup.exe", "amd64", "i386w7", "i386")

# CustomAction types: the base type and the options (Windows Installer's msidb names).
EXE_IN_FILE_TABLE = 18
CONTINUE = 64
ROLLBACK = 256
IN_SCRIPT = 1024
NO_IMPERSONATE = 2048
# action: (type, source file, arguments)
CUSTOM_ACTIONS = {
    "RT450Install": (EXE_IN_FILE_TABLE | IN_SCRIPT | NO_IMPERSONATE, "SilentSetup.exe",
                     "/port:[PORT] /msi"),
    "RT450InstallRollback": (EXE_IN_FILE_TABLE | CONTINUE | ROLLBACK | IN_SCRIPT |
                             NO_IMPERSONATE, "SilentSetup.exe", "/uninstall /msi"),
    "RT450Uninstall": (EXE_IN_FILE_TABLE | IN_SCRIPT | NO_IMPERSONATE, "SilentSetup.exe",
                       "/uninstall /msi"),
}
# The order that the execute sequence must keep, each row earlier than the next, and
# the condition of each action of ours.
EXECUTE_ORDER = [
    ["FindRelatedProducts", "LaunchConditions", "InstallValidate", "RemoveExistingProducts",
     "InstallInitialize", "RT450Uninstall", "RemoveFiles", "InstallFiles",
     "RT450InstallRollback", "RT450Install", "RegisterProduct", "PublishProduct",
     "InstallFinalize"],
]
UI_ORDER = [["FindRelatedProducts", "LaunchConditions", "ExecuteAction"]]
CONDITIONS = {
    "RT450Install": "NOT Installed",
    "RT450InstallRollback": "NOT Installed",
    "RT450Uninstall": 'REMOVE~="ALL" AND NOT UPGRADINGPRODUCTCODE',
    "RemoveExistingProducts": "",
}
LAUNCH_CONDITIONS = {"NOT NEWERVERSIONDETECTED OR Installed",
                     'Installed OR PORT~="usb" OR PORT~="lpt1"'}
# Upgrade table attributes.
ONLY_DETECT = 2
INCLUDE_MINIMUM = 256
INCLUDE_MAXIMUM = 512


def build_version():
    """The build's version: the file VERSION, which every built file takes."""
    return (TOP / "VERSION").read_text(encoding="ascii").strip()


class Package:
    """The tables (name -> list of rows, each a dict by column) and streams of a package,
    and the files that it installs (relative path under its folder -> bytes)."""

    def __init__(self, msi, work):
        dump = work / "dump"
        dump.mkdir()
        # msidump writes the files of binary columns into its current directory.
        subprocess.run(["msidump", "-t", "-s", "-d", str(dump), str(Path(msi).resolve())],
                       check=True, capture_output=True, cwd=work)
        # _ForceCodepage.idt has no columns: its third line is "<code page>\t_ForceCodepage".
        codepage = dump / "_ForceCodepage.idt"
        self.codepage = codepage.read_bytes().decode("utf-8").split("\r\n")[2].split("\t")[0] \
            if codepage.exists() else None
        self.tables = {p.stem: self._rows(p) for p in dump.glob("*.idt") if p != codepage}
        self.streams = {p.name: p.read_bytes() for p in (dump / "_Streams").iterdir()}
        extracted = work / "files"
        subprocess.run(["msiextract", "-C", str(extracted), str(msi)], check=True,
                       capture_output=True)
        self.files = {str(p.relative_to(extracted)): p.read_bytes()
                      for p in extracted.rglob("*") if p.is_file()}

    @staticmethod
    def _rows(idt):
        lines = idt.read_bytes().decode("utf-8").split("\r\n")
        columns = lines[0].split("\t")
        return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]

    def rows(self, table):
        return self.tables.get(table, [])

    def properties(self):
        return {r["Property"]: r["Value"] for r in self.rows("Property")}

    def sequence(self, table):
        return {r["Action"]: (int(r["Sequence"]), r["Condition"]) for r in self.rows(table)}


def check_properties(package, dist, version):
    """Per machine, PORT=usb, the version of the build, the ProductCode derived from the
    UpgradeCode and that version, Apps & Features' name, publisher, icon and no modify or
    repair button, PORT passed to the installing service, in code page 936."""
    props = package.properties()
    product_code = "{%s}" % str(uuid.uuid5(uuid.UUID(UPGRADE_CODE), version)).upper()
    expected = {
        "ALLUSERS": "1", "PORT": "usb", "ProductVersion": version,
        "UpgradeCode": UPGRADE_CODE, "ProductCode": product_code,
        "ProductName": PRODUCT_NAME, "Manufacturer": "Kelvaro", "ARPNOMODIFY": "1",
        "ARPNOREPAIR": "1", "ARPPRODUCTICON": "RT450.ico",
    }
    problems = [f"{name} is {props.get(name)!r}, not {value!r}"
                for name, value in expected.items() if props.get(name) != value]
    secure = set(props.get("SecureCustomProperties", "").split(";"))
    missing = {"PORT", "NEWERVERSIONDETECTED", "OLDERVERSIONBEINGUPGRADED"} - secure
    if missing:
        problems.append(f"SecureCustomProperties lacks {sorted(missing)}")
    if package.codepage != "936":
        problems.append(f"the database's code page is {package.codepage!r}, not 936")
    return problems


def check_summary(package, dist, version):
    """A 32-bit package ("Intel" platform)."""
    summary = {r["PropertyId"]: r["Value"] for r in package.rows("_SummaryInformation")}
    template = summary.get("7", "")
    return [] if template.split(";")[0] == "Intel" else [f"platform {template!r}, not Intel"]


def check_icon(package, dist, version):
    """Apps & Features shows the program's own icon."""
    icon = (TOP / "res" / "pictures" / "app.ico").read_bytes()
    names = [r["Name"] for r in package.rows("Icon")]
    if names != ["RT450.ico"]:
        return [f"icons {names}"]
    return [] if package.streams.get("Icon.RT450.ico") == icon else ["the icon's bytes differ"]


def check_files(package, dist, version):
    """Every file that the package carries is in the folder under Program Files exactly
    as it is in the shipping folder (signed), nothing else; each file is the key path of
    a component of its own, every component in the one feature, which is installed."""
    problems = []
    directories = {r["Directory"]: r for r in package.rows("Directory")}
    install = directories.get("INSTALLDIR", {})
    if (install.get("Directory_Parent"), install.get("DefaultDir")) != INSTALL_FOLDER:
        problems.append(f"INSTALLDIR is {install}")
    expected = {}
    for name in CARRIED:
        path = dist / name
        for file in ([path] if path.is_file() else sorted(path.iterdir())):
            expected[str(file.relative_to(dist))] = file.read_bytes()
    installed = {}
    for relative, data in package.files.items():
        parts = Path(relative).parts
        if parts[:2] != ("Program Files", INSTALL_FOLDER[1]):
            problems.append(f"{relative} is not in the install folder")
        installed[str(Path(*parts[2:]))] = data
    for name in sorted(set(expected) | set(installed)):
        if name not in installed:
            problems.append(f"{name} is not in the package")
        elif name not in expected:
            problems.append(f"{name} is in the package, not among the files it carries")
        elif installed[name] != expected[name]:
            problems.append(f"{name} differs from the shipping folder's")
    files = {r["File"]: r for r in package.rows("File")}
    for component in package.rows("Component"):
        key = files.get(component["KeyPath"])
        if key is None or key["Component_"] != component["Component"]:
            problems.append(f"component {component['Component']} has no file as key path")
    counts = {}
    for file in files.values():
        counts[file["Component_"]] = counts.get(file["Component_"], 0) + 1
    problems += [f"component {c} has {n} files" for c, n in counts.items() if n != 1]
    features = package.rows("Feature")
    if [(f["Feature"], f["Level"]) for f in features] != [("Printer", "1")]:
        problems.append(f"features {features}")
    in_feature = {r["Component_"] for r in package.rows("FeatureComponents")}
    components = {r["Component"] for r in package.rows("Component")}
    if in_feature != components:
        problems.append(f"components outside the feature: {sorted(components - in_feature)}")
    return problems


def check_custom_actions(package, dist, version):
    """The installed SilentSetup.exe, deferred and as SYSTEM: the install with the port of
    PORT, a rollback that removes what a failed install left and whose own outcome is
    ignored, the removal whose failure fails the uninstall; all with /msi."""
    actions = {r["Action"]: r for r in package.rows("CustomAction")}
    silent_file = [r["File"] for r in package.rows("File") if r["FileName"] == "SilentSetup.exe"]
    problems = []
    for name, (kind, source, target) in CUSTOM_ACTIONS.items():
        row = actions.get(name)
        if row is None:
            problems.append(f"no custom action {name}")
            continue
        actual = (int(row["Type"]), row["Source"], row["Target"])
        if actual != (kind, silent_file[0] if silent_file else source, target):
            problems.append(f"{name} is {actual}, not {(kind, source, target)}")
    if set(actions) != set(CUSTOM_ACTIONS):
        problems.append(f"custom actions {sorted(actions)}")
    return problems


def _order_problems(sequence, orders, table):
    problems = []
    for order in orders:
        missing = [a for a in order if a not in sequence]
        problems += [f"{table} has no {a}" for a in missing]
        present = [a for a in order if a in sequence]
        for earlier, later in zip(present, present[1:]):
            if sequence[earlier][0] >= sequence[later][0]:
                problems.append(f"{table}: {earlier} ({sequence[earlier][0]}) is not before "
                                f"{later} ({sequence[later][0]})")
    return problems


def check_sequences(package, dist, version):
    """The actions in their order: the related products found before the launch
    conditions read them; the earlier version removed whole before this one's
    transaction; the removal while the files are there; the rollback scheduled before the
    install it undoes, both after the files are installed; all of ours deferred between
    InstallInitialize and InstallFinalize; each with its condition."""
    execute = package.sequence("InstallExecuteSequence")
    problems = _order_problems(execute, EXECUTE_ORDER, "InstallExecuteSequence")
    problems += _order_problems(package.sequence("InstallUISequence"), UI_ORDER,
                                "InstallUISequence")
    for action, condition in CONDITIONS.items():
        if action in execute and execute[action][1] != condition:
            problems.append(f"{action}'s condition is {execute[action][1]!r}, not {condition!r}")
    return problems


def check_upgrades(package, dist, version):
    """A newer version found stops the install through a launch condition; every older
    one (of the same UpgradeCode) is found for removal; PORT is usb or lpt1."""
    rows = {r["ActionProperty"]: r for r in package.rows("Upgrade")}
    expected = {
        "NEWERVERSIONDETECTED": (version, "", ONLY_DETECT),
        "OLDERVERSIONBEINGUPGRADED": ("0.0.0", version, INCLUDE_MINIMUM),
    }
    problems = []
    for prop, (low, high, attributes) in expected.items():
        row = rows.get(prop)
        actual = row and (row["UpgradeCode"], row["VersionMin"], row["VersionMax"],
                          int(row["Attributes"]))
        if actual != (UPGRADE_CODE, low, high, attributes):
            problems.append(f"{prop}: {actual}")
    if set(rows) != set(expected):
        problems.append(f"upgrade rows {sorted(rows)}")
    conditions = {r["Condition"]: r["Description"] for r in package.rows("LaunchCondition")}
    if set(conditions) != LAUNCH_CONDITIONS:
        problems.append(f"launch conditions {sorted(conditions)}")
    problems += [f"the launch condition {c!r} has no Chinese message"
                 for c, text in conditions.items() if not re.search(r"[\u4e00-\u9fff]", text)]
    return problems


CHECKS = [check_properties, check_summary, check_icon, check_files, check_custom_actions,
          check_sequences, check_upgrades]

# name: (SQL queries made on a copy of the package, the check that must fail)
MUTATIONS = {
    "the install action missing": (
        ["DELETE FROM `InstallExecuteSequence` WHERE `Action` = 'RT450Install'"],
        check_sequences),
    "the install action before the files are installed": (
        ["UPDATE `InstallExecuteSequence` SET `Sequence` = 3900 WHERE `Action` = 'RT450Install'"],
        check_sequences),
    "the rollback after the install": (
        ["UPDATE `InstallExecuteSequence` SET `Sequence` = 4003 "
         "WHERE `Action` = 'RT450InstallRollback'"], check_sequences),
    "the earlier version removed after this one's install": (
        ["UPDATE `InstallExecuteSequence` SET `Sequence` = 6700 "
         "WHERE `Action` = 'RemoveExistingProducts'"], check_sequences),
    "the removal run on an upgrade's removal too": (
        ["UPDATE `InstallExecuteSequence` SET `Condition` = 'REMOVE~=\"ALL\"' "
         "WHERE `Action` = 'RT450Uninstall'"], check_sequences),
    "the rollback with wixl's own type": (
        ["UPDATE `CustomAction` SET `Type` = 2130 WHERE `Action` = 'RT450InstallRollback'"],
        check_custom_actions),
    "the install impersonating the user": (
        ["UPDATE `CustomAction` SET `Type` = 1042 WHERE `Action` = 'RT450Install'"],
        check_custom_actions),
    "no repair button left out": (
        ["DELETE FROM `Property` WHERE `Property` = 'ARPNOREPAIR'"], check_properties),
    "PORT not passed to the service": (
        ["UPDATE `Property` SET `Value` = 'NEWERVERSIONDETECTED;OLDERVERSIONBEINGUPGRADED' "
         "WHERE `Property` = 'SecureCustomProperties'"], check_properties),
    "no downgrade stop": (
        ["DELETE FROM `LaunchCondition` WHERE `Condition` = "
         "'NOT NEWERVERSIONDETECTED OR Installed'"], check_upgrades),
}


def run_check(check, msi, dist, version):
    with tempfile.TemporaryDirectory() as work:
        return check(Package(msi, Path(work)), dist, version)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    dist = Path(sys.argv[1])
    msi = dist / PACKAGE
    version = build_version()
    passed = failed = 0

    def report(ok, what, problems=()):
        nonlocal passed, failed
        passed, failed = passed + ok, failed + (not ok)
        print(f"{'ok  ' if ok else 'FAIL'} {what}")
        for problem in problems:
            print(f"       {problem}")

    with tempfile.TemporaryDirectory() as work:
        package = Package(msi, Path(work))
        for check in CHECKS:
            problems = check(package, dist, version)
            report(not problems, check.__name__, problems)
    for name, (queries, check) in MUTATIONS.items():
        with tempfile.TemporaryDirectory() as work:
            mutant = Path(work) / PACKAGE
            shutil.copyfile(msi, mutant)
            subprocess.run(["msibuild", str(mutant)] + [a for q in queries for a in ("-q", q)],
                           check=True, capture_output=True)
            problems = run_check(check, mutant, dist, version)
        report(bool(problems), f"{check.__name__} catches {name}",
               [] if problems else ["the mutant passes"])
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
