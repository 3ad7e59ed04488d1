"""Pristine Wine prefixes per host class, built once and cached, and the fresh copies
on which each test works.

A prefix is mostly the system's own program files (about 1.3 GB for a 64-bit one).
A copy hard-links those and copies the rest: nothing that a test does writes into them
(the installer copies into spool\\drivers and inf, which are copied), so a copy costs
a few tens of MB and well under a second."""

import json
import os
import shutil
import subprocess
from pathlib import Path

from .wine import WineSession, kill_leftover_server

__unittest = True

# Raise when the way prefixes are made changes: cached prefixes are then rebuilt.
RECIPE = 3
STAMP = "e2e-prefix.json"

# The face that stands in for the dialogs' "宋体" (and its Latin name): a Song face
# with the same line height (12 px at 9 pt) and average width (6 px) as the system's
# own, so that dialog units, and with them the controls over the pictures, land as on
# Windows. Wine's default stand-in, a CJK sans face, makes them a third larger.
SONG_FACE = "AR PL SungtiL GB"
SONG_FACE_NAMES = ("宋体", "SimSun")

_LINKED_DIRS = ("drive_c/windows/system32/", "drive_c/windows/syswow64/",
                "drive_c/windows/winsxs/")
_LINKED_SUFFIXES = {".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm", ".ax",
                    ".tlb", ".ds", ".com", ".msstyles", ".vxd", ".dll16", ".exe16",
                    ".drv16", ".mod16"}


def wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, check=True).stdout.strip()


def _recipe(host):
    return {"recipe": RECIPE, "wine": wine_version(), "arch": host.arch,
            "version": host.version, "folders": list(host.folders), "song_face": SONG_FACE}


def _is_current(prefix, host):
    try:
        return json.loads((prefix / STAMP).read_text()) == _recipe(host)
    except (OSError, ValueError):
        return False


def _song_face_installed():
    listed = subprocess.run(["fc-list", SONG_FACE], capture_output=True, text=True,
                            stdin=subprocess.DEVNULL, check=False).stdout
    return bool(listed.strip())


def ensure_pristine(cache_root, host, display, log_dir):
    """The cached prefix of a host class, built first when missing or outdated.
    Returns its path and whether it was built now."""
    cache_root = Path(cache_root)
    final = cache_root / host.name
    if _is_current(final, host):
        return final, False
    # Wine would quietly fall back to another face, and every layout would shift.
    if not _song_face_installed():
        raise RuntimeError(f"the font {SONG_FACE!r} is missing (scripts/bootstrap.sh "
                           f"installs it)")
    building = cache_root / f"{host.name}.building"
    kill_leftover_server(building)
    shutil.rmtree(building, ignore_errors=True)
    session = WineSession(building, display, log_dir, arch=host.arch)
    session.start_server()
    try:
        if session.run("wineboot", "-i", timeout=300) != 0:
            raise RuntimeError(f"wineboot failed for {host.name}")
        steps = [
            ("winecfg", "-v", host.version),
            # Without a window manager, managed windows take seconds to close.
            ("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N",
             "/f"),
            # Lets the recording stand-in replace Wine's built-in rundll32.
            ("reg", "add", r"HKCU\Software\Wine\DllOverrides", "/v", "rundll32.exe",
             "/d", "native", "/f"),
            *(("reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", name,
               "/d", SONG_FACE, "/f") for name in SONG_FACE_NAMES),
        ]
        for program, *args in steps:
            if session.run(program, *args, timeout=120) != 0:
                raise RuntimeError(f"{program} {' '.join(args)} failed for {host.name}")
    finally:
        # The server writes the registry files as it ends.
        session.stop_server()
    for folder in host.folders:
        (building / "drive_c" / folder).mkdir(parents=True, exist_ok=True)
    (building / STAMP).write_text(json.dumps(_recipe(host)))
    shutil.rmtree(final, ignore_errors=True)
    building.rename(final)
    return final, True


def _linkable(relative):
    return (relative.startswith(_LINKED_DIRS)
            and "/spool/" not in relative
            and os.path.splitext(relative)[1].lower() in _LINKED_SUFFIXES
            and not relative.lower().endswith("/rundll32.exe"))


def fresh_copy(pristine, target):
    """A working copy of a pristine prefix at `target`, which must not exist."""
    pristine, target = Path(pristine), Path(target)
    root_length = len(str(pristine)) + 1
    for directory, subdirs, files in os.walk(pristine):
        relative_dir = directory[root_length:]
        target_dir = target / relative_dir
        target_dir.mkdir(parents=True, exist_ok=True)
        for name in subdirs + files:
            source = os.path.join(directory, name)
            if not os.path.islink(source):
                continue
            os.symlink(os.readlink(source), target_dir / name)
        subdirs[:] = [d for d in subdirs if not os.path.islink(os.path.join(directory, d))]
        for name in files:
            source = os.path.join(directory, name)
            if os.path.islink(source):
                continue
            relative = f"{relative_dir}/{name}" if relative_dir else name
            if _linkable(relative):
                os.link(source, target_dir / name)
            else:
                shutil.copy2(source, target_dir / name)
    shutil.copystat(pristine, target)
    return target
