#!/usr/bin/env python3
"""Hello when the simulator starts and Bye when it is told to stop
(SIGTERM), heard on the discovery group; in between a probe's answer.
Run under tests/netns-run: the device sits at the namespace's own address.
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
"""
ENDPOINT = "urn:uuid:c0a7e000-0000-4000-8000-020E00000201"

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


with tempfile.TemporaryDirectory() as work:
    lab = os.path.join(work, "porch.lab")
    with open(lab, "w") as out:
        out.write(LAB)
    ears = wsd.listener()
    simulator = subprocess.Popen([sys.argv[1], "--lab", lab, "--no-sdk"], stderr=subprocess.DEVNULL)
    try:
        hello = wsd.hear(ears, "Hello")
        check(hello is not None and hello[0] == "10.253.0.1" and hello[1]["endpoint"] == ENDPOINT,
              "Hello: %s" % (hello,))
        check(hello is not None and hello[1]["number"] == 1, "Hello is not the first message")
        answers = wsd.probe(wsd.NVT)
        check(len(answers) == 1 and answers[0][1]["number"] == 2, "probe answers: %s" % answers)
    finally:
        simulator.send_signal(signal.SIGTERM)
        simulator.wait(timeout=10)
    bye = wsd.hear(ears, "Bye")
    check(bye is not None and bye[1]["endpoint"] == ENDPOINT and bye[1]["xaddrs"] is None, "Bye: %s" % (bye,))
    check(bye is not None and bye[1]["number"] == 3, "Bye's message number")
print("hello and bye: %d failures" % len(failures))
sys.exit(1 if failures else 0)
