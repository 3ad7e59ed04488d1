"""Whole install runs of setup.exe from the shipping folder, on each host class: the
dialogs in the order they open and who closed each (the robot, as a user would, or the
dialog itself because a quit message was pending), the driver files staged and their
attributes, the INF staged with the system and the record that names it, the
printer-setup commands started, and the program ending by itself.

The USB branch and Setup64.exe have flows of their own (test_usb_flows). Flows here
that need no particular port install on the parallel port; those that reach the USB
branch without the user's choice have the printer plugged in.

Where the host class does not change what a flow does, the flow runs on one host of
the class, and the 64-bit rows are spread over the three 64-bit prefixes; the 64-bit
class behaves alike on all three under Wine."""

from dataclasses import dataclass
from pathlib import PureWindowsPath

from harness.case import E2eTestCase, cases
from harness.robot import script_word
from installer import (CHECK_USB_CABLE_TEXT, CONNECT_USB_TEXT, DRIVER_CACHE,
                       DRIVER_COMMAND_64, DRIVER_FILES, IDC_INSTALL, IDOK, INF_DIR,
                       INF_FILE, INFO_CAPTION, INSTALL_ERROR_CAPTION, INSTALL_FAILED_TEXT,
                       INSTALL_TIMEOUT_MS, INSTALLED_TEXT, MAIN_CAPTION,
                       MISSING_FILE_CAPTION, NO_OP_COMMAND, PORT_CAPTION, PRINTER_COMMAND_64,
                       PRINTER_PLUGGED_IN, RECORD_FILE, SPOOL_DRIVERS_X64, SPOOL_DRIVERS_X86,
                       answer_box, choose_port, printer_command_32, setup_script)

FILE_ATTRIBUTE_READONLY = 0x1
FILE_ATTRIBUTE_ARCHIVE = 0x20
FILE_ATTRIBUTE_NORMAL = 0x80
DIST = r"C:\dist"


@dataclass(frozen=True)
class HostFacts:
    variant: str             # the package folder the installer takes
    destinations: tuple      # where it stages the driver files, in order
    driver_command: str      # the printer-setup commands of a clean parallel install
    printer_command: str
    no_device_text: str      # what the USB branch says without the printer


_HOST_64 = HostFacts("amd64", (SPOOL_DRIVERS_X64,), DRIVER_COMMAND_64, PRINTER_COMMAND_64,
                     CONNECT_USB_TEXT)
HOSTS = {
    "xp32": HostFacts("i386", (DRIVER_CACHE, SPOOL_DRIVERS_X86), NO_OP_COMMAND,
                      printer_command_32("i386"), CHECK_USB_CABLE_TEXT),
    "win7-32": HostFacts("i386w7", (SPOOL_DRIVERS_X86,), NO_OP_COMMAND,
                         printer_command_32("i386w7"), CONNECT_USB_TEXT),
    "win7-64": _HOST_64,
    "win8-64": _HOST_64,
    "win10-64": _HOST_64,
}


# The dialogs as the checks compare them: (caption, text, icon, closed by).
def main_window():
    # Every run ends with the quit message that the install posts.
    return (MAIN_CAPTION, None, None, "itself")


def port_dialog(closed_by):
    return (PORT_CAPTION, None, None, closed_by)


def box(text, closed_by, caption=INFO_CAPTION):
    return (caption, text, "information", closed_by)


INSTALLED_AFTER_PORT = [main_window(), port_dialog("robot"), box(INSTALLED_TEXT, "robot")]


def package_path(variant, name):
    return str(PureWindowsPath(DIST, variant, name))


def source_path(variant, name):
    """A package file as the installer names it: relative to the shipping folder."""
    return f".\\{variant}\\{name}"


def in_folder(folder, name):
    return str(PureWindowsPath(folder, name))


class InstallFlowCase(E2eTestCase):
    """Runs of setup.exe from the install button to the program's end, and the checks
    that every flow makes."""

    def install(self, host, *lines, attributes_of=()):
        """Starts setup.exe, presses the install button, goes on with `lines`, waits
        for the program to end, and then asks for the attributes of the files
        `attributes_of` as the system gives them to a 32-bit program."""
        asked = [f"attributes {script_word(path)}" for path in attributes_of]
        return host.robot(setup_script(f"click {IDC_INSTALL}", *lines,
                                       f"exit {INSTALL_TIMEOUT_MS}", *asked))

    @staticmethod
    def staged_paths(facts, files=DRIVER_FILES):
        return [in_folder(folder, name) for folder in facts.destinations for name in files]

    def run_dialogs(self, host, run):
        """Checks that the program ended by itself and that each of its message boxes
        has one OK button; returns its dialogs as (caption, text, icon, closed by)."""
        self.check_equal(self.check_ended_by_itself(run), 0, "setup.exe exit code")
        seen = host.dialogs(run)
        self.check_equal({d.buttons for d in seen if d.text is not None} - {(IDOK,)},
                         set(), "message boxes with other buttons than OK")
        return [(d.caption, d.text, d.icon, d.closed_by) for d in seen]

    def check_run(self, host, run, dialogs):
        """The program's own end and its dialogs, in order."""
        self.check_equal(self.run_dialogs(host, run), list(dialogs), "dialogs")

    def check_staged(self, host, run, facts, files=DRIVER_FILES, except_for=()):
        """`files` in every staging destination, each a copy of the package's file with
        the archive attribute that a copy carries, and no other driver file there.
        Files in `except_for` are the test's own."""
        seen = run.attributes()
        for folder in facts.destinations:
            self.check_equal(sorted(set(host.files(folder)) & set(DRIVER_FILES)),
                             sorted(files), f"driver files in {folder}")
            for name in files:
                staged = in_folder(folder, name)
                if staged in except_for:
                    continue
                self.check_equal(host.read_bytes(staged),
                                 host.read_bytes(package_path(facts.variant, name)),
                                 f"content of {staged}")
                self.check_equal(seen.get(staged), FILE_ATTRIBUTE_ARCHIVE,
                                 f"attributes of {staged}")

    def check_staged_inf(self, host, facts):
        """The package's INF staged in the INF directory, and the record holding
        exactly the staged file's name; returns that name."""
        record = host.read_bytes(RECORD_FILE)
        self.check_true(record is not None, f"{RECORD_FILE} is written")
        staged = record.decode("ascii")
        self.check_equal(host.read_bytes(in_folder(INF_DIR, staged)),
                         host.read_bytes(package_path(facts.variant, INF_FILE)),
                         "content of the staged INF")
        stem = PureWindowsPath(staged).stem
        self.check_equal(host.added_files(INF_DIR),
                         sorted([PureWindowsPath(RECORD_FILE).name, staged, f"{stem}.pnf"]),
                         "files added to the INF directory (record, INF, its .pnf)")
        return staged

    def started_commands(self, host, already=0, expected=0):
        """The printer-setup commands started after the first `already`, byte for
        byte, once `expected` of them have recorded themselves (or a while has
        passed); each must have run in the shipping folder."""
        started = host.commands(at_least=already + expected)[already:]
        self.check_equal({c.directory for c in started} - {DIST}, set(),
                         "current directories of the commands other than the package's")
        return [c.command_line for c in started]

    def check_commands(self, host, expected, already=0):
        self.check_equal(self.started_commands(host, already, len(expected)),
                         list(expected), "printer-setup commands")

    def parallel_install(self, host, facts, *before_port, attributes_of=None):
        """An install on the parallel port that the user sees through, after the
        robot has answered `before_port`; returns the run."""
        attributes = self.staged_paths(facts) if attributes_of is None else attributes_of
        return self.install(host, *before_port, *choose_port(parallel=True),
                            *answer_box(INFO_CAPTION), attributes_of=attributes)


class CleanInstall(InstallFlowCase):
    @cases(list(HOSTS))
    def test_parallel_port(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        run = self.parallel_install(host, facts)
        self.check_run(host, run, INSTALLED_AFTER_PORT)
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_staged(host, run, facts)
        staged = self.check_staged_inf(host, facts)
        self.known_wine_difference("the name under which the INF is staged", staged,
                                   wine=INF_FILE, windows="oem<N>.inf")


class InstallOverEarlierInstall(InstallFlowCase):
    # The removal before staging differs by class: none on the older 32-bit host; on
    # the others it uninstalls the INF that the record names (test_removal_flows
    # follows that). Under Wine the INF is staged under its own name again.
    @cases(["xp32", "win7-32", "win7-64"])
    def test_second_install(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        first = self.parallel_install(host, facts, attributes_of=[])
        self.check_run(host, first, INSTALLED_AFTER_PORT)
        self.check_staged_inf(host, facts)
        already = len(host.commands())

        second = self.parallel_install(host, facts)
        self.check_run(host, second, INSTALLED_AFTER_PORT)
        self.check_staged_inf(host, facts)
        self.check_commands(host, [facts.driver_command, facts.printer_command], already)
        self.check_staged(host, second, facts)


class DamagedPackage(InstallFlowCase):
    @cases(["xp32", "win7-32", "win8-64"])
    def test_missing_driver_file(self, host_name):
        # The package folder is looked at before anything changes: the user closes the
        # verification box and the run ends there, nothing staged, removed or started.
        facts = HOSTS[host_name]
        missing = "UNIDRV.HLP"
        host = self.open_host(host_name)
        host.install_dist(without=[f"{facts.variant}/{missing}"])
        host.set_devices(*PRINTER_PLUGGED_IN)
        run = self.install(host, *answer_box(MISSING_FILE_CAPTION),
                           attributes_of=self.staged_paths(facts))
        self.check_equal(self.run_dialogs(host, run), [
            main_window(),
            box(source_path(facts.variant, missing), "robot", caption=MISSING_FILE_CAPTION),
        ], "dialogs")
        self.check_staged(host, run, facts, files=[])
        self.check_equal(host.read_bytes(RECORD_FILE), None, f"content of {RECORD_FILE}")
        self.check_commands(host, [])

    @cases(["xp32", "win7-32", "win10-64"])
    def test_missing_inf(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist(without=[f"{facts.variant}/{INF_FILE}"])
        run = self.install(host, *answer_box(INFO_CAPTION),
                           attributes_of=self.staged_paths(facts))
        # The failure box is the only outcome message: no port is asked for.
        self.check_run(host, run, [main_window(), box(INSTALL_FAILED_TEXT, "robot")])
        self.check_equal(host.read_bytes(RECORD_FILE), None, f"content of {RECORD_FILE}")
        self.check_equal(host.added_files(INF_DIR), [], "files added to the INF directory")
        self.check_commands(host, [])
        self.check_staged(host, run, facts)

    @cases(["xp32", "win7-32", "win7-64"])
    def test_read_only_driver_file(self, host_name):
        facts = HOSTS[host_name]
        read_only = "ZORQ80-Series.gpd"
        source = package_path(facts.variant, read_only)
        host = self.open_host(host_name)
        host.install_dist(read_only=[f"{facts.variant}/{read_only}"])
        run = self.parallel_install(
            host, facts, attributes_of=[source, *self.staged_paths(facts)])
        self.check_run(host, run, INSTALLED_AFTER_PORT)
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        # A copy carries the source's attributes, read-only included.
        self.check_equal(run.attributes()[source],
                         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                         f"attributes of {source}")
        for folder in facts.destinations:
            staged = in_folder(folder, read_only)
            self.known_wine_difference(
                f"attributes of {staged} after FILE_ATTRIBUTE_NORMAL was set",
                run.attributes()[staged], wine=FILE_ATTRIBUTE_ARCHIVE,
                windows=FILE_ATTRIBUTE_NORMAL)
        self.check_staged(host, run, facts)


class StagingDestinations(InstallFlowCase):
    # host: (the destination that the test removes, whether Wine shows it missing)
    MISSING = {
        "xp32": (DRIVER_CACHE, True),
        # Wine's GetPrinterDriverDirectoryA creates the directory that it names, so
        # the installer finds it in place.
        "win7-32": (SPOOL_DRIVERS_X86, False),
    }

    @cases(MISSING)
    def test_missing_destination(self, host_name, missing, shown_on_wine):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        host.remove(missing)
        told = answer_box(INSTALL_ERROR_CAPTION) if shown_on_wine else []
        run = self.parallel_install(host, facts, *told)
        told_box = box(missing, "robot", caption=INSTALL_ERROR_CAPTION)
        with_box = [main_window(), told_box, *INSTALLED_AFTER_PORT[1:]]
        if shown_on_wine:
            self.check_run(host, run, with_box)
        else:
            self.known_wine_difference("dialogs of an install into a missing spooler "
                                       "driver directory", self.run_dialogs(host, run),
                                       wine=INSTALLED_AFTER_PORT, windows=with_box)
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_staged(host, run, facts)
        self.check_staged_inf(host, facts)

    @cases(["xp32", "win7-64"])
    def test_old_target_not_deletable(self, host_name):
        # An old file that cannot be deleted stays as it is, and nobody is told.
        facts = HOSTS[host_name]
        old = in_folder(facts.destinations[-1], "UNIDRV.HLP")
        old_content = b"an earlier help file"
        host = self.open_host(host_name)
        host.install_dist()
        host.write_file(old, old_content, read_only=True)
        run = self.parallel_install(host, facts)
        self.check_run(host, run, INSTALLED_AFTER_PORT)
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_equal(host.read_bytes(old), old_content, f"content of {old}")
        self.check_equal(run.attributes()[old],
                         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                         f"attributes of {old}")
        self.check_staged(host, run, facts, except_for=[old])
        self.check_staged_inf(host, facts)
