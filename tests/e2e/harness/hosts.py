"""The host classes that the tests run on, one Wine prefix each."""

from dataclasses import dataclass


@dataclass(frozen=True)
class HostClass:
    name: str
    arch: str      # WINEARCH of the prefix
    version: str   # the Windows version that winecfg gives the prefix
    # Folders (relative to drive_c) that this Windows release has and a new Wine prefix
    # lacks.
    folders: tuple = ()

    @property
    def is_64bit(self):
        return self.arch == "win64"

    @property
    def system_dir(self):
        """The system directory that a 32-bit program sees, relative to drive_c."""
        return "windows/syswow64" if self.is_64bit else "windows/system32"


HOSTS = {h.name: h for h in (
    # Windows XP keeps its driver sources in "Driver Cache\i386".
    HostClass("xp32", "win32", "winxp", folders=("windows/Driver Cache/i386",)),
    HostClass("win7-32", "win32", "win7"),
    HostClass("win7-64", "win64", "win7"),
    HostClass("win8-64", "win64", "win8"),
    HostClass("win10-64", "win64", "win10"),
)}
