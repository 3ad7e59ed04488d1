"""Running programs in one Wine prefix with a wineserver of its own.

Every command of a prefix sees the same display and the zh_CN locale (ANSI code page
936). Program output goes to files, never into a pipe: Wine's background services keep
a pipe open and its reader would hang."""

import os
import subprocess
import threading
import time
from pathlib import Path, PureWindowsPath

__unittest = True

# Gecko and Mono are never needed, and no menu entries may be written into $HOME.
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"


class WineError(RuntimeError):
    pass


_live_sessions = set()
_live_lock = threading.Lock()
_stopping = threading.Event()


def kill_leftover_server(prefix):
    """Ends the server of a prefix that an earlier, interrupted run of the harness left
    running. Harmless when none runs."""
    if Path(prefix, "system.reg").exists():
        subprocess.run(["wineserver", "-k"], env=wine_environment(prefix, ""),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)


def stop_all_sessions():
    """Stops the servers of every session still open, and lets no new one start: for a
    run that is interrupted."""
    with _live_lock:
        _stopping.set()
        sessions = list(_live_sessions)
    for session in sessions:
        session.stop_server()


def wine_environment(prefix, display, arch=None):
    env = {key: value for key, value in os.environ.items()
           if not key.startswith("WINE") and not key.startswith("LC_")}
    env.update(WINEPREFIX=str(prefix), DISPLAY=display, LC_ALL="zh_CN.UTF-8",
               LANG="zh_CN.UTF-8", WINEDLLOVERRIDES=DLL_OVERRIDES,
               WINEDEBUG=os.environ.get("E2E_WINEDEBUG", "-all"))
    if arch:
        env["WINEARCH"] = arch
    return env


class WineSession:
    """One prefix whose wineserver this session starts and stops."""

    def __init__(self, prefix, display, log_dir, arch=None):
        self.prefix = Path(prefix)
        self.display = display
        self.log_dir = Path(log_dir)
        self.env = wine_environment(self.prefix, display, arch)
        self._server_started = False
        self._outputs = 0

    def add_dll_overrides(self, overrides):
        """Further WINEDLLOVERRIDES entries (such as "newdev,setupapi=n,b") for every
        program that this session starts from now on, and for the programs that those
        start."""
        self.env["WINEDLLOVERRIDES"] += ";" + overrides

    # --- paths
    def unix_path(self, windows_path):
        """C:\\a\\b -> <prefix>/drive_c/a/b (drive C only)."""
        path = PureWindowsPath(windows_path)
        if path.drive.upper() != "C:":
            raise ValueError(f"not on drive C: {windows_path}")
        return self.prefix.joinpath("drive_c", *path.parts[1:])

    # --- server
    def start_server(self):
        self.prefix.mkdir(parents=True, exist_ok=True)
        with _live_lock:
            if _stopping.is_set():
                raise WineError("the run is being stopped")
            _live_sessions.add(self)
            self._server_started = True
        self._run_tool(["wineserver", "-p"], "wineserver-start")

    def stop_server(self, timeout=30):
        """Ends every process of the prefix and its server. Only for a server that this
        session started."""
        with _live_lock:
            if not self._server_started:
                return
            self._server_started = False
            _live_sessions.discard(self)
        self._run_tool(["wineserver", "-k"], "wineserver-kill", check=False)
        self._run_tool(["wineserver", "-w"], "wineserver-wait", check=False, timeout=timeout)

    # --- programs
    def _output_file(self, name):
        self._outputs += 1
        self.log_dir.mkdir(parents=True, exist_ok=True)
        return self.log_dir / f"wine-{self._outputs:02d}-{name}.out"

    def _run_tool(self, argv, name, check=True, timeout=60):
        with open(self._output_file(name), "wb") as out:
            completed = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=subprocess.STDOUT,
                                       timeout=timeout)
        if check and completed.returncode != 0:
            raise WineError(f"{' '.join(argv)} failed with {completed.returncode}")
        return completed.returncode

    def launch(self, program, *args, name=None, cwd=None):
        """Starts `wine program args` and returns the Popen; the caller waits."""
        name = name or PureWindowsPath(program).stem
        output = self._output_file(name)
        with open(output, "wb") as out:
            process = subprocess.Popen(["wine", str(program), *map(str, args)], env=self.env,
                                       cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.STDOUT)
        process.output_path = output
        return process

    def run(self, program, *args, name=None, cwd=None, timeout=60):
        """Runs a program to its end and returns its exit code."""
        process = self.launch(program, *args, name=name, cwd=cwd)
        return self.wait(process, timeout)

    def run_for_output(self, program, *args, name=None, timeout=60):
        """Runs a program to its end; returns its exit code and the bytes it wrote to its
        standard output and error."""
        process = self.launch(program, *args, name=name)
        code = self.wait(process, timeout)
        return code, process.output_path.read_bytes()

    def wait(self, process, timeout, poll=None):
        """Waits for a launched program, calling poll() every 50 ms meanwhile. On
        time-out every process of the prefix is ended and WineError raised."""
        deadline = time.monotonic() + timeout
        while process.poll() is None:
            if time.monotonic() > deadline:
                self._run_tool(["wineserver", "-k"], "wineserver-kill-on-timeout",
                               check=False)
                process.wait()
                raise WineError(f"{process.args[1]} did not end within {timeout} s")
            if poll:
                poll()
            time.sleep(0.05)
        return process.returncode
