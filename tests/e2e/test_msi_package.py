"""RT450.msi, the shipping folder's Windows Installer package, run by Wine's own msiexec
on each host class: what it installs and where, the uninstall entry it leaves, what its
action (the installed SilentSetup.exe) does through the printer-setup double, its
removal, its failure and rollback, its replacement by a newer version, and its refusal
while another run holds the run lock.

msiexec is started from a script, which keeps its whole exit code (Wine's own exit status
keeps its low 8 bits only). Each run writes a verbose log, kept with the test's results.
Wine runs the package's deferred actions in msiexec's own process, as the user who
started it: SilentSetup.exe's default log is then that user's RT450.log, where Windows
writes C:\\Windows\\Temp\\RT450.log as SYSTEM."""

import shutil
import subprocess
from pathlib import Path, PureWindowsPath

from exit_codes import CODES, meaning
from harness.case import cases
from harness.context import context
from test_install_flows import HOSTS
from test_removal_flows import MODEL, RemovalCase
from test_silent_setup import (DIST, LOG, RUN_TIMEOUT_MS, SILENT, SilentCase, SilentUninstall,
                               log_lines)
from test_usb_flows import ERROR_ACCESS_DENIED

PACKAGE = "RT450.msi"
MAKE_MSI = Path(__file__).resolve().parents[2] / "scripts" / "msi" / "make_msi.sh"
PRODUCT_NAME = "RT450 打印机驱动安装程序"
PUBLISHER = "Kelvaro"
INSTALL_FOLDER = "RT450 Printer Installer"
UNINSTALL_KEY = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
MSIEXEC_SCRIPT = r"C:\e2e\msiexec.cmd"
MSIEXEC_CODE = r"C:\e2e\msiexec-code.txt"
# Two msiexec runs at most per step, each waiting for SilentSetup.exe's whole run.
MSIEXEC_TIMEOUT_S = 2 * RUN_TIMEOUT_MS // 1000 + 60

EXIT_WAITING_FOR_USB = CODES["kExitWaitingForUsbDevice"]
EXIT_NOT_AS_ASKED = CODES["kExitNotAsAsked"]
ERROR_SUCCESS = 0
ERROR_INSTALL_FAILURE = 1603
# Wine's msiexec ends a package whose program action failed with ERROR_FUNCTION_FAILED.
ERROR_FUNCTION_FAILED = 1627


def package_properties(msi):
    """The Property table of a package on this machine's disk, {name: value}."""
    table = subprocess.run(["msiinfo", "export", str(msi), "Property"], check=True,
                           capture_output=True).stdout.decode("utf-8")
    rows = [line.rstrip("\r").split("\t") for line in table.split("\n")[3:] if line]
    return {row[0]: row[1] for row in rows}


def higher_version(version):
    """A version above this one in the fields that Windows Installer compares (the
    first three)."""
    major, minor, build, revision = version.split(".")
    return f"{major}.{minor}.{int(build) + 1}.{revision}"


class MsiCase(SilentCase, RemovalCase):
    spooler_left = SilentUninstall.spooler_left

    def install_folder(self, host):
        """Where a 32-bit package's ProgramFilesFolder is on this host class."""
        programs = r"C:\Program Files (x86)" if host.host_class.is_64bit else r"C:\Program Files"
        return rf"{programs}\{INSTALL_FOLDER}"

    def msiexec(self, host, *arguments, log_name="msiexec"):
        """Runs msiexec with these arguments and a verbose log to its end; returns its
        exit code."""
        log = rf"C:\e2e\{log_name}.log"
        host.remove(MSIEXEC_CODE)
        host.write_file(MSIEXEC_SCRIPT, (
            f"@msiexec {' '.join(arguments)} /l*v {log}\r\n"
            f"@>{MSIEXEC_CODE} echo %errorlevel%\r\n").encode("ascii"))
        host.session.run("cmd", "/c", MSIEXEC_SCRIPT, cwd=host.path(DIST),
                         timeout=MSIEXEC_TIMEOUT_S)
        if host.path(log).exists():
            shutil.copy2(host.path(log), host.results / f"{log_name}.log")
        code = host.read_bytes(MSIEXEC_CODE)
        self.check_true(code is not None, "msiexec's exit code was written")
        return int(code.strip())

    def properties(self, host, name=PACKAGE):
        return package_properties(host.path(rf"{DIST}\{name}"))

    def uninstall_entry(self, host, product_code):
        """The package's entry in Apps & Features, in the 32-bit registry view of a
        64-bit host (a 32-bit package's); None when it is missing."""
        view = 32 if host.host_class.is_64bit else None
        return host.registry_values(rf"{UNINSTALL_KEY}\{product_code}", view=view)

    def check_entry(self, host, properties):
        entry = self.uninstall_entry(host, properties["ProductCode"])
        self.check_true(entry is not None, f"the uninstall entry {properties['ProductCode']}")
        self.check_equal((entry.get("DisplayName"), entry.get("DisplayVersion"),
                          entry.get("Publisher")),
                         (PRODUCT_NAME, properties["ProductVersion"], PUBLISHER),
                         "the entry's name, version and publisher")

    def installed_files(self, host):
        """The files under the install folder, as paths relative to it."""
        folder = host.path(self.install_folder(host))
        return sorted(str(PureWindowsPath(*p.relative_to(folder).parts))
                      for p in folder.rglob("*") if p.is_file()) if folder.is_dir() else []

    def expected_files(self):
        """What the package carries: SilentSetup.exe and the three package folders."""
        dist = context().dist_dir
        return sorted([SILENT] + [str(PureWindowsPath(*p.relative_to(dist).parts))
                                  for variant in ("amd64", "i386w7", "i386")
                                  for p in (dist / variant).iterdir() if p.is_file()])

    def check_commands_in(self, host, folder, expected):
        self.check_equal([(c.command_line, c.directory) for c in host.commands(len(expected))],
                         [(command, folder) for command in expected],
                         "printer-setup commands and their folder")

    def check_nothing_left(self, host, properties, staged=None):
        """No queue, no driver of the model, no staged INF, no record, no marker, no file
        of the package, no uninstall entry."""
        printers, drivers = self.spooler_left(host)
        self.check_equal((printers, drivers), ([], {environment: [] for environment in drivers}),
                         "the printer and the drivers")
        if staged is not None:
            self.check_equal(host.read_bytes(str(PureWindowsPath(r"C:\windows\inf", staged))),
                             None, "the staged INF")
        self.check_equal(host.read_bytes(r"C:\windows\inf\RT450.txt"), None, "the record file")
        self.check_marker(host, None)
        self.check_equal(self.installed_files(host), [], "files left in the install folder")
        self.check_equal(self.uninstall_entry(host, properties["ProductCode"]), None,
                         "the uninstall entry")

    def silent_log(self, host):
        """SilentSetup.exe's default log, which the package's runs write (the user's)."""
        logs = sorted(host.path(r"C:\users").glob("**/RT450.log"))
        self.check_equal(len(logs), 1, "default logs in the users' folders")
        return log_lines(logs[0].read_bytes())


class MsiInstall(MsiCase):
    @cases(list(HOSTS))
    def test_install_and_remove(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_arranged_host(host_name)
        self.printer_setup_does_its_work(host)
        properties = self.properties(host)
        folder = self.install_folder(host)

        code = self.msiexec(host, rf"/i {DIST}\{PACKAGE}", "/qn", "PORT=lpt1", log_name="install")
        self.check_equal(code, ERROR_SUCCESS, "msiexec /i exit code")
        self.check_equal(self.installed_files(host), self.expected_files(),
                         f"files in {folder}")
        # The installed SilentSetup.exe ran in its own folder: the same command lines as
        # setup.exe's, byte for byte.
        self.check_commands_in(host, folder, [facts.driver_command, facts.printer_command])
        staged = self.check_staged_inf(host, facts)
        printers, drivers = self.spooler_left(host)
        self.check_equal(printers, [MODEL], "the printer after the install")
        self.check_marker(host, "LPT1:")
        self.check_entry(host, properties)
        self.check_log_has(self.silent_log(host), [
            ("start", "SilentSetup.exe /port:lpt1 /msi"),
            ("start", f"current directory {folder}"),
            ("end", "exit code 0: success"),
        ])

        code = self.msiexec(host, rf"/x {DIST}\{PACKAGE}", "/qn", log_name="uninstall")
        self.check_equal(code, ERROR_SUCCESS, "msiexec /x exit code")
        self.check_nothing_left(host, properties, staged)
        self.check_log_has(self.silent_log(host), [
            ("start", "SilentSetup.exe /uninstall /msi"),
            ("check", f"nothing of {MODEL} is left"),
            ("end", "exit code 0: success"),
        ])

    def test_usb_staged_is_a_success(self):
        # Nothing plugged in on Windows 7: SilentSetup.exe's 20, which /msi answers 0.
        host = self.open_host("win7-32")
        host.install_dist()
        properties = self.properties(host)
        code = self.msiexec(host, rf"/i {DIST}\{PACKAGE}", "/qn", log_name="install")
        self.check_equal(code, ERROR_SUCCESS, "msiexec /i exit code")
        self.check_staged_inf(host, HOSTS["win7-32"])
        self.check_marker(host, "USB")
        self.check_entry(host, properties)
        self.check_equal(self.silent_log(host)[-2:], [
            ("end", f"exit code {EXIT_WAITING_FOR_USB}: {meaning(EXIT_WAITING_FOR_USB)}"),
            ("end", "answered 0 to Windows Installer, which counts every other code as a "
                    "failure"),
        ], "the log's last lines")

    @cases(["win7-32", "win10-64"])
    def test_failed_install_is_rolled_back(self, host_name):
        # The printer command fails: SilentSetup.exe ends 34, the package fails, and its
        # rollback removes what the run left (the staged INF, the record, the driver)
        # and the files.
        facts = HOSTS[host_name]
        host = self.open_arranged_host(host_name)
        self.printer_setup_does_its_work(host, f"fail /if {ERROR_ACCESS_DENIED}")
        properties = self.properties(host)
        code = self.msiexec(host, rf"/i {DIST}\{PACKAGE}", "/qn", "PORT=lpt1", log_name="install")
        self.known_wine_difference("msiexec's exit code for a failed program action", code,
                                   wine=ERROR_FUNCTION_FAILED, windows=ERROR_INSTALL_FAILURE)
        lines = self.silent_log(host)
        self.check_log_has(lines, [
            ("start", "SilentSetup.exe /port:lpt1 /msi"),
            ("end", f"exit code {EXIT_NOT_AS_ASKED}: {meaning(EXIT_NOT_AS_ASKED)}"),
            ("start", "SilentSetup.exe /uninstall /msi"),
            ("end", "exit code 0: success"),
        ])
        self.check_nothing_left(host, properties)
        self.check_equal(host.added_files(r"C:\windows\inf"), [],
                         "files added to the INF directory")

    @cases(["xp32", "win10-64"])
    def test_newer_version_replaces_the_older(self, host_name):
        host = self.open_arranged_host(host_name)
        self.printer_setup_does_its_work(host)
        older = self.properties(host)
        newer_name = "RT450-newer.msi"
        subprocess.run([str(MAKE_MSI), str(context().dist_dir),
                        higher_version(older["ProductVersion"]),
                        str(host.path(rf"{DIST}\{newer_name}"))], check=True)
        newer = self.properties(host, newer_name)
        self.check_true(newer["ProductCode"] != older["ProductCode"],
                        "each version is a product of its own")

        code = self.msiexec(host, rf"/i {DIST}\{PACKAGE}", "/qn", "PORT=lpt1", log_name="older")
        self.check_equal(code, ERROR_SUCCESS, "exit code of the older version's install")
        code = self.msiexec(host, rf"/i {DIST}\{newer_name}", "/qn", "PORT=lpt1",
                            log_name="newer")
        self.check_equal(code, ERROR_SUCCESS, "exit code of the newer version's install")
        self.check_entry(host, newer)
        self.check_equal(self.uninstall_entry(host, older["ProductCode"]), None,
                         "the older version's entry")
        self.check_equal(self.installed_files(host), self.expected_files(), "installed files")
        printers, drivers = self.spooler_left(host)
        self.check_equal(printers, [MODEL], "the printer after the upgrade")
        self.check_marker(host, "LPT1:")

        # The older one never replaces the newer: its launch condition stops it.
        code = self.msiexec(host, rf"/i {DIST}\{PACKAGE}", "/qn", "PORT=lpt1",
                            log_name="older-again")
        self.check_equal(code, ERROR_INSTALL_FAILURE, "exit code of the older one over the newer")
        self.check_entry(host, newer)
        self.check_equal(self.uninstall_entry(host, older["ProductCode"]), None,
                         "the older version's entry after its second try")

    def test_another_run_holds_the_lock(self):
        # An unattended run holds the run lock while the double holds its printer
        # command: the package's SilentSetup.exe ends 1618 and changes nothing, and
        # Windows Installer, which lets an action end a package with a failure only,
        # fails the package; its rollback's removal finds the lock held too.
        host = self.open_arranged_host("win7-32")
        release = r"C:\e2e\release"
        self.printer_setup_does_its_work(host, rf"hold /if {release}")
        properties = self.properties(host)
        unattended = host.session.launch(rf"{DIST}\{SILENT}", "/port:lpt1", f"/log:{LOG}",
                                         cwd=host.path(DIST))
        facts = HOSTS["win7-32"]
        held = [facts.driver_command, facts.printer_command]
        host.commands(at_least=len(held), timeout=RUN_TIMEOUT_MS // 1000)

        code = self.msiexec(host, rf"/i {DIST}\{PACKAGE}", "/qn", "PORT=lpt1", log_name="install")
        self.known_wine_difference("msiexec's exit code for a failed program action", code,
                                   wine=ERROR_FUNCTION_FAILED, windows=ERROR_INSTALL_FAILURE)
        self.check_equal([c.command_line for c in host.commands()], held,
                         "printer-setup commands after the package's run")
        self.check_equal(self.installed_files(host), [], "files in the install folder")
        self.check_equal(self.uninstall_entry(host, properties["ProductCode"]), None,
                         "the uninstall entry")
        # A refused run writes no log.
        self.check_equal(sorted(host.path(r"C:\users").glob("**/RT450.log")), [],
                         "logs of the package's runs")

        host.write_file(release, b"")
        self.check_equal(host.session.wait(unattended, RUN_TIMEOUT_MS // 1000), 0,
                         "exit code of the unattended run")
        self.check_marker(host, "LPT1:")
        printers, drivers = self.spooler_left(host)
        self.check_equal(printers, [MODEL], "the unattended run's printer")
