"""Running the robot with a script in a test prefix, and answering its screenshot
requests while it runs."""

import json
import os
from pathlib import Path

from . import display
from .records import read_json_lines

__unittest = True

ROBOT = r"C:\e2e\bin\e2e_robot.exe"
SCRIPT = r"C:\e2e\script.txt"
LOG = r"C:\e2e\robot.jsonl"
SYNC = r"C:\e2e\sync"


class RobotRun:
    """What one robot run logged: one step per command that ran."""

    def __init__(self, returncode, steps, first_box_event=0):
        self.returncode = returncode
        self.steps = steps
        # How many box-hook events the prefix had logged before this run.
        self.first_box_event = first_box_event

    @property
    def ok(self):
        return self.returncode == 0 and all(step.get("ok") for step in self.steps)

    @property
    def failure(self):
        """A readable reason when the run did not complete, else None."""
        if self.ok:
            return None
        failed = [s for s in self.steps if not s.get("ok")]
        if failed:
            s = failed[0]
            where = f"script line {s['line']}: " if "line" in s else ""
            return (f"{where}{s.get('verb', '')} {' '.join(s.get('args', []))}: "
                    f"{s.get('error')}")
        return f"robot exit code {self.returncode} after {len(self.steps)} steps"

    def steps_of(self, verb):
        return [s for s in self.steps if s.get("verb") == verb]

    @property
    def started_pid(self):
        """The process id of the program that the script started, or None."""
        started = self.steps_of("start")
        return started[0].get("pid") if started and started[0].get("ok") else None

    def attributes(self):
        """What the `attributes` steps saw: path -> attributes (-1 for a missing
        file)."""
        return {s["args"][0]: s["attributes"] for s in self.steps_of("attributes")
                if s.get("ok")}


def script_word(text):
    """`text` as one argument of a script line, quoted when it holds blanks or
    quotes."""
    if text and not any(c in text for c in ' \t"'):
        return text
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class SnapshotResponder:
    """Photographs the windows that the robot asks for and tells it when done."""

    def __init__(self, session, out_dir, on_shot):
        self._session = session
        self._sync = session.unix_path(SYNC)
        self._out_dir = Path(out_dir)
        self._on_shot = on_shot

    def poll(self):
        if not self._sync.exists():
            return
        for request_path in sorted(self._sync.glob("*.request")):
            request = json.loads(request_path.read_text(encoding="utf-8"))
            request_path.unlink()
            png = self._out_dir / f"{request['name']}.png"
            try:
                display.photograph(self._session.display, request["xid"], png)
                answer = {"ok": True, "file": str(png)}
                self._on_shot(request["name"], png)
            except Exception as error:  # the robot logs the harness's reason
                answer = {"ok": False, "error": str(error)}
            # Renamed into place, so that the robot never reads an answer half written.
            draft = request_path.with_suffix(".answer")
            draft.write_text(json.dumps(answer))
            os.replace(draft, request_path.with_suffix(".done"))


def run_robot(session, script, out_dir, timeout, on_shot=lambda name, path: None):
    script_path = session.unix_path(SCRIPT)
    log_path = session.unix_path(LOG)
    script_path.write_text(script, encoding="utf-8")
    log_path.unlink(missing_ok=True)
    responder = SnapshotResponder(session, out_dir, on_shot)
    process = session.launch(ROBOT, SCRIPT, LOG, name="robot")
    returncode = session.wait(process, timeout, poll=responder.poll)
    return RobotRun(returncode, read_json_lines(log_path))
