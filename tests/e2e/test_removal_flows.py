"""What an install run removes before it installs: the INF that an earlier run staged
and recorded, printers and drivers of the removed names (through the printer-setup
commands, which the recording rundll32 captures), and staged oemN.inf files that name
one of them. On the older 32-bit host nothing is removed.

Every run here chooses USB in the port dialog with the printer plugged in: the update
succeeds and starts no command, so the commands recorded are the removal's own. Each INF uninstall
is seen twice: the file is gone, and Wine's setupapi trace of the run names the call."""

import json
import re
import shutil
from dataclasses import dataclass

from harness.case import E2eTestCase, cases
from harness.context import context
from harness.host import BIN
from installer import (APP_NAME, IDC_INSTALL, IDC_PORT_BUTTON, INFO_CAPTION,
                       INSTALL_TIMEOUT_MS, MAIN_CAPTION, MISSING_FILE_CAPTION, PORT_CAPTION,
                       PROCESS_START_FAILED_TEXT, USB_HARDWARE_ID,
                       answer_box, choose_port, set_protected_print_policy, setup_script)

INF_DIR = r"C:\windows\inf"
RECORD_FILE = "RT450.txt"
STAGED_INF = "ZORQ80-Series.INF"
MODEL = "RT450"
PACKAGE_FOLDER = {"win7-32": "i386w7", "win8-64": "amd64"}
SUOI_FORCEDELETE = 1

SPOOLER_TOOL = "e2e_spooler.exe"
SPOOLER_LOG = r"C:\e2e\spooler.jsonl"
# Placeholder driver files: the spooler copies them and never loads them.
DRIVER_FILES_DIR = r"C:\e2e\driver"
DRIVER_FILES = ("ZORQ80-Series.dll", "ZORQ80-Series.gpd", "UNIDRVUI.DLL")

DELETE_PRINTER = 'rundll32 printui.dll,PrintUIEntry /q /dl /n "{}"'
DELETE_DRIVER = 'rundll32 printui.dll,PrintUIEntry /q /dd /m "{}"'
INSTALLED_TEXT = "打印机安装成功!"
# A run removes for 120 names, pausing 100 ms for each, before it installs.
RUN_TIMEOUT_S = 180

# The trace that Wine's setupapi writes for each call, with the name and the flags.
UNINSTALL_TRACE = re.compile(rb'trace:setupapi:SetupUninstallOEMInfA "([^"]*)", 0x([0-9a-f]+)')


def inf_text(*lines):
    return ("\r\n".join(lines) + "\r\n").encode("gbk")


def foreign_inf(model):
    return inf_text("[Version]", 'Signature="$Windows NT$"', "Class=Printer",
                    "[Strings]", f'Model="{model}"')


def is_oem_inf(name):
    return re.fullmatch(r"oem\d+\.inf", name, re.IGNORECASE) is not None


@dataclass
class InstallRun:
    dialogs: list       # (caption, message-box text) of setup.exe's dialogs, in order
    uninstalled: list   # (INF name, flags) of each SetupUninstallOEMInfA call, in order


class RemovalCase(E2eTestCase):
    """A host on which a test arranges what earlier installations left, then runs the
    installer through to its last box."""

    def open_arranged_host(self, host_name):
        host = self.open_host(host_name)
        host.install_dist()
        # Plugged in without a queue of its own: the spooler holds only what a test
        # arranges.
        host.set_devices(f"device {USB_HARDWARE_ID}")
        shutil.copy2(context().bin_dir / SPOOLER_TOOL, host.path(BIN))
        # Runs before the host closes, while the prefix is still there.
        self.addCleanup(self._keep_spooler_log, host)
        return host

    @staticmethod
    def _keep_spooler_log(host):
        log = host.path(SPOOLER_LOG)
        if log.exists():
            shutil.copy2(log, host.results / "spooler.jsonl")

    def spooler(self, host, verb, *args):
        """Runs the spooler tool once; its log line for this call."""
        code = host.session.run(rf"{BIN}\{SPOOLER_TOOL}", SPOOLER_LOG, verb, *args,
                                name="spooler")
        lines = host.path(SPOOLER_LOG).read_text(encoding="utf-8").splitlines()
        line = json.loads(lines[-1]) if lines else {}
        self.check_equal((code, line.get("verb"), line.get("ok")), (0, verb, True),
                         f"spooler {verb} {' '.join(args)} (error {line.get('error')})")
        return line

    def add_printers(self, host, driver, printers):
        """Adds the driver and printers on it, and checks that the spooler lists them."""
        folder = host.path(DRIVER_FILES_DIR)
        folder.mkdir(parents=True, exist_ok=True)
        for name in DRIVER_FILES:
            (folder / name).write_bytes(b"placeholder")
        self.spooler(host, "add-driver", driver,
                     *(rf"{DRIVER_FILES_DIR}\{name}" for name in DRIVER_FILES))
        for printer in printers:
            self.spooler(host, "add-printer", printer, driver, "LPT1:")
        listed = self.spooler(host, "list")
        self.check_equal((sorted(listed["printers"]), listed["drivers"]),
                         (sorted(printers), [driver]), "spooler before the run")

    def arrange_earlier_install(self, host):
        """What an earlier installation left: the driver with the printer COPY_1 on it,
        its staged INF and the record file naming it. Returns the INF's bytes."""
        self.add_printers(host, MODEL, [COPY_1])
        earlier_inf = foreign_inf(MODEL)
        (host.path(INF_DIR) / "oem3.inf").write_bytes(earlier_inf)
        (host.path(INF_DIR) / RECORD_FILE).write_bytes(b"oem3.inf")
        return earlier_inf

    def check_earlier_install_kept(self, host, earlier_inf):
        """The earlier installation is all there, and no command was started."""
        listed = self.spooler(host, "list")
        self.check_equal((listed["printers"], listed["drivers"]), ([COPY_1], [MODEL]),
                         "spooler after the refused run")
        self.check_equal((self.inf_file(host, "oem3.inf"), self.inf_file(host, RECORD_FILE)),
                         (earlier_inf, b"oem3.inf"), "the earlier INF and its record")
        self.check_equal(host.commands(), [], "printer-setup commands started")

    def install(self, host, removal_ms=INSTALL_TIMEOUT_MS):
        """One run of setup.exe to its success box, USB chosen; removal_ms bounds the
        removal before the port dialog, and the whole run gets what it adds."""
        before = len(host.boxes(process="setup.exe"))
        debug = host.session.env["WINEDEBUG"]
        host.session.env["WINEDEBUG"] = f"{debug},+setupapi"
        try:
            run = host.robot(setup_script(
                f"click {IDC_INSTALL}",
                f"wait {PORT_CAPTION} {removal_ms}",
                # The large button confirms the dialog's first choice, USB.
                f"click {IDC_PORT_BUTTON}",
                "gone",
                *answer_box(INFO_CAPTION),
                f"exit {INSTALL_TIMEOUT_MS}"),
                timeout=RUN_TIMEOUT_S + (removal_ms - INSTALL_TIMEOUT_MS) // 1000)
        finally:
            host.session.env["WINEDEBUG"] = debug
        self.check_robot(run)
        self.check_equal(run.steps_of("exit")[0].get("code"), 0, "setup.exe exit code")
        result = InstallRun(self._dialogs_since(host, before), self._uninstalls(host))
        # A message of the removal would stand between the main window and the port
        # dialog.
        self.check_equal(result.dialogs, [(MAIN_CAPTION, None), (PORT_CAPTION, None),
                                          (INFO_CAPTION, INSTALLED_TEXT)],
                         "dialogs of the run")
        return result

    @staticmethod
    def _dialogs_since(host, before):
        # Under Wine the hooks of an earlier robot outlive it, so in a later run every
        # dialog is logged once per robot that has run: one dialog is one window.
        seen, dialogs = set(), []
        for box in host.boxes(process="setup.exe")[before:]:
            if (box["pid"], box["hwnd"]) not in seen:
                seen.add((box["pid"], box["hwnd"]))
                dialogs.append((box.get("caption"), box.get("text")))
        return dialogs

    @staticmethod
    def _uninstalls(host):
        # The robot's output, which setup.exe shares, of the run just ended.
        output = sorted(host.results.glob("wine-*-robot.out"))[-1].read_bytes()
        return [(name.decode("gbk"), int(flags, 16))
                for name, flags in UNINSTALL_TRACE.findall(output)]

    @staticmethod
    def inf_file(host, name):
        """The bytes of a file in the INF directory; None when it is missing."""
        path = host.path(INF_DIR) / name
        return path.read_bytes() if path.is_file() else None

    @staticmethod
    def recorded_command_lines(host):
        """The command lines that the recording rundll32 captured, as the raw code page
        936 bytes that the installer passed, in the order they were started."""
        folder = host.path(r"C:\e2e\commands")
        return [path.read_bytes().split(b"\n")[0] for path in sorted(folder.glob("*.txt"))]


class RecordedInf(RemovalCase):
    @cases(["win7-32", "win8-64"])
    def test_second_run_uninstalls_the_inf_the_first_recorded(self, host_name):
        # Both runs stage the package's INF under the same name, so the first run's copy
        # is marked: a copy that outlived the removal would keep the mark, and the
        # system would stage the second run's INF under another name beside it.
        host = self.open_arranged_host(host_name)
        package_inf = (context().dist_dir / PACKAGE_FOLDER[host_name] / STAGED_INF).read_bytes()

        first = self.install(host)
        self.check_equal(first.uninstalled, [], "INF uninstalls of the first run")
        recorded = (self.inf_file(host, RECORD_FILE) or b"").decode("gbk")
        self.known_wine_difference("name under which the system stages the INF",
                                   "oemN.inf" if is_oem_inf(recorded) else recorded,
                                   wine=STAGED_INF, windows="oemN.inf")
        self.check_equal(self.inf_file(host, recorded), package_inf, "INF of the first run")
        (host.path(INF_DIR) / recorded).write_bytes(package_inf + b"; left by the first run\r\n")

        second = self.install(host)
        # Names 91, 119 and 120 are the model's: the first finds the recorded INF, the
        # others find it gone and uninstall nothing.
        self.check_equal(second.uninstalled, [(STAGED_INF, SUOI_FORCEDELETE)],
                         "INF uninstalls of the second run")
        self.check_equal(self.inf_file(host, STAGED_INF), package_inf,
                         "INF staged by the second run (the marked copy is gone)")
        self.check_equal([n for n in host.files(INF_DIR) if is_oem_inf(n)], [],
                         "INF copies staged under another name")
        self.check_equal(self.inf_file(host, RECORD_FILE), STAGED_INF.encode(),
                         "record after the second run")
        self.check_equal(host.commands(), [], "printer-setup commands of both runs")


COPY_1 = "RT450 (副本 1)"


class PrintersAndDrivers(RemovalCase):
    @cases(["win7-32", "win8-64"])
    def test_listed_printer_and_driver_are_deleted_by_commands(self, host_name):
        # The recording rundll32 deletes nothing, so each name of the removal list that
        # the spooler still lists starts its command again: the copy is names 90 and
        # 118 of the list, the model 91, 119 and 120.
        host = self.open_arranged_host(host_name)
        self.add_printers(host, MODEL, [COPY_1])
        self.install(host)
        expected = [DELETE_PRINTER.format(COPY_1), DELETE_DRIVER.format(MODEL),
                    DELETE_PRINTER.format(COPY_1), DELETE_DRIVER.format(MODEL),
                    DELETE_DRIVER.format(MODEL)]
        self.check_equal(self.recorded_command_lines(host),
                         [line.encode("gbk") for line in expected],
                         "command lines as code page 936 bytes, in start order")
        self.check_equal({c.directory for c in host.commands()}, {r"C:\dist"},
                         "current directory of the commands")


OUR_INF = inf_text("; VX410P/420 printer driver", "[Version]", 'Signature="$Windows NT$"',
                   "Class=Printer")
# files put into the INF directory before the run
INFS = {
    "oem0.inf": OUR_INF,
    "oem42.inf": foreign_inf("LX-100 Laser"),
    "oem99.inf": foreign_inf("KELVARO 24Pin Dot-Matrix Printer"),
    # Beyond the scan.
    "oem100.inf": OUR_INF,
    # Letter case counts.
    "oem7.inf": foreign_inf("vx410p/420"),
    # The text ends at the first zero byte, right after the byte-order mark.
    "oem8.inf": "\ufeff; RT450\r\n".encode("utf-16-le"),
}
# host, record files put beside them, the INF files uninstalled in order: "VX410P/420"
# is name 7 of the removal list, "KELVARO 24Pin Dot-Matrix Printer" name 112
SCANS = {
    "win7_32": ("win7-32", {}, ["oem0.inf", "oem99.inf"]),
    "win10_64": ("win10-64", {}, ["oem0.inf", "oem99.inf"]),
    # A '/' in the name is a '-' in the record's file name. The recorded INF goes
    # without a look into it, and no other is looked for under that name.
    "win7_32_record": ("win7-32", {"VX410P-420.txt": b"oem42.inf"},
                       ["oem42.inf", "oem99.inf"]),
}


class StagedInfsByName(RemovalCase):
    @cases(SCANS)
    def test_infs_naming_a_removed_printer_are_uninstalled(self, case, host_name, records,
                                                           uninstalled):
        host = self.open_arranged_host(host_name)
        for name, content in {**INFS, **records}.items():
            (host.path(INF_DIR) / name).write_bytes(content)
        run = self.install(host)
        self.check_equal(run.uninstalled, [(name, SUOI_FORCEDELETE) for name in uninstalled],
                         "INF uninstalls")
        self.check_equal({name: self.inf_file(host, name) for name in INFS},
                         {name: None if name in uninstalled else content
                          for name, content in INFS.items()},
                         "INF files after the run (None: uninstalled)")


class OlderHost(RemovalCase):
    def test_xp_removes_nothing(self):
        # What a 7-class host removes (the tests above) stays on the older host.
        host = self.open_arranged_host("xp32")
        self.add_printers(host, MODEL, [MODEL])
        oem3 = foreign_inf(MODEL)
        (host.path(INF_DIR) / "oem3.inf").write_bytes(oem3)
        run = self.install(host)
        self.check_equal(run.uninstalled, [], "INF uninstalls")
        self.check_equal(self.inf_file(host, "oem3.inf"), oem3, "oem3.inf naming the model")
        self.check_equal([c.command_line for c in host.commands()
                          if " /dl " in c.command_line or " /dd " in c.command_line], [],
                         "deletion commands")


class UnstartableCommand(RemovalCase):
    def test_the_framework_box_tells_it(self):
        # "RT490" is name 98 of the removal list: its deletion command cannot start, so
        # the removal tells the user in the framework's box and gives up that name; the
        # run goes on. The printer's driver is no name of the list.
        host = self.open_arranged_host("win7-32")
        self.add_printers(host, "E2E Unlisted Driver", ["RT490"])
        host.write_file(r"C:\windows\system32\rundll32.exe", b"no program")
        run = host.robot(setup_script(f"click {IDC_INSTALL}",
                                      *answer_box(APP_NAME),
                                      *choose_port(parallel=False),
                                      *answer_box(INFO_CAPTION),
                                      f"exit {INSTALL_TIMEOUT_MS}"), timeout=RUN_TIMEOUT_S)
        self.check_robot(run)
        owned = (MAIN_CAPTION, "robot")
        self.check_equal([(d.caption, d.text, d.icon, d.owner, d.closed_by)
                          for d in host.dialogs(run)],
                         [(MAIN_CAPTION, None, None, "", "itself"),
                          (APP_NAME, PROCESS_START_FAILED_TEXT, "warning", *owned),
                          (PORT_CAPTION, None, None, *owned),
                          (INFO_CAPTION, INSTALLED_TEXT, "information", *owned)],
                         "dialogs: (caption, text, icon, owner, closed by)")
        self.check_equal(host.commands(), [], "printer-setup commands started")


class ProtectedPrintPolicy(RemovalCase):
    def test_the_policy_value_alone_stops_no_install(self):
        # The policy "Configure Windows protected print" writes its value on every PC it
        # reaches; Windows before 11 24H2 (Wine's Windows 10 class among them) has no
        # protected print mode and takes the printer as always. So the value alone
        # shows no box: the run removes what the earlier installation left and installs.
        host = self.open_arranged_host("win10-64")
        self.arrange_earlier_install(host)
        self.check_equal(set_protected_print_policy(host, 1), 0, "the policy value set")

        run = self.install(host)
        self.check_equal(run.uninstalled, [("oem3.inf", SUOI_FORCEDELETE)],
                         "INF uninstalls of the run under the policy")
        self.check_true(self.recorded_command_lines(host), "deletion commands started")


class DamagedPackageBesideAnEarlierInstall(RemovalCase):
    def test_missing_file_keeps_every_printer(self):
        # The package folder is looked at before the removal: the verification box, and
        # the run ends with what the earlier installation left all there.
        host = self.open_arranged_host("win10-64")
        host.remove(r"C:\dist\amd64\UNIDRV.HLP")
        earlier_inf = self.arrange_earlier_install(host)

        run = host.robot(setup_script(f"click {IDC_INSTALL}", *answer_box(MISSING_FILE_CAPTION),
                                      f"exit {INSTALL_TIMEOUT_MS}"), timeout=RUN_TIMEOUT_S)
        self.check_robot(run)
        self.check_equal(self.check_ended_by_itself(run), 0, "setup.exe exit code")
        self.check_equal([(d.caption, d.text, d.icon, d.closed_by) for d in host.dialogs(run)],
                         [(MAIN_CAPTION, None, None, "itself"),
                          (MISSING_FILE_CAPTION, r".\amd64\UNIDRV.HLP", "information",
                           "robot")],
                         "dialogs: (caption, text, icon, closed by)")
        self.check_earlier_install_kept(host, earlier_inf)


# Eight staged INF files of 200 MB each: a run that held one of them whole, let alone
# all, would run out of a 32-bit process's memory. Seven are one file under seven names
# (hard links, to spare the disk); the eighth names a removed printer only in its last
# line, so the run must search every byte of it to find it.
LARGE_INF_BYTES = 200 * 1024 * 1024
LARGE_INFS = [f"oem{n}.inf" for n in range(10, 17)]
LARGE_NAMING_INF = "oem17.inf"
# Searching 1.6 GB takes seconds here and minutes on a slow or emulated CPU; the bound
# only keeps a run that never gets there from being waited for without end.
LARGE_REMOVAL_MS = 600000
LARGE_INF_BLOCK = inf_text(
    "[Strings]", 'TEXT1="打印首选项"', 'DISK="Contoso 安装磁盘"',
    r'HKLM,"SOFTWARE\Contoso\Laser","Version",0x00000000,"2.4"', "; 彩色激光打印机")


def write_large_inf(path, last_line=b""):
    """A file of LARGE_INF_BYTES of INF text without zero bytes, then last_line."""
    blocks = (LARGE_INF_BYTES - len(last_line)) // len(LARGE_INF_BLOCK)
    piece = LARGE_INF_BLOCK * 4096
    with open(path, "wb") as file:
        for _ in range(blocks // 4096):
            file.write(piece)
        file.write(LARGE_INF_BLOCK * (blocks % 4096))
        file.write(b"=" * (LARGE_INF_BYTES - len(last_line) - blocks * len(LARGE_INF_BLOCK)))
        file.write(last_line)


class LargeStagedInfs(RemovalCase):
    def test_run_with_very_large_infs_ends_as_usual(self):
        host = self.open_arranged_host("win7-32")
        inf_dir = host.path(INF_DIR)
        write_large_inf(inf_dir / LARGE_INFS[0])
        for name in LARGE_INFS[1:]:
            (inf_dir / name).hardlink_to(inf_dir / LARGE_INFS[0])
        write_large_inf(inf_dir / LARGE_NAMING_INF, inf_text("; VX410P/420"))

        run = self.install(host, LARGE_REMOVAL_MS)
        self.check_equal(run.uninstalled, [(LARGE_NAMING_INF, SUOI_FORCEDELETE)],
                         "INF uninstalls")
        self.check_equal({name: (inf_dir / name).stat().st_size
                          for name in LARGE_INFS if (inf_dir / name).is_file()},
                         {name: LARGE_INF_BYTES for name in LARGE_INFS},
                         "large INF files that name no removed printer, after the run")
