"""The exit codes of SilentSetup.exe as the program defines them: the enum of
silent/ExitCodes.h (name and number, in its order), the list of every code beside it,
and the words of ExitCodeMeaning in silent/ExitCodes.cpp. The end-to-end tests expect
these; tests/sources holds README.md's and docs/deployment.md's tables against them."""

import re
from pathlib import Path

SILENT = Path(__file__).resolve().parents[2] / "silent"


def _header():
    return (SILENT / "ExitCodes.h").read_text("utf-8")


def _enum_body():
    return re.search(r"enum ExitCode : int \{(.*?)\};", _header(), re.S).group(1)


# name -> number, in the enum's order.
CODES = {name: int(number) for name, number in
         re.findall(r"^\s*(kExit\w+)\s*=\s*(\d+),", _enum_body(), re.M)}
# The names of the list of every code, in its order.
LISTED = re.findall(r"kExit\w+", re.search(r"kExitCodes\[\] = \{(.*?)\};", _header(),
                                           re.S).group(1))
# name -> the words ExitCodeMeaning gives for it.
MEANINGS = dict(re.findall(r'case (kExit\w+):\s*return "([^"]*)";',
                           (SILENT / "ExitCodes.cpp").read_text("utf-8")))


def meaning(number):
    """What the log and the usage text say of an exit code."""
    names = [name for name, value in CODES.items() if value == number]
    return MEANINGS[names[0]]
