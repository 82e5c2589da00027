#!/usr/bin/env python3
"""Hello and Bye heard on the discovery group: one device says Hello when
the simulator starts and Bye when it is told to stop (SIGTERM); another
comes and goes when the lab file says, silent before its Hello and after
its Bye. Run under tests/netns-run: the devices sit at addresses of the
namespace's own.
usage: wsd_hello_bye_test.py CORVANE-DEVSIM"""
import os
import signal
import subprocess
import sys
import tempfile

import wsd_client as wsd

LAB = """[device]
name = porch
mac = 02-0E-00-00-02-01
ip = 10.253.0.1
family = onvif

[device]
name = visitor
mac = 02-0E-00-00-02-02
ip = 10.253.0.2
family = onvif
onvif-hello-after-ms = 1000
onvif-bye-after-ms = 2500
"""
PORCH, VISITOR = "10.253.0.1", "10.253.0.2"

from wsd_client import check, failures, who


subprocess.run(["ip", "addr", "add", VISITOR + "/24", "dev", "veth-t0"], check=True)
with tempfile.TemporaryDirectory() as work:
    lab = os.path.join(work, "porch.lab")
    with open(lab, "w") as out:
        out.write(LAB)
    ears = wsd.listener()
    simulator = subprocess.Popen([sys.argv[1], "--lab", lab, "--no-sdk"], stderr=subprocess.DEVNULL)
    try:
        hello = wsd.hear(ears, "Hello", source=PORCH)
        check(hello is not None and hello[1]["endpoint"].endswith("020E00000201"), "porch's Hello: %s" % (hello,))
        check(hello is not None and hello[1]["number"] == 1, "the Hello is not the first message")
        answers = wsd.probe(wsd.NVT, wait=0.6)
        check(who(answers) == [PORCH], "before the visitor's Hello: %s" % who(answers))
        check(answers and answers[0][1]["number"] == 2, "porch's message numbers")
        check(wsd.hear(ears, "Hello", source=VISITOR) is not None, "no Hello from the visitor")
        check(who(wsd.probe(wsd.NVT, wait=0.6)) == [PORCH, VISITOR], "the visitor does not answer")
        bye = wsd.hear(ears, "Bye", source=VISITOR)
        check(bye is not None and bye[1]["xaddrs"] is None, "the visitor's Bye: %s" % (bye,))
        check(who(wsd.probe(wsd.NVT, wait=0.6)) == [PORCH], "the visitor answers after its Bye")
    finally:
        simulator.send_signal(signal.SIGTERM)
        simulator.wait(timeout=10)
    bye = wsd.hear(ears, "Bye", seconds=1.0)
    check(bye is not None and bye[0] == PORCH and bye[1]["number"] == 5, "porch's Bye: %s" % (bye,))
    check(wsd.hear(ears, "Bye", seconds=0.3) is None, "a second Bye")
print("hello and bye: %d failures" % len(failures))
sys.exit(1 if failures else 0)
