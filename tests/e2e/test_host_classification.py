"""The installer's own host classification, run against the real system of each host
class: the platform flags, the class, the package folder and the staging destinations."""

from harness.case import E2eTestCase, cases

DRIVERS_X86 = r"C:\windows\system32\spool\drivers\w32x86"
DRIVERS_X64 = r"C:\windows\system32\spool\drivers\x64"
DRIVER_CACHE = r"C:\windows\Driver Cache\i386"

# host: (g_is64BitOs, g_isWindows7, g_isWindows8, host class, package folder,
#        staging destinations in order)
CLASSIFICATION = {
    "xp32": (0, 0, 0, "older 32-bit", "i386", [DRIVER_CACHE, DRIVERS_X86]),
    "win7-32": (0, 1, 0, "32-bit Windows 7/8", "i386w7", [DRIVERS_X86]),
    "win7-64": (1, 1, 0, "64-bit", "amd64", [DRIVERS_X64]),
    "win8-64": (1, 0, 1, "64-bit", "amd64", [DRIVERS_X64]),
    # Windows 10 reports 6.2 to a program whose manifest names no later release.
    "win10-64": (1, 0, 1, "64-bit", "amd64", [DRIVERS_X64]),
}


class HostClassification(E2eTestCase):
    @cases(CLASSIFICATION)
    def test_classification(self, host_name, is64, win7, win8, host_class, folder,
                            destinations):
        host = self.open_host(host_name)
        code, lines = host.probe()
        self.check_equal(code, 0, "probe exit code")
        self.check_equal([line for line in lines if line["kind"] != "host"], [],
                         "boxes, quit messages or dialogs asked for")
        facts = next(line for line in lines if line["kind"] == "host")
        self.check_equal((facts["is64BitOs"], facts["isWindows7"], facts["isWindows8"]),
                         (is64, win7, win8), "g_is64BitOs, g_isWindows7, g_isWindows8")
        self.check_equal(facts["class"], host_class, "host class")
        self.check_equal(facts["variant"], folder, "package folder")
        self.check_equal(facts["destinations"], destinations, "staging destinations")
        self.check_equal(facts["acp"], 936, "ANSI code page")
