"""One test's host: a fresh copy of a host class's pristine prefix, with its own running
wineserver, the test programs installed and C:\\e2e ready for their records."""

import shutil

from . import records
from .hosts import HOSTS
from .prefixes import fresh_copy
from .robot import run_robot
from .wine import WineSession

__unittest = True

BIN = r"C:\e2e\bin"
DIST = r"C:\dist"
PROGRAMS = ("e2e_robot.exe", "e2e_boxhook.dll", "e2e_probe.exe")
RUNDLL32_STAND_IN = "e2e_rundll32.exe"


class TestHost:
    def __init__(self, context, host_name, test_id, display):
        self.host_class = HOSTS[host_name]
        self.name = host_name
        self._context = context
        self._test_id = test_id
        self.results = context.results_dir / test_id / host_name
        self._copy = context.copies_dir / f"{test_id}-{host_name}"
        self.session = WineSession(self._copy, display, self.results)
        self._opened = False

    # --- life
    def open(self):
        pristine = self._context.pristine.get(self.name)
        if pristine is None:
            raise RuntimeError(f"no prefix for {self.name}: its build failed "
                               f"(see {self._context.work_dir / 'prefix-logs'})")
        shutil.rmtree(self._copy, ignore_errors=True)
        self.results.mkdir(parents=True, exist_ok=True)
        fresh_copy(pristine, self._copy)
        self._opened = True
        for folder in (r"C:\e2e", BIN, r"C:\e2e\commands", r"C:\e2e\sync"):
            self.path(folder).mkdir(parents=True, exist_ok=True)
        for program in PROGRAMS:
            shutil.copy2(self._context.bin_dir / program, self.path(BIN))
        self._install_rundll32_stand_in()
        self.session.start_server()
        return self

    def _install_rundll32_stand_in(self):
        # The prefix's own file is shared with the pristine prefix: replace the link,
        # never write through it.
        target = self._copy / "drive_c" / self.host_class.system_dir / "rundll32.exe"
        target.unlink(missing_ok=True)
        shutil.copy2(self._context.bin_dir / RUNDLL32_STAND_IN, target)

    def close(self):
        if not self._opened:
            return
        self._opened = False
        try:
            self.session.stop_server()
        finally:
            self._keep_records()
            if not self._context.keep_copies:
                shutil.rmtree(self._copy, ignore_errors=True)

    def _keep_records(self):
        e2e = self.path(r"C:\e2e")
        for name in ("boxes.jsonl", "robot.jsonl", "script.txt", "probe.jsonl"):
            if (e2e / name).exists():
                shutil.copy2(e2e / name, self.results / name)
        if any((e2e / "commands").glob("*")):
            shutil.copytree(e2e / "commands", self.results / "commands", dirs_exist_ok=True)

    # --- places
    def path(self, windows_path):
        """The Unix path of a path on the prefix's drive C."""
        return self.session.unix_path(windows_path)

    # --- programs
    def probe(self, timeout=60):
        """The installer's host classification as it runs on this host."""
        log = r"C:\e2e\probe.jsonl"
        code = self.session.run(rf"{BIN}\e2e_probe.exe", log, timeout=timeout)
        lines = records.read_json_lines(self.path(log))
        return code, lines

    def install_dist(self, without=()):
        """Copies the shipping folder under test to C:\\dist, leaving out the given
        relative paths (such as "i386/UNIDRV.HLP")."""
        source = self._context.dist_dir
        if not (source / "setup.exe").is_file():
            raise FileNotFoundError(f"no setup.exe in the shipping folder {source}")
        target = self.path(DIST)
        shutil.copytree(source, target)
        for relative in without:
            (target / relative).unlink()
        return DIST

    def robot(self, script, timeout=120):
        return run_robot(self.session, script, self.results, timeout, self._on_shot)

    def _on_shot(self, name, png):
        shots = self._context.screenshots_dir
        shots.mkdir(parents=True, exist_ok=True)
        shutil.copy2(png, shots / f"{self.name}-{name}.png")

    # --- records
    def boxes(self, event="open", process=None):
        """The dialogs that the box hook saw, in the order they opened."""
        return records.box_events(records.read_json_lines(self.path(r"C:\e2e\boxes.jsonl")),
                                  event, process)

    def commands(self):
        """The printer-setup commands, in the order they were started."""
        return records.read_commands(self.path(r"C:\e2e\commands"))

    def files(self, windows_dir):
        """The names of the files in a folder of drive C, sorted; [] when it is missing."""
        folder = self.path(windows_dir)
        return sorted(p.name for p in folder.iterdir() if p.is_file()) if folder.is_dir() else []
