"""Reading what the programs in a test prefix wrote: JSON-lines logs and the command
lines that the recording rundll32 captured."""

import json
from dataclasses import dataclass, field
from pathlib import Path

__unittest = True


def read_json_lines(path):
    path = Path(path)
    if not path.exists():
        return []
    return [json.loads(line) for line in path.read_text(encoding="utf-8").splitlines()
            if line.strip()]


@dataclass(frozen=True)
class StartedCommand:
    command_line: str   # as the parent passed it, decoded from code page 936
    directory: str      # the child's current directory
    # What the parent put into the child's start-up record: "flags" (STARTUPINFO's
    # dwFlags), "show_window", "std_input", "std_output", "std_error" (the handle values,
    # "0x..."), "reserved2_bytes" (cbReserved2). Not compared.
    startup: dict = field(default=None, compare=False)


def read_commands(directory):
    """The printer-setup commands in the order in which they were started."""
    directory = Path(directory)
    if not directory.exists():
        return []
    commands = []
    for path in sorted(directory.glob("*.txt")):
        command_line, current_dir, startup = path.read_bytes().decode("gbk").split("\n")[:3]
        commands.append(StartedCommand(command_line, current_dir,
                                       json.loads(startup) if startup else None))
    return commands


def box_events(records, event="open", process=None):
    """Dialog events of the box hook, in the order they happened."""
    return [r for r in records if r.get("event") == event
            and (process is None or r.get("process", "").lower() == process.lower())]


@dataclass(frozen=True)
class Dialog:
    caption: str
    text: str           # a message box's text; None for another dialog
    icon: str           # a message box's icon ("information", "warning", "none"...)
    buttons: tuple      # the ids of the buttons that show
    owner: str          # the owner's caption; "" for none
    closed_by: str      # "robot", "itself", or None while it is open
    hwnd: str


def closed_by_robot(robot_steps):
    """The windows that the robot worked until they were gone: each `gone` step waits
    for the window that the last `wait` found."""
    closed = set()
    current = None
    for step in robot_steps:
        if not step.get("ok"):
            break
        if step.get("verb") == "wait":
            current = step.get("hwnd")
        elif step.get("verb") == "gone" and current is not None:
            closed.add(current)
            current = None
    return closed


def dialogs(events, robot_steps, process):
    """The dialogs of `process` in the order they opened, from the box hook's events,
    with who closed each: the robot when it worked the dialog until it was gone, else
    the dialog closed without it (a pending quit message ends a modal loop at once)."""
    by_robot = closed_by_robot(robot_steps)
    opened = []
    closed = set()
    open_now = {}
    for event in events:
        if event.get("process", "").lower() != process.lower():
            continue
        # A window opens once before it closes: a repeated event comes from hooks
        # that a robot before left behind.
        key = (event.get("pid"), event.get("hwnd"))
        if event.get("event") == "open" and key not in open_now:
            open_now[key] = len(opened)
            opened.append(event)
        elif event.get("event") == "close" and key in open_now:
            closed.add(open_now.pop(key))
    result = []
    for index, event in enumerate(opened):
        closer = None
        if index in closed:
            closer = "robot" if event.get("hwnd") in by_robot else "itself"
        result.append(Dialog(caption=event.get("caption"), text=event.get("text"),
                             icon=event.get("icon"),
                             buttons=tuple(b.get("id") for b in event.get("buttons", [])),
                             owner=event.get("owner"), closed_by=closer,
                             hwnd=event.get("hwnd")))
    return result
