"""The base class of the end-to-end tests: a fresh host per call of open_host, checks
that report the test's own file and line, tables of cases, and known Wine differences
that are stated, never passed silently."""

import inspect
import json
import os
import re
import unittest

from .context import context, worker_display
from .host import TestHost

__unittest = True

_HARNESS_DIR = os.path.dirname(os.path.abspath(__file__))


def _caller():
    """file:line of the innermost frame outside the harness: the test's own line."""
    for frame in inspect.stack()[1:]:
        if not os.path.abspath(frame.filename).startswith(_HARNESS_DIR):
            return f"{os.path.basename(frame.filename)}:{frame.lineno}"
    return "?"


def cases(table):
    """Runs the decorated test once per row of `table`: a dict from a case name to the
    row's further arguments (a tuple, or a single value), or a list of case names alone.
    The test gets the case name and then the row. Each row becomes a test of its own,
    named test_x__<case>, so that rows run in parallel and fail separately."""
    def mark(method):
        method._e2e_cases = table
        return method
    return mark


def _case_suffix(name):
    return re.sub(r"\W", "_", str(name))


class E2eTestCase(unittest.TestCase):
    maxDiff = None

    def __init_subclass__(cls, **kwargs):
        super().__init_subclass__(**kwargs)
        for attr, method in list(vars(cls).items()):
            table = getattr(method, "_e2e_cases", None)
            if table is None:
                continue
            delattr(cls, attr)
            rows = table.items() if isinstance(table, dict) else ((n, ()) for n in table)
            for case_name, row in rows:
                args = row if isinstance(row, tuple) else (row,)

                def test(self, _method=method, _case=case_name, _args=args):
                    return _method(self, _case, *_args)
                test.__name__ = f"{attr}__{_case_suffix(case_name)}"
                test.__doc__ = method.__doc__
                setattr(cls, test.__name__, test)

    # --- hosts
    def open_host(self, host_name):
        """A fresh copy of the host class's prefix, closed when the test ends."""
        run = context()
        host = TestHost(run, host_name, self.id(), worker_display())
        self.addCleanup(host.close)
        return host.open()

    # --- checks
    def fail_here(self, message):
        raise self.failureException(f"{_caller()}: {message}")

    def check_equal(self, actual, expected, what):
        if actual != expected:
            self.fail_here(f"{what}:\n  expected {expected!r}\n  actual   {actual!r}")

    def check_true(self, condition, what):
        if not condition:
            self.fail_here(what)

    def check_robot(self, run):
        """The robot ran its whole script."""
        if not run.ok:
            steps = "\n".join("    " + json.dumps(s, ensure_ascii=False) for s in run.steps[-6:])
            self.fail_here(f"robot: {run.failure}\n  last steps:\n{steps}")

    def check_boxes(self, boxes, expected, what="boxes"):
        """The dialogs that opened, as (caption, text) pairs in order; text None for a
        dialog that is not a message box."""
        actual = [(b.get("caption"), b.get("text")) for b in boxes]
        self.check_equal(actual, list(expected), what)

    def check_ended_by_itself(self, run):
        """The robot ran its whole script, whose exit step saw the started program end
        (a script that ends a program itself closes its window before that step).
        Returns the exit code."""
        self.check_robot(run)
        exits = run.steps_of("exit")
        if len(exits) != 1:
            self.fail_here(f"the script has {len(exits)} exit steps, not one")
        return exits[0].get("code")

    def known_wine_difference(self, what, actual, wine, windows):
        """Wine gives `wine` where Windows gives `windows`. The check holds Wine to its
        known behaviour and the run lists the difference, so a change on either side is
        seen."""
        if actual == windows and windows != wine:
            self.fail_here(f"{what}: Wine now behaves as Windows ({windows!r}); "
                           f"drop the known difference")
        self.check_equal(actual, wine, f"{what} (known Wine difference; Windows: {windows!r})")
        context().note(f"{self.id()}: {what}: Wine gives {wine!r}, Windows {windows!r}")
