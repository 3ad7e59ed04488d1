"""The driver package: the INF that every package folder carries, and the independent
check of the folders' catalogs (tests/catalogs/check_catalogs.py), which must fail for a
file that changed after its catalog was made and for a copied file that the catalog
does not list. The catalog checks use the shipping folder that scripts/build.sh made
(RT450_DIST, default build/dist)."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
INF = TOP / "driver" / "ZORQ80-Series.INF"
CHECK = TOP / "tests" / "catalogs" / "check_catalogs.py"
DIST = Path(os.environ.get("RT450_DIST", TOP / "build" / "dist"))
# Debian's python, which has python3-asn1crypto.
PYTHON = "/usr/bin/python3"


def sections(text):
    found, current = {}, None
    for line in text.splitlines():
        line = line.split(";")[0].strip()
        if re.fullmatch(r"\[.+\]", line):
            current = found.setdefault(line[1:-1].lower(), [])
        elif line and current is not None:
            current.append(line)
    return found


def entries(lines):
    """key = value lines as (lower-case key, value) pairs."""
    return [(k.strip().lower(), v.strip()) for k, _, v in (l.partition("=") for l in lines)]


class TheInf(unittest.TestCase):
    def setUp(self):
        self.bytes = INF.read_bytes()
        self.sections = sections(self.bytes.decode("ascii"))
        self.install = dict(entries(self.sections["rt450_install"]))

    def test_is_plain_ascii_and_names_the_model_and_the_hardware_id(self):
        # The removal finds staged copies by these bytes.
        self.assertTrue(all(b < 0x80 for b in self.bytes))
        self.assertIn(b'RT450="RT450"', self.bytes)
        for models in ("kelvaro.ntx86", "kelvaro.ntamd64"):
            self.assertIn("%RT450%=RT450_Install,USBPRINT\\KELVARO80-Series0AA5,"
                          "LPTENUM\\KELVARO80-Series0AA5", self.sections[models])

    def test_takes_the_universal_driver_from_the_system(self):
        self.assertEqual(self.install["include"].lower(), "ntprint.inf")
        self.assertEqual(self.install["needs"].lower(), "unidrv.oem")
        self.assertEqual(self.install["datasection"].upper(), "UNIDRV_DATA")
        self.assertEqual(self.install["datafile"], "ZORQ80-Series.gpd")

    def test_copies_only_our_files(self):
        copied = []
        for section in self.install["copyfiles"].split(","):
            copied += [line.split(",")[0] for line in self.sections[section.strip().lower()]]
        self.assertEqual(sorted(copied), ["ZORQ80-Series.dll", "ZORQ80-Series.gpd"])
        self.assertEqual(sorted(k for k, _ in entries(self.sections["sourcedisksfiles"])),
                         ["zorq80-series.dll", "zorq80-series.gpd"])

    def test_names_its_catalog_and_a_version_the_packaging_fills_in(self):
        version = dict(entries(self.sections["version"]))
        self.assertEqual(version["catalogfile"], "ZORQ80-Series.cat")
        self.assertEqual(version["driverver"], "@DRIVER_DATE@,@DRIVER_VERSION@")
        built = (DIST / "i386" / "ZORQ80-Series.INF").read_bytes().decode("ascii")
        self.assertRegex(built, r"\r\nDriverVer=\d\d/\d\d/\d{4},1\.0\.0\.1\r\n")


class TheCatalogCheck(unittest.TestCase):
    def setUp(self):
        self.work = Path(tempfile.mkdtemp())
        self.dist = self.work / "dist"
        shutil.copytree(DIST, self.dist)

    def tearDown(self):
        shutil.rmtree(self.work)

    def check(self):
        return subprocess.run([PYTHON, str(CHECK), str(self.dist)], capture_output=True,
                              text=True)

    def test_passes_for_the_folders_as_built(self):
        result = self.check()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("3 passed, 0 failed", result.stdout)

    def test_fails_for_one_changed_byte_of_the_gpd(self):
        gpd = self.dist / "i386w7" / "ZORQ80-Series.gpd"
        data = bytearray(gpd.read_bytes())
        data[100] ^= 0x01
        gpd.write_bytes(bytes(data))
        result = self.check()
        self.assertEqual(result.returncode, 1)
        self.assertIn("FAIL i386w7/ZORQ80-Series.cat", result.stdout)
        self.assertIn("member zorq80-series.gpd", result.stdout)
        self.assertIn("2 passed, 1 failed", result.stdout)

    def test_fails_for_a_copied_file_the_catalog_does_not_list(self):
        inf = self.dist / "amd64" / "ZORQ80-Series.INF"
        inf.write_bytes(inf.read_bytes().replace(b"[RT450_Files]\r\n",
                                                 b"[RT450_Files]\r\nSTDNAMES.GPD\r\n"))
        result = self.check()
        self.assertEqual(result.returncode, 1)
        self.assertIn("stdnames.gpd is copied by the INF but not in the catalog", result.stdout)


if __name__ == "__main__":
    unittest.main()
