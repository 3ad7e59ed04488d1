"""One test's host: a fresh copy of a host class's pristine prefix, with its own running
wineserver, the test programs installed and C:\\e2e ready for their records."""

import re
import shutil
import stat
import time
from pathlib import PureWindowsPath

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
# The device layer, built in both bitnesses under the system's own name.
DEVICE_LAYER = "newdev.dll"
DEVICE_SCRIPT = r"C:\e2e\devices.txt"
DEVICE_LOG = r"C:\e2e\devices.jsonl"
SETUP_PROCESS = "setup.exe"
BOX_LOG = r"C:\e2e\boxes.jsonl"
MARKER = "e2e_marker.dll"
MARKER_LOG = r"C:\e2e\markers.jsonl"
# The printer-setup double in the rundll32 stand-in: its script and its log.
PRINTUI_SCRIPT = r"C:\e2e\printui.txt"
PRINTUI_LOG = r"C:\e2e\printui.jsonl"
# The registry value listing of reg.exe's query: "    <name>    REG_SZ    <data>".
REG_VALUE_LINE = re.compile(r"^\s+(\S+)\s+(REG_\w+)\s+(.*?)\s*$")


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
        for program in self._test_programs():
            shutil.copy2(program, self.path(BIN))
        self._install_rundll32_stand_in()
        self._install_device_layer()
        self.session.start_server()
        return self

    def _test_programs(self):
        """The required programs and every further e2e_* program of the build, except
        the stand-in, which goes where the system's rundll32 is."""
        bin_dir = self._context.bin_dir
        further = sorted(p for p in bin_dir.glob("e2e_*")
                         if p.suffix.lower() in (".exe", ".dll")
                         and p.name not in PROGRAMS and p.name != RUNDLL32_STAND_IN)
        return [bin_dir / p for p in PROGRAMS] + further

    def _install_rundll32_stand_in(self):
        # The prefix's own file is shared with the pristine prefix: replace the link,
        # never write through it.
        target = self._copy / "drive_c" / self.host_class.system_dir / "rundll32.exe"
        target.unlink(missing_ok=True)
        shutil.copy2(self._context.bin_dir / RUNDLL32_STAND_IN, target)

    def _install_device_layer(self):
        """Our newdev.dll in place of Wine's, whose update succeeds for any hardware id:
        the 32-bit one where a 32-bit program looks, the 64-bit one in a 64-bit
        prefix's system32. Loaded as native by every program of the session, children
        included."""
        drive_c = self._copy / "drive_c"
        places = [(self._context.bin_dir, drive_c / self.host_class.system_dir)]
        if self.host_class.is_64bit:
            places.append((self._context.bin64_dir, drive_c / "windows" / "system32"))
        for build, folder in places:
            target = folder / DEVICE_LAYER
            target.unlink(missing_ok=True)
            shutil.copy2(build / DEVICE_LAYER, target)
        self.session.add_dll_overrides("newdev=n")

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
        for name in ("boxes.jsonl", "robot.jsonl", "script.txt", "probe.jsonl",
                     "devices.txt", "devices.jsonl", "printui.txt", "printui.jsonl"):
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

    def install_dist(self, without=(), read_only=()):
        """Copies the shipping folder under test to C:\\dist, leaving out the given
        relative paths (such as "i386/UNIDRV.HLP") and making others read-only."""
        source = self._context.dist_dir
        if not (source / "setup.exe").is_file():
            raise FileNotFoundError(f"no setup.exe in the shipping folder {source}")
        target = self.path(DIST)
        shutil.copytree(source, target)
        for relative in without:
            (target / relative).unlink()
        for relative in read_only:
            self.set_read_only(str(PureWindowsPath(DIST, relative)))
        return DIST

    # --- libraries
    def copy_program(self, program, windows_dir, names=None, is_64bit=False):
        """Copies a test program of the i686 build, or of the x86_64 build, into a folder
        of drive C, under its own name or under each of `names`."""
        source = (self._context.bin64_dir if is_64bit else self._context.bin_dir) / program
        folder = self.path(windows_dir)
        folder.mkdir(parents=True, exist_ok=True)
        for name in names or [program]:
            shutil.copy2(source, folder / name)

    def plant_markers(self, windows_dir, names, is_64bit=False):
        """Puts the marker library (win32/marker) into a folder of drive C under each of
        `names`: a process that loads one of them logs it and that load fails."""
        self.copy_program(MARKER, windows_dir, names, is_64bit)

    def loaded_markers(self):
        """Every load of a planted marker so far: (marker path, program path) pairs, as
        paths that compare as Windows compares them (the loader may give the name in the
        case that the importer wrote)."""
        return [(PureWindowsPath(e["marker"]), PureWindowsPath(e["process"]))
                for e in records.read_json_lines(self.path(MARKER_LOG))]

    # --- files of drive C, as the test arranges them
    def write_file(self, windows_path, data, read_only=False):
        """A file with these bytes (its folder made when missing)."""
        target = self.path(windows_path)
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
        if read_only:
            self.set_read_only(windows_path)
        return target

    def set_read_only(self, windows_path):
        """Wine reports FILE_ATTRIBUTE_READONLY for a file without write permission."""
        target = self.path(windows_path)
        target.chmod(stat.S_IMODE(target.stat().st_mode) & ~0o222)

    def remove(self, windows_path):
        """Removes a file or a whole folder; nothing when it is missing."""
        target = self.path(windows_path)
        if target.is_dir() and not target.is_symlink():
            shutil.rmtree(target)
        else:
            target.unlink(missing_ok=True)

    def read_bytes(self, windows_path):
        """A file's bytes, or None when it is missing."""
        target = self.path(windows_path)
        return target.read_bytes() if target.is_file() else None

    def added_files(self, windows_dir):
        """The names of the files in a folder of drive C that the host class's pristine
        prefix does not have, sorted."""
        pristine = self._context.pristine[self.name] / "drive_c"
        relative = PureWindowsPath(windows_dir).parts[1:]
        before = pristine.joinpath(*relative)
        had = {p.name for p in before.iterdir() if p.is_file()} if before.is_dir() else set()
        return [name for name in self.files(windows_dir) if name not in had]

    def set_devices(self, *lines):
        """Writes the device script: what is plugged in and what the device layer's
        functions answer (tests/e2e/README.md). No script: nothing is plugged in."""
        self.write_file(DEVICE_SCRIPT, ("\n".join(lines) + "\n").encode("utf-8"))

    def device_calls(self):
        """Every call that reached the device layer, in order, as it logged them."""
        return records.read_json_lines(self.path(DEVICE_LOG))

    def set_printui(self, *lines):
        """Writes the printer-setup double's script (tests/e2e/README.md): with it the
        rundll32 stand-in does what the system's printer-setup command does through the
        spooler. No script: it only records its start, as Wine's command does nothing."""
        self.write_file(PRINTUI_SCRIPT, ("\n".join(lines) + "\n").encode("utf-8"))

    def printui_calls(self):
        """Every command that the printer-setup double carried out, in order."""
        return records.read_json_lines(self.path(PRINTUI_LOG))

    def registry_values(self, key, view=None):
        """The values of a key under HKEY_LOCAL_MACHINE as reg.exe of the prefix lists
        them, {name: data}; None when the key is missing. `view` 32 or 64 picks a
        registry view (reg's /reg:32, /reg:64), as a 32-bit or 64-bit program sees it."""
        args = ["query", rf"HKLM\{key}"] + ([f"/reg:{view}"] if view else [])
        code, output = self.session.run_for_output("reg", *args, name="reg")
        if code != 0:
            return None
        values = {}
        for line in output.decode("gbk", errors="replace").splitlines():
            found = REG_VALUE_LINE.match(line)
            if found:
                values[found.group(1)] = found.group(3)
        return values

    def robot(self, script, timeout=120):
        # The box log holds every earlier run of the prefix too.
        earlier = len(self._box_events())
        run = run_robot(self.session, script, self.results, timeout, self._on_shot)
        run.first_box_event = earlier
        return run

    def _box_events(self):
        return records.read_json_lines(self.path(BOX_LOG))

    def _on_shot(self, name, png):
        shots = self._context.screenshots_dir
        shots.mkdir(parents=True, exist_ok=True)
        shutil.copy2(png, shots / f"{self.name}-{name}.png")

    # --- records
    def boxes(self, event="open", process=None):
        """The dialogs that the box hook saw, in the order they opened."""
        return records.box_events(self._box_events(), event, process)

    def dialogs(self, run, process=SETUP_PROCESS):
        """The dialogs of a process in the order they opened (records.Dialog), each with
        the way it closed: "robot" when the robot worked it until it was gone,
        "itself" when it closed without the robot, and None while it is open."""
        # Only this run's events: a prefix may have run the program before, and Wine
        # gives process ids out again.
        events = self._box_events()[run.first_box_event:]
        if run.started_pid is not None:
            events = [e for e in events if e.get("pid") == run.started_pid]
        return records.dialogs(events, run.steps, process)

    def commands(self, at_least=0, timeout=10):
        """The printer-setup commands, in the order they were started. Nobody waits
        for them, so a command started just before the program ended may not have
        written its record yet: with `at_least`, waits up to `timeout` seconds for that
        many."""
        deadline = time.monotonic() + timeout
        while True:
            started = records.read_commands(self.path(r"C:\e2e\commands"))
            if len(started) >= at_least or time.monotonic() > deadline:
                return started
            time.sleep(0.1)

    def files(self, windows_dir):
        """The names of the files in a folder of drive C, sorted; [] when it is missing."""
        folder = self.path(windows_dir)
        return sorted(p.name for p in folder.iterdir() if p.is_file()) if folder.is_dir() else []
