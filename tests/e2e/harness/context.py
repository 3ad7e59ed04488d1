"""What the runner knows for the whole run, and which worker runs the current test."""

import threading
from dataclasses import dataclass, field
from pathlib import Path

__unittest = True


@dataclass
class RunContext:
    bin_dir: Path                 # the test programs of the i686 build
    bin64_dir: Path               # those of the x86_64 build (the device layer)
    dist_dir: Path                # the shipping folder under test
    work_dir: Path                # prefixes, copies, results and screenshots
    pristine: dict = field(default_factory=dict)   # host class name -> cached prefix
    keep_copies: bool = False     # keep each test's prefix copy for a post-mortem
    notes: list = field(default_factory=list)      # known Wine differences met
    lock: threading.Lock = field(default_factory=threading.Lock)

    @property
    def results_dir(self):
        return self.work_dir / "results"

    @property
    def screenshots_dir(self):
        return self.work_dir / "screenshots"

    @property
    def copies_dir(self):
        return self.work_dir / "copies"

    def note(self, text):
        with self.lock:
            self.notes.append(text)


_current = None
_worker = threading.local()


def set_context(context):
    global _current
    _current = context


def context():
    if _current is None:
        raise RuntimeError("the end-to-end tests run through run_e2e.py")
    return _current


def set_worker_display(display):
    _worker.display = display


def worker_display():
    return _worker.display
