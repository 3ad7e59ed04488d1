"""A virtual X display that the harness starts and stops itself."""

import os
import subprocess
import time
from pathlib import Path

__unittest = True

SCREEN = "1280x1024x24"


class DisplayError(RuntimeError):
    pass


def display_in_use(number):
    return (Path(f"/tmp/.X{number}-lock").exists()
            or Path(f"/tmp/.X11-unix/X{number}").exists())


class VirtualDisplay:
    def __init__(self, number, log_path):
        self.number = number
        self.name = f":{number}"
        self._log_path = Path(log_path)
        self._process = None

    def start(self, timeout=10.0):
        if display_in_use(self.number):
            raise DisplayError(f"display {self.name} is in use")
        self._log_path.parent.mkdir(parents=True, exist_ok=True)
        with open(self._log_path, "wb") as log:
            self._process = subprocess.Popen(
                ["Xvfb", self.name, "-screen", "0", SCREEN, "-nolisten", "tcp"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        socket = Path(f"/tmp/.X11-unix/X{self.number}")
        deadline = time.monotonic() + timeout
        while not socket.exists():
            if self._process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise DisplayError(f"Xvfb {self.name} did not start (see {self._log_path})")
            time.sleep(0.05)
        return self

    def stop(self):
        if self._process is None:
            return
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._process = None


def free_display_numbers(candidates):
    """The numbers of `candidates` that no X server holds; at least one."""
    free = [n for n in candidates if not display_in_use(n)]
    if not free:
        raise DisplayError(f"no free display among {list(candidates)}")
    return free


def photograph(display, x_window, png_path):
    """The X window's own pixels as a PNG; an owned dialog that X stacks under its owner
    would be hidden in a shot of the whole screen."""
    png_path = Path(png_path)
    xwd_path = png_path.with_suffix(".xwd")
    env = dict(os.environ, DISPLAY=display)
    with open(png_path.with_suffix(".shot.log"), "wb") as log:
        subprocess.run(["xwd", "-silent", "-id", x_window, "-out", str(xwd_path)],
                       env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                       timeout=30, check=True)
        subprocess.run(["/usr/bin/convert", f"xwd:{xwd_path}", f"png:{png_path}"],
                       stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                       timeout=60, check=True)
    xwd_path.unlink()
    png_path.with_suffix(".shot.log").unlink()
    return png_path
