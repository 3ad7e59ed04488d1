"""Libraries planted where a program run from a download folder finds them first: beside
setup.exe in the shipping folder, which is also the current directory of both programs,
and beside Setup64.exe in amd64. Windows looks in the program's folder first for every
library that is not one of its known DLLs; Wine does so for the libraries that its
overrides name native-first. So each test names "n,b" every library that the programs
load after their start, and those that Wine's builds of these load in turn, and plants
our marker library under each name. A marker that is loaded logs it and fails the load.
The programs must load none of them and install as before, with the system's own."""

from pathlib import PureWindowsPath

from harness.case import E2eTestCase, cases
from installer import (INF_FILE, INFO_CAPTION, INSTALL_FAILED_TEXT, SETUP64,
                       USB_HARDWARE_ID, answer_box, choose_port)
from test_install_flows import HOSTS as FACTS
from test_install_flows import INSTALLED_AFTER_PORT, InstallFlowCase, box

DIST = r"C:\dist"
AMD64 = r"C:\dist\amd64"
# The programs load newdev, setupapi, shlwapi and winspool.drv by name. Whole installs
# under WINEDEBUG=+loaddll show what Wine's builds of these bring in after the start:
# compstui and comctl32 (imports of the spooler's client side), spoolss and localspl
# (which it loads by name when first called) and shcore (shlwapi's). They also bring
# ole32, combase and rpcrt4, which are not planted: every Windows that has them maps
# them from its system directory (known DLLs), while Wine's imm32 loads ole32 by name
# from the program's folder, whatever the program restricts, as soon as a window opens.
LIBRARIES = ("newdev.dll", "setupapi.dll", "shlwapi.dll", "winspool.drv", "compstui.dll",
             "comctl32.dll", "spoolss.dll", "localspl.dll", "shcore.dll")
# Wine's override names leave out ".dll" only.
NATIVE_FIRST = ",".join(n[:-4] if n.endswith(".dll") else n for n in LIBRARIES) + "=n,b"


def plant_everywhere(host, top_is_64bit=False):
    """Markers under every name in the shipping folder (32-bit ones, for setup.exe,
    unless `top_is_64bit`) and in amd64 (64-bit ones, for Setup64.exe), and every name
    native-first for the programs started from now on."""
    host.session.add_dll_overrides(NATIVE_FIRST)
    host.plant_markers(DIST, LIBRARIES, is_64bit=top_is_64bit)
    host.plant_markers(AMD64, LIBRARIES, is_64bit=True)


def run_setup64(host):
    """Runs Setup64.exe as setup.exe starts it, from the shipping folder with the USB
    hardware id and the package's INF; returns its exit code."""
    return host.session.run(str(PureWindowsPath(AMD64, SETUP64)), USB_HARDWARE_ID,
                            rf".\amd64\{INF_FILE}", cwd=host.path(DIST))


class PlantedLibraries(InstallFlowCase):
    # case: (host, whether the user takes the parallel port rather than USB)
    INSTALLS = {
        "xp32-parallel": ("xp32", True),
        "xp32-usb": ("xp32", False),
        "win10-64-parallel": ("win10-64", True),
        "win10-64-usb": ("win10-64", False),
    }

    @cases(INSTALLS)
    def test_install_loads_none(self, case, host_name, parallel):
        facts = FACTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        plant_everywhere(host)
        run = self.install(host, *choose_port(parallel=parallel), *answer_box(INFO_CAPTION))
        self.check_equal(host.loaded_markers(), [], "planted libraries that were loaded")
        dialogs = self.run_dialogs(host, run)
        if parallel:
            self.check_equal(dialogs, INSTALLED_AFTER_PORT, "dialogs")
            self.check_commands(host, [facts.driver_command, facts.printer_command])
        else:
            # No printer is plugged in; on 64-bit Windows Setup64.exe runs with the
            # markers beside it. test_usb_flows follows the USB branch itself.
            self.check_equal(dialogs,
                             INSTALLED_AFTER_PORT[:2] + [box(facts.no_device_text, "robot")],
                             "dialogs of a USB install with no printer plugged in")
        self.check_staged_inf(host, facts)

    @cases(["win7-64"])
    def test_setup64_loads_none(self, host_name):
        # The test starts Setup64.exe as setup.exe would, from the shipping folder, this
        # time with 64-bit markers there, the current directory it would have.
        host = self.open_host(host_name)
        host.install_dist()
        plant_everywhere(host, top_is_64bit=True)
        code = run_setup64(host)
        self.check_equal(host.loaded_markers(), [], "planted libraries that were loaded")
        # No printer is plugged in: the package is pre-installed.
        self.check_equal(code, 10, "Setup64.exe's exit code with no printer plugged in")


class MissingLibrary(InstallFlowCase):
    """A system library that cannot be loaded fails the call that needs it, and the
    programs report that as they report the call's own failure. Here newdev.dll is taken
    out of the system directory and named native-only, so that Wine has none to give."""

    def open_without_newdev(self, host_name):
        host = self.open_host(host_name)
        host.install_dist()
        host.remove(r"C:\windows\system32\newdev.dll")
        host.session.add_dll_overrides("newdev=n")
        return host

    @cases(["xp32"])
    def test_usb_update(self, host_name):
        host = self.open_without_newdev(host_name)
        run = self.install(host, *choose_port(parallel=False), *answer_box(INFO_CAPTION))
        # The update fails with the loader's code, one that the step does not act on: it
        # returns 0 silently and the install sequence reports the failure.
        self.check_equal(self.run_dialogs(host, run),
                         INSTALLED_AFTER_PORT[:2] + [box(INSTALL_FAILED_TEXT, "robot")],
                         "dialogs")

    @cases(["win7-64"])
    def test_setup64(self, host_name):
        # In a 64-bit prefix system32 is the 64-bit program's system directory.
        host = self.open_without_newdev(host_name)
        self.check_equal(run_setup64(host), 0, "Setup64.exe's exit code (failed)")


class Markers(E2eTestCase):
    """The markers themselves: loaded where the system does look, beside a program of
    ours that imports winspool.drv, so that the tests above prove something; and loaded
    where Windows would not look, which is why those tests leave some names out."""

    # host: the architectures of the programs that it runs
    ARCHITECTURES = {"xp32": ((False,),), "win10-64": ((False, True),)}

    @cases(ARCHITECTURES)
    def test_loaded_beside_an_importer(self, host_name, architectures):
        host = self.open_host(host_name)
        host.session.add_dll_overrides(NATIVE_FIRST)
        expected = []
        for is_64bit in architectures:
            folder = rf"C:\importer{64 if is_64bit else 32}"
            host.copy_program("e2e_spooler.exe", folder, is_64bit=is_64bit)
            host.plant_markers(folder, ["winspool.drv"], is_64bit=is_64bit)
            host.session.run(rf"{folder}\e2e_spooler.exe", rf"{folder}\spooler.jsonl", "list")
            expected.append((PureWindowsPath(folder, "winspool.drv"),
                             PureWindowsPath(folder, "e2e_spooler.exe")))
        self.check_equal(host.loaded_markers(), expected, "markers that were loaded")

    # case: a library that the programs import, which Windows maps from its system
    # directory whatever lies beside the program. Wine has no such list: named
    # native-first, these too are loaded from the program's folder. (Wine cannot start a
    # process with a kernel32 or msvcrt of ours at all.)
    KNOWN_DLLS = {"user32": "user32.dll", "gdi32": "gdi32.dll"}

    @cases(KNOWN_DLLS)
    def test_known_dll_beside_setup(self, case, name):
        host = self.open_host("win7-32")
        host.install_dist()
        host.session.add_dll_overrides(f"{name[:-4]}=n,b")
        host.plant_markers(DIST, [name])
        host.session.run(str(PureWindowsPath(DIST, "setup.exe")), cwd=host.path(DIST))
        self.known_wine_difference(
            f"{name} planted beside setup.exe: the loads", host.loaded_markers(),
            wine=[(PureWindowsPath(DIST, name), PureWindowsPath(DIST, "setup.exe"))],
            windows=[])
