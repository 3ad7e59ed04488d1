"""The port choice dialog as the install run shows it: the check box names the port
and the large button's caption follows it; the large button confirms the choice. The
choice shows in the commands that the run starts: only the parallel port installs the
printer on "LPT1:"."""

from harness.case import E2eTestCase, cases
from installer import (IDC_INSTALL, IDC_PARALLEL_CHECK, IDC_PORT_BUTTON, INFO_CAPTION,
                       INSTALL_TIMEOUT_MS, MAIN_CAPTION, PARALLEL_LABEL, PORT_CAPTION,
                       answer_box, setup_script)

LPT1 = '/r "LPT1:"'

# clicks on the check box before confirming, the large button's captions (at first and
# after each click), whether the printer goes on "LPT1:"
CHOICES = {
    "usb_at_once": (0, ["U S B"], False),
    "parallel": (1, ["U S B", " 并 口 "], True),
    "parallel_then_usb": (2, ["U S B", " 并 口 ", " U S B "], False),
}


class PortDialog(E2eTestCase):
    @cases(CHOICES)
    def test_choice(self, choice, clicks, captions, on_lpt1):
        # The older 32-bit host removes nothing first, so its dialog comes soonest.
        host = self.open_host("xp32")
        host.install_dist()
        toggles = [line for _ in range(clicks)
                   for line in (f"click {IDC_PARALLEL_CHECK}", f"text {IDC_PORT_BUTTON}")]
        run = host.robot(setup_script(
            f"click {IDC_INSTALL}",
            f"wait {PORT_CAPTION} {INSTALL_TIMEOUT_MS}",
            f"text {IDC_PARALLEL_CHECK}",
            f"checked {IDC_PARALLEL_CHECK}",
            f"text {IDC_PORT_BUTTON}",
            f"snapshot port-{choice}",
            *toggles,
            f"click {IDC_PORT_BUTTON}",
            "gone",
            *answer_box(INFO_CAPTION),
            f"exit {INSTALL_TIMEOUT_MS}"))
        self.check_robot(run)
        texts = [s["text"] for s in run.steps_of("text")]
        self.check_equal(texts[0], PARALLEL_LABEL, "check box label")
        self.check_equal(run.steps_of("checked")[0]["state"], 0, "check box at first")
        self.check_equal(texts[1:-1], captions, "large button captions")
        # A clean host tells of no failure before the port is asked for.
        opened = host.boxes(process="setup.exe")
        self.check_boxes(opened[:2], [(MAIN_CAPTION, None), (PORT_CAPTION, None)],
                         "first windows of the run")
        self.check_equal(opened[1]["owner"], MAIN_CAPTION, "port dialog owner")
        self.check_equal(any(LPT1 in c.command_line for c in host.commands()), on_lpt1,
                         "a printer-setup command for LPT1:")
