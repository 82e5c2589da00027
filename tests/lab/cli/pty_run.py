#!/usr/bin/env python3
"""Runs a command on a pseudo-terminal of a given size, as a person at a
terminal would, and prints everything the terminal received (standard
output and standard error alike). Exits with the command's status, or 3
when it did not end within the time limit.

    pty_run.py COLUMNS ROWS SECONDS COMMAND [ARGS...]
"""
import fcntl
import os
import pty
import select
import struct
import sys
import termios
import time

columns, rows, seconds = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
command = sys.argv[4:]
pid, fd = pty.fork()
if pid == 0:
    # The size is set on the child's own terminal before the command starts.
    fcntl.ioctl(sys.stdout.fileno(), termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
    os.execv(command[0], command)

output = b""
deadline = time.monotonic() + seconds
while time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 0.1)
    if ready:
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            break
        if not chunk:
            break
        output += chunk
timed_out = time.monotonic() >= deadline
if timed_out:
    os.kill(pid, 9)
_, status = os.waitpid(pid, 0)
sys.stdout.write(output.decode(errors="replace"))
if timed_out:
    print("the command did not end in time")
    sys.exit(3)
sys.exit(os.waitstatus_to_exitcode(status))
