"""Runs the tests on parallel workers, each with a virtual display of its own, and
reports each test as it ends and a summary at the end."""

import queue
import threading
import time
import traceback
import unittest

from .context import set_worker_display

__unittest = True


class Outcome:
    def __init__(self, test, status, seconds, details):
        self.test = test
        self.status = status      # "PASS", "FAIL" or "SKIP"
        self.seconds = seconds
        self.details = details    # tracebacks or the reason of a skip


def _run_one(test):
    result = unittest.TestResult()
    start = time.monotonic()
    try:
        test(result)
    except Exception:  # a fault of the harness itself still counts as a failure
        result.errors.append((test, traceback.format_exc()))
    seconds = time.monotonic() - start
    problems = [text for _, text in result.failures + result.errors]
    problems += ["unexpected success"] * len(result.unexpectedSuccesses)
    if problems:
        return Outcome(test, "FAIL", seconds, problems)
    if result.skipped:
        return Outcome(test, "SKIP", seconds, [reason for _, reason in result.skipped])
    return Outcome(test, "PASS", seconds, [])


def run_on_workers(work, displays):
    """Runs work(display) on one thread per display and waits for all of them; the short
    joins keep the main thread able to take a signal."""
    workers = [threading.Thread(target=work, args=(d,), daemon=True) for d in displays]
    for worker in workers:
        worker.start()
    for worker in workers:
        while worker.is_alive():
            worker.join(0.5)


def run_tests(tests, displays, write):
    """Runs every test once; returns the outcomes in the order the tests ended."""
    pending = queue.Queue()
    for test in tests:
        pending.put(test)
    outcomes = []
    lock = threading.Lock()

    def work(display):
        set_worker_display(display)
        while True:
            try:
                test = pending.get_nowait()
            except queue.Empty:
                return
            outcome = _run_one(test)
            with lock:
                outcomes.append(outcome)
                write(f"{outcome.status}  {test.id()}  ({outcome.seconds:.1f} s)")
                for detail in outcome.details:
                    write("      " + detail.rstrip().replace("\n", "\n      "))

    run_on_workers(work, displays)
    return outcomes
