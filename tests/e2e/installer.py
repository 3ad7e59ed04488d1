"""What the tests know of the installer: captions, control ids and texts of its
windows, its package and the traces an install leaves, and the start of every robot
script that drives setup.exe."""

from pathlib import Path

MAIN_CAPTION = "打印机驱动安装程序"
INFO_CAPTION = "信息提示"
ABOUT_CAPTION = "关于安装程序..."
BUILD_INFO_CAPTION = "关于本程序..."
PORT_CAPTION = "打印机接口"

IDC_INSTALL = 1000
IDC_BACKGROUND = 1002
# The status line that the main window shows while an install run is under way.
IDC_PROGRESS = 1007
IDC_ABOUT_VERSION = 1003
IDC_ABOUT_NOTICE = 1004
IDC_ABOUT_ICON = 1005
IDC_PORT_BUTTON = 1002
IDC_PARALLEL_BUTTON = 1005
IDC_PARALLEL_CHECK = 1006
IDOK = 1
IDCANCEL = 2
IDM_ABOUTBOX = 0x10
MESSAGE_TEXT = 0xFFFF
SC_CLOSE = 0xF060

IDI_APP = 128
IDB_INSTALL_BUTTON = 131
IDB_BACKGROUND = 149

# What the port dialog ends with.
PORT_PARALLEL = 76
PORT_USB = 85

# The caption of the framework's message boxes: the program file's name.
APP_NAME = "setup"

MISSING_FILE_CAPTION = "安装文件受损：找不到文件"
INSTALL_ERROR_CAPTION = "安装错误"

INSTALLED_TEXT = "打印机安装成功!"
INSTALL_FAILED_TEXT = "打印机安装失败，取消安装!"
PROCESS_START_FAILED_TEXT = "创建安装进程失败，取消安装！"
CONNECT_USB_TEXT = "请接入USB线(已经接好则重开打印机)，\n系统会自动安装打印机！"
CHECK_USB_CABLE_TEXT = "请检查打印机USB连线是否连接"
ANOTHER_RUN_TEXT = "另一个安装程序正在运行，请等它结束后再安装！"

ABOUT_MENU_TEXT = "关于安装程序 (&A)..."
PARALLEL_LABEL = "并口"
ABOUT_VERSION_TEXT = "Zorq 80 Series 1.1 版"
COPYRIGHT_TEXT = "版权所有 (C) 2026 Kelvaro"

# The driver files of every package folder, in the order the installer handles them.
DRIVER_FILES = ("ZORQ80-Series.dll", "ZORQ80-Series.gpd", "UNIDRV.DLL", "UNIDRV.HLP",
                "UNIDRVUI.DLL", "UNIRES.DLL", "STDNAMES.GPD")
INF_FILE = "ZORQ80-Series.INF"
SETUP64 = "Setup64.exe"
INF_DIR = r"C:\windows\inf"
# Names the INF that the last install staged, in bare bytes.
RECORD_FILE = r"C:\windows\inf\RT450.txt"

DRIVER_CACHE = r"C:\windows\Driver Cache\i386"
SPOOL_DRIVERS_X86 = r"C:\windows\system32\spool\drivers\w32x86"
SPOOL_DRIVERS_X64 = r"C:\windows\system32\spool\drivers\x64"

# The printer-setup command lines, byte for byte: each ends in a blank; the 32-bit
# printer commands hold a TAB and two blanks before /m.
_PRINTUI = "rundll32 printui.dll,PrintUIEntry "
DRIVER_COMMAND_64 = _PRINTUI + '/ia /K /m "RT450" /h "x64" /v 3 '
NO_OP_COMMAND = _PRINTUI + "/q "
PRINTER_COMMAND_64 = _PRINTUI + '/if /b "RT450" /r "LPT1:" /m "RT450" '


def printer_command_32(variant):
    """The printer command of the i386w7 and i386 packages."""
    return (_PRINTUI + '/if /b "RT450" \t'
            + f'   /f ".\\{variant}\\{INF_FILE}" /r "LPT1:"  /m "RT450" /q ')


# The printer's USB hardware id, and what the device script of a prefix says when it is
# plugged in: as Plug and Play would, the update then adds the driver and the queue.
USB_HARDWARE_ID = r"USBPRINT\KELVARO80-Series0AA5"
USB_PORT = "USB001"
PRINTER_PLUGGED_IN = (f"device {USB_HARDWARE_ID}",
                      f"queue RT450 {USB_PORT} UNIDRV.DLL ZORQ80-Series.gpd UNIDRVUI.DLL")


# The printer-setup double's script (tests/e2e/README.md) with which the rundll32
# stand-in does what the system's printer-setup command does: the files that the
# package's INF names for the model.
PRINTUI_DOES_ITS_WORK = ("driver RT450 UNIDRV.DLL ZORQ80-Series.gpd UNIDRVUI.DLL",)

# The detection marker that SilentSetup.exe writes after a success it has seen, under
# HKEY_LOCAL_MACHINE, in the 64-bit view on 64-bit Windows.
MARKER_KEY = r"SOFTWARE\RT450 Printer Installer"
MARKER_VERSION = (Path(__file__).resolve().parents[2] / "VERSION").read_text().strip()


# The first start in a fresh prefix also starts Wine's own services.
START_TIMEOUT_MS = 20000
# From the install button to the port dialog or the last box of a run.
INSTALL_TIMEOUT_MS = 60000


def setup_script(*lines):
    """A robot script that sets the box hooks, starts setup.exe from the shipping folder
    (its current directory), waits for the main window and goes on with `lines`."""
    return "\n".join([
        "hook",
        r"start C:\dist\setup.exe C:\dist",
        f"wait {MAIN_CAPTION} {START_TIMEOUT_MS}",
        *lines,
    ]) + "\n"


def answer_box(caption, timeout_ms=INSTALL_TIMEOUT_MS):
    """Script lines that wait for a message box, log its text and press its OK button."""
    return [f"wait {caption} {timeout_ms}", f"text {MESSAGE_TEXT:#x}", f"click {IDOK}",
            "gone"]


def choose_port(parallel, timeout_ms=INSTALL_TIMEOUT_MS):
    """Script lines that wait for the port dialog, tick the check box for the parallel
    port or leave it for USB, and confirm with the large button."""
    tick = [f"click {IDC_PARALLEL_CHECK}"] if parallel else []
    return [f"wait {PORT_CAPTION} {timeout_ms}", *tick, f"click {IDC_PORT_BUTTON}",
            "gone"]


def close_main_window(exit_timeout_ms=10000):
    """Script lines that close the main window by its close button and wait for the
    program to end."""
    return [f"wait {MAIN_CAPTION}", f"syscommand {SC_CLOSE:#x}", f"exit {exit_timeout_ms}"]


PROTECTED_PRINT_POLICY_KEY = r"HKLM\Software\Policies\Microsoft\Windows NT\Printers\WPP"


def set_protected_print_policy(host, state):
    """Sets the policy value that turns protected print mode on (1) or off (0), where
    the policy writes it: the 64-bit view on a 64-bit host. Returns reg's exit code."""
    view = ["/reg:64"] if host.host_class.is_64bit else []
    return host.session.run("reg", "add", PROTECTED_PRINT_POLICY_KEY, "/v",
                            "WindowsProtectedPrintGroupPolicyState", "/t", "REG_DWORD",
                            "/d", str(state), "/f", *view, name="reg")
