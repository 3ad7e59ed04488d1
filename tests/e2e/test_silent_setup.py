"""SilentSetup.exe, the unattended installer, from the shipping folder on each host
class: its exit code, its log, the printer-setup commands it starts (the same bytes as
setup.exe's), what it stages, the detection marker it leaves, that no window of it ever
appears, and the commands of the deployment recipes in docs/deployment.md, run as they
stand there.

It answers 0 only for a queue that the spooler shows. Wine's printer-setup command
changes nothing, so the tests that expect a queue switch on the printer-setup double of
the rundll32 stand-in (host.set_printui), which does the command's work through the
spooler and can be told to fail a command; without it a parallel install ends 34."""

import os
import re
import shutil
import threading
import time
from pathlib import Path, PureWindowsPath

from exit_codes import CODES, meaning
from harness.case import cases
from harness.context import context
from harness.robot import script_word
from installer import (ANOTHER_RUN_TEXT, CHECK_USB_CABLE_TEXT, CONNECT_USB_TEXT,
                       DRIVER_COMMAND_64, IDC_INSTALL, INF_DIR, INF_FILE, INFO_CAPTION,
                       INSTALL_FAILED_TEXT, INSTALL_TIMEOUT_MS, INSTALLED_TEXT, MAIN_CAPTION,
                       MARKER_KEY, MARKER_VERSION, MISSING_FILE_CAPTION, PORT_CAPTION,
                       PRINTER_PLUGGED_IN, PRINTUI_DOES_ITS_WORK, RECORD_FILE, SC_CLOSE,
                       START_TIMEOUT_MS, answer_box, choose_port, set_protected_print_policy,
                       setup_script)
from test_install_flows import HOSTS, package_path, source_path
from test_planted_libraries import plant_everywhere
from test_removal_flows import (DELETE_DRIVER, DELETE_PRINTER, MODEL, RemovalCase,
                                 foreign_inf)
from test_usb_flows import (ERROR_ACCESS_DENIED, ERROR_IN_WOW64, ERROR_NO_MORE_ITEMS,
                            ERROR_NO_SUCH_DEVINST, ERROR_PUBLISHER_NOT_TRUSTED, ERROR_SUCCESS,
                            QUEUE_ADDED, UPDATE,
                            UsbFlowCase, call, pre_install_64, update_64)

SILENT = "SilentSetup.exe"
DIST = r"C:\dist"
LOG = r"C:\e2e\silent.log"
RUN_TIMEOUT_MS = 180000
# How long SilentSetup.exe waits for a printer-setup command before it ends it.
PRINTER_SETUP_BOUND_S = 300
# How long setup.exe's port dialog stays open while another run is started beside it.
WINDOW_RUN_HELD_MS = 40000
BOM = b"\xef\xbb\xbf"
TIME = r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}"
TIME_STAMP = re.compile(rf"^{TIME}  \[\d+\]  ")

EXIT_SUCCESS = CODES["kExitSuccess"]
EXIT_WAITING_FOR_USB = CODES["kExitWaitingForUsbDevice"]
EXIT_DAMAGED_PACKAGE = CODES["kExitDamagedPackage"]
EXIT_NO_USB_DEVICE = CODES["kExitNoUsbDevice"]
EXIT_USB_UPDATE_FAILED = CODES["kExitUsbUpdateFailed"]
EXIT_SETUP64_FAILED = CODES["kExitSetup64Failed"]
EXIT_SIGNATURE_NOT_TRUSTED = CODES["kExitSignatureNotTrusted"]
STARTF_USESTDHANDLES = 0x100
EXIT_NOT_AS_ASKED = CODES["kExitNotAsAsked"]
EXIT_PROCESS_OUTLIVED_ITS_BOUND = CODES["kExitProcessOutlivedItsBound"]
EXIT_LOG_REFUSED = CODES["kExitLogRefused"]
EXIT_ANOTHER_INSTALL_RUNNING = CODES["kExitAnotherInstallRunning"]
EXIT_INVALID_COMMAND_LINE = CODES["kExitInvalidCommandLine"]


def end_line(exit_code):
    """The log's last line for a run that ends with the exit code."""
    return ("end", f"exit code {exit_code}: {meaning(exit_code)}")


SETUP64_COMMAND = r".\amd64\Setup64.exe USBPRINT\KELVARO80-Series0AA5 .\amd64\ZORQ80-Series.INF"
# The update of SilentSetup.exe itself, refused on 64-bit Windows.
IN_WOW64 = call(UPDATE, package_path("amd64", INF_FILE), SILENT, 32, ERROR_IN_WOW64)

RECIPES = Path(__file__).resolve().parents[2] / "docs" / "deployment.md"
# The install recipes' log, in a folder where only administrators and SYSTEM make files.
RECIPE_LOG = r"C:\Windows\Logs\RT450-install.log"

ERROR_UNKNOWN_PRINTER_DRIVER = 1797
# What the log says of the queue on LPT1: that the spooler shows, or does not.
QUEUE_ON_LPT1 = f'queue "{MODEL}" on LPT1: with driver "{MODEL}"'
NO_QUEUE_ON_LPT1 = f'no queue "{MODEL}" (asked for the {QUEUE_ON_LPT1})'
MARKER_NAME = rf"HKLM\{MARKER_KEY}"
# The lines of a run that ends without the queue that it asked for.
NOT_AS_ASKED_LINES = [
    ("check", "looking at what the run left"),
    ("check", NO_QUEUE_ON_LPT1),
    ("check", "the printer is not there as asked"),
    end_line(EXIT_NOT_AS_ASKED),
]
# The marker's InstalledAt: the time as the log's lines show it.
TIME_OF_DAY = re.compile(rf"^{TIME}$")


def ended(command, code=0):
    """The log line of a printer-setup command that ended."""
    return f"the command {command} ended with exit code {code}"


def marker_written(port):
    return f"wrote the detection marker {MARKER_NAME}: Version {MARKER_VERSION}, Port {port}"


def recipe(name):
    """The text of a fenced block between `<!-- recipe: name -->` and
    `<!-- end recipe -->` in the deployment recipes."""
    text = RECIPES.read_text(encoding="utf-8")
    found = re.search(rf"<!-- recipe: {re.escape(name)} -->\n```[a-z]*\n(.*?)```\n"
                      r"<!-- end recipe -->", text, re.S)
    if not found:
        raise AssertionError(f"no recipe {name} in {RECIPES}")
    return found.group(1)


def silent_script(arguments, directory=DIST, program=rf"{DIST}\{SILENT}", before=()):
    """A robot script that sets the box hooks, starts the program with `arguments` on
    its command line as they are, in `directory`, and waits for it to end."""
    return "\n".join([
        "hook", *before,
        f"start {script_word(program)} {script_word(directory)} {script_word(arguments)}",
        f"exit {RUN_TIMEOUT_MS}",
    ]) + "\n"


def on_disk(host, windows_path):
    """The Unix path of a path on drive C, its folders matched in any letter case as
    Windows matches them (the recipes write C:\\Windows, Wine's folder is windows)."""
    path = host.path("C:\\")
    for part in PureWindowsPath(windows_path).parts[1:]:
        found = [p for p in path.iterdir() if p.name.lower() == part.lower()] \
            if path.is_dir() else []
        path = found[0] if found else path / part
    return path


def wait_until(condition, seconds):
    """Asks condition() every 100 ms until it holds or the seconds have passed; the
    checks after it tell which."""
    deadline = time.monotonic() + seconds
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.1)


def log_lines(data):
    """A log's lines as (step, text), after checking its byte-order mark, its CR LF line
    ends and the time at the start of every line."""
    assert data.startswith(BOM), "the log has no UTF-8 byte-order mark"
    text = data[len(BOM):].decode("utf-8")
    assert text.endswith("\r\n") and "\n" not in text.replace("\r\n", ""), "line ends"
    lines = []
    for line in text.split("\r\n")[:-1]:
        stamp = TIME_STAMP.match(line)
        assert stamp, f"no time and process id on {line!r}"
        rest = line[stamp.end():]
        lines.append((rest[:7].rstrip(), rest[9:]))
    return lines


class SilentCase(UsbFlowCase):
    def silent(self, host, arguments, **where):
        """Runs the program to its end; returns (exit code, robot run), after checking
        that no window of it appeared."""
        run = host.robot(silent_script(arguments, **where), timeout=RUN_TIMEOUT_MS // 1000 + 60)
        code = self.check_ended_by_itself(run)
        self.check_equal(host.boxes(process=SILENT), [], f"windows of {SILENT}")
        return code, run

    def log(self, host, path=LOG):
        data = host.read_bytes(path)
        self.check_true(data is not None, f"{path} is written")
        return log_lines(data)

    def check_log_has(self, lines, expected):
        """Every expected (step, text) appears in the log, in this order."""
        at = 0
        for wanted in expected:
            while at < len(lines) and lines[at] != wanted:
                at += 1
            if at == len(lines):
                self.fail_here(f"log line {wanted!r} missing or out of order in {lines!r}")
            at += 1

    def check_nothing_installed(self, host):
        self.check_commands(host, [])
        self.check_equal(host.added_files(INF_DIR), [], "files added to the INF directory")

    @staticmethod
    def printer_setup_does_its_work(host, *failures):
        """Switches on the printer-setup double, with `failures` ("fail <switch> <code>")."""
        host.set_printui(*PRINTUI_DOES_ITS_WORK, *failures)

    def printui_calls(self, host):
        """(action, exit code) of each command that the double carried out."""
        return [(c.get("action"), c.get("exit_code")) for c in host.printui_calls()]

    def check_marker(self, host, port):
        """The detection marker with the port that a run wrote ("LPT1:", "USB"), or
        none for port None: in the 64-bit registry view on a 64-bit prefix, where the
        32-bit view must not have it either."""
        view = 64 if host.host_class.is_64bit else None
        values = host.registry_values(MARKER_KEY, view=view)
        if port is None:
            self.check_equal(values, None, f"the detection marker {MARKER_NAME}")
        else:
            self.check_true(values is not None, f"the detection marker {MARKER_NAME} exists")
            self.check_equal((values.get("Version"), values.get("Port")),
                             (MARKER_VERSION, port), "the marker's Version and Port")
            self.check_true(TIME_OF_DAY.match(values.get("InstalledAt", "")) is not None,
                            f"the marker's InstalledAt {values.get('InstalledAt')!r}")
        if host.host_class.is_64bit:
            self.check_equal(host.registry_values(MARKER_KEY, view=32), None,
                             "the marker in the 32-bit registry view")


def message(text, caption=INFO_CAPTION):
    return f'message "{caption}": ' + text.replace("\n", "\\n")


def damaged_package_lines(variant):
    """The log's last lines of a run that finds UNIDRV.HLP missing from the package
    folder before it changes anything."""
    return [
        ("package", message(source_path(variant, "UNIDRV.HLP"), caption=MISSING_FILE_CAPTION)),
        ("package", "a file of the package folder is missing; nothing was changed"),
        end_line(EXIT_DAMAGED_PACKAGE),
    ]


class SilentInstall(SilentCase):
    # host: what the double did for the driver command and the printer command (the
    # 32-bit hosts' driver command is the one that does nothing)
    PARALLEL = {
        "xp32": [("", 0), ("/if", 0)],
        "win7-32": [("", 0), ("/if", 0)],
        "win7-64": [("/ia", 0), ("/if", 0)],
        "win8-64": [("/ia", 0), ("/if", 0)],
        "win10-64": [("/ia", 0), ("/if", 0)],
    }

    @cases(PARALLEL)
    def test_parallel_port(self, host_name, printui_calls):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        self.printer_setup_does_its_work(host)
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_SUCCESS, "exit code")
        # The same command lines as setup.exe's, byte for byte.
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_equal(self.printui_calls(host), printui_calls, "what the commands did")
        self.check_staged_inf(host, facts)
        self.check_marker(host, "LPT1:")
        self.check_log_has(self.log(host), [
            ("start", rf"SilentSetup.exe /port:lpt1 /log:{LOG}"),
            ("start", rf"current directory {DIST}"),
            ("marker", "removing the detection marker"),
            ("marker", f"no detection marker {MARKER_NAME} is left"),
            ("verify", "checking the package folder"),
            ("install", "port LPT1: (from the command line)"),
            ("install", ended(facts.driver_command)),
            ("install", ended(facts.printer_command)),
            ("install", message(INSTALLED_TEXT)),
            ("check", "looking at what the run left"),
            ("check", QUEUE_ON_LPT1),
            ("marker", "writing the detection marker"),
            ("marker", marker_written("LPT1:")),
            end_line(EXIT_SUCCESS),
        ])

    def test_commands_get_a_clean_start_up_record(self):
        # Started as deployment agents start it, with its standard handles redirected
        # (the harness sends them to a file): the printer-setup commands get neither
        # those handles nor the C runtime's handle table.
        host = self.open_host("win7-32")
        host.install_dist()
        self.printer_setup_does_its_work(host)
        process = host.session.launch(rf"{DIST}\{SILENT}", "/port:lpt1", f"/log:{LOG}",
                                      cwd=host.path(DIST))
        self.check_equal(host.session.wait(process, RUN_TIMEOUT_MS // 1000), EXIT_SUCCESS,
                         "exit code")
        started = host.commands(at_least=2)
        self.check_equal(len(started), 2, "printer-setup commands")
        for command in started:
            startup = command.startup or {}
            self.check_equal(int(startup.get("flags", "0x0"), 16) & STARTF_USESTDHANDLES, 0,
                             f"standard handles handed to {command.command_line}")
            self.check_equal(startup.get("reserved2_bytes"), 0,
                             f"the handle table handed to {command.command_line}")

    # row: the device script, the exit code, the calls that reached the device layer,
    # the printer-setup commands, Setup64.exe's exit code, the last message of the log,
    # the marker's port (None: no marker)
    USB_64 = {
        "plugged_in": (PRINTER_PLUGGED_IN, EXIT_SUCCESS,
                       [IN_WOW64, update_64(ERROR_SUCCESS, QUEUE_ADDED)], [], 1,
                       INSTALLED_TEXT, "USB"),
        # Setup64.exe pre-installs the package and exits 10; the driver command chosen
        # before the port was asked for starts, and the queue is found missing.
        "nothing_plugged_in": ((), EXIT_WAITING_FOR_USB,
                               [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                                pre_install_64(ERROR_SUCCESS)],
                               [DRIVER_COMMAND_64], 10, CONNECT_USB_TEXT, "USB"),
        "pre_install_fails": ((f"fail DiInstallDriver {ERROR_ACCESS_DENIED:#x}",),
                              EXIT_SETUP64_FAILED,
                              [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                               pre_install_64(ERROR_ACCESS_DENIED)],
                              [], 0, INSTALL_FAILED_TEXT, None),
        # The driver store refuses a package whose publisher this PC does not trust:
        # Setup64.exe says so with 12, and another run would not help.
        "pre_install_untrusted": ((f"fail DiInstallDriver {ERROR_PUBLISHER_NOT_TRUSTED:#x}",),
                                  EXIT_SIGNATURE_NOT_TRUSTED,
                                  [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                                   pre_install_64(ERROR_PUBLISHER_NOT_TRUSTED)],
                                  [], 12, INSTALL_FAILED_TEXT, None),
    }

    @cases(USB_64)
    def test_usb_through_setup64(self, case, devices, exit_code, calls, commands,
                                 setup64_exit, last, marker_port):
        # A 32-bit process may not install devices on 64-bit Windows (ERROR_IN_WOW64):
        # the run goes through Setup64.exe and waits for it.
        facts = HOSTS["win10-64"]
        host = self.open_host("win10-64")
        host.install_dist()
        host.set_devices(*devices)
        code, run = self.silent(host, rf"/port:usb /log:{LOG}")
        self.check_equal(code, exit_code, "exit code")
        self.check_equal(self.device_calls(host), calls, "device layer calls")
        self.check_commands(host, commands)
        self.check_staged_inf(host, facts)
        self.check_log_has(self.log(host), [
            ("install", "port USB (from the command line)"),
            ("install", ended(SETUP64_COMMAND, setup64_exit)),
            ("install", message(last)),
            end_line(exit_code),
        ])
        self.check_marker(host, marker_port)

    # row: host, the device script, the exit code, the update's result, the last message,
    # the marker's port (None: no marker)
    USB_32 = {
        "xp32_nothing_plugged_in": ("xp32", (), EXIT_NO_USB_DEVICE, ERROR_NO_SUCH_DEVINST,
                                    CHECK_USB_CABLE_TEXT, None),
        "win7_32_nothing_plugged_in": ("win7-32", (), EXIT_WAITING_FOR_USB,
                                       ERROR_NO_SUCH_DEVINST, CONNECT_USB_TEXT, "USB"),
        "xp32_update_fails": ("xp32", (*PRINTER_PLUGGED_IN,
                                       f"fail UpdateDriverForPlugAndPlayDevices "
                                       f"{ERROR_NO_MORE_ITEMS:#x}"),
                              EXIT_USB_UPDATE_FAILED, ERROR_NO_MORE_ITEMS, INSTALL_FAILED_TEXT,
                              None),
    }

    @cases(USB_32)
    def test_usb_on_32_bit_windows(self, case, host_name, devices, exit_code, error, last,
                                   marker_port):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        host.set_devices(*devices)
        code, run = self.silent(host, rf"/port:usb /log:{LOG}")
        self.check_equal(code, exit_code, "exit code")
        self.check_equal(self.device_calls(host),
                         [call(UPDATE, package_path(facts.variant, INF_FILE), SILENT, 32,
                               error)], "device layer calls")
        self.check_commands(host, [])
        self.check_staged_inf(host, facts)
        self.check_log_has(self.log(host), [
            ("install", "port USB (from the command line)"),
            ("install", message(last)),
            end_line(exit_code),
        ])
        self.check_marker(host, marker_port)


class SilentFailures(SilentCase):
    @cases(["win7-32", "win10-64"])
    def test_protected_print_policy_value_alone(self, host_name):
        # The policy "Configure Windows protected print" writes its value on every PC it
        # reaches; Windows before 11 24H2 (Wine's classes among them) has no protected
        # print mode and takes the printer as always, so the run installs.
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        self.printer_setup_does_its_work(host)
        self.check_equal(set_protected_print_policy(host, 1), 0, "the policy value set")
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_SUCCESS, "exit code")
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        lines = self.log(host)
        self.check_equal([line for line in lines if "protected print" in line[1]], [],
                         "log lines of protected print mode")
        self.check_log_has(lines, [
            ("check", QUEUE_ON_LPT1),
            ("marker", marker_written("LPT1:")),
            end_line(EXIT_SUCCESS),
        ])
        self.check_marker(host, "LPT1:")

    @cases(["xp32", "win7-32", "win10-64"])
    def test_damaged_package(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist(without=[f"{facts.variant}/UNIDRV.HLP"])
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_DAMAGED_PACKAGE, "exit code")
        # It stops at the check: nothing staged, no INF, no command.
        self.check_nothing_installed(host)
        for folder in facts.destinations:
            self.check_equal(host.added_files(folder), [], f"files added to {folder}")
        self.check_equal(self.log(host)[-3:], damaged_package_lines(facts.variant),
                         "the log's last lines")
        self.check_marker(host, None)

    # row: host, what the double is told, the exit codes of the driver command and the
    # printer command (the 32-bit hosts' driver command is the one that does nothing)
    TOLD_TO_FAIL = {
        "xp32_printer_command": ("xp32", f"fail /if {ERROR_ACCESS_DENIED}",
                                 [("", 0), ("/if", ERROR_ACCESS_DENIED)]),
        "win8_64_printer_command": ("win8-64", f"fail /if {ERROR_ACCESS_DENIED}",
                                    [("/ia", 0), ("/if", ERROR_ACCESS_DENIED)]),
        # Without its driver the printer command finds none to put the queue on.
        "win10_64_driver_command": ("win10-64", f"fail /ia {ERROR_ACCESS_DENIED}",
                                    [("/ia", ERROR_ACCESS_DENIED),
                                     ("/if", ERROR_UNKNOWN_PRINTER_DRIVER)]),
    }

    @cases(TOLD_TO_FAIL)
    def test_failed_printer_setup_command(self, case, host_name, failure, printui_calls):
        # The commands ran, but no queue is there: no success and no marker.
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        self.printer_setup_does_its_work(host, failure)
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_NOT_AS_ASKED, "exit code")
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_equal(self.printui_calls(host), printui_calls, "what the commands did")
        (_, driver_code), (_, printer_code) = printui_calls
        lines = self.log(host)
        self.check_log_has(lines, [
            ("install", ended(facts.driver_command, driver_code)),
            ("install", ended(facts.printer_command, printer_code)),
        ])
        self.check_equal(lines[-4:], NOT_AS_ASKED_LINES, "the log's last lines")
        self.check_marker(host, None)

    def test_a_printer_setup_command_that_never_ends(self):
        # Once its bound has passed, the run ends the command, with whatever it started,
        # and answers 35: nothing of it is left running, so its beats have stopped by the
        # time the run has ended. The test takes over five minutes: the bound has no
        # setting.
        facts = HOSTS["win7-32"]
        host = self.open_host("win7-32")
        host.install_dist()
        beats = r"C:\e2e\beats.txt"
        self.printer_setup_does_its_work(host, rf"hang /if {beats}")
        run = host.session.launch(rf"{DIST}\{SILENT}", "/port:lpt1", f"/log:{LOG}",
                                  cwd=host.path(DIST))
        self.check_equal(host.session.wait(run, PRINTER_SETUP_BOUND_S + RUN_TIMEOUT_MS // 1000),
                         EXIT_PROCESS_OUTLIVED_ITS_BOUND, "exit code")
        last_beat = host.read_bytes(beats)
        self.check_true(last_beat, "the command beat while it ran")
        time.sleep(2)
        self.check_equal(host.read_bytes(beats), last_beat, "beats after the run ended")
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_equal(self.log(host)[-3:], [
            ("install", f"the command {facts.printer_command} did not end within "
                        f"{PRINTER_SETUP_BOUND_S} seconds; it was ended, with every process "
                        "it started"),
            ("install", "the run stops: it does not wait longer"),
            end_line(EXIT_PROCESS_OUTLIVED_ITS_BOUND),
        ], "the log's last lines")
        self.check_marker(host, None)

    @cases(["win7-32", "win10-64"])
    def test_parallel_install_with_wines_printer_setup_command(self, host_name):
        # Wine's printer-setup command changes nothing: the commands end 0 and no queue
        # is there, which the run says instead of counting the printer installed.
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_NOT_AS_ASKED, "exit code")
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_equal(host.printui_calls(), [], "commands carried out by the double")
        self.check_equal(self.log(host)[-4:], NOT_AS_ASKED_LINES, "the log's last lines")
        self.check_marker(host, None)

    # arguments: the argument named as wrong, why
    MISSING_VALUES = {
        "log": ("/port:lpt1 /log:", "/log:", "needs a value after the colon"),
        "port": ("/port", "/port", "needs a value after the colon"),
    }

    @cases(MISSING_VALUES)
    def test_missing_argument_value(self, case, arguments, named, why):
        host = self.open_host("win7-32")
        host.install_dist()
        code, run = self.silent(host, arguments)
        self.check_equal(code, EXIT_INVALID_COMMAND_LINE, "exit code")
        self.check_nothing_installed(host)
        # Without a usable /log the line goes to the default log in the temporary folder.
        logs = sorted(host.path(r"C:\users").glob("**/RT450.log"))
        self.check_equal(len(logs), 1, "default logs in the users' folders")
        lines = log_lines(logs[0].read_bytes())
        self.check_equal(lines[-2:], [
            ("start", f'invalid argument "{named}": {why}'),
            end_line(EXIT_INVALID_COMMAND_LINE),
        ], "the log's last lines")

    def test_default_log_is_never_written_through_another_name(self):
        # A hard link planted at the default log's name, to a file of somebody else's:
        # the run takes a log of its own name and leaves that file as it was. (Wine
        # shows no link of the other kinds and gives every file the same owner.)
        host = self.open_host("win7-32")
        host.install_dist()
        self.check_equal(self.silent(host, "/port")[0], EXIT_INVALID_COMMAND_LINE,
                         "exit code of the run that makes the default log")
        usual = sorted(host.path(r"C:\users").glob("**/RT450.log"))
        self.check_equal(len(usual), 1, "default logs in the users' folders")
        usual = usual[0]
        victim = host.path(r"C:\e2e\victim.txt")
        victim.write_bytes(b"another account's file\r\n")
        usual.unlink()
        os.link(victim, usual)

        code, run = self.silent(host, "/port")
        self.check_equal(code, EXIT_INVALID_COMMAND_LINE, "exit code")
        self.check_equal(victim.read_bytes(), b"another account's file\r\n",
                         "the file behind the planted link")
        fresh = sorted(usual.parent.glob("RT450-*.log"))
        self.check_equal(len(fresh), 1, "logs of a name of the run's own")
        windows_name = "C:\\" + "\\".join(usual.relative_to(host.path("C:\\")).parts)
        self.check_log_has(log_lines(fresh[0].read_bytes()), [
            ("start", "SilentSetup.exe /port"),
            ("start", f"the log was not written to {windows_name}: a file with another name"),
            end_line(EXIT_INVALID_COMMAND_LINE),
        ])

    def test_recipe_log_planted_as_a_hard_link(self):
        # Before the run another account made the install recipe's log name a hard link
        # to a file of its own: the run writes nothing through it, changes nothing and
        # ends with 38; the default log says why. (Wine gives every file the same owner
        # and shows no link of the other kinds: only the second name tells it here; the
        # unit tests hold the others.)
        host = self.open_host("win7-32")
        host.install_dist()
        self.printer_setup_does_its_work(host)
        arguments = recipe("install-command").strip()[len(SILENT) + 1:]
        victim = host.path(r"C:\e2e\victim.txt")
        victim.write_bytes(b"another account's file\r\n")
        planted = on_disk(host, RECIPE_LOG)
        planted.parent.mkdir(parents=True, exist_ok=True)
        os.link(victim, planted)

        code, run = self.silent(host, arguments)
        self.check_equal(code, EXIT_LOG_REFUSED, "exit code")
        self.check_equal(victim.read_bytes(), b"another account's file\r\n",
                         "the file behind the planted link")
        self.check_nothing_installed(host)
        self.check_marker(host, None)
        logs = sorted(host.path(r"C:\users").glob("**/RT450.log"))
        self.check_equal(len(logs), 1, "default logs in the users' folders")
        self.check_log_has(log_lines(logs[0].read_bytes()), [
            ("start", f"SilentSetup.exe {arguments}"),
            ("start", f"the log was not written to {RECIPE_LOG}: a file with another name; "
                      "/log: must name a file that only this account, the Administrators "
                      "or SYSTEM can have made"),
            end_line(EXIT_LOG_REFUSED),
        ])

    def test_window_program_open(self):
        # setup.exe holds the run lock from the click on: its window alone is no run.
        host = self.open_host("win7-32")
        host.install_dist()
        self.printer_setup_does_its_work(host)
        window = host.session.launch(rf"{DIST}\setup.exe", cwd=host.path(DIST))
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}",
                                before=[f"wait {MAIN_CAPTION} {START_TIMEOUT_MS}"])
        self.check_equal(code, EXIT_SUCCESS, "exit code")
        closed = host.robot("\n".join([f"wait {MAIN_CAPTION}", f"syscommand {SC_CLOSE:#x}",
                                       "gone 10000"]) + "\n")
        self.check_robot(closed)
        self.check_equal(host.session.wait(window, 30), 0, "setup.exe exit code")

    def test_second_run_at_once(self):
        # The first run holds its mutex from before it classifies the host until it
        # ends; its LPT1: install waits for its second command and then pauses 3 s, time
        # for a second start.
        host = self.open_host("win7-64")
        host.install_dist()
        self.printer_setup_does_its_work(host)
        first_log = r"C:\e2e\first.log"
        first = host.session.launch(rf"{DIST}\{SILENT}", "/port:lpt1", f"/log:{first_log}",
                                    cwd=host.path(DIST))
        wait_until(lambda: b"ended with exit code" in (host.read_bytes(first_log) or b""),
                   START_TIMEOUT_MS / 1000)
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_ANOTHER_INSTALL_RUNNING, "exit code of the second run")
        # A refused run writes no log: the one at the usual name is the running one's.
        self.check_true(not on_disk(host, LOG).exists(), "no log of the second run")
        self.check_equal(host.session.wait(first, RUN_TIMEOUT_MS // 1000), EXIT_SUCCESS,
                         "exit code of the first run")
        facts = HOSTS["win7-64"]
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_marker(host, "LPT1:")

    def test_window_program_during_an_unattended_run(self):
        # The unattended run holds the lock while the double holds its printer command:
        # a click in setup.exe tells that another run is under way and starts nothing.
        host = self.open_host("win7-32")
        host.install_dist()
        release = r"C:\e2e\release"
        self.printer_setup_does_its_work(host, rf"hold /if {release}")
        unattended = host.session.launch(rf"{DIST}\{SILENT}", "/port:lpt1", f"/log:{LOG}",
                                         cwd=host.path(DIST))
        facts = HOSTS["win7-32"]
        commands = [facts.driver_command, facts.printer_command]
        # Both started once the removal is through; the printer command is held then.
        host.commands(at_least=len(commands), timeout=RUN_TIMEOUT_MS // 1000)
        self.check_commands(host, commands)
        run = host.robot(setup_script(f"click {IDC_INSTALL}", *answer_box(INFO_CAPTION),
                                      f"wait {MAIN_CAPTION}", f"syscommand {SC_CLOSE:#x}",
                                      "exit 10000"))
        self.check_equal(self.check_ended_by_itself(run), 0, "setup.exe exit code")
        self.check_equal([(d.caption, d.text, d.icon, d.closed_by) for d in host.dialogs(run)
                          if d.text is not None],
                         [(INFO_CAPTION, ANOTHER_RUN_TEXT, "information", "robot")],
                         "message boxes of setup.exe")
        self.check_equal(len(host.commands()), len(commands), "commands after the click")
        host.write_file(release, b"")
        self.check_equal(host.session.wait(unattended, RUN_TIMEOUT_MS // 1000), EXIT_SUCCESS,
                         "exit code of the unattended run")
        self.check_marker(host, "LPT1:")

    def test_unattended_run_during_a_window_run(self):
        # setup.exe's run holds the lock from the click on; while its port dialog waits
        # for the user, an unattended run on another desktop, where no window of
        # setup.exe can be seen, ends 1618, writes no log and changes nothing.
        host = self.open_host("win10-64")
        host.install_dist()
        runs = []
        window = threading.Thread(target=lambda: runs.append(host.robot(setup_script(
            f"click {IDC_INSTALL}", f"wait {PORT_CAPTION} {INSTALL_TIMEOUT_MS}",
            f"sleep {WINDOW_RUN_HELD_MS}", *choose_port(parallel=True),
            *answer_box(INFO_CAPTION), f"exit {INSTALL_TIMEOUT_MS}"),
            timeout=RUN_TIMEOUT_MS // 1000)))
        window.start()
        wait_until(lambda: any(box.get("caption") == PORT_CAPTION
                               for box in host.boxes(process="setup.exe")),
                   INSTALL_TIMEOUT_MS / 1000)
        # Started by a script, which keeps the whole exit code (Wine's own exit status
        # keeps its low 8 bits only).
        code_file = r"C:\e2e\unattended-code.txt"
        host.write_file(r"C:\e2e\unattended.cmd", (
            f'@"{DIST}\\{SILENT}" /port:lpt1 /log:{LOG}\r\n'
            f"@>{code_file} echo %errorlevel%\r\n").encode("ascii"))
        # The desktop stays open after the script; the prefix's end closes it.
        host.session.launch("explorer", "/desktop=unattended,640x480", "cmd", "/c",
                            r"C:\e2e\unattended.cmd", cwd=host.path(DIST))
        wait_until(lambda: host.read_bytes(code_file), RUN_TIMEOUT_MS / 1000)
        code = int((host.read_bytes(code_file) or b"-1").strip())
        self.check_equal(code, EXIT_ANOTHER_INSTALL_RUNNING, "exit code of the unattended run")
        self.check_true(not on_disk(host, LOG).exists(), "no log of the unattended run")
        window.join()
        self.check_robot(runs[0])
        self.check_equal(self.check_ended_by_itself(runs[0]), 0, "setup.exe exit code")
        facts = HOSTS["win10-64"]
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_marker(host, None)


class SilentPlantedLibraries(SilentCase):
    # Libraries planted in the shipping folder, its current directory, are never loaded:
    # it restricts the library search at its start as setup.exe does.
    @cases({"xp32": "/port:lpt1", "win10-64": "/port:usb"})
    def test_install_loads_none(self, host_name, port):
        host = self.open_host(host_name)
        host.install_dist()
        host.set_devices(*PRINTER_PLUGGED_IN)
        # The double loads the spooler's libraries from the system only, as the system's
        # own command does.
        self.printer_setup_does_its_work(host)
        plant_everywhere(host)
        code, run = self.silent(host, rf"{port} /log:{LOG}")
        self.check_equal(host.loaded_markers(), [], "planted libraries that were loaded")
        self.check_equal(code, EXIT_SUCCESS, "exit code")
        self.check_staged_inf(host, HOSTS[host_name])


class SilentUninstall(SilentCase, RemovalCase):
    def spooler_left(self, host):
        """The printers and the drivers of the model that the spooler lists, by
        environment ("Windows x64" on 64-bit prefixes only)."""
        environments = ["Windows NT x86"] + (["Windows x64"] if host.host_class.is_64bit
                                             else [])
        printers = [p for p in self.spooler(host, "list")["printers"] if p == MODEL]
        return printers, {environment: [d for d in self.spooler(host, "drivers", environment)
                                        ["drivers"] if d == MODEL]
                          for environment in environments}

    @cases(["xp32", "win7-32", "win7-64", "win8-64", "win10-64"])
    def test_uninstall_after_install(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_arranged_host(host_name)
        self.printer_setup_does_its_work(host)
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_SUCCESS, "install exit code")
        staged = self.check_staged_inf(host, facts)
        self.check_marker(host, "LPT1:")
        printers, drivers = self.spooler_left(host)
        self.check_equal(printers, [MODEL], "the printer after the install")
        # The 32-bit stand-in's spooler keeps the printer on a driver of its own
        # environment; on 64-bit Windows the driver command adds the 64-bit one.
        self.check_equal(drivers, {environment: [MODEL] for environment in drivers},
                         "the drivers after the install")
        installed = len(host.commands())

        code, run = self.silent(host, rf"/uninstall /log:{LOG}")
        self.check_equal(code, EXIT_SUCCESS, "uninstall exit code")
        self.check_equal(host.read_bytes(RECORD_FILE), None, f"{RECORD_FILE} after /uninstall")
        self.check_equal(host.read_bytes(str(PureWindowsPath(INF_DIR, staged))), None,
                         "the staged INF after /uninstall")
        self.check_marker(host, None)
        printers, drivers = self.spooler_left(host)
        self.check_equal((printers, drivers), ([], {environment: [] for environment in drivers}),
                         "the printer and the drivers after /uninstall")
        # Names 91, 119 and 120 of the removal list are the model's: the first deletes
        # the printer and the driver, and the later ones find neither.
        removal = [DELETE_PRINTER.format(MODEL), DELETE_DRIVER.format(MODEL)]
        started = self.started_commands(host, already=installed, expected=len(removal))
        if host.host_class.is_64bit:
            # The 64-bit driver's deletion comes on top; its place is the removal's.
            started = [c for c in started if c in removal]
        self.check_equal(started, removal, "deletion commands")
        lines = self.log(host)
        self.check_log_has(lines, [
            ("start", rf"SilentSetup.exe /uninstall /log:{LOG}"),
            ("marker", "removing the detection marker"),
            ("marker", f"no detection marker {MARKER_NAME} is left"),
            ("remove", "removing the printer, its driver and its staged INF files"),
            ("remove", ended(removal[0])),
            ("remove", ended(removal[1])),
            ("remove", f"uninstalled the staged INF file {staged}"),
            ("remove", rf"deleted {RECORD_FILE.replace('C:', 'c:')}"),
            ("check", "looking at what the removal left"),
            ("check", f"nothing of {MODEL} is left"),
            end_line(EXIT_SUCCESS),
        ])


    # Staged INF files of the model beyond oem99.inf, among more than a hundred, and two
    # of them beside each other (the recorded one and another): one /uninstall uninstalls
    # each, the recorded one first, and then sees none left. host, the INF files put into
    # the INF folder, the recorded name (None: no record file), the uninstalls in order.
    STAGED_INFS = {
        "oem150_among_many": (
            "win7-32",
            {**{f"oem{n}.inf": foreign_inf("LX-100 Laser") for n in range(150)},
             "oem150.inf": foreign_inf(MODEL)},
            None, ["oem150.inf"]),
        "two_of_the_model": (
            "xp32",
            {"oem5.inf": foreign_inf(MODEL), "oem30.inf": foreign_inf(MODEL),
             "oem12.inf": foreign_inf("LX-100 Laser")},
            "oem30.inf", ["oem30.inf", "oem5.inf"]),
    }

    @cases(STAGED_INFS)
    def test_uninstall_removes_every_staged_inf_of_the_model(self, case, host_name, infs,
                                                             recorded, uninstalled):
        host = self.open_arranged_host(host_name)
        self.printer_setup_does_its_work(host)
        for name, content in infs.items():
            host.write_file(str(PureWindowsPath(INF_DIR, name)), content)
        if recorded is not None:
            host.write_file(RECORD_FILE, recorded.encode("ascii"))

        code, run = self.silent(host, rf"/uninstall /log:{LOG}")

        self.check_equal(code, EXIT_SUCCESS, "uninstall exit code")
        self.check_equal({name: host.read_bytes(str(PureWindowsPath(INF_DIR, name)))
                          for name in infs},
                         {name: None if name in uninstalled else content
                          for name, content in infs.items()},
                         "INF files after /uninstall (None: uninstalled)")
        self.check_equal(host.read_bytes(RECORD_FILE), None, f"{RECORD_FILE} after /uninstall")
        self.check_log_has(self.log(host), [
            *[("remove", f"uninstalled the staged INF file {name}") for name in uninstalled],
            ("check", f"nothing of {MODEL} is left"),
            end_line(EXIT_SUCCESS),
        ])


class EarlierVersion(SilentCase, RemovalCase):
    def test_the_unattended_run_replaces_it_on_the_older_class(self):
        # An earlier version's queue, driver and staged INF on the older 32-bit class,
        # where setup.exe removes nothing before it installs: the unattended run removes
        # them first, as /uninstall does, and installs this package's driver, which the
        # spooler then lists in place of the earlier one (its driver file tells them
        # apart: the earlier one's is ZORQ80-Series.dll, this package's UNIDRV.DLL).
        host = self.open_arranged_host("xp32")
        self.printer_setup_does_its_work(host)
        self.add_printers(host, MODEL, [MODEL])
        earlier_inf = foreign_inf(MODEL) + b"DriverVer=06/01/2020,0.9.0.0\r\n"
        host.write_file(str(PureWindowsPath(INF_DIR, "oem3.inf")), earlier_inf)
        host.write_file(RECORD_FILE, b"oem3.inf")
        self.check_equal(self.driver_files(host), {MODEL: "ZORQ80-Series.dll"},
                         "the earlier version's driver")

        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")

        self.check_equal(code, EXIT_SUCCESS, "exit code")
        self.check_equal(host.read_bytes(str(PureWindowsPath(INF_DIR, "oem3.inf"))), None,
                         "the earlier version's staged INF")
        self.check_equal(self.driver_files(host), {MODEL: "UNIDRV.DLL"},
                         "the driver after the run: this package's")
        self.check_equal([p for p in self.spooler(host, "list")["printers"] if p == MODEL],
                         [MODEL], "the printer after the run")
        self.check_marker(host, "LPT1:")
        lines = self.log(host)
        facts = HOSTS["xp32"]
        self.check_log_has(lines, [
            ("remove", ended(DELETE_PRINTER.format(MODEL))),
            ("remove", ended(DELETE_DRIVER.format(MODEL))),
            ("remove", "uninstalled the staged INF file oem3.inf"),
            ("install", ended(facts.printer_command)),
            ("check", QUEUE_ON_LPT1),
            ("end", "exit code 0: success"),
        ])
        driver_line = [text for step, text in lines
                       if step == "check" and text.startswith(f'the driver "{MODEL}"')]
        self.known_wine_difference(
            "the version that the spooler keeps for the driver", driver_line,
            wine=[f'the driver "{MODEL}" in "Windows NT x86": the spooler keeps no version '
                  f"of it; taken as this package's {MARKER_VERSION}"],
            windows=[f'the driver "{MODEL}" in "Windows NT x86" is version {MARKER_VERSION}, '
                     "this package's"])

    def driver_files(self, host):
        """The driver file of each driver "RT450" in "Windows NT x86", by name."""
        listed = self.spooler(host, "drivers", "Windows NT x86")
        return {name: file for name, file in zip(listed["drivers"], listed["driver_files"])
                if name == MODEL}


class SilentDamagedPackage(SilentCase, RemovalCase):
    def test_missing_file_keeps_every_printer(self):
        # The package folder is looked at before the removal: 21, and what the earlier
        # installation left is all there.
        host = self.open_arranged_host("win10-64")
        host.remove(rf"{DIST}\amd64\UNIDRV.HLP")
        earlier_inf = self.arrange_earlier_install(host)
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_DAMAGED_PACKAGE, "exit code")
        self.check_equal(self.log(host)[-3:], damaged_package_lines("amd64"),
                         "the log's last lines")
        self.check_earlier_install_kept(host, earlier_inf)


class DeploymentRecipes(SilentCase):
    """Each command of docs/deployment.md, as it stands there."""

    def startup_script(self, host):
        """The startup script in the shipping folder; returns its path."""
        script = rf"{DIST}\install-rt450.cmd"
        host.write_file(script, recipe("startup-script").replace("\n", "\r\n").encode("ascii"))
        return script

    @staticmethod
    def start(host, script):
        """One computer start: the script runs with the system folder as its current
        directory, as a startup script does; returns its exit code."""
        return host.session.run("cmd", "/c", script, timeout=RUN_TIMEOUT_MS // 1000)

    @cases(list(HOSTS))
    def test_group_policy_startup_script(self, host_name):
        # The script picks the registry view itself: it runs as it stands on every class.
        host = self.open_host(host_name)
        host.install_dist()
        self.printer_setup_does_its_work(host)
        script = self.startup_script(host)
        first = self.start(host, script)
        self.check_equal(first, EXIT_SUCCESS, "exit code of the first start")
        facts = HOSTS[host_name]
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_staged_inf(host, facts)
        self.check_marker(host, "LPT1:")
        lines = log_lines(on_disk(host, RECIPE_LOG).read_bytes())
        self.check_log_has(lines, [("start", rf"current directory {DIST}"),
                                   end_line(EXIT_SUCCESS)])
        # At the next start the marker is there, and nothing runs.
        second = self.start(host, script)
        self.check_equal(second, EXIT_SUCCESS, "exit code of the second start")
        self.check_equal(len(host.commands()), 2, "commands after the second start")

    def test_startup_script_runs_again_after_a_failure(self):
        # On a 32-bit host the script reads the one registry view there is.
        host = self.open_host("win7-32")
        host.install_dist()
        self.printer_setup_does_its_work(host, f"fail /if {ERROR_ACCESS_DENIED}")
        script = self.startup_script(host)
        facts = HOSTS["win7-32"]
        commands = [facts.driver_command, facts.printer_command]
        first = self.start(host, script)
        self.check_equal(first, EXIT_NOT_AS_ASKED, "exit code of the first start")
        self.check_commands(host, commands)
        self.check_marker(host, None)

        # The printer command works at the next start: the script installs again (its
        # removal uninstalls the INF that the first start staged; no printer or driver
        # is there to delete).
        self.printer_setup_does_its_work(host)
        second = self.start(host, script)
        self.check_equal(second, EXIT_SUCCESS, "exit code of the second start")
        self.check_commands(host, commands * 2)
        self.check_marker(host, "LPT1:")

        third = self.start(host, script)
        self.check_equal(third, EXIT_SUCCESS, "exit code of the third start")
        self.check_equal(len(host.commands()), 4, "commands after the third start")

    @cases(list(HOSTS))
    def test_win32_app_install_detect_uninstall(self, host_name):
        host = self.open_host(host_name)
        host.install_dist()
        self.printer_setup_does_its_work(host)
        install = recipe("install-command").strip()
        uninstall = recipe("uninstall-command").strip()
        for command in (install, uninstall):
            self.check_true(command.startswith(SILENT + " "), f"{command!r} starts {SILENT}")

        code, run = self.silent(host, install[len(SILENT) + 1:])
        self.check_equal(code, EXIT_SUCCESS, "install exit code")
        # The detection rule: the value Version of the marker, in the 64-bit view ("not
        # associated with a 32-bit app") where there is one.
        self.check_marker(host, "LPT1:")
        self.check_log_has(log_lines(on_disk(host, RECIPE_LOG)
                                     .read_bytes()), [end_line(EXIT_SUCCESS)])

        code, run = self.silent(host, uninstall[len(SILENT) + 1:])
        self.check_equal(code, EXIT_SUCCESS, "uninstall exit code")
        self.check_marker(host, None)
        self.check_log_has(log_lines(on_disk(host, r"C:\Windows\Logs\RT450-uninstall.log")
                                     .read_bytes()), [end_line(EXIT_SUCCESS)])

    def test_ansible_task(self):
        text = recipe("ansible")
        dest = re.search(r"dest: (.+)\\\n", text).group(1)
        # A YAML string in single quotes, the program's path in double quotes (a blank).
        command = re.search(r"win_command: '(.+)'\n", text).group(1)
        # The task starts the program by its full path, from no folder in particular.
        chdir = dest
        marker_path = re.search(r"win_reg_stat:\n +path: HKLM:\\(.+)\n +name: (.+)\n"
                                r" +register: (.+)\n", text)
        condition = re.search(r"when: not (.+)\.exists\n", text).group(1)
        accepted = [int(c) for c in re.search(r"rc not in \[(.+)\]", text).group(1).split(",")]
        self.check_true(marker_path is not None, "a win_reg_stat task looks for the marker")
        key, value, registered = marker_path.groups()
        self.check_equal((key, value), (MARKER_KEY, "Version"), "the key and value it reads")
        self.check_equal(condition, registered, "the install task's condition reads it")

        host = self.open_host("win8-64")
        self.printer_setup_does_its_work(host)
        shutil.copytree(context().dist_dir, host.path(chdir))
        program = rf"{chdir}\{SILENT}"
        self.check_true(command.startswith(f'"{program}" '), f"{command!r} starts {program}")
        self.check_true(chdir.startswith("C:\\Program Files\\"),
                        f"{chdir} is a folder that only administrators and SYSTEM can make")
        code, run = self.silent(host, command[len(program) + 3:], directory=r"C:\windows",
                                program=program)
        self.check_true(code in accepted, f"exit code {code} in {accepted}")
        # Ansible's PowerShell reads the 64-bit view: the task is skipped from now on.
        self.check_marker(host, "LPT1:")
        facts = HOSTS["win8-64"]
        self.check_equal([(c.command_line, c.directory) for c in host.commands()],
                         [(facts.driver_command, chdir), (facts.printer_command, chdir)],
                         "printer-setup commands and their folder")
