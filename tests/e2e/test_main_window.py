"""The installer's main window before any install: its caption, its system menu, its
pictures and icons, the About box, the build-information chord and closing it."""

import re

from harness.case import E2eTestCase, cases
from harness.pictures import crop, dib_crc32, find_picture, program_picture
from harness.pixels import Box, read_png
from installer import (ABOUT_CAPTION, ABOUT_MENU_TEXT, ABOUT_VERSION_TEXT,
                       BUILD_INFO_CAPTION, COPYRIGHT_TEXT, IDB_BACKGROUND,
                       IDB_INSTALL_BUTTON, IDC_ABOUT_ICON, IDC_ABOUT_NOTICE,
                       IDC_ABOUT_VERSION, IDC_BACKGROUND, IDC_INSTALL, IDI_APP, IDM_ABOUTBOX,
                       IDOK, MAIN_CAPTION, MESSAGE_TEXT, SC_CLOSE, close_main_window,
                       setup_script)

WINE_ABOUT_ITEM = (0xF141, "关于 Wine(&A)")
# Where the window itself does not depend on the host, two hosts cover both prefix
# kinds.
HOSTS = ["xp32", "win10-64"]


class MainWindow(E2eTestCase):
    @cases(HOSTS)
    def test_caption_system_menu_and_close(self, host_name):
        # The robot's last step waits for the program to end after the window is closed.
        host = self.open_host(host_name)
        host.install_dist()
        run = host.robot(setup_script("caption", "sysmenu", "snapshot main",
                                      *close_main_window()))
        self.check_robot(run)
        self.check_equal(run.steps_of("caption")[0]["text"], MAIN_CAPTION, "main caption")

        items = [(i["id"], i["text"], i["separator"])
                 for i in run.steps_of("sysmenu")[0]["menu"]["items"]]
        self.check_equal(items[-2:], [(0, "", True), (IDM_ABOUTBOX, ABOUT_MENU_TEXT, False)],
                         "last two system-menu items")
        self.known_wine_difference("Wine's own item in every system menu",
                                   WINE_ABOUT_ITEM in [(i, t) for i, t, _ in items],
                                   wine=True, windows=False)

    @cases(HOSTS)
    def test_pictures_and_icons(self, host_name):
        host = self.open_host(host_name)
        host.install_dist()
        run = host.robot(setup_script(f"picture {IDC_BACKGROUND}", f"picture {IDC_INSTALL}",
                                      f"rect {IDC_INSTALL}", f"icons 0 {IDI_APP}",
                                      "snapshot main-pictures",
                                      *close_main_window()))
        self.check_robot(run)
        icons = run.steps_of("icons")[0]["icons"]
        self.check_equal({size: (icons[size]["present"], icons[size].get("programIcon"))
                          for size in ("big", "small")},
                         {"big": (True, True), "small": (True, True)},
                         "the window's big and small icons are the program's icon")

        shown = [step["picture"] for step in run.steps_of("picture")]
        expected = [program_picture(IDB_BACKGROUND), program_picture(IDB_INSTALL_BUTTON)]
        self.check_equal([(p.get("width"), p.get("height"), p.get("crc32")) for p in shown],
                         [(len(rows[0]) // 3, len(rows), dib_crc32(rows))
                          for rows in expected],
                         f"the pictures of the background and the install button: "
                         f"{IDB_BACKGROUND} and {IDB_INSTALL_BUTTON}, pixel for pixel")

        # On the screen: Wine sizes the picture static to its picture with its borders
        # included and shrinks the picture into what is left, so only the button's
        # picture shows pixel for pixel. Its edge and focus rectangle may cover the
        # picture's border.
        button = control_box(run.steps_of("rect")[0])
        image = read_png(run.steps_of("snapshot")[0]["harness"]["file"])
        self.check_true(find_picture(image, crop(expected[1], 4), button),
                        f"picture {IDB_INSTALL_BUTTON} on the screen within the install "
                        f"button {button}")


# how the About box is opened (system command) and how it is ended (script line)
ABOUT_ENDINGS = {
    "ok_button": (IDM_ABOUTBOX, f"click {IDOK}"),
    "escape": (IDM_ABOUTBOX, "key ESCAPE"),
    "close_button": (IDM_ABOUTBOX | 0xF, f"syscommand {SC_CLOSE:#x}"),
}


class AboutBox(E2eTestCase):
    @cases(ABOUT_ENDINGS)
    def test_opens_and_ends(self, ending, command, end_line):
        host = self.open_host("win7-64")
        host.install_dist()
        run = host.robot(setup_script(
            f"syscommand {command:#x}",
            f"wait {ABOUT_CAPTION} 5000",
            "caption",
            f"text {IDC_ABOUT_VERSION}",
            f"text {IDC_ABOUT_NOTICE}",
            f"icons {IDC_ABOUT_ICON} {IDI_APP}",
            f"snapshot about-{ending}",
            end_line,
            "gone 5000",
            f"wait {MAIN_CAPTION}",
            "enabled",
            *close_main_window()))
        self.check_robot(run)
        self.check_equal(run.steps_of("caption")[0]["text"], ABOUT_CAPTION, "About caption")
        self.check_equal([step["text"] for step in run.steps_of("text")],
                         [ABOUT_VERSION_TEXT, COPYRIGHT_TEXT], "About box lines")
        # The box loads its own copy of the program's icon at 32 x 32 pixels, in place
        # of the one the template names (which the platform shares at its own size).
        icon = run.steps_of("icons")[0]["icons"]["icon"]
        self.check_equal((icon["present"], icon["width"], icon["height"], icon["programIcon"]),
                         (True, 32, 32, False), "the About box's icon")
        self.check_equal(run.steps_of("enabled")[0]["enabled"], True,
                         "main window takes input again")
        about = [b for b in host.boxes() if b["caption"] == ABOUT_CAPTION]
        self.check_equal([b["owner"] for b in about], [MAIN_CAPTION], "About box owner")

    def test_other_system_commands_open_nothing(self):
        # The About item's command keeps the four low bits for the platform: 0x10 to
        # 0x1F. Each of these differs from it outside those bits.
        host = self.open_host("win7-64")
        host.install_dist()
        lines = [line for command in OTHER_SYSTEM_COMMANDS
                 for line in (f"syscommand {command:#x}", f"absent {ABOUT_CAPTION} 1000")]
        run = host.robot(setup_script(*lines, *close_main_window()))
        self.check_robot(run)
        self.check_equal([b["caption"] for b in host.boxes(process="setup.exe")],
                         [MAIN_CAPTION], "windows of the program")


OTHER_SYSTEM_COMMANDS = [0x0F, 0x20, 0x30, 0x110, 0x1010]


# keys held down, the key whose message passes the test, and whether the box opens
CHORDS = {
    "left_ctrl_shift_b": (["LCONTROL", "LSHIFT"], "B", True),
    "right_ctrl_shift_b": (["RCONTROL", "RSHIFT"], "B", True),
    "left_ctrl_shift_j": (["LSHIFT", "LCONTROL"], "J", True),
    "right_ctrl_shift_j": (["RSHIFT", "RCONTROL"], "J", True),
    "left_ctrl_right_shift_b": (["LCONTROL", "RSHIFT"], "B", False),
    "right_ctrl_left_shift_j": (["RCONTROL", "LSHIFT"], "J", False),
    "ctrl_only_b": (["LCONTROL"], "B", False),
}

BUILD_INFO_TEXT = re.compile(r".+  \d{6}-\d{4}\n\nDS:[0-9A-F]{32}")


class BuildInformationChord(E2eTestCase):
    @cases(CHORDS)
    def test_chord(self, chord, held, key, opens):
        host = self.open_host("win7-32")
        host.install_dist()
        held_keys = " ".join(held)
        if opens:
            check = [f"wait {BUILD_INFO_CAPTION} 5000", f"text {MESSAGE_TEXT:#x}",
                     f"keyup {held_keys}", f"click {IDOK}", "gone 5000"]
        else:
            check = [f"absent {BUILD_INFO_CAPTION} 1500", f"keystate {held_keys}",
                     f"keyup {held_keys}"]
        run = host.robot(setup_script(f"keydown {held_keys}", f"key {key}", *check,
                                      *close_main_window()))
        self.check_robot(run)
        if not opens:
            # Proves that the keys were still held when the chord key came.
            self.check_equal([k["down"] for k in run.steps_of("keystate")[0]["keys"]],
                             [True] * len(held), "held keys still down after the chord key")
        shown = [b for b in host.boxes() if b["caption"] == BUILD_INFO_CAPTION]
        self.check_equal(len(shown), 1 if opens else 0, "build-information boxes shown")
        if opens:
            text = run.steps_of("text")[0]["text"]
            self.check_true(BUILD_INFO_TEXT.fullmatch(text),
                            f"build-information text has the form of copyright, stamp "
                            f"and code: {text!r}")
            self.check_equal((shown[0]["owner"], shown[0]["icon"]), (MAIN_CAPTION, "none"),
                             "owner and icon of the build-information box")

    def test_key_up_passes_as_key_down_does(self):
        host = self.open_host("win7-32")
        host.install_dist()
        run = host.robot(setup_script(
            "keydown B", "keydown LCONTROL LSHIFT", "keyup B",
            f"wait {BUILD_INFO_CAPTION} 5000", "keyup LSHIFT LCONTROL", f"click {IDOK}",
            "gone 5000", *close_main_window()))
        self.check_robot(run)
        shown = [b for b in host.boxes() if b["caption"] == BUILD_INFO_CAPTION]
        self.check_equal(len(shown), 1, "build-information boxes shown")


def control_box(rect):
    return Box(rect["left"], rect["top"], rect["right"], rect["bottom"])
