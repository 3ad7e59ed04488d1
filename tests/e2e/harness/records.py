"""Reading what the programs in a test prefix wrote: JSON-lines logs and the command
lines that the recording rundll32 captured."""

import json
from dataclasses import dataclass
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


def read_commands(directory):
    """The printer-setup commands in the order in which they were started."""
    directory = Path(directory)
    if not directory.exists():
        return []
    commands = []
    for path in sorted(directory.glob("*.txt")):
        command_line, current_dir = path.read_bytes().decode("gbk").split("\n")[:2]
        commands.append(StartedCommand(command_line, current_dir))
    return commands


def box_events(records, event="open", process=None):
    """Dialog events of the box hook, in the order they happened."""
    return [r for r in records if r.get("event") == event
            and (process is None or r.get("process", "").lower() == process.lower())]
