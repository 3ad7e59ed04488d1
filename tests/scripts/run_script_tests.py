#!/usr/bin/env python3
"""Runs the tests of the project's own commands and of the facts that several files
state (test_*.py beside this file).

    run_script_tests.py

Prints "N passed, N failed" last; the exit status is 0 only when nothing failed."""

import sys
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent


def main():
    suite = unittest.defaultTestLoader.discover(str(HERE), pattern="test_*.py",
                                                top_level_dir=str(HERE))
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    passed = result.testsRun - failed - len(result.skipped)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and not result.skipped else 1


if __name__ == "__main__":
    sys.exit(main())
