"""The version has one source, the file VERSION at the top of the repository (four
numbers with dots): CMake makes from it the version records of the programs and of the
driver's DLL and the detection marker's value, and the packaging writes it into
DriverVer and the Windows Installer package's ProductVersion. This checks that what the
build made says that version, that the documents name it, and that no other file of the
repository spells it out. The built files are those of the shipping folder that
scripts/build.sh made (RT450_DIST, default build/dist)."""

import os
import re
import subprocess
import sys
import unittest
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(TOP / "tests" / "resources"))

import peresources as pe  # noqa: E402

DIST = Path(os.environ.get("RT450_DIST", TOP / "build" / "dist"))
# The built files with a version record.
RECORDS = ("setup.exe", "SilentSetup.exe", "amd64/ZORQ80-Series.dll",
           "i386w7/ZORQ80-Series.dll", "i386/ZORQ80-Series.dll")
FOLDERS = ("amd64", "i386w7", "i386")
# Columns: a document, the pattern of its mention of the version (the version its group).
MENTIONS = (
    ("docs/deployment.md", r"Version +REG_SZ +(\S+)"),
)


def numbers(text):
    """The numbers of a version written with dots or commas, with or without blanks."""
    return tuple(int(n) for n in re.split(r"\s*[.,]\s*", text.strip()))


VERSION_TEXT = (TOP / "VERSION").read_text("ascii")
VERSION = numbers(VERSION_TEXT)


class TheVersion(unittest.TestCase):
    def test_is_four_numbers_a_version_record_can_hold(self):
        # No leading zeros: the resource compiler reads "010" as an octal 8, while the
        # marker and DriverVer would say 10.
        self.assertRegex(VERSION_TEXT, r"^(0|[1-9]\d*)(\.(0|[1-9]\d*)){3}\n$")
        self.assertTrue(all(n <= 0xFFFF for n in VERSION), VERSION)

    def test_the_documents_name_it(self):
        for document, pattern in MENTIONS:
            with self.subTest(document=document):
                found = re.findall(pattern, (TOP / document).read_text("utf-8"))
                self.assertNotEqual(found, [])
                self.assertEqual({numbers(f) for f in found}, {VERSION})

    def test_no_other_file_spells_it_out(self):
        spellings = {separator.join(map(str, VERSION)) for separator in (".", ",", ", ")}
        mentions = dict(MENTIONS)
        tracked = subprocess.run(["git", "-C", str(TOP), "ls-files", "-z"], check=True,
                                 capture_output=True).stdout.decode().split("\0")
        copies = []
        for name in filter(None, tracked):
            if name == "VERSION":
                continue
            try:
                text = (TOP / name).read_text("utf-8")
            except (UnicodeDecodeError, FileNotFoundError):
                continue
            if name in mentions:
                text = re.sub(mentions[name], "", text)
            copies += [name for spelling in spellings if spelling in text]
        self.assertEqual(copies, [], "files that state the version by hand")

    def test_the_built_files_say_it(self):
        for name in RECORDS:
            with self.subTest(file=name):
                resources = pe.read_resources(DIST / name)
                records = [data for key, data in resources.items() if key[0] == pe.RT_VERSION]
                self.assertEqual(len(records), 1, "version records")
                record = pe.parse_version(records[0])
                fixed = pe.parse_fixed_version(record.value)
                self.assertEqual((fixed.file_version, fixed.product_version),
                                 (VERSION, VERSION))
                for table in record.child("StringFileInfo").children:
                    fields = {node.key: node.value for node in table.children}
                    self.assertEqual((numbers(fields["FileVersion"]),
                                      numbers(fields["ProductVersion"])), (VERSION, VERSION))
        for folder in FOLDERS:
            with self.subTest(file=f"{folder}/ZORQ80-Series.INF"):
                inf = (DIST / folder / "ZORQ80-Series.INF").read_bytes().decode("ascii")
                driver_version = re.search(r"^DriverVer=\d\d/\d\d/\d{4},(\S+)\r$", inf, re.M)
                self.assertEqual(numbers(driver_version.group(1)), VERSION)
        with self.subTest(file="RT450.msi"):
            table = subprocess.run(["msiinfo", "export", str(DIST / "RT450.msi"), "Property"],
                                   check=True, capture_output=True).stdout.decode("utf-8")
            product_version = re.search(r"^ProductVersion\t(\S+)\r?$", table, re.M)
            self.assertEqual(numbers(product_version.group(1)), VERSION)


if __name__ == "__main__":
    unittest.main()
