"""The exit codes of SilentSetup.exe have one source, the enum of silent/ExitCodes.h with
the words of ExitCodes.cpp: the end-to-end tests take them from there
(tests/e2e/exit_codes.py), and the tables of README.md and docs/deployment.md must list
the same codes in the same order."""

import sys
import unittest
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(TOP / "tests" / "e2e"))

from exit_codes import CODES, LISTED, MEANINGS  # noqa: E402

# Columns: the document, the header row of its table of exit codes.
TABLES = (
    ("README.md", "| Exit code | Meaning |"),
    ("docs/deployment.md", "| Code | Meaning | Deployment tools |"),
)


# What a deployment tool must make of a code: the printer is there or waits for its
# cable; another install holds the PC, so the same run later will do; else it failed.
SUCCESS = {CODES["kExitSuccess"], CODES["kExitWaitingForUsbDevice"]}
RETRY = {CODES["kExitAnotherInstallRunning"]}


def table_rows(text, header):
    """The cells of each row of the Markdown table under the header row."""
    lines = text.splitlines()
    rows = []
    for row in lines[lines.index(header) + 2:]:
        if not row.startswith("|"):
            break
        rows.append([cell.strip() for cell in row.split("|")[1:-1]])
    return rows


def first_column(text, header):
    """The numbers in the first column of the Markdown table under the header row."""
    return [int(cells[0]) for cells in table_rows(text, header)]


class TheExitCodes(unittest.TestCase):
    def test_the_program_lists_and_words_each_code_of_its_enum_once(self):
        self.assertEqual(LISTED, list(CODES), "kExitCodes against the enum")
        self.assertEqual(sorted(MEANINGS), sorted(CODES), "the codes ExitCodeMeaning words")
        self.assertEqual(len(set(CODES.values())), len(CODES), "one number per code")

    def test_the_documents_tables_list_the_programs_codes(self):
        for document, header in TABLES:
            with self.subTest(document=document):
                text = (TOP / document).read_text("utf-8")
                self.assertEqual(first_column(text, header), list(CODES.values()))

    def test_the_deployment_guide_tells_success_only_for_the_codes_of_success(self):
        text = (TOP / "docs/deployment.md").read_text("utf-8")
        for cells in table_rows(text, TABLES[1][1]):
            code, verdict = int(cells[0]), cells[2].split()[0]
            expected = ("success" if code in SUCCESS else
                        "retry" if code in RETRY else "failure")
            with self.subTest(code=code):
                self.assertEqual(verdict, expected)


if __name__ == "__main__":
    unittest.main()
