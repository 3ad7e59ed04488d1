"""The port choice dialog as the install run shows it: the check box names the port
and the large button's caption follows it; the large button confirms the choice, while
Escape and Enter end the dialog with codes that name no port. The code the dialog ends
with is seen from inside the program, as it hands it to the dialog manager, and the
choice shows in the commands that the run starts: only the parallel port installs the
printer on "LPT1:". Its drawing is checked on screenshots: the label and the large
button's caption in the dark blue, the caption in the large font, the inner rectangle
of the large button, its edge sunken while the mouse button holds it.

A dialog that a pending quit message ends at once, without the user, leads to the USB
branch as well: test_install_flows.DamagedPackage.test_missing_driver_file shows it."""

from harness.case import E2eTestCase, cases
from harness.pixels import Box, read_png
from installer import (IDC_INSTALL, IDC_PARALLEL_BUTTON, IDC_PARALLEL_CHECK,
                       IDC_PORT_BUTTON, IDCANCEL, IDOK, INFO_CAPTION, INSTALL_TIMEOUT_MS,
                       INSTALLED_TEXT, MAIN_CAPTION, PARALLEL_LABEL, PORT_CAPTION,
                       PORT_PARALLEL, PORT_USB, PRINTER_PLUGGED_IN, answer_box, setup_script)

LPT1 = '/r "LPT1:"'
CONFIRM = f"click {IDC_PORT_BUTTON}"

# clicks on the check box, how the dialog is then ended, the large button's captions (at
# first and after each click), the code the dialog ends with, whether the printer goes
# on "LPT1:". The printer is plugged in, so the USB branch succeeds and every row ends
# with the same box.
CHOICES = {
    "usb_at_once": (0, CONFIRM, ["U S B"], PORT_USB, False),
    "parallel": (1, CONFIRM, ["U S B", " 并 口 "], PORT_PARALLEL, True),
    "parallel_then_usb": (2, CONFIRM, ["U S B", " 并 口 ", " U S B "], PORT_USB, False),
    # Escape and Enter end the dialog with 2 and 1, which take the USB branch; with the
    # check box ticked, a key taken for the large button would pick the parallel port.
    "escape": (0, "key ESCAPE", ["U S B"], IDCANCEL, False),
    "escape_when_ticked": (1, "key ESCAPE", ["U S B", " 并 口 "], IDCANCEL, False),
    "enter": (0, "key RETURN", ["U S B"], IDOK, False),
    "enter_when_ticked": (1, "key RETURN", ["U S B", " 并 口 "], IDOK, False),
    # The hidden button, which no user can reach, names the parallel port whatever the
    # check box says.
    "hidden_button": (0, f"command {IDC_PARALLEL_BUTTON}", ["U S B"], PORT_PARALLEL, True),
}

DARK_BLUE = (0, 64, 200)
BLACK = (0, 0, 0)
# The large button's font: a cell 38 units high.
PORT_FONT_HEIGHT = 38
# How far inside the large button's edge its inner rectangle runs.
FRAME_INSET = 2


class PortDialog(E2eTestCase):
    @cases(CHOICES)
    def test_choice(self, choice, clicks, ending, captions, result, on_lpt1):
        # The older 32-bit host removes nothing first, so its dialog comes soonest.
        host = self.open_host("xp32")
        host.install_dist()
        host.set_devices(*PRINTER_PLUGGED_IN)
        toggles = [line for _ in range(clicks)
                   for line in (f"click {IDC_PARALLEL_CHECK}", f"text {IDC_PORT_BUTTON}")]
        run = host.robot(through_port_dialog(
            f"text {IDC_PARALLEL_CHECK}",
            f"checked {IDC_PARALLEL_CHECK}",
            f"text {IDC_PORT_BUTTON}",
            f"snapshot port-{choice}",
            *toggles,
            ending))
        self.check_robot(run)
        texts = [s["text"] for s in run.steps_of("text")]
        self.check_equal(texts[0], PARALLEL_LABEL, "check box label")
        self.check_equal(run.steps_of("checked")[0]["state"], 0, "check box at first")
        self.check_equal(texts[1:-1], captions, "large button captions")
        self.check_equal(texts[-1], INSTALLED_TEXT, "the run's last box")
        for key in run.steps_of("key"):
            self.check_equal(key["foreground"], PORT_CAPTION, "window that took the key")
        # A clean host tells of no failure before the port is asked for.
        opened = host.boxes(process="setup.exe")
        self.check_boxes(opened[:2], [(MAIN_CAPTION, None), (PORT_CAPTION, None)],
                         "first windows of the run")
        self.check_equal(opened[1]["owner"], MAIN_CAPTION, "port dialog owner")
        self.check_equal([(d.caption, d.closed_by) for d in host.dialogs(run)][1:],
                         [(PORT_CAPTION, "robot"), (INFO_CAPTION, "robot")],
                         "the port dialog and the last box, each ended by the robot")
        self.check_equal(port_results(host), [result], "the code the port dialog ended with")
        self.check_equal(any(LPT1 in c.command_line for c in host.commands()), on_lpt1,
                         "a printer-setup command for LPT1:")

    def test_edge_while_held(self):
        host = self.open_host("xp32")
        host.install_dist()
        run = host.robot(through_port_dialog(
            f"rect {IDC_PORT_BUTTON}",
            "snapshot port-not-held",
            f"press {IDC_PORT_BUTTON}",
            "snapshot port-held",
            # Let go over the button: a click, which confirms USB.
            f"release {IDC_PORT_BUTTON}"))
        self.check_robot(run)
        button = control_box(run.steps_of("rect")[0])
        not_held, held = (read_png(s["harness"]["file"]) for s in run.steps_of("snapshot"))
        self.check_equal((edge(not_held, button), edge(held, button)), ("raised", "sunken"),
                         f"the large button's edge {button}, not held and held")
        self.check_equal(port_results(host), [PORT_USB], "the code the port dialog ended with")

    def test_drawing(self):
        host = self.open_host("xp32")
        host.install_dist()
        run = host.robot(through_port_dialog(
            f"rect {IDC_PARALLEL_CHECK}",
            f"rect {IDC_PORT_BUTTON}",
            "snapshot port-drawn-usb",
            f"click {IDC_PARALLEL_CHECK}",
            "snapshot port-drawn-parallel",
            CONFIRM))
        self.check_robot(run)
        check_rect, button_rect = run.steps_of("rect")
        label, button = label_box(check_rect), control_box(button_rect)
        usb, parallel = (read_png(s["harness"]["file"]) for s in run.steps_of("snapshot"))
        self.check_equal((usb.width, usb.height),
                         (check_rect["windowWidth"], check_rect["windowHeight"]),
                         "screenshot size: the whole window, frame included")

        label_colours = usb.colours(label.points())
        self.check_true(label_colours.count(DARK_BLUE) >= 10,
                        f"the label {PARALLEL_LABEL!r} in RGB{DARK_BLUE} within {label}")
        self.check_equal(label_colours.count(BLACK), 0, f"black pixels within {label}")

        self.check_true(usb.colours(button.points()).count(DARK_BLUE) >= 10,
                        f"the large button's caption in RGB{DARK_BLUE} within {button}")
        # The same two characters, in the dialog's font and in the large button's.
        label_height = parallel.height_of(label, DARK_BLUE)
        caption_height = parallel.height_of(button, DARK_BLUE)
        self.check_true(caption_height >= 20 and caption_height >= 2 * label_height,
                        f"the large caption's glyphs are {caption_height} px high, the "
                        f"label's {label_height} px")
        # The font itself, as the program made it, read inside the program by the box hook.
        port = next(b for b in host.boxes(process="setup.exe") if b["caption"] == PORT_CAPTION)
        fonts = {b["id"]: b.get("fontHeight") for b in port["buttons"]}
        self.check_equal(fonts.get(IDC_PORT_BUTTON), PORT_FONT_HEIGHT,
                         "the large button's font height in logical units")
        self.check_inner_rectangle(usb, button)

    def check_inner_rectangle(self, image, button):
        """A one-pixel outline FRAME_INSET pixels inside the button's edge, on every
        side, in a colour that neither the edge outside it nor the fill inside it has.
        The caption's cell, painted in the background colour, may cover the middle of
        the top and bottom lines."""
        outline = button.inset(FRAME_INSET)
        ring = image.colours(outline.ring())
        pen = max(set(ring), key=ring.count)
        for name, side in outline.sides().items():
            colours = image.colours(side.points())
            self.check_true(colours.count(pen) * 2 > len(colours),
                            f"the {name} line of the inner rectangle is mostly RGB{pen}")
        for name, inset in (("edge", FRAME_INSET - 1), ("fill", FRAME_INSET + 1)):
            neighbour = image.colours(button.inset(inset).ring())
            self.check_equal(neighbour.count(pen), 0,
                             f"pixels of the outline's RGB{pen} on the {name} next to it")


def control_box(rect):
    return Box(rect["left"], rect["top"], rect["right"], rect["bottom"])


def label_box(check_rect):
    """Where a check box's label is: the platform draws the square glyph at the
    control's left, no wider than the control is high, and the label after it."""
    control = control_box(check_rect)
    return Box(control.left + control.bottom - control.top, control.top, control.right,
               control.bottom)


def through_port_dialog(*lines):
    """A script that installs up to the port dialog, works it with `lines` until it is
    gone, answers the run's last box and waits for the program's end."""
    return setup_script(f"click {IDC_INSTALL}", f"wait {PORT_CAPTION} {INSTALL_TIMEOUT_MS}",
                        *lines, "gone", *answer_box(INFO_CAPTION),
                        f"exit {INSTALL_TIMEOUT_MS}")


def port_results(host):
    """The codes with which setup.exe ended its port dialogs, in order."""
    return [e["result"] for e in host.boxes(event="end", process="setup.exe")
            if e["caption"] == PORT_CAPTION]


def edge(image, button):
    """"sunken" when the button's outer edge is darker along the top than along the
    bottom (the light falls from the top left), "raised" when it is lighter."""
    def brightness(line):
        colours = image.colours(line.points())
        return sum(map(sum, colours)) / len(colours)

    # The middle half of each line: the corners mix both sides.
    quarter = (button.right - button.left) // 4
    top = brightness(Box(button.left + quarter, button.top, button.right - quarter,
                         button.top + 1))
    bottom = brightness(Box(button.left + quarter, button.bottom - 1, button.right - quarter,
                            button.bottom))
    return "sunken" if top < bottom else "raised" if top > bottom else "flat"
