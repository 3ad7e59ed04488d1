"""The bench's own Windows programs, compiled with the i686 cross compiler: the
stopwatch that works and times an install run with the hook that clocks the program's
dialogs; the facts of the installer's logic that the floor and the INF files need; and
the install profile, which links the installer's logic and Win32 system from the i686
build."""

import re
import subprocess
from pathlib import Path

HERE = Path(__file__).resolve().parent
TOP = HERE.parent
SOURCES = HERE / "win32"
COMPILER = "i686-w64-mingw32-g++-win32"
FLAGS = ["-std=c++17", "-O2", "-Wall", "-Wextra", "-Wpedantic", "-Wshadow",
         "-Wnon-virtual-dtor", "-Werror", "-static", "-DUNICODE", "-D_UNICODE"]
PROGRAM_FLAGS = ["-municode", "-mwindows"]

STOPWATCH = "install_stopwatch.exe"
SHOW_CLOCK = "show_clock.dll"   # found by the stopwatch beside itself
PROFILE = "install_profile.exe"
FACTS = "logic_facts.exe"


def _compile(output, sources, extra, log):
    sources = [str(s) for s in sources]
    # Any of the bench's sources or headers, or a linked library, may have changed.
    inputs = list(SOURCES.iterdir()) + [Path(p) for p in extra if p.endswith(".a")]
    if output.exists() and output.stat().st_mtime >= max(p.stat().st_mtime for p in inputs):
        return
    command = [COMPILER, *FLAGS, "-o", str(output), *sources, *extra]
    with open(log, "ab") as out:
        out.write((" ".join(command) + "\n").encode())
        out.flush()
        if subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out,
                          stderr=subprocess.STDOUT).returncode != 0:
            raise RuntimeError(f"compiling {output.name} failed (see {log})")


def built_from(win32_build):
    """The source tree that the build folder was configured from."""
    cache = (win32_build / "CMakeCache.txt").read_text(errors="replace")
    match = re.search(r"^CMAKE_HOME_DIRECTORY:INTERNAL=(.*)$", cache, re.MULTILINE)
    return Path(match.group(1)).resolve() if match else None


def build_programs(win32_build, out_dir, with_profile=True):
    """Compiles what is out of date; returns {program name: path}. The profile is left
    out when asked, or when the build comes from another source tree: it compiles the
    seam's headers of this tree against that build's libraries."""
    out_dir.mkdir(parents=True, exist_ok=True)
    log = out_dir / "compile.log"
    log.unlink(missing_ok=True)
    stopwatch = out_dir / STOPWATCH
    _compile(stopwatch, [SOURCES / "InstallStopwatch.cpp"], PROGRAM_FLAGS, log)
    show_clock = out_dir / SHOW_CLOCK
    # Exported by its plain name, as the stopwatch asks for it.
    _compile(show_clock, [SOURCES / "ShowClock.cpp"], ["-shared", "-Wl,--kill-at"], log)
    # Compiled with the headers of the build's own sources, so it fits any build.
    facts = out_dir / FACTS
    _compile(facts, [SOURCES / "LogicFacts.cpp"],
             [*PROGRAM_FLAGS, f"-I{built_from(win32_build)}",
              str(win32_build / "libinstaller_logic.a")], log)
    programs = {STOPWATCH: stopwatch, SHOW_CLOCK: show_clock, FACTS: facts}
    if not with_profile or built_from(win32_build) != TOP.resolve():
        return programs
    profile = out_dir / PROFILE
    libraries = [str(win32_build / "sys" / "libwin32_system.a"),
                 str(win32_build / "libinstaller_logic.a")]
    _compile(profile, [SOURCES / "InstallProfile.cpp", SOURCES / "TimedSystem.cpp"],
             [*PROGRAM_FLAGS, "-DWINVER=0x0601", "-D_WIN32_WINNT=0x0601", "-DNOMINMAX", f"-I{TOP}",
              f"-I{SOURCES}", *libraries, "-lsetupapi", "-lnewdev", "-lwinspool",
              "-lshlwapi", "-luser32"], log)
    programs[PROFILE] = profile
    return programs
