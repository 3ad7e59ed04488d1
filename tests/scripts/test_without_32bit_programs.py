"""The test and run commands on a machine whose kernel runs no 32-bit programs.

The real scripts/test.sh, scripts/e2e.sh, scripts/run.sh, bench/run.sh, the check
scripts/check_32bit.py and the end-to-end runner's test list run in a copy of the
repository whose other steps (bootstrap, build, checks, unit tests, fuzzing, the
benchmark itself) are stand-ins that only say they ran. The check is pointed at a
"loader" that the kernel refuses with ENOEXEC, as it refuses the 32-bit loader there."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
REAL = ("scripts/test.sh", "scripts/e2e.sh", "scripts/run.sh", "scripts/check_32bit.py",
        "bench/run.sh")
# Each stand-in prints its name, so a test can see which steps ran.
STAND_INS = {
    "scripts/bootstrap.sh": "#!/bin/sh\necho 'step: bootstrap'\n",
    "scripts/build.sh": "#!/bin/sh\necho 'step: build'\nmkdir -p \"$1/dist\" \"$1/win32\"\n",
    "scripts/check_imports.sh": "#!/bin/sh\necho 'step: imports'\n",
    "scripts/check_signing.sh": "#!/bin/sh\necho 'step: signing'\n",
    "scripts/fuzz.sh": "#!/bin/sh\necho 'step: fuzz'\n",
    "tests/resources/run_resources.py": "print('step: resources')\nprint('7 passed, 0 failed')\n",
    "tests/catalogs/check_catalogs.py": "print('step: catalogs')\nprint('3 passed, 0 failed')\n",
    "tests/catalogs/run_wine_catalogs.py":
        "print('step: wine catalogs')\nprint('15 passed, 0 failed')\n",
    "tests/msi/check_msi.py": "print('step: msi')\nprint('4 passed, 0 failed')\n",
    "tests/scripts/run_script_tests.py": "print('step: scripts')\nprint('2 passed, 0 failed')\n",
    "bench/bench.py": "print('step: bench')\n",
    "bin/ctest": "#!/bin/sh\necho 'step: unit'\necho '100% tests passed, 0 tests failed out of 3'\n",
}
TOTAL = re.compile(r"^total: (\d+) passed, (\d+) failed, (\d+) skipped$")


def e2e_suites():
    return sorted(p.stem for p in (TOP / "tests" / "e2e").glob("test_*.py"))


class WithoutThirtyTwoBitPrograms(unittest.TestCase):
    def setUp(self):
        work = Path(tempfile.mkdtemp(prefix="rt450-scripts-"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        self.repo = work / "repo"
        for name in REAL:
            (self.repo / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(TOP / name, self.repo / name)
        # The runner lists the suites by importing them; they read setup.exe's resources
        # with the reader of tests/resources, SilentSetup.exe's exit codes from silent/
        # and the version from VERSION.
        for folder, ignore in (("tests/e2e", ("win32", "__pycache__")),
                               ("tests/resources", ("__pycache__",))):
            shutil.copytree(TOP / folder, self.repo / folder,
                            ignore=shutil.ignore_patterns(*ignore))
        (self.repo / "silent").mkdir()
        for name in ("silent/ExitCodes.h", "silent/ExitCodes.cpp", "VERSION"):
            shutil.copy2(TOP / name, self.repo / name)
        for name, text in STAND_INS.items():
            path = self.repo / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
            path.chmod(0o755)
        # Bytes that no binary format of the kernel takes: execve fails with ENOEXEC.
        self.refused = work / "ld-linux.so.2"
        self.refused.write_bytes(b"\x00\x01\x02\x03 not a program\n")
        self.refused.chmod(0o755)

    def run_script(self, script, loader, *args, **env):
        environment = {k: v for k, v in os.environ.items() if k != "E2E_REQUIRED"}
        environment.update(env, RT450_I386_LOADER=str(loader),
                           PATH=f"{self.repo / 'bin'}:{os.environ['PATH']}")
        done = subprocess.run(["bash", str(self.repo / script), *map(str, args)],
                              cwd=self.repo, env=environment,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                              timeout=300, check=False)
        return done.returncode, done.stdout.splitlines()

    def assert_not_run_block_last(self, lines):
        """The block names every end-to-end suite and comes after every other step."""
        start = next(i for i, line in enumerate(lines) if "END-TO-END TESTS NOT RUN" in line)
        block = "\n".join(lines[start:])
        for suite in e2e_suites():
            self.assertIn(f"not run: {suite} (", block)
        self.assertIn("kernel runs no 32-bit programs", block)
        self.assertFalse([line for line in lines[start:] if line.startswith("step: ")])
        return sum(int(n) for n in re.findall(r"not run: \S+ \((\d+) tests\)", block))

    def test_test_command_runs_the_rest_and_counts_the_e2e_suites_as_not_run(self):
        status, lines = self.run_script("scripts/test.sh", self.refused)
        self.assertEqual(status, 0, "\n".join(lines))
        for step in ("bootstrap", "build", "imports", "signing", "unit", "catalogs",
                     "wine catalogs", "msi", "fuzz", "resources", "scripts"):
            self.assertIn(f"step: {step}", lines)
        not_run = self.assert_not_run_block_last(lines)
        self.assertGreater(not_run, 0)
        # 3 unit tests, 3 + 15 catalog checks, 4 package checks, 7 resource checks and 2
        # script tests ran; the rest did not.
        self.assertEqual(TOTAL.match(lines[-1]).groups(), ("34", "0", str(not_run)))

    def test_e2e_required_turns_not_run_into_a_failure(self):
        build = self.repo / "build"
        for script, args in (("scripts/test.sh", ()),
                             ("scripts/e2e.sh", (build / "dist", build / "win32"))):
            with self.subTest(script=script):
                status, lines = self.run_script(script, self.refused, *args, E2E_REQUIRED="1")
                self.assertNotEqual(status, 0)
                self.assert_not_run_block_last(lines)
                self.assertIn("E2E_REQUIRED=1", "\n".join(lines))

    def test_a_machine_that_runs_them_still_fails_on_a_missing_prerequisite(self):
        # A loader that runs (here a 64-bit one) and one that is not there at all: the
        # suite is started, and the stand-in build's missing test programs fail it.
        for loader in (shutil.which("true"), self.repo / "no-such-loader"):
            with self.subTest(loader=loader):
                status, lines = self.run_script("scripts/test.sh", loader)
                self.assertNotEqual(status, 0)
                text = "\n".join(lines)
                self.assertNotIn("NOT RUN", text)
                self.assertIn("e2e: missing", text)
                self.assertRegex(lines[-1], r"^total: 34 passed, [1-9]\d* failed, 0 skipped$")

    def test_run_and_bench_commands_say_why_they_show_nothing(self):
        status, lines = self.run_script("scripts/run.sh", self.refused)
        self.assertEqual(status, 0, "\n".join(lines))
        self.assertIn("step: build", lines)
        self.assertIn("dist.zip", "\n".join(lines))
        self.assertRegex(lines[-1], r"^The installer's window cannot be shown on this machine: "
                                    r"this machine's kernel runs no 32-bit programs.*\.$")

        status, lines = self.run_script("bench/run.sh", self.refused)
        self.assertEqual(status, 0, "\n".join(lines))
        self.assertNotIn("step: bench", lines)
        self.assertRegex(lines[-1], r"^No benchmark on this machine: this machine's kernel "
                                    r"runs no 32-bit programs.*\.$")
        status, lines = self.run_script("bench/run.sh", shutil.which("true"))
        self.assertEqual((status, lines), (0, ["step: bench"]))


if __name__ == "__main__":
    unittest.main()
