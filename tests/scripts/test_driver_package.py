"""The driver package: the INF that every package folder carries, and the independent
check of the folders' catalogs (tests/catalogs/check_catalogs.py), which must fail for a
file that changed after its catalog was made, for a copied file that the catalog does
not list, and for a program whose length is no multiple of 8 hashed without the zeros
that Windows hashes behind it. The catalog checks use the shipping folder that
scripts/build.sh made (RT450_DIST, default build/dist)."""

import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
INF = TOP / "driver" / "ZORQ80-Series.INF"
CHECK = TOP / "tests" / "catalogs" / "check_catalogs.py"
MAKE_CATALOG = TOP / "driver" / "tools" / "make_catalog.py"
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
        version = re.escape((TOP / "VERSION").read_text().strip())
        self.assertRegex(built, rf"\r\nDriverVer=\d\d/\d\d/\d{{4}},{version}\r\n")


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

    # Windows hashes a program whose length is no multiple of 8 as if zero bytes filled it
    # up to the next multiple (the bytes that signing writes in front of the certificate
    # table). The i386 folder's DLL gets a few bytes behind its sections, and the folder
    # the catalog of one of three stand-ins for it, made by the packaging's catalog tool;
    # then the DLL is put back. The stand-ins:
    #   zeros   the DLL with its zeros written out: its hash is the padded one
    #   cut     the DLL with its zeros behind it as a certificate table, which the hash
    #           leaves out: its hash stops at the DLL's last byte
    #   itself  the DLL as it is
    # Columns: bytes added, whether the check takes the catalog of (zeros, cut, itself).
    ODD_LENGTHS = (
        (0, (True, True, True)),
        (1, (True, False, True)),
        (7, (True, False, True)),
    )

    def test_hashes_a_program_of_odd_length_with_its_zeros(self):
        folder = self.dist / "i386"
        dll = folder / "ZORQ80-Series.dll"
        built = dll.read_bytes()
        self.assertEqual(len(built) % 8, 0, "the fixture assumes a DLL of whole 8-byte units")
        for added, accepted in self.ODD_LENGTHS:
            image = built + b"\xa5" * added
            zeros = bytes(-len(image) % 8)
            stand_ins = {"zeros": image + zeros,
                         "cut": with_certificate_table(image, zeros),
                         "itself": image}
            for (name, stand_in), taken in zip(stand_ins.items(), accepted):
                with self.subTest(added=added, stand_in=name):
                    dll.write_bytes(stand_in)
                    subprocess.run([PYTHON, str(MAKE_CATALOG), "--os", "2:5.1", "--time",
                                    "20261210120000Z", str(folder), INF.name,
                                    "ZORQ80-Series.cat"], check=True)
                    dll.write_bytes(image)
                    result = self.check()
                    verdict = "ok   i386/" if taken else "FAIL i386/"
                    self.assertIn(verdict + "ZORQ80-Series.cat", result.stdout)


def with_certificate_table(image, table):
    """The image followed by a certificate table, its directory entry pointing at it."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    entry = optional + {0x10B: 96, 0x20B: 112}[magic] + 4 * 8
    out = bytearray(image + table)
    struct.pack_into("<II", out, entry, len(image), len(table))
    return bytes(out)


if __name__ == "__main__":
    unittest.main()
