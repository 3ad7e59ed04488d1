"""The installer's main window before any install: its caption, its system menu, the
About box, the build-information chord and closing it."""

import re

from harness.case import E2eTestCase, cases
from installer import (ABOUT_CAPTION, ABOUT_MENU_TEXT, ABOUT_VERSION_TEXT,
                       BUILD_INFO_CAPTION, IDC_ABOUT_VERSION, IDM_ABOUTBOX, IDOK,
                       MAIN_CAPTION, MESSAGE_TEXT, SC_CLOSE, close_main_window,
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
            f"snapshot about-{ending}",
            end_line,
            "gone 5000",
            f"wait {MAIN_CAPTION}",
            "enabled",
            *close_main_window()))
        self.check_robot(run)
        self.check_equal(run.steps_of("caption")[0]["text"], ABOUT_CAPTION, "About caption")
        self.check_equal(run.steps_of("text")[0]["text"], ABOUT_VERSION_TEXT,
                         "About box first line")
        self.check_equal(run.steps_of("enabled")[0]["enabled"], True,
                         "main window takes input again")
        about = [b for b in host.boxes() if b["caption"] == ABOUT_CAPTION]
        self.check_equal([b["owner"] for b in about], [MAIN_CAPTION], "About box owner")


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
