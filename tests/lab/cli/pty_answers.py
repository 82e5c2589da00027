#!/usr/bin/env python3
"""Runs a command on a pseudo-terminal and answers its prompts in order:
pty_answers.py "PROMPT::ANSWER" ... -- COMMAND ARGS. Each answer is typed
once its prompt has shown after the previous one. Prints the session's
output; exits with the command's status, or 3 when a prompt never came, the
command did not end, or an answer showed up on the terminal (echo)."""
import os
import pty
import select
import sys
import time

split = sys.argv.index("--")
pairs = [arg.split("::", 1) for arg in sys.argv[1:split]]
command = sys.argv[split + 1:]
pid, fd = pty.fork()
if pid == 0:
    os.execv(command[0], command)

output = b""
searched = 0
answered = 0
ended = False
deadline = time.monotonic() + 30
while time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 0.2)
    if ready:
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            ended = True
            break
        if not chunk:
            ended = True
            break
        output += chunk
    if answered < len(pairs):
        prompt = pairs[answered][0].encode()
        found = output.find(prompt, searched)
        if found >= 0:
            os.write(fd, pairs[answered][1].encode() + b"\n")
            searched = found + len(prompt)
            answered += 1
if not ended:
    os.kill(pid, 9)
_, status = os.waitpid(pid, 0)
sys.stdout.write(output.decode(errors="replace"))
if answered < len(pairs):
    print("prompt never came: " + pairs[answered][0])
    sys.exit(3)
if not ended:
    print("the command did not end after the answers")
    sys.exit(3)
if any(answer.encode() in output for _, answer in pairs if answer):
    print("an answer was echoed")
    sys.exit(3)
sys.exit(os.waitstatus_to_exitcode(status))
