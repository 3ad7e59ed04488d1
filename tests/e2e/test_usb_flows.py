"""USB installs end to end, with the test prefixes' device layer in place of Wine's
Plug-and-Play update (tests/e2e/README.md): the printer plugged in or not, the update's
error codes, and Setup64.exe, which the installer starts when its own 32-bit update
fails with ERROR_IN_WOW64 on 64-bit Windows.

Each flow checks, in order: the dialogs (caption, text, icon, who closed them) and the
program's own end, the calls that reached the device layer (arguments, calling program
and its bitness, result), the printer-setup commands byte for byte, the staged driver
files, INF and record."""

from harness.case import cases
from harness.host import BIN
from installer import (CONNECT_USB_TEXT, DRIVER_COMMAND_64, INF_FILE, INFO_CAPTION,
                       INSTALL_FAILED_TEXT, INSTALLED_TEXT, NO_OP_COMMAND,
                       PRINTER_PLUGGED_IN, PROCESS_START_FAILED_TEXT, SETUP64,
                       USB_HARDWARE_ID, USB_PORT, answer_box, choose_port)
from test_install_flows import (DIST, HOSTS, InstallFlowCase, box, main_window,
                                package_path, port_dialog)

ERROR_SUCCESS = 0
ERROR_FILE_NOT_FOUND = 2
ERROR_ACCESS_DENIED = 5
ERROR_PUBLISHER_NOT_TRUSTED = 0xE0000243
ERROR_NO_MORE_ITEMS = 259
ERROR_INVALID_FLAGS = 1004
ERROR_NO_SUCH_DEVINST = 0xE000020B
ERROR_IN_WOW64 = 0xE0000235
INSTALLFLAG_FORCE = 1

UPDATE = "UpdateDriverForPlugAndPlayDevicesA"
PRE_INSTALL = "DiInstallDriverA"
SETUP = "setup.exe"
# The INF as the installer names it to Setup64.exe: relative to the shipping folder.
SETUP64_INF = r".\amd64\ZORQ80-Series.INF"


def call(function, inf, program, bits, error, hardware_id=USB_HARDWARE_ID,
         flags=INSTALLFLAG_FORCE, queues=None):
    """A call as the device layer logs it: (function, hardware id, INF, flags, calling
    program, its bits, result, error code, the queues that a successful update added
    with the spooler's answer)."""
    return (function, hardware_id, inf, flags, program, bits, error == ERROR_SUCCESS,
            f"0x{error:X}", queues)


# What the update did about the queue of a plugged-in printer.
QUEUE_ADDED = ["RT450: added"]
QUEUE_PRESENT = ["RT450: present"]


def update_32(variant, error, queues=None):
    """setup.exe's update, with the package's INF by full path."""
    return call(UPDATE, package_path(variant, INF_FILE), SETUP, 32, error, queues=queues)


def update_64(error, queues=None):
    return call(UPDATE, package_path("amd64", INF_FILE), SETUP64, 64, error, queues=queues)


def pre_install_64(error):
    return call(PRE_INSTALL, package_path("amd64", INF_FILE), SETUP64, 64, error,
                hardware_id=None, flags=0)


# Every update from setup.exe on 64-bit Windows: a 32-bit process may not install
# devices there.
IN_WOW64 = update_32("amd64", ERROR_IN_WOW64)


class UsbFlowCase(InstallFlowCase):
    def usb_install(self, host, *devices, boxes=1):
        """A USB install with the device script `devices`; the robot answers `boxes`
        message boxes after the port dialog. Returns the run."""
        host.set_devices(*devices)
        answers = [line for _ in range(boxes) for line in answer_box(INFO_CAPTION)]
        return self.install(host, *choose_port(parallel=False), *answers,
                            attributes_of=self.staged_paths(HOSTS[host.name]))

    def device_calls(self, host, already=0):
        return [(c.get("function"), c.get("hardware_id"), c.get("inf"), c.get("flags"),
                 c.get("program"), c.get("bits"), c.get("result"), c.get("error"),
                 c.get("queues"))
                for c in host.device_calls()[already:]]

    def check_flow(self, host, run, dialogs, calls, commands):
        """The checks of every flow, in order; returns the staged INF's name."""
        facts = HOSTS[host.name]
        self.check_run(host, run, dialogs)
        self.check_equal(self.device_calls(host), list(calls), "device layer calls")
        self.check_commands(host, commands)
        self.check_staged(host, run, facts)
        return self.check_staged_inf(host, facts)


AFTER_PORT = [main_window(), port_dialog("robot")]


class PrinterPluggedIn(UsbFlowCase):
    # host: the calls that install it
    CALLS = {
        "xp32": [update_32("i386", ERROR_SUCCESS, QUEUE_ADDED)],
        "win7-32": [update_32("i386w7", ERROR_SUCCESS, QUEUE_ADDED)],
        # Setup64.exe's exit code 1 ends the step without a further command.
        "win7-64": [IN_WOW64, update_64(ERROR_SUCCESS, QUEUE_ADDED)],
        "win8-64": [IN_WOW64, update_64(ERROR_SUCCESS, QUEUE_ADDED)],
        "win10-64": [IN_WOW64, update_64(ERROR_SUCCESS, QUEUE_ADDED)],
    }

    @cases(CALLS)
    def test_installed(self, host_name, calls):
        host = self.open_host(host_name)
        host.install_dist()
        run = self.usb_install(host, *PRINTER_PLUGGED_IN)
        self.check_flow(host, run, AFTER_PORT + [box(INSTALLED_TEXT, "robot")], calls, [])


class NothingPluggedIn(UsbFlowCase):
    # host: the calls, the commands. The host's text for a missing printer is the only
    # box after the port dialog: on the 32-bit hosts it is the step's own; on 64-bit
    # Windows Setup64.exe pre-installs the package and exits 10, the driver command
    # chosen before the port dialog starts, and the queue is found missing.
    _NO_DEVICE_64 = ([IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                      pre_install_64(ERROR_SUCCESS)],
                     [DRIVER_COMMAND_64])
    ROWS = {
        "xp32": ([update_32("i386", ERROR_NO_SUCH_DEVINST)], []),
        "win7-32": ([update_32("i386w7", ERROR_NO_SUCH_DEVINST)], []),
        "win7-64": _NO_DEVICE_64,
        "win8-64": _NO_DEVICE_64,
        "win10-64": _NO_DEVICE_64,
    }

    @cases(ROWS)
    def test_not_installed(self, host_name, calls, commands):
        host = self.open_host(host_name)
        host.install_dist()
        run = self.usb_install(host)
        self.check_flow(host, run, AFTER_PORT + [box(HOSTS[host_name].no_device_text, "robot")],
                        calls, commands)


# What the update answers when the device script forces a code, on a 32-bit host where
# the installer's own update is the only one.
FORCED_FAILURE = "fail UpdateDriverForPlugAndPlayDevices {:#x}"


class UpdateFails(UsbFlowCase):
    # row: host, the code forced, the boxes after the port dialog. The three codes that
    # the step names are followed by the sequence's own outcome message, which differs
    # by host class; an unknown code shows only that.
    ROWS = {
        "file_not_found": ("xp32", ERROR_FILE_NOT_FOUND,
                           ["ERROR_FILE_NOT_FOUND", INSTALL_FAILED_TEXT]),
        "invalid_flags": ("xp32", ERROR_INVALID_FLAGS,
                          ["ERROR_INVALID_FLAGS", INSTALL_FAILED_TEXT]),
        "no_more_items": ("xp32", ERROR_NO_MORE_ITEMS, ["NO_MORE_ITEMS", INSTALL_FAILED_TEXT]),
        "no_more_items_win7": ("win7-32", ERROR_NO_MORE_ITEMS,
                               ["NO_MORE_ITEMS", CONNECT_USB_TEXT]),
        "unknown_code": ("xp32", ERROR_ACCESS_DENIED, [INSTALL_FAILED_TEXT]),
    }

    @cases(ROWS)
    def test_outcome(self, case, host_name, code, texts):
        host = self.open_host(host_name)
        host.install_dist()
        run = self.usb_install(host, *PRINTER_PLUGGED_IN, FORCED_FAILURE.format(code),
                               boxes=len(texts))
        # Called once, never again after a failure.
        self.check_flow(host, run, AFTER_PORT + [box(t, "robot") for t in texts],
                        [update_32(HOSTS[host_name].variant, code)], [])


# The queue and the driver "RT450" as an earlier installation left them, arranged
# through the spooler of a 32-bit program from the i386 package's files.
SPOOLER_TOOL = rf"{BIN}\e2e_spooler.exe"
SPOOLER_LOG = r"C:\e2e\spooler.jsonl"
DELETE_PRINTER = 'rundll32 printui.dll,PrintUIEntry /q /dl /n "RT450"'
DELETE_DRIVER = 'rundll32 printui.dll,PrintUIEntry /q /dd /m "RT450"'
# The removal asks for the model's queue and driver under three names of its list.
REMOVED_TWICE_MORE = 3


class Setup64Outcomes(UsbFlowCase):
    """What the installer makes of Setup64.exe on 64-bit Windows with no printer plugged
    in, when it is missing, fails or leaves the queue in place."""

    def add_queue(self, host):
        files = [package_path("i386", name)
                 for name in ("UNIDRV.DLL", "ZORQ80-Series.gpd", "UNIDRVUI.DLL")]
        for args in (("add-driver", "RT450", *files), ("add-printer", "RT450", "RT450",
                                                       USB_PORT)):
            self.check_equal(host.session.run(SPOOLER_TOOL, SPOOLER_LOG, *args,
                                              name="spooler"), 0, f"spooler {args[0]}")

    def test_pre_install_fails(self):
        # Exit code 0: no message from the step, the sequence's failure message follows.
        host = self.open_host("win10-64")
        host.install_dist()
        run = self.usb_install(host, f"fail DiInstallDriver {ERROR_ACCESS_DENIED:#x}")
        self.check_flow(host, run, AFTER_PORT + [box(INSTALL_FAILED_TEXT, "robot")],
                        [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                         pre_install_64(ERROR_ACCESS_DENIED)], [])

    def test_setup64_missing(self):
        host = self.open_host("win10-64")
        host.install_dist(without=["amd64/" + SETUP64])
        run = self.usb_install(host, *PRINTER_PLUGGED_IN)
        self.check_flow(host, run, AFTER_PORT + [box(PROCESS_START_FAILED_TEXT, "robot")],
                        [IN_WOW64], [])

    def test_queue_present_after_exit_10(self):
        # The driver is listed too, so the driver command is the no-op one; the queue is
        # there, so the step tells nothing and the sequence tells the success.
        host = self.open_host("win8-64")
        host.install_dist()
        self.add_queue(host)
        run = self.usb_install(host)
        self.check_flow(host, run, AFTER_PORT + [box(INSTALLED_TEXT, "robot")],
                        [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                         pre_install_64(ERROR_SUCCESS)],
                        [DELETE_PRINTER, DELETE_DRIVER] * REMOVED_TWICE_MORE
                        + [NO_OP_COMMAND])

    def test_driver_command_not_started(self):
        # Without rundll32.exe in the system directory the driver command cannot start.
        host = self.open_host("win7-64")
        host.install_dist()
        host.remove(r"C:\windows\syswow64\rundll32.exe")
        run = self.usb_install(host)
        self.check_flow(host, run, AFTER_PORT + [box(PROCESS_START_FAILED_TEXT, "robot")],
                        [IN_WOW64, update_64(ERROR_NO_SUCH_DEVINST),
                         pre_install_64(ERROR_SUCCESS)], [])


class Setup64Started(UsbFlowCase):
    """Setup64.exe started by hand from the shipping folder: its arguments, the calls it
    makes and its exit code."""

    # row: the arguments, the device script, the exit code, the calls
    ROWS = {
        "no_arguments": ((), PRINTER_PLUGGED_IN, 2, []),
        "one_argument": ((USB_HARDWARE_ID,), PRINTER_PLUGGED_IN, 2, []),
        "three_arguments": ((USB_HARDWARE_ID, SETUP64_INF, SETUP64_INF), PRINTER_PLUGGED_IN,
                            2, []),
        # The update gets the full path of the relative one.
        "plugged_in": ((USB_HARDWARE_ID, SETUP64_INF), PRINTER_PLUGGED_IN, 1,
                       [update_64(ERROR_SUCCESS, QUEUE_ADDED)]),
        "nothing_plugged_in": ((USB_HARDWARE_ID, SETUP64_INF), (), 10,
                               [update_64(ERROR_NO_SUCH_DEVINST),
                                pre_install_64(ERROR_SUCCESS)]),
        "pre_install_fails": ((USB_HARDWARE_ID, SETUP64_INF),
                              (f"fail DiInstallDriver {ERROR_ACCESS_DENIED:#x}",), 0,
                              [update_64(ERROR_NO_SUCH_DEVINST),
                               pre_install_64(ERROR_ACCESS_DENIED)]),
        # A failure for the package's signature has a code of its own.
        "update_untrusted": ((USB_HARDWARE_ID, SETUP64_INF),
                             (*PRINTER_PLUGGED_IN, f"fail UpdateDriverForPlugAndPlayDevices "
                                                   f"{ERROR_PUBLISHER_NOT_TRUSTED:#x}"), 12,
                             [update_64(ERROR_PUBLISHER_NOT_TRUSTED)]),
    }

    @cases(ROWS)
    def test_exit_code(self, case, args, devices, code, calls):
        host = self.open_host("win8-64")
        host.install_dist()
        host.set_devices(*devices)
        exit_code = host.session.run(package_path("amd64", SETUP64), *args,
                                     cwd=host.path(DIST))
        self.check_equal(exit_code, code, "Setup64.exe exit code")
        self.check_equal(self.device_calls(host), calls, "device layer calls")


class SecondRun(UsbFlowCase):
    # host: what the second run's removal deletes, and its update. The recording
    # rundll32 deletes nothing, so the queue is still there for the update. On 64-bit
    # Windows the first run's driver is a 64-bit one, which the removal asks the
    # spooler's 64-bit environment for and deletes with the architecture switch.
    ROWS = {
        "win7-32": ([DELETE_PRINTER, DELETE_DRIVER] * REMOVED_TWICE_MORE,
                    update_32("i386w7", ERROR_SUCCESS, QUEUE_PRESENT)),
        "win8-64": ([DELETE_PRINTER, DELETE_DRIVER + ' /h "x64"'] * REMOVED_TWICE_MORE,
                    update_64(ERROR_SUCCESS, QUEUE_PRESENT)),
    }

    @cases(ROWS)
    def test_removal_finds_the_first_install(self, host_name, deletions, second_update):
        host = self.open_host(host_name)
        host.install_dist()
        first = self.usb_install(host, *PRINTER_PLUGGED_IN)
        self.check_run(host, first, AFTER_PORT + [box(INSTALLED_TEXT, "robot")])
        calls = len(host.device_calls())
        second = self.usb_install(host, *PRINTER_PLUGGED_IN)
        self.check_run(host, second, AFTER_PORT + [box(INSTALLED_TEXT, "robot")])
        before = [IN_WOW64] if HOSTS[host_name].variant == "amd64" else []
        self.check_equal(self.device_calls(host, calls), before + [second_update],
                         "device layer calls of the second run")
        self.check_commands(host, deletions)
        self.check_staged(host, second, HOSTS[host_name])
        self.check_staged_inf(host, HOSTS[host_name])
