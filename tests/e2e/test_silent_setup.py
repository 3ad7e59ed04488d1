"""SilentSetup.exe, the unattended installer, from the shipping folder on each host
class: its exit code, its log, the printer-setup commands it starts (the same bytes as
setup.exe's), what it stages, that no window of it ever appears, and the commands of the
deployment recipes in docs/deployment.md, run as they stand there."""

import re
import shutil
import time
from pathlib import Path, PureWindowsPath

from harness.case import cases
from harness.context import context
from harness.robot import script_word
from installer import (CHECK_USB_CABLE_TEXT, CONNECT_USB_TEXT, DRIVER_COMMAND_64, INF_DIR,
                       INF_FILE, INFO_CAPTION, INSTALL_FAILED_TEXT, INSTALLED_TEXT,
                       MAIN_CAPTION, MISSING_FILE_CAPTION, PRINTER_PLUGGED_IN, RECORD_FILE,
                       SC_CLOSE, START_TIMEOUT_MS)
from test_install_flows import HOSTS, package_path, source_path
from test_planted_libraries import plant_everywhere
from test_removal_flows import DELETE_DRIVER, DELETE_PRINTER, RemovalCase
from test_usb_flows import (ERROR_ACCESS_DENIED, ERROR_IN_WOW64, ERROR_NO_MORE_ITEMS,
                            ERROR_NO_SUCH_DEVINST, ERROR_SUCCESS, QUEUE_ADDED, UPDATE,
                            UsbFlowCase, call, pre_install_64, update_64)

SILENT = "SilentSetup.exe"
DIST = r"C:\dist"
LOG = r"C:\e2e\silent.log"
RUN_TIMEOUT_MS = 180000
BOM = b"\xef\xbb\xbf"
TIME_STAMP = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  ")

EXIT_SUCCESS = 0
EXIT_WAITING_FOR_USB = 20
EXIT_DAMAGED_PACKAGE = 21
EXIT_NO_USB_DEVICE = 25
EXIT_USB_UPDATE_FAILED = 26
EXIT_SETUP64_FAILED = 27
EXIT_ANOTHER_INSTALL_RUNNING = 1618
EXIT_INVALID_COMMAND_LINE = 1639

EXIT_MEANINGS = {
    EXIT_SUCCESS: "success",
    EXIT_WAITING_FOR_USB: "driver staged; the printer installs when its USB cable is plugged in",
    EXIT_NO_USB_DEVICE: "no USB printer is connected",
    EXIT_USB_UPDATE_FAILED: "the USB driver update failed",
    EXIT_SETUP64_FAILED: "Setup64.exe failed",
}
SETUP64_COMMAND = r".\amd64\Setup64.exe USBPRINT\KELVARO80-Series0AA5 .\amd64\ZORQ80-Series.INF"
# The update of SilentSetup.exe itself, refused on 64-bit Windows.
IN_WOW64 = call(UPDATE, package_path("amd64", INF_FILE), SILENT, 32, ERROR_IN_WOW64)

RECIPES = Path(__file__).resolve().parents[2] / "docs" / "deployment.md"


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


def log_lines(data):
    """A log's lines as (step, text), after checking its byte-order mark, its CR LF line
    ends and the time at the start of every line."""
    assert data.startswith(BOM), "the log has no UTF-8 byte-order mark"
    text = data[len(BOM):].decode("utf-8")
    assert text.endswith("\r\n") and "\n" not in text.replace("\r\n", ""), "line ends"
    lines = []
    for line in text.split("\r\n")[:-1]:
        assert TIME_STAMP.match(line), f"no time on {line!r}"
        rest = line[25:]
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


def message(text, caption=INFO_CAPTION):
    return f'message "{caption}": ' + text.replace("\n", "\\n")


class SilentInstall(SilentCase):
    @cases(list(HOSTS))
    def test_parallel_port(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_SUCCESS, "exit code")
        # The same command lines as setup.exe's, byte for byte.
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_staged_inf(host, facts)
        self.check_log_has(self.log(host), [
            ("start", rf"SilentSetup.exe /port:lpt1 /log:{LOG}"),
            ("start", rf"current directory {DIST}"),
            ("verify", "checking the package folder"),
            ("install", "port LPT1: (from the command line)"),
            ("install", f"started the command {facts.driver_command}"),
            ("install", f"started the command {facts.printer_command}"),
            ("install", message(INSTALLED_TEXT)),
            ("end", "exit code 0: success"),
        ])

    # row: the device script, the exit code, the calls that reached the device layer,
    # the printer-setup commands, Setup64.exe's exit code, the last message of the log
    USB_64 = {
        "plugged_in": (PRINTER_PLUGGED_IN, EXIT_SUCCESS,
                       [IN_WOW64, update_64(ERROR_SUCCESS, QUEUE_ADDED)], [], 1,
                       INSTALLED_TEXT),
        # Setup64.exe pre-installs the package and exits 10; the driver command chosen
        # before the port was asked for starts, and the queue is found missing.
        "nothing_plugged_in": ((), EXIT_WAITING_FOR_USB,
                               [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                                pre_install_64(ERROR_SUCCESS)],
                               [DRIVER_COMMAND_64], 10, CONNECT_USB_TEXT),
        "pre_install_fails": ((f"fail DiInstallDriver {ERROR_ACCESS_DENIED:#x}",),
                              EXIT_SETUP64_FAILED,
                              [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                               pre_install_64(ERROR_ACCESS_DENIED)],
                              [], 0, INSTALL_FAILED_TEXT),
    }

    @cases(USB_64)
    def test_usb_through_setup64(self, case, devices, exit_code, calls, commands,
                                 setup64_exit, last):
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
            ("install", f"the command {SETUP64_COMMAND} ended with exit code {setup64_exit}"),
            ("install", message(last)),
            ("end", f"exit code {exit_code}: {EXIT_MEANINGS[exit_code]}"),
        ])


    # row: host, the device script, the exit code, the update's result, the last message
    USB_32 = {
        "xp32_nothing_plugged_in": ("xp32", (), EXIT_NO_USB_DEVICE, ERROR_NO_SUCH_DEVINST,
                                    CHECK_USB_CABLE_TEXT),
        "win7_32_nothing_plugged_in": ("win7-32", (), EXIT_WAITING_FOR_USB,
                                       ERROR_NO_SUCH_DEVINST, CONNECT_USB_TEXT),
        "xp32_update_fails": ("xp32", (*PRINTER_PLUGGED_IN,
                                       f"fail UpdateDriverForPlugAndPlayDevices "
                                       f"{ERROR_NO_MORE_ITEMS:#x}"),
                              EXIT_USB_UPDATE_FAILED, ERROR_NO_MORE_ITEMS, INSTALL_FAILED_TEXT),
    }

    @cases(USB_32)
    def test_usb_on_32_bit_windows(self, case, host_name, devices, exit_code, error, last):
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
            ("end", f"exit code {exit_code}: {EXIT_MEANINGS[exit_code]}"),
        ])


class SilentFailures(SilentCase):
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
        lines = self.log(host)
        self.check_equal(lines[-3:], [
            ("verify", message(source_path(facts.variant, "UNIDRV.HLP"),
                               caption=MISSING_FILE_CAPTION)),
            ("verify", "a file of the package folder is missing"),
            ("end", "exit code 21: damaged package: a file of the package folder is missing"),
        ], "the log's last lines")

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
            ("end", "exit code 1639: invalid command line"),
        ], "the log's last lines")

    def test_window_program_open(self):
        host = self.open_host("win7-32")
        host.install_dist()
        window = host.session.launch(rf"{DIST}\setup.exe", cwd=host.path(DIST))
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}",
                                before=[f"wait {MAIN_CAPTION} {START_TIMEOUT_MS}"])
        self.check_equal(code, EXIT_ANOTHER_INSTALL_RUNNING, "exit code")
        self.check_nothing_installed(host)
        self.check_equal(self.log(host)[-2:], [
            ("start", f'the window of setup.exe is open: "{MAIN_CAPTION}"'),
            ("end", "exit code 1618: another installation is running"),
        ], "the log's last lines")
        closed = host.robot("\n".join([f"wait {MAIN_CAPTION}", f"syscommand {SC_CLOSE:#x}",
                                       "gone 10000"]) + "\n")
        self.check_robot(closed)
        self.check_equal(host.session.wait(window, 30), 0, "setup.exe exit code")


    def test_second_run_at_once(self):
        # The first run holds its mutex from before it classifies the host until it
        # ends; its LPT1: install pauses 3 s after the commands, time for a second start.
        host = self.open_host("win7-64")
        host.install_dist()
        first_log = r"C:\e2e\first.log"
        first = host.session.launch(rf"{DIST}\{SILENT}", "/port:lpt1", f"/log:{first_log}",
                                    cwd=host.path(DIST))
        deadline = time.monotonic() + START_TIMEOUT_MS / 1000
        while time.monotonic() < deadline and b"started the command" not in (
                host.read_bytes(first_log) or b""):
            time.sleep(0.1)
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_ANOTHER_INSTALL_RUNNING, "exit code of the second run")
        self.check_equal(self.log(host)[-2:], [
            ("start", "another SilentSetup.exe is running"),
            ("end", "exit code 1618: another installation is running"),
        ], "the second run's last log lines")
        self.check_equal(host.session.wait(first, RUN_TIMEOUT_MS // 1000), EXIT_SUCCESS,
                         "exit code of the first run")
        facts = HOSTS["win7-64"]
        self.check_commands(host, [facts.driver_command, facts.printer_command])


class SilentPlantedLibraries(SilentCase):
    # Libraries planted in the shipping folder, its current directory, are never loaded:
    # it restricts the library search at its start as setup.exe does.
    @cases({"xp32": "/port:lpt1", "win10-64": "/port:usb"})
    def test_install_loads_none(self, host_name, port):
        host = self.open_host(host_name)
        host.install_dist()
        host.set_devices(*PRINTER_PLUGGED_IN)
        plant_everywhere(host)
        code, run = self.silent(host, rf"{port} /log:{LOG}")
        self.check_equal(host.loaded_markers(), [], "planted libraries that were loaded")
        self.check_equal(code, EXIT_SUCCESS, "exit code")
        self.check_staged_inf(host, HOSTS[host_name])


class SilentUninstall(SilentCase, RemovalCase):
    @cases(["xp32", "win7-32", "win7-64", "win8-64", "win10-64"])
    def test_uninstall_after_install(self, host_name):
        facts = HOSTS[host_name]
        host = self.open_arranged_host(host_name)
        code, run = self.silent(host, rf"/port:lpt1 /log:{LOG}")
        self.check_equal(code, EXIT_SUCCESS, "install exit code")
        staged = self.check_staged_inf(host, facts)
        # Wine's printui does nothing: the queue and driver that the commands would make
        # are put in place by hand.
        self.add_printers(host, "RT450", ["RT450"])
        installed = len(host.commands())

        code, run = self.silent(host, rf"/uninstall /log:{LOG}")
        self.check_equal(code, EXIT_SUCCESS, "uninstall exit code")
        self.check_equal(host.read_bytes(RECORD_FILE), None, f"{RECORD_FILE} after /uninstall")
        self.check_equal(host.read_bytes(str(PureWindowsPath(INF_DIR, staged))), None,
                         "the staged INF after /uninstall")
        # Names 91, 119 and 120 of the removal list are the model's; the recording
        # rundll32 deletes nothing, so each starts both commands again.
        removal = [DELETE_PRINTER.format("RT450"), DELETE_DRIVER.format("RT450")]
        self.check_commands(host, removal * 3, already=installed)
        lines = self.log(host)
        self.check_log_has(lines, [
            ("start", rf"SilentSetup.exe /uninstall /log:{LOG}"),
            ("remove", "removing the printer, its driver and its staged INF file"),
            ("remove", f"started the command {removal[0]}"),
            ("remove", f"started the command {removal[1]}"),
            ("remove", f"uninstalled the staged INF file {staged}"),
            ("remove", rf"deleted {RECORD_FILE.replace('C:', 'c:')}"),
            ("end", "exit code 0: success"),
        ])


class DeploymentRecipes(SilentCase):
    """Each command of docs/deployment.md, as it stands there."""

    def test_group_policy_startup_script(self):
        host = self.open_host("win7-64")
        host.install_dist()
        script = rf"{DIST}\install-rt450.cmd"
        host.write_file(script, recipe("startup-script").replace("\n", "\r\n").encode("ascii"))
        # A startup script runs with the system folder as its current directory.
        first = host.session.run("cmd", "/c", script, timeout=RUN_TIMEOUT_MS // 1000)
        self.check_equal(first, EXIT_SUCCESS, "exit code of the first start")
        facts = HOSTS["win7-64"]
        self.check_commands(host, [facts.driver_command, facts.printer_command])
        self.check_staged_inf(host, facts)
        lines = log_lines(on_disk(host, r"C:\Windows\Temp\RT450-install.log").read_bytes())
        self.check_log_has(lines, [("start", rf"current directory {DIST}"),
                                   ("end", "exit code 0: success")])
        # At the next start the record is there, and nothing runs.
        second = host.session.run("cmd", "/c", script, timeout=60)
        self.check_equal(second, EXIT_SUCCESS, "exit code of the second start")
        self.check_equal(len(host.commands()), 2, "commands after the second start")

    def test_win32_app_install_detect_uninstall(self):
        host = self.open_host("win10-64")
        host.install_dist()
        install = recipe("install-command").strip()
        uninstall = recipe("uninstall-command").strip()
        for command in (install, uninstall):
            self.check_true(command.startswith(SILENT + " "), f"{command!r} starts {SILENT}")

        code, run = self.silent(host, install[len(SILENT) + 1:])
        self.check_equal(code, EXIT_SUCCESS, "install exit code")
        self.check_true(RECORD_FILE.split("\\")[-1] in host.files(INF_DIR),
                        "the detection rule's file exists after the install")
        self.check_log_has(log_lines(on_disk(host, r"C:\Windows\Temp\RT450-install.log")
                                     .read_bytes()), [("end", "exit code 0: success")])

        code, run = self.silent(host, uninstall[len(SILENT) + 1:])
        self.check_equal(code, EXIT_SUCCESS, "uninstall exit code")
        self.check_true(RECORD_FILE.split("\\")[-1] not in host.files(INF_DIR),
                        "the detection rule's file is gone after the uninstall")
        self.check_log_has(log_lines(on_disk(host, r"C:\Windows\Temp\RT450-uninstall.log")
                                     .read_bytes()), [("end", "exit code 0: success")])

    def test_ansible_task(self):
        text = recipe("ansible")
        dest = re.search(r"dest: (.+)\\\n", text).group(1)
        command = re.search(r"win_command: (.+)\n", text).group(1)
        chdir = re.search(r"chdir: (.+)\n", text).group(1)
        creates = re.search(r"creates: (.+)\n", text).group(1)
        accepted = [int(c) for c in re.search(r"rc not in \[(.+)\]", text).group(1).split(",")]
        self.check_equal(dest.rstrip("\\"), chdir, "the copy's destination is the task's folder")

        host = self.open_host("win8-64")
        shutil.copytree(context().dist_dir, host.path(chdir))
        self.check_true(command.startswith(SILENT + " "), f"{command!r} starts {SILENT}")
        code, run = self.silent(host, command[len(SILENT) + 1:], directory=chdir,
                                program=rf"{chdir}\{SILENT}")
        self.check_true(code in accepted, f"exit code {code} in {accepted}")
        self.check_true(on_disk(host, creates).is_file(), f"{creates} exists: the task runs once")
        facts = HOSTS["win8-64"]
        self.check_equal([(c.command_line, c.directory) for c in host.commands()],
                         [(facts.driver_command, chdir), (facts.printer_command, chdir)],
                         "printer-setup commands and their folder")
