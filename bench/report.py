"""The bench's tables: per host the program's time against the floor of its fixed
pauses, its peak memory and the program sizes; then the removal profile."""

import os
import re
import statistics
import subprocess

from harness.hosts import HOSTS

# The fixed pauses of an install run on the parallel port.
REMOVAL_PAUSE_MS = 100     # per removal name, on every host but the older 32-bit class
FILE_PAUSES_MS = 200       # per driver file and staging pass
RECORD_PAUSE_MS = 100      # before the record file is written
PARALLEL_PAUSE_MS = 3000   # after the parallel port's printer-setup commands start

MIB = 1024 * 1024

# What the removal may hold at most, beyond the run without staged INF files, whatever
# the INF directory holds: its search keeps one piece of a file (64 KiB), the names'
# automaton (under 1 MiB) and counts; the rest is room for the spread of Wine's own
# figures from run to run.
MEMORY_BOUND_MIB = 8


def is_older32(host):
    """The older 32-bit class: removes nothing and stages twice."""
    return not host.is_64bit and host.version == "winxp"


def configs(host_name):
    """The INF directories a host is run with: as Wine leaves it, with 100 staged INF
    files, and with eight of 200 MB where the removal searches them."""
    return ["plain", "infs"] + ([] if is_older32(HOSTS[host_name]) else ["large"])


def config_label(config, inf_count=100):
    return {"plain": "no oemN.inf", "infs": f"{inf_count} oemN.inf",
            "large": "8 x 200 MB oemN.inf"}[config]


def floors(host_name, facts):
    """The pauses before the port dialog shows, and after it is confirmed, in ms."""
    host = HOSTS[host_name]
    removal = 0 if is_older32(host) else len(facts["removalNames"]) * REMOVAL_PAUSE_MS
    staging = (2 if is_older32(host) else 1) * facts["driverFiles"] * FILE_PAUSES_MS
    return {"removal": removal, "staging": staging, "record": RECORD_PAUSE_MS,
            "before_port": removal + staging + RECORD_PAUSE_MS,
            "after_port": PARALLEL_PAUSE_MS}


def derived(run):
    """The run's intervals in ms, from the stopwatch's instants."""
    t = run["times"]
    if run["problems"] or "endedMs" not in t:
        return None
    port_open = t["portConfirmedMs"] - t["portShownMs"]
    box_open = t["boxClosedMs"] - t["boxShownMs"]
    return {
        "wall": t["endedMs"],
        "port_open": port_open,
        "box_open": box_open,
        "program": t["endedMs"] - port_open - box_open,
        "to_port": t["portShownMs"],
        "to_box": t["boxShownMs"] - t["portConfirmedMs"],
        "to_end": t["endedMs"] - t["boxClosedMs"],
        "longest_gap": t["longestGapMs"],
    }


def progress_line(run, repeat):
    d = derived(run)
    what = f"run {repeat + 1}: {run['host']:9} {config_label(run['config']):19}"
    if d is None:
        return f"{what} FAILED: {'; '.join(run['problems'])}"
    return f"{what} program {d['program']:8.0f} ms (wall {d['wall']:.0f} ms)"


def _spread(values, fmt):
    values = [v for v in values if v is not None]
    if not values:
        return "-"
    middle = statistics.median(values)
    if len(values) == 1 or min(values) == max(values):
        return fmt(middle)
    return f"{fmt(middle)} ({fmt(min(values))}..{fmt(max(values))})"


def _ms(value):
    return f"{value:,.0f}".replace(",", " ")


def _mib(value):
    return f"{value:.1f}"


def _table(header, rows):
    widths = [max(len(row[i]) for row in [header] + rows) for i in range(len(header))]
    lines = []
    for row in [header] + rows:
        cells = [row[0].ljust(widths[0])] + [c.rjust(w) for c, w in zip(row[1:], widths[1:])]
        lines.append("  " + "   ".join(cells).rstrip())
    return lines


def host_table(host_name, facts, runs, inf_count):
    floor = floors(host_name, facts)
    total_floor = floor["before_port"] + floor["after_port"]
    columns = [(config, config_label(config, inf_count)) for config in configs(host_name)]
    per_column = {config: [derived(r) for r in runs
                           if r["host"] == host_name and r["config"] == config]
                  for config, _ in columns}

    def row(label, pick, fmt=_ms):
        return [label] + [_spread([pick(d) for d in per_column[config] if d], fmt)
                          for config, _ in columns]

    def measured(label, key, scale, fmt):
        return [label] + [_spread(values(key, config, scale), fmt) for config, _ in columns]

    def values(key, config, scale=1):
        return [r[key] * scale for r in runs
                if r["host"] == host_name and r["config"] == config and r[key] is not None]

    failed = sum(1 for r in runs if r["host"] == host_name and r["problems"])
    title = (f"{host_name}: install on the parallel port; median of "
             f"{len(per_column['plain'])} runs (min..max); times in ms")
    removal = (f"removal {floor['removal']} + " if floor["removal"] else "no removal, ")
    rows = [
        row("wall: install click -> program ended", lambda d: d["wall"]),
        row("  - port dialog open (user)", lambda d: d["port_open"]),
        row("  - closing box open (user)", lambda d: d["box_open"]),
        row("program time = wall - user", lambda d: d["program"]),
        ["floor of the fixed pauses"] + [_ms(total_floor)] * len(columns),
        row("ratio program / floor (goal: 1.05 at most)", lambda d: d["program"] / total_floor,
            lambda v: f"{v:.3f}"),
        row("above the floor", lambda d: d["program"] - total_floor),
        row(f"  click -> port dialog (floor {_ms(floor['before_port'])})",
            lambda d: d["to_port"]),
        row(f"  port confirmed -> closing box (floor {_ms(floor['after_port'])})",
            lambda d: d["to_box"]),
        row("  box OK -> program ended (floor 0)", lambda d: d["to_end"]),
        row("longest gap between two messages handled", lambda d: d["longest_gap"]),
        measured("setup.exe CPU, user + system, whole life", "cpu_ms", 1, _ms),
        measured("machine busy meanwhile, % of all CPUs", "machine_busy", 100,
                 lambda v: f"{v:.0f}"),
        measured("peak resident setup.exe process, MiB", "peak_kib", 1 / 1024, _mib),
        measured("  of which anonymous (heap, stacks), MiB", "peak_anon_kib", 1 / 1024, _mib),
        measured("peak resident minimal Wine dialog, MiB", "reference_peak_kib", 1 / 1024,
                 _mib),
        measured("  of which anonymous, MiB", "reference_peak_anon_kib", 1 / 1024, _mib),
    ]
    lines = [title, f"  floor: {removal}staging {floor['staging']} + record "
             f"{floor['record']} + parallel port {floor['after_port']}"]
    lines += _table([""] + [name for _, name in columns], rows)
    plain_peaks = values("peak_kib", "plain", 1 / 1024)
    for config, name in columns[1:]:
        peaks = values("peak_kib", config, 1 / 1024)
        if plain_peaks and peaks:
            above = max(peaks) - statistics.median(plain_peaks)
            verdict = "within" if above <= MEMORY_BOUND_MIB else "ABOVE"
            lines.append(f"  peak with {name}, highest run, above the median without: "
                         f"{above:+.1f} MiB ({verdict} the bound of {MEMORY_BOUND_MIB} MiB)")
    if failed:
        lines.append(f"  {failed} run(s) FAILED and are left out:")
        lines += [f"    {'; '.join(r['problems'])}" for r in runs
                  if r["host"] == host_name and r["problems"]]
    return lines


def _sections(path):
    """{section name: size} of a PE file."""
    listing = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", str(path)],
                             capture_output=True, text=True, check=True).stdout
    sizes = {}
    for line in listing.splitlines():
        match = re.match(r"\s*\d+\s+(\S+)\s+([0-9a-f]+)\s", line)
        if match:
            sizes[match.group(1)] = int(match.group(2), 16)
    return sizes


def size_lines(dist):
    lines = ["Sizes (goal: setup.exe <= 1 MiB)"]
    for relative in ("setup.exe", "amd64/Setup64.exe"):
        path = dist / relative
        size = path.stat().st_size
        sections = _sections(path)
        resources = sections.get(".rsrc", 0)
        debug = sum(v for k, v in sections.items() if k.startswith(".debug"))
        rest = sum(sections.values()) - resources - debug
        lines.append(f"  {relative:18} {size:>9} bytes = {size / MIB:.2f} MiB;  sections: "
                     f"resources {resources / MIB:.2f} MiB, debug info {debug / MIB:.2f} MiB, "
                     f"code and data {rest / MIB:.2f} MiB")
    return lines


def _per_call(total_ms, calls):
    return f"{1000 * total_ms / calls:.1f}" if calls else "-"


def _file_call_lines(plain, infs):
    """The calls of one pass over a file, each timed on its own, without and with the INF
    files."""
    def cell(calls, key):
        phase = calls[key]
        return _per_call(phase["ms"], phase["calls"])

    def one_pass(calls):
        keys = ("openFound", "read", "close")
        n = calls["openFound"]["calls"]
        return _per_call(sum(calls[k]["ms"] for k in keys), n) if n else "-"

    rows = [
        ["  CreateFileA, the file is there", cell(plain, "openFound"), cell(infs, "openFound")],
        ["  CreateFileA, no such file", cell(plain, "openMissing"), cell(infs, "openMissing")],
        ["  ReadFile in pieces of 64 KiB to the end", cell(plain, "read"), cell(infs, "read")],
        ["  CloseHandle", cell(plain, "close"), cell(infs, "close")],
        ["  = one pass over a file that is there", one_pass(plain), one_pass(infs)],
        ["  GetFileAttributesExA (tells a changed file)", cell(plain, "attributes"),
         cell(infs, "attributes")],
        ["  one listing of oem*.inf (FindFirstFileA..FindClose)", cell(plain, "listing"),
         cell(infs, "listing")],
    ]
    n = infs["attributes"]["calls"]
    return ([f"The system calls of one pass over an oemN.inf candidate under Wine, "
             f"microseconds per call (mean of {n}: as often as the scans of one run meet "
             f"the candidates). Each call but ReadFile and GetFileAttributesExA is a round "
             f"trip to wineserver, whose cost in a tight loop like this one depends on how "
             f"idle the CPUs are: take these as proportions, the sequence above as the cost"]
            + _table(["", "no oemN.inf", "100 oemN.inf"], rows))


def profile_lines(host_name, facts, profiles):
    plain, infs = profiles[False], profiles[True]
    floor = floors(host_name, facts)
    total_floor = floor["before_port"] + floor["after_port"]
    lines = [f"Profile on {host_name} ({plain['hostClass']} class): the installer's install "
             f"sequence, parallel port chosen, every system call timed; "
             f"ms (ms in calls); the user's boxes are not shown"]
    calls = sorted(set(plain["sequence"]["calls"]) | set(infs["sequence"]["calls"]),
                   key=lambda c: -infs["sequence"]["calls"].get(c, {}).get("ms", 0))

    def call(profile, name):
        c = profile["sequence"]["calls"].get(name)
        return f"{c['ms']:.1f} ({c['calls']})" if c else "-"

    rows = [["whole sequence", f"{plain['sequence']['ms']:.1f}", f"{infs['sequence']['ms']:.1f}"],
            ["  floor of the fixed pauses", _ms(total_floor), _ms(total_floor)]]
    rows += [[f"  {name}", call(plain, name), call(infs, name)] for name in calls]
    rows.append(["  outside system calls (the logic itself)",
                 f"{plain['sequence']['outsideSystemCallsMs']:.1f}",
                 f"{infs['sequence']['outsideSystemCallsMs']:.1f}"])
    lines += _table(["", "no oemN.inf", "100 oemN.inf"], rows)
    for label, profile in (("no oemN.inf", plain), ("100 oemN.inf", infs)):
        lines.append(f"  boxes asked for ({label}): {profile['sequence']['boxes']}")

    clock = infs["fileCalls"]["clockReading"]
    timed = sum(c["calls"] for c in infs["sequence"]["calls"].values())
    lines.append(f"  (a clock reading costs {_per_call(clock['ms'], clock['calls'])} us: the "
                 f"two around each of the {timed} timed calls add about "
                 f"{2 * timed * clock['ms'] / clock['calls']:.0f} ms to the whole sequence)")
    lines += _file_call_lines(plain["fileCalls"], infs["fileCalls"])

    search = infs["search"]
    lines.append(f"The text search alone, on the {search['texts']} candidate texts in memory: "
                 f"{search['searches']} counts (one per removal name and candidate), "
                 f"{search['matches']} matches")
    lines += _table(["", "ms"], [
        [f"  as a run counts: one pass per candidate for all names ({search['passes']} passes)",
         f"{search['productMs']:.1f}"],
        ["  same counts, name by name with std::string::find + boundary walk",
         f"{search['withFindMs']:.1f}"],
        ["  counts agree", "yes" if search["countsAgree"] else "NO"],
    ])
    return lines


def render(args, facts, inf_files, runs, profiled, profiles, loads):
    sizes = [len(d) for d in inf_files.values()]
    lines = [f"setup.exe under {report_wine_version()}, shipping folder {args.build_root / 'dist'}",
             f"machine: {os.cpu_count()} CPUs, load average {loads[0]:.2f} at the start, "
             f"{loads[1]:.2f} at the end (other work slows the Wine runs: see the rows "
             f"'machine busy')",
             f"{len(inf_files)} oemN.inf: {min(sizes) / 1024:.1f}..{max(sizes) / 1024:.1f} KiB, "
             f"{sum(sizes) / MIB:.2f} MiB in all, none holding a removal name",
             "Program time: the stopwatch's clock starts as it posts the click on the install "
             "button and stops as the program's process handle signals its end. The port "
             "dialog and the closing box count as open (the user's time, subtracted) from "
             "their activation, clocked inside the program by a hook on its UI thread, "
             "until the stopwatch posts the click that answers them.",
             "Peak resident: VmHWM of the Linux process that runs the program under Wine; it "
             "holds Wine's loader, ntdll, the mapped system DLLs and fonts, whose share the "
             "minimal Wine dialog (one message box, same prefix) shows.", ""]
    for host_name in args.hosts:
        lines += host_table(host_name, facts, runs, len(inf_files)) + [""]
    lines += size_lines(args.build_root / "dist")
    if profiles:
        lines += [""] + profile_lines(profiled, facts, profiles)
    return "\n".join(lines)


def report_wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          check=False).stdout.strip() or "Wine"
