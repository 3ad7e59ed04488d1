"""Peak memory and CPU time of a Windows program under Wine, read from the outside, and
how busy the whole machine was meanwhile.

Wine runs each Windows process in a Linux process of its own, so the kernel's high-water
mark of resident memory (VmHWM in /proc/<pid>/status) is the program's peak working
set, with Wine's own share in it: its loader and ntdll, the mapped system DLLs and the
fonts it renders with. The mark only ever rises, so sampling it while the program runs
and keeping the last value gives the peak up to the last sample."""

import os
from pathlib import Path


def _read(path):
    try:
        return Path(path).read_bytes()
    except OSError:
        return b""


def find_wine_process(prefix, program, arguments=()):
    """The pid of a process of the prefix that runs `program` (a file name) with the
    given arguments among its own, or None. Wine shows a Windows process's command line
    as the process's own, so argv[0] is the program's Windows path."""
    program = program.lower().encode()
    wanted = [a.lower().encode() for a in arguments]
    marker = f"WINEPREFIX={prefix}".encode()
    for entry in os.scandir("/proc"):
        if not entry.name.isdigit():
            continue
        argv = _read(f"/proc/{entry.name}/cmdline").lower().split(b"\0")
        if not argv[0].replace(b"/", b"\\").endswith(b"\\" + program):
            continue
        if not all(a in argv[1:] for a in wanted):
            continue
        if marker in _read(f"/proc/{entry.name}/environ").split(b"\0"):
            return int(entry.name)
    return None


def _status_kib(pid, field):
    for line in _read(f"/proc/{pid}/status").decode(errors="replace").splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    return None


def _cpu_ms(pid):
    """User plus system CPU time of a process so far."""
    fields = _read(f"/proc/{pid}/stat").rsplit(b")", 1)[-1].split()
    if len(fields) < 13:
        return None
    return (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")


def machine_jiffies():
    """(busy, total) CPU time of the whole machine so far, in clock ticks."""
    values = [int(v) for v in _read("/proc/stat").split(b"\n", 1)[0].split()[1:]]
    idle = values[3] + values[4]   # idle and iowait
    return sum(values) - idle, sum(values)


class PeakWatch:
    """Follows one process of a prefix; call poll() often while it runs."""

    def __init__(self, prefix, program, arguments=()):
        self._prefix = str(prefix)
        self._program = program
        self._arguments = arguments
        self.pid = None
        self.peak_kib = None          # VmHWM: peak resident set
        self.peak_anon_kib = None     # largest anonymous resident part seen
        self.cpu_ms = None            # CPU time at the last sample (the end is not seen)
        self._machine_start = machine_jiffies()
        self.machine_busy = None      # share of the machine's CPU time spent busy

    def finish(self):
        busy, total = machine_jiffies()
        start_busy, start_total = self._machine_start
        if total > start_total:
            self.machine_busy = (busy - start_busy) / (total - start_total)

    def poll(self):
        if self.pid is None:
            self.pid = find_wine_process(self._prefix, self._program, self._arguments)
            if self.pid is None:
                return
        peak = _status_kib(self.pid, "VmHWM")
        if peak is not None:
            self.peak_kib = max(peak, self.peak_kib or 0)
        anon = _status_kib(self.pid, "RssAnon")
        if anon is not None:
            self.peak_anon_kib = max(anon, self.peak_anon_kib or 0)
        cpu = _cpu_ms(self.pid)
        if cpu is not None:
            self.cpu_ms = max(cpu, self.cpu_ms or 0)
