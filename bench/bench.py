#!/usr/bin/env python3
"""Times whole install runs of the shipping folder's setup.exe under Wine and prints,
for each host, the program's time against the floor that its fixed pauses make, its
peak memory, and the sizes of setup.exe and Setup64.exe.

    bench/run.sh [--build-root DIR] [--work DIR] [--no-build] [--repeats N]
                 [--hosts NAME ...] [--prefix-cache DIR] [--no-profile]

Each run works a fresh copy of the host's prefix (the end-to-end tests' recipe and
cache) with the recording rundll32 installed, so the printer-setup commands do
nothing: the user clicks the install button, ticks the parallel port, confirms, and
presses OK on the closing box. Each host is run with the INF directory as Wine leaves
it, with 100 staged INF files of other printers in it, and (where the removal searches
them) with eight staged INF files of 200 MB each. A profile on the 64-bit host
then shows where the time goes: the installer's own install sequence with every system
call timed, the calls of one pass over a file, and the text search alone. The tables go
to stdout and to <work>/bench-results.txt (and .json). Environment: BENCH_DISPLAYS (X
display numbers the bench may use; default "94 95 96 97 98 99")."""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
TOP = HERE.parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(TOP / "tests" / "e2e"))

from harness import display as xdisplay  # noqa: E402
from harness.hosts import HOSTS  # noqa: E402
from harness.prefixes import ensure_pristine, fresh_copy  # noqa: E402
from harness.wine import WineSession, stop_all_sessions  # noqa: E402

import oem_infs  # noqa: E402
import programs  # noqa: E402
import report  # noqa: E402
from memory import PeakWatch  # noqa: E402

BENCH = r"C:\bench"
DIST = r"C:\dist"
INF_DIR = r"C:\windows\inf"
COMMANDS = r"C:\e2e\commands"   # where the recording rundll32 writes
RUNDLL32_STAND_IN = "e2e_rundll32.exe"
INF_FILES = 100
INSTALLED_TEXT = "打印机安装成功!"
RUN_TIMEOUT_S = 180


def write(line=""):
    print(line, flush=True)


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build-root", type=Path, default=TOP / "build")
    parser.add_argument("--work", type=Path, help="default: <build root>/bench")
    parser.add_argument("--no-build", action="store_true",
                        help="use the build root as it is (it must match the sources: "
                             "the profile links their headers with its libraries)")
    parser.add_argument("--repeats", type=int, default=2)
    parser.add_argument("--hosts", nargs="+", default=["win10-64", "xp32"],
                        choices=sorted(HOSTS))
    parser.add_argument("--prefix-cache", type=Path,
                        help="default: the end-to-end tests' cache, "
                             "<build root>/win32/e2e/prefixes")
    parser.add_argument("--no-profile", action="store_true")
    args = parser.parse_args(argv)
    args.build_root = args.build_root.resolve()
    args.work = (args.work or args.build_root / "bench").resolve()
    args.prefix_cache = (args.prefix_cache
                         or args.build_root / "win32" / "e2e" / "prefixes").resolve()
    return args


class Bench:
    def __init__(self, args, display, bins):
        self.args = args
        self.display = display
        self.bins = bins
        self.dist = args.build_root / "dist"
        self.stand_in = args.build_root / "win32" / "tests" / "e2e" / RUNDLL32_STAND_IN
        self.pristine = {}
        self.runs = 0
        self.removal_names = []

    # --- prefixes
    def prefix(self, host_name):
        if host_name not in self.pristine:
            start = time.monotonic()
            path, built = ensure_pristine(self.args.prefix_cache, HOSTS[host_name],
                                          self.display, self.args.work / "prefix-logs")
            if built:
                write(f"built prefix {host_name} in {time.monotonic() - start:.0f} s")
            self.pristine[host_name] = path
        return self.pristine[host_name]

    def open_copy(self, host_name, label, inf_files, large_infs=False):
        """A fresh prefix copy with the shipping folder, the bench's programs and the
        recording rundll32, the given INF files and, if asked, the very large ones; its
        server running."""
        host = HOSTS[host_name]
        self.runs += 1
        copy = self.args.work / "copies" / f"{self.runs:02d}-{host_name}-{label}"
        shutil.rmtree(copy, ignore_errors=True)
        fresh_copy(self.prefix(host_name), copy)
        session = WineSession(copy, self.display, self.args.work / "logs" / copy.name)
        for folder in (BENCH, COMMANDS):
            session.unix_path(folder).mkdir(parents=True, exist_ok=True)
        for program in self.bins.values():
            shutil.copy2(program, session.unix_path(BENCH))
        # The prefix's own rundll32 is a hard link into the cache: replace the link.
        rundll32 = copy / "drive_c" / host.system_dir / "rundll32.exe"
        rundll32.unlink(missing_ok=True)
        shutil.copy2(self.stand_in, rundll32)
        shutil.copytree(self.dist, session.unix_path(DIST))
        inf_dir = session.unix_path(INF_DIR)
        already = sorted(p.name for p in inf_dir.glob("oem*.inf"))
        if already:
            raise RuntimeError(f"the pristine prefix of {host_name} holds {already}")
        for name, data in inf_files.items():
            (inf_dir / name).write_bytes(data)
        if large_infs:
            oem_infs.write_large_inf_files(inf_dir, self.removal_names)
        session.start_server()
        return session

    def close_copy(self, session):
        try:
            session.stop_server()
        finally:
            shutil.rmtree(session.prefix, ignore_errors=True)

    # --- programs
    def run_watched(self, session, args, watched):
        """Runs a bench program to its end while following the process that runs the
        watched program (file name and arguments)."""
        watch = PeakWatch(session.prefix, *watched)
        process = session.launch(*args)
        code = session.wait(process, RUN_TIMEOUT_S, poll=watch.poll)
        watch.finish()
        return code, watch

    def run_reference(self, session):
        """A minimal Wine GUI program: one message box, answered."""
        _, watch = self.run_watched(
            session, [BENCH + "\\" + programs.STOPWATCH, BENCH + r"\reference.json",
                      "--reference"], (programs.STOPWATCH, ["--show-box"]))
        return watch

    def facts(self):
        """What the logic itself says: the removal names and the driver file count."""
        session = self.open_copy("xp32", "facts", {})
        try:
            out = BENCH + r"\facts.json"
            session.run(BENCH + "\\" + programs.FACTS, out, timeout=60)
            return json.loads(session.unix_path(out).read_text())
        finally:
            self.close_copy(session)

    def install_run(self, host_name, config, inf_files):
        session = self.open_copy(host_name, config, inf_files if config == "infs" else {},
                                 large_infs=config == "large")
        try:
            # Brings up Wine's services, which the first program of a prefix starts,
            # before anything is timed.
            self.run_reference(session)
            result_path = BENCH + r"\result.json"
            code, watch = self.run_watched(
                session, [BENCH + "\\" + programs.STOPWATCH, result_path,
                          DIST + r"\setup.exe", DIST], ("setup.exe",))
            result = json.loads(session.unix_path(result_path).read_text(encoding="utf-8"))
            reference = self.run_reference(session)
            commands = sorted(session.unix_path(COMMANDS).glob("*.txt"))
            command_lines = [p.read_bytes().decode("gbk").split("\n")[0] for p in commands]
        finally:
            self.close_copy(session)
        problems = []
        if code != 0 or not result.get("ok"):
            problems.append(result.get("failure", f"stopwatch exit code {code}"))
        if result.get("boxText") != INSTALLED_TEXT:
            problems.append(f"closing box says {result.get('boxText')!r}")
        if not any('"LPT1:"' in line for line in command_lines):
            problems.append(f"no printer command for LPT1: among {command_lines}")
        return {
            "host": host_name, "config": config, "problems": problems,
            "times": result, "commands": len(command_lines),
            "peak_kib": watch.peak_kib, "peak_anon_kib": watch.peak_anon_kib,
            "cpu_ms": watch.cpu_ms, "machine_busy": watch.machine_busy,
            "reference_peak_kib": reference.peak_kib,
            "reference_peak_anon_kib": reference.peak_anon_kib,
        }

    def profile(self, host_name, with_infs, inf_files):
        """The install profile in a fresh prefix copy: it installs for real."""
        session = self.open_copy(host_name, "profile", inf_files if with_infs else {})
        try:
            out = BENCH + r"\profile.json"
            code = session.run(BENCH + "\\" + programs.PROFILE, out, DIST,
                               timeout=RUN_TIMEOUT_S)
            if code != 0:
                raise RuntimeError(f"the install profile failed with {code}")
            return json.loads(session.unix_path(out).read_text(encoding="utf-8"))
        finally:
            self.close_copy(session)


def build(args):
    env = dict(os.environ, RT450_WERROR=os.environ.get("RT450_WERROR", "ON"))
    start = time.monotonic()
    completed = subprocess.run([str(TOP / "scripts" / "build.sh"), str(args.build_root)],
                               env=env, stdin=subprocess.DEVNULL)
    if completed.returncode != 0:
        raise RuntimeError("scripts/build.sh failed")
    write(f"built {args.build_root} in {time.monotonic() - start:.0f} s")


def _interrupt(signum, frame):
    raise KeyboardInterrupt


def main(argv=None):
    args = parse_args(argv)
    if not args.no_build:
        build(args)
    for needed in (args.build_root / "dist" / "setup.exe",
                   args.build_root / "win32" / "tests" / "e2e" / RUNDLL32_STAND_IN):
        if not needed.is_file():
            write(f"bench: missing {needed}")
            return 1
    args.work.mkdir(parents=True, exist_ok=True)
    shutil.rmtree(args.work / "copies", ignore_errors=True)
    shutil.rmtree(args.work / "logs", ignore_errors=True)
    bins = programs.build_programs(args.build_root / "win32", args.work / "bin",
                                   with_profile=not args.no_profile)
    if not args.no_profile and programs.PROFILE not in bins:
        write(f"bench: no profile: {args.build_root} was not built from {TOP}")

    signal.signal(signal.SIGTERM, _interrupt)
    candidates = [int(n) for n in os.environ.get("BENCH_DISPLAYS",
                                                 "94 95 96 97 98 99").split()]
    display = None
    start = time.monotonic()
    load_at_start = os.getloadavg()[0]
    try:
        number = xdisplay.free_display_numbers(candidates)[0]
        display = xdisplay.VirtualDisplay(number, args.work / f"xvfb-{number}.log").start()
        bench = Bench(args, display.name, bins)
        facts = bench.facts()
        names = [bytes.fromhex(n) for n in facts["removalNames"]]
        bench.removal_names = names
        inf_files = oem_infs.make_inf_files(INF_FILES, names)
        # Repeats go round all configurations, so a slow spell of the machine spreads
        # over them rather than landing on one.
        runs = []
        for repeat in range(args.repeats):
            for host_name in args.hosts:
                for config in report.configs(host_name):
                    run = bench.install_run(host_name, config, inf_files)
                    runs.append(run)
                    write(report.progress_line(run, repeat))
        profiles = None
        profiled = next((h for h in args.hosts if HOSTS[h].is_64bit), None)
        if programs.PROFILE in bins and profiled:
            profiles = {with_infs: bench.profile(profiled, with_infs, inf_files)
                        for with_infs in (False, True)}
    except KeyboardInterrupt:
        write("bench: interrupted")
        stop_all_sessions()
        return 1
    finally:
        if display:
            display.stop()

    text = report.render(args, facts, inf_files, runs, profiled, profiles,
                         (load_at_start, os.getloadavg()[0]))
    write()
    write(text)
    write(f"(bench took {time.monotonic() - start:.0f} s)")
    (args.work / "bench-results.txt").write_text(text + "\n", encoding="utf-8")
    (args.work / "bench-results.json").write_text(
        json.dumps({"facts": facts, "runs": runs,
                    "profiles": profiles and {str(k): v for k, v in profiles.items()}},
                   indent=1,
                   ensure_ascii=False), encoding="utf-8")
    write(f"written to {args.work / 'bench-results.txt'} and .json")
    return 1 if any(r["problems"] for r in runs) else 0


if __name__ == "__main__":
    sys.exit(main())
