"""The main window during an install run: a robot samples it every 500 ms and finds it
never taken for hung and always answering within a second, it repaints a part that
another window covered, its status line only goes forward and reaches its end, and a
second click (real or posted) or a double click on the install button starts nothing.

Keys typed during a run wait in the queue, as they always have, and go to whatever has
the focus when a modal loop takes them: Enter typed during the removal answers the port
dialog as soon as it shows. That is the platform's type-ahead and is left alone. Screenshots
of three moments of a run are kept for a person to look at
(screenshots/<host>-run-*.png)."""

import re

from harness.case import E2eTestCase, cases
from harness.pixels import read_png
from installer import (DRIVER_FILES, IDC_INSTALL, IDC_PARALLEL_CHECK, IDC_PORT_BUTTON,
                       IDC_PROGRESS, IDOK, INFO_CAPTION, INSTALL_TIMEOUT_MS,
                       INSTALLED_TEXT, MAIN_CAPTION, MESSAGE_TEXT, PORT_CAPTION,
                       PRINTER_PLUGGED_IN, answer_box, setup_script)
from test_install_flows import HOSTS, InstallFlowCase, box, main_window, port_dialog

SAMPLE_MS = 500
# A part of the window, in its own pixels as a snapshot shows it, that the robot covers
# with a window of its own for a moment: the status line and the picture around it.
COVERED = (300, 440, 360, 110)
# A part that the robot paints over from outside and marks for painting: the window
# must draw it again itself.
INVALIDATED = (60, 380, 120, 60)
COVER_COLOUR = (255, 0, 255)
PERCENT = re.compile(r"(\d+)%$")
END_TEXT = "安装过程已结束  100%"

# host: the first words of the status line at the moment of the first screenshot
FIRST_MOMENT = {
    "win7-64": "正在清除以前安装的打印机",
    "xp32": "正在复制驱动程序文件",
}


def snapshot_file(run, name):
    """The PNG that the harness made for the script's `snapshot <name>`."""
    return next(s["harness"]["file"] for s in run.steps_of("snapshot") if s["args"] == [name])


class LivenessCase(InstallFlowCase):
    def check_alive(self, samples, what):
        """No sample found the window hung or without an answer within a second."""
        self.check_true(samples, f"{what}: the robot took samples")
        dead = [s for s in samples if s["hung"] or not s["answered"] or s["replyMs"] > 1000]
        self.check_equal(dead, [], f"{what}: samples of a window that did not answer")

    def check_covered_part_repainted(self, png, what, part=COVERED):
        image = read_png(png)
        left, top, width, height = part
        left_over = [(x, y) for y in range(top, top + height, 2)
                     for x in range(left, left + width, 2)
                     if image.pixel(x, y) == COVER_COLOUR]
        self.check_equal(left_over[:5], [], f"{what}: pixels of the cover left on the window")


class RunLiveness(LivenessCase):
    @cases(FIRST_MOMENT)
    def test_window_answers_repaints_and_shows_progress(self, host_name, first_words):
        facts = HOSTS[host_name]
        host = self.open_host(host_name)
        host.install_dist()
        run = host.robot(setup_script(
            f"watch {IDC_PROGRESS} {SAMPLE_MS}",
            "sleep 600",
            # The click that starts the run, then a second click and a double click, all
            # as hardware input, early in the run.
            f"mouseclick {IDC_INSTALL}",
            "sleep 300",
            f"mouseclick {IDC_INSTALL}",
            "sleep 300",
            f"mouseclick {IDC_INSTALL} 2",
            "sleep 300",
            f"text {IDC_PROGRESS}",
            "snapshot run-1-early",
            # A click as a program posts it, which the run's next modal loop dispatches.
            f"click {IDC_INSTALL}",
            f"wait {PORT_CAPTION} {INSTALL_TIMEOUT_MS}",
            f"click {IDC_PARALLEL_CHECK}",
            f"click {IDC_PORT_BUTTON}",
            "gone",
            # In the pause after the parallel port's commands.
            f"wait {MAIN_CAPTION}",
            f"cover {' '.join(map(str, COVERED))} 600",
            f"invalidate {' '.join(map(str, INVALIDATED))}",
            # Well inside the 3 s pause, with room for a loaded machine.
            "sleep 500",
            "snapshot run-2-installing",
            f"wait {INFO_CAPTION} {INSTALL_TIMEOUT_MS}",
            f"text {MESSAGE_TEXT:#x}",
            f"wait {MAIN_CAPTION}",
            "snapshot run-3-end",
            "sleep 700",
            f"wait {INFO_CAPTION}",
            f"click {IDOK}",
            "gone",
            f"exit {INSTALL_TIMEOUT_MS}",
            "unwatch"))
        self.check_robot(run)
        samples = run.steps_of("unwatch")[0]["samples"]
        self.check_alive(samples, "whole run")

        # Before the click the window has no status line; it then only goes forward and
        # reaches its end, which shows while the outcome box is up.
        self.check_equal(samples[0]["text"], "", "status line before the click")
        texts = [s["text"] for s in samples if s["text"]]
        percents = [int(PERCENT.search(t).group(1)) for t in texts]
        self.check_equal(percents, sorted(percents), "status line percentages in order")
        self.check_equal(texts[-1], END_TEXT, "last status line")
        self.check_true(run.steps_of("text")[0]["text"].startswith(first_words),
                        f"status line early in the run: {run.steps_of('text')[0]['text']!r}")

        during_pause = snapshot_file(run, "run-2-installing")
        self.check_covered_part_repainted(during_pause, "covered part")
        self.check_covered_part_repainted(during_pause, "invalidated part", INVALIDATED)

        # One run: one port dialog, one outcome box, the commands started once.
        self.check_run(host, run, [main_window(), port_dialog("robot"),
                                   box(INSTALLED_TEXT, "robot")])
        self.check_commands(host, [facts.driver_command, facts.printer_command])


class PendingQuitDuringPause(LivenessCase):
    def test_box_after_a_pause_with_a_quit_pending_closes_at_once(self):
        # The user closes the verification box, whose failure posts quit; the staging
        # pauses that follow answer the robot's messages and repaint, and still leave
        # the quit for the copy failure's box, which closes at once, and for every
        # later dialog.
        facts = HOSTS["xp32"]
        missing = DRIVER_FILES[-1]
        host = self.open_host("xp32")
        host.install_dist(without=[f"{facts.variant}/{missing}"])
        host.set_devices(*PRINTER_PLUGGED_IN)
        missing_caption = "安装文件受损：找不到文件"
        run = host.robot(setup_script(
            f"click {IDC_INSTALL}",
            *answer_box(missing_caption),
            f"wait {MAIN_CAPTION}",
            f"watch {IDC_PROGRESS} 200",
            f"cover {' '.join(map(str, COVERED))} 300",
            "sleep 200",
            "snapshot pending-quit-covered",
            f"exit {INSTALL_TIMEOUT_MS}",
            "unwatch"))
        self.check_robot(run)
        self.check_alive(run.steps_of("unwatch")[0]["samples"], "pauses with a quit pending")
        self.check_covered_part_repainted(snapshot_file(run, "pending-quit-covered"),
                                          "covered part")
        dialogs = self.run_dialogs(host, run)
        self.check_equal([d[3] for d in dialogs],
                         ["itself", "robot"] + ["itself"] * (len(dialogs) - 2),
                         "who closed each dialog: only the verification box waited")
        self.check_equal(dialogs[-2:], [port_dialog("itself"), box(INSTALLED_TEXT, "itself")],
                         "the last two dialogs")
        self.check_commands(host, [])
