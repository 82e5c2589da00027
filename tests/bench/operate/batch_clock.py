#!/usr/bin/env python3
"""Runs a corvane-cli batch command and notes when its phases begin, for the
upgrade benchmark: the command's start, its first device report on standard
output (its search has ended and the first device is logged in), and its
end. Writes the command's output to OUT and ERR, the three times (seconds,
monotonic) to TIMES, and exits with the command's status.

  batch_clock.py OUT ERR TIMES COMMAND [ARGUMENT...]
"""
import os
import selectors
import subprocess
import sys
import time


def main():
    out_path, err_path, times_path = sys.argv[1:4]
    command = sys.argv[4:]
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    first_report = None
    selector = selectors.DefaultSelector()
    selector.register(child.stdout, selectors.EVENT_READ, "out")
    selector.register(child.stderr, selectors.EVENT_READ, "err")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        while selector.get_map():
            for key, _ in selector.select():
                data = os.read(key.fileobj.fileno(), 1 << 16)
                now = time.monotonic()
                if not data:
                    selector.unregister(key.fileobj)
                    continue
                if key.data == "out":
                    out.write(data)
                    if first_report is None:
                        first_report = now
                else:
                    err.write(data)
    status = child.wait()
    end = time.monotonic()
    first_report = first_report or end
    with open(times_path, "w") as times:
        times.write(f"{start} {first_report} {end}\n")
    sys.exit(status)


if __name__ == "__main__":
    main()
