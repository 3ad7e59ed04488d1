#!/usr/bin/env python3
"""Runs the end-to-end tests of the installer under Wine.

    run_e2e.py --dist <shipping folder> --build <i686 build folder>
               [--build64 <x86_64 build folder>] [--work <folder>] [--jobs N]
               [--keep-copies] [pattern ...]

Prefixes are built once per host class and cached in <work>/prefixes (default work
folder: <i686 build folder>/e2e). The x86_64 build (default: the folder "win64" beside
the i686 build) gives the 64-bit device layer. Each test works on a fresh copy. Records and
screenshots of each test land in <work>/results/<test>/, the screenshots also in
<work>/screenshots/. The last line of the output is "N passed, N failed"; the exit
status is 0 only when nothing failed.

Patterns select the tests whose id contains one of them. Environment: E2E_DISPLAYS
(X display numbers the run may use, default "95 96 97 98 99"), E2E_WINEDEBUG.

With --not-run REASON nothing is started: the suites that would have run are listed as
not run, with the reason, and the last line counts them as skipped. The exit status is
then 0, or 1 when E2E_REQUIRED=1 (a machine that must prove everything)."""

import argparse
import os
import queue
import shutil
import signal
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
# The reader of setup.exe's resources, shared with the resource checks.
sys.path.insert(0, str(HERE.parent / "resources"))

from harness import display as xdisplay  # noqa: E402
from harness.context import RunContext, set_context  # noqa: E402
from harness.hosts import HOSTS  # noqa: E402
from harness.prefixes import ensure_pristine  # noqa: E402
from harness.runner import run_on_workers, run_tests  # noqa: E402
from harness.wine import kill_leftover_server, stop_all_sessions  # noqa: E402

TOOLS = ("wine", "wineserver", "Xvfb", "xwd", "/usr/bin/convert")
PROGRAMS = ("e2e_robot.exe", "e2e_boxhook.dll", "e2e_probe.exe", "e2e_rundll32.exe",
            "e2e_marker.dll", "newdev.dll")
# The few test programs that must be 64-bit, from the x86_64 build.
PROGRAMS_64 = ("e2e_marker.dll", "e2e_spooler.exe", "newdev.dll")


def write(line):
    print(line, flush=True)


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--dist", required=True, type=Path)
    parser.add_argument("--build", required=True, type=Path)
    # scripts/build.sh puts the two Windows builds side by side.
    parser.add_argument("--build64", type=Path)
    parser.add_argument("--work", type=Path)
    # Tests mostly wait on Wine, so one worker more than there are cores keeps them busy.
    parser.add_argument("--jobs", type=int,
                        default=int(os.environ.get("E2E_JOBS", (os.cpu_count() or 1) + 1)))
    parser.add_argument("--keep-copies", action="store_true")
    parser.add_argument("--not-run", metavar="REASON")
    parser.add_argument("patterns", nargs="*")
    args = parser.parse_args(argv)
    args.work = (args.work or args.build / "e2e").resolve()
    args.build64 = args.build64 or args.build.parent / "win64"
    return args


def missing_prerequisites(args, bin_dir, bin64_dir):
    problems = [f"missing tool {tool}" for tool in TOOLS if not shutil.which(tool)]
    problems += [f"missing {bin_dir / p} (build the i686 tree first)"
                 for p in PROGRAMS if not (bin_dir / p).is_file()]
    problems += [f"missing {bin64_dir / p} (build the x86_64 tree first)"
                 for p in PROGRAMS_64 if not (bin64_dir / p).is_file()]
    if not args.dist.is_dir():
        problems.append(f"no shipping folder {args.dist}")
    return problems


def collect_tests(patterns):
    suite = unittest.defaultTestLoader.discover(str(HERE), pattern="test_*.py",
                                                top_level_dir=str(HERE))
    tests = []

    def flatten(item):
        if isinstance(item, unittest.TestSuite):
            for child in item:
                flatten(child)
        else:
            tests.append(item)
    flatten(suite)
    if patterns:
        tests = [t for t in tests if any(p in t.id() for p in patterns)]
    return tests


def report_not_run(tests, reason):
    """The block that says which suites did not run and why; returns the exit status."""
    suites = {}
    for test in tests:
        suite = test.id().split(".")[0]
        suites[suite] = suites.get(suite, 0) + 1
    required = os.environ.get("E2E_REQUIRED") == "1"
    rule = "=" * 78
    write("")
    write(rule)
    write(f"END-TO-END TESTS NOT RUN: {len(tests)} tests in {len(suites)} suites")
    write(f"Why: {reason}.")
    for suite, count in sorted(suites.items()):
        write(f"  not run: {suite} ({count} tests)")
    write("To run them, run scripts/test.sh (or scripts/e2e.sh) on a machine whose kernel")
    write("runs 32-bit programs.")
    if required:
        write("E2E_REQUIRED=1: tests that did not run count as a failure.")
    write(rule)
    write(f"0 passed, {1 if required else 0} failed, {len(tests)} skipped")
    return 1 if required else 0


def build_prefixes(context, displays):
    """Builds the missing pristine prefixes, one per display at a time. Returns the
    names of those that failed."""
    names = queue.Queue()
    for name in HOSTS:
        names.put(name)
    failed = []

    def work(display):
        while True:
            try:
                name = names.get_nowait()
            except queue.Empty:
                return
            start = time.monotonic()
            try:
                path, built = ensure_pristine(context.work_dir / "prefixes", HOSTS[name],
                                              display, context.work_dir / "prefix-logs" / name)
                context.pristine[name] = path
                if built:
                    write(f"built prefix {name} in {time.monotonic() - start:.1f} s")
            except Exception as error:
                failed.append(name)
                write(f"prefix {name} could not be built: {error}")

    run_on_workers(work, displays)
    return failed


def _interrupt(signum, frame):
    raise KeyboardInterrupt


def main(argv=None):
    args = parse_args(argv)
    if args.not_run:
        return report_not_run(collect_tests(args.patterns), args.not_run)
    bin_dir = (args.build / "tests" / "e2e").resolve()
    bin64_dir = (args.build64 / "tests" / "e2e").resolve()
    problems = missing_prerequisites(args, bin_dir, bin64_dir)
    if problems:
        for problem in problems:
            write(f"e2e: {problem}")
        write("0 passed, 1 failed")
        return 1

    context = RunContext(bin_dir=bin_dir, bin64_dir=bin64_dir, dist_dir=args.dist.resolve(),
                         work_dir=args.work, keep_copies=args.keep_copies)
    set_context(context)
    if context.copies_dir.is_dir():
        for copy in context.copies_dir.iterdir():
            kill_leftover_server(copy)
    for stale in (context.results_dir, context.screenshots_dir, context.copies_dir):
        shutil.rmtree(stale, ignore_errors=True)
    tests = collect_tests(args.patterns)

    # An interrupted run still stops everything it started.
    signal.signal(signal.SIGTERM, _interrupt)
    candidates = [int(n) for n in os.environ.get("E2E_DISPLAYS", "95 96 97 98 99").split()]
    started = []
    start = time.monotonic()
    try:
        free = xdisplay.free_display_numbers(candidates)
        for number in free[:max(1, args.jobs)]:
            display = xdisplay.VirtualDisplay(number, context.work_dir / f"xvfb-{number}.log")
            started.append(display.start())
        names = [d.name for d in started]
        failed_prefixes = build_prefixes(context, names)
        outcomes = run_tests(tests, names, write)
    except KeyboardInterrupt:
        write("e2e: interrupted")
        stop_all_sessions()
        write("0 passed, 1 failed")
        return 1
    except xdisplay.DisplayError as error:
        write(f"e2e: {error}")
        write("0 passed, 1 failed")
        return 1
    finally:
        for display in started:
            display.stop()

    passed = sum(o.status == "PASS" for o in outcomes)
    failed = sum(o.status == "FAIL" for o in outcomes) + len(failed_prefixes)
    skipped = [o for o in outcomes if o.status == "SKIP"]
    write("")
    for outcome in outcomes:
        if outcome.status == "FAIL":
            write(f"failed: {outcome.test.id()}")
    for name in failed_prefixes:
        write(f"failed: prefix {name}")
    for outcome in skipped:
        write(f"skipped: {outcome.test.id()}: {'; '.join(outcome.details)}")
    for note in context.notes:
        write(f"known Wine difference: {note}")
    write(f"records and screenshots: {context.results_dir}")
    write(f"{len(tests)} tests on {len(started)} workers in {time.monotonic() - start:.0f} s")
    write(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
