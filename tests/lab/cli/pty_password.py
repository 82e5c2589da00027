#!/usr/bin/env python3
"""Runs a command on a pseudo-terminal, answers its password prompt, and
checks that the password was not echoed. Prints the session's output;
exits with the command's status, or 3 when the prompt never came or the
password showed up on the terminal."""
import os
import pty
import select
import sys
import time

password = sys.argv[1].encode()
command = sys.argv[2:]
pid, fd = pty.fork()
if pid == 0:
    os.environ.pop("CORVANE_PASSWORD", None)
    os.execv(command[0], command)

output = b""
answered = False
deadline = time.monotonic() + 30
while time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 0.2)
    if ready:
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        output += chunk
    if not answered and b"Password for admin: " in output:
        os.write(fd, password + b"\n")
        answered = True
if not answered or time.monotonic() >= deadline:
    os.kill(pid, 9)
_, status = os.waitpid(pid, 0)
sys.stdout.write(output.decode(errors="replace"))
if not answered:
    print("no password prompt")
    sys.exit(3)
if time.monotonic() >= deadline:
    print("the command did not end after the password")
    sys.exit(3)
if password in output:
    print("the password was echoed")
    sys.exit(3)
sys.exit(os.waitstatus_to_exitcode(status))
