#!/usr/bin/env python3
"""Checks the resources compiled into a setup.exe against what its windows need.

    run_resources.py <setup.exe>

Prints each check and, last, "N passed, N failed"; the exit status is 0 only when
nothing failed."""

import os
import sys
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))


class CountingResult(unittest.TextTestResult):
    """Counts every subtest on its own, so that one slip shows as one failure."""

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.passed = 0
        self.failed = 0

    def addSuccess(self, test):
        super().addSuccess(test)
        self.passed += 1

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.failed += 1

    def addError(self, test, err):
        super().addError(test, err)
        self.failed += 1

    def addSubTest(self, test, subtest, outcome):
        super().addSubTest(test, subtest, outcome)
        if outcome is not None:
            self.failed += 1


def main(argv):
    if len(argv) != 1 or not Path(argv[0]).is_file():
        print(__doc__.strip(), file=sys.stderr)
        print("0 passed, 1 failed")
        return 2
    os.environ["SETUP_EXE"] = argv[0]
    suite = unittest.defaultTestLoader.discover(str(HERE), pattern="test_*.py",
                                                top_level_dir=str(HERE))
    runner = unittest.TextTestRunner(stream=sys.stdout, verbosity=2,
                                     resultclass=CountingResult)
    result = runner.run(suite)
    print(f"{result.passed} passed, {result.failed} failed")
    return 0 if result.failed == 0 and not result.skipped else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
