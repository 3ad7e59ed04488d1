"""What the tests know of the installer's windows: captions, control ids, texts, and
the start of every robot script that drives setup.exe."""

MAIN_CAPTION = "打印机驱动安装程序"
INFO_CAPTION = "信息提示"
ABOUT_CAPTION = "关于安装程序..."
BUILD_INFO_CAPTION = "关于本程序..."
PORT_CAPTION = "打印机接口"

IDC_INSTALL = 1000
IDC_ABOUT_VERSION = 1003
IDC_PORT_BUTTON = 1002
IDC_PARALLEL_CHECK = 1006
IDOK = 1
IDM_ABOUTBOX = 0x10
MESSAGE_TEXT = 0xFFFF
SC_CLOSE = 0xF060

ABOUT_MENU_TEXT = "关于安装程序 (&A)..."
PARALLEL_LABEL = "并口"
ABOUT_VERSION_TEXT = "Zorq 80 Series 1.1 版"

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


def close_main_window(exit_timeout_ms=10000):
    """Script lines that close the main window by its close button and wait for the
    program to end."""
    return [f"wait {MAIN_CAPTION}", f"syscommand {SC_CLOSE:#x}", f"exit {exit_timeout_ms}"]
