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


def first_column(text, header):
    """The numbers in the first column of the Markdown table under the header row."""
    lines = text.splitlines()
    rows = lines[lines.index(header) + 2:]
    numbers = []
    for row in rows:
        if not row.startswith("|"):
            break
        numbers.append(int(row.split("|")[1]))
    return numbers


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


if __name__ == "__main__":
    unittest.main()
