#!/usr/bin/env python3
"""Can this machine run a 32-bit x86 Linux program? Wine's 32-bit half needs it, and with
it every end-to-end suite.

    check_32bit.py

Starts the 32-bit loader (RT450_I386_LOADER, default /lib/ld-linux.so.2) with --version.
Exit status:
  0  it ran: the kernel runs 32-bit programs;
  1  the kernel refused it as a format it cannot run (ENOEXEC): no 32-bit program runs
     here at all, whatever is installed. Why, as the end of a sentence, goes to
     standard output;
  2  anything else (no loader, no permission, ...): not this machine's kernel. The
     callers go on as usual, so a missing package still fails where it shows.
"""

import errno
import os
import subprocess
import sys

DEFAULT_LOADER = "/lib/ld-linux.so.2"

# Printed as the end of a sentence of the caller's.
REASON = ("this machine's kernel runs no 32-bit programs (its 32-bit emulation is off), "
          "so 32-bit Wine, and with it setup.exe, cannot start here; Debian's own kernels "
          "run them by default")


def main():
    loader = os.environ.get("RT450_I386_LOADER", DEFAULT_LOADER)
    try:
        subprocess.run([loader, "--version"], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            print(REASON)
            return 1
        print(f"check_32bit: could not start {loader}: {error.strerror}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
