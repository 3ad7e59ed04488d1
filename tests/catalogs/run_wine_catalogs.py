#!/usr/bin/env python3
"""The package folders' catalogs as the platform's own calls see them, under 64-bit Wine
(which runs where 32-bit programs cannot): for each folder, the catalog API of wintrust
reads the catalog's members, computes the hash of the INF and of every file the INF
copies, and finds each among the members; the set-up API stages the INF and puts the
catalog beside it, unchanged, in the system's catalog store.

    run_wine_catalogs.py <dist-dir> <catalog_probe.exe> <work-dir>

Wine's wintrust hashes a PE file whole, where Windows takes its Authenticode image hash
(the hash the catalog lists, which check_catalogs.py verifies): for the resource DLL the
run shows Wine's hash and checks nothing. Prints a line per check and "N passed, N
failed"; exits 1 on any failure."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

FOLDERS = ("amd64", "i386w7", "i386")
INF = "ZORQ80-Series.INF"
CATALOG = "ZORQ80-Series.cat"
WINE64 = "/usr/lib/wine/wine64"
# The catalog store's folder for driver catalogs (Wine writes its name in lower case;
# Windows takes names in any case).
CATROOT = Path("windows/system32/catroot/{f750e6c3-38ee-11d1-85e5-00c04fc295ee}")


def copied_files(inf_text):
    sections, section = {}, None
    for line in inf_text.splitlines():
        line = line.split(";")[0].strip()
        if line.startswith("[") and line.endswith("]"):
            section = sections.setdefault(line[1:-1].lower(), [])
        elif line and section is not None:
            section.append(line)
    names = []
    for lines in sections.values():
        for line in lines:
            key, _, value = line.partition("=")
            if key.strip().lower() == "copyfiles":
                for name in value.split(","):
                    names += [e.split(",")[0].strip() for e in sections[name.strip().lower()]]
    return names


class Prefix:
    def __init__(self, work):
        self.root = work / "prefix"
        shutil.rmtree(self.root, ignore_errors=True)
        self.environment = dict(os.environ, WINEPREFIX=str(self.root), WINEARCH="win64",
                                WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        subprocess.run([WINE64, "wineboot", "-i"], env=self.environment, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)

    def probe(self, program, verb, path):
        # Wine's drive Z: is the Unix root.
        windows_path = "Z:" + str(path).replace("/", "\\")
        done = subprocess.run([WINE64, str(program), verb, windows_path], env=self.environment,
                              capture_output=True, text=True, timeout=120, check=False)
        return done.returncode, done.stdout.splitlines()


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    dist, program, work = (Path(a).resolve() for a in sys.argv[1:])
    work.mkdir(parents=True, exist_ok=True)
    prefix = Prefix(work)
    passed = failed = 0

    def verdict(ok, text):
        nonlocal passed, failed
        print(("ok   " if ok else "FAIL ") + text)
        passed, failed = passed + ok, failed + (not ok)

    for variant in FOLDERS:
        folder = dist / variant
        status, lines = prefix.probe(program, "members", folder / CATALOG)
        members = {line.split()[1] for line in lines if line.startswith("member ")}
        verdict(status == 0 and bool(members), f"{variant}: the catalog API reads "
                                               f"{len(members)} members")
        for name in [INF] + copied_files((folder / INF).read_text("ascii")):
            path = folder / name
            status, lines = prefix.probe(program, "hash", path)
            computed = lines[0].split()[1] if status == 0 and lines else None
            if path.read_bytes()[:2] == b"MZ":
                print(f"     {variant}/{name}: Wine's whole-file hash {computed} (Windows "
                      f"takes the image hash)")
                continue
            verdict(computed in members, f"{variant}/{name}: the hash the system computes "
                                         f"({computed}) is a member")
        # Each folder is staged into a store without the others' copies: the INF is the
        # same in every folder, and a copy already staged is not staged again.
        staged_catalog = prefix.root / "drive_c" / CATROOT / CATALOG
        staged_catalog.unlink(missing_ok=True)
        for staged in (prefix.root / "drive_c" / "windows" / "inf").glob("ZORQ80-Series.*"):
            staged.unlink()
        status, lines = prefix.probe(program, "stage", folder / INF)
        verdict(status == 0, f"{variant}: the set-up API stages the INF ({' '.join(lines)})")
        verdict(staged_catalog.is_file() and
                staged_catalog.read_bytes() == (folder / CATALOG).read_bytes(),
                f"{variant}: its catalog is in the catalog store, unchanged")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
