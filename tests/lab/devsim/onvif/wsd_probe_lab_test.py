#!/usr/bin/env python3
"""Raw probes against onvif.lab inside the lab's "pc" namespace: which
devices answer which probe types (the probe faults), answers unicast from
each device's own address with the probe's MessageID, a link-local XAddrs
as the device has it, a unicast probe to one address, and the second
simulated network seen only through the second interface."""
import sys

import wsd_client as wsd

from wsd_client import check, failures, who


base = "10.77.16.10"
nvt = wsd.probe(wsd.NVT)
device = wsd.probe(wsd.DEVICE)
untyped = wsd.probe()
# Cameras announce NetworkVideoTransmitter, recorders Device too; the
# faulty ones answer one probe type only, none, or only untyped probes.
check(who(nvt) == [base + n for n in "12348"], "answers to the NVT probe: %s" % who(nvt))
check(who(device) == [base + n for n in "25"], "answers to the Device probe: %s" % who(device))
check(who(untyped) == [base + n for n in "12368"], "answers to the untyped probe: %s" % who(untyped))

ids = set()
for source, answer in nvt + device + untyped:
    check(answer["kind"] == "ProbeMatches", "%s sent %s" % (source, answer["kind"]))
    check(answer["relates_to"] == answer["probe_id"], "%s: RelatesTo %s" % (source, answer["relates_to"]))
    ids.add(answer["message_id"])
    mac = "020E0000000" + source[-1]
    check(answer["endpoint"] == "urn:uuid:c0a7e000-0000-4000-8000-" + mac, "%s: endpoint" % source)
check(len(ids) == len(nvt + device + untyped), "MessageIDs repeat")

by_source = dict(nvt)
check(by_source[base + "8"]["xaddrs"] == "http://169.254.12.34/onvif/device_service",
      "link-local XAddrs: %s" % by_source[base + "8"]["xaddrs"])
check(by_source[base + "3"]["xaddrs"] == "http://10.77.16.103:8080/onvif/device_service",
      "XAddrs with a port: %s" % by_source[base + "3"]["xaddrs"])
check(by_source[base + "2"]["types"] == [wsd.NVT, wsd.DEVICE], "recorder types: %s" % by_source[base + "2"]["types"])

# Unicast: only the addressed device answers, and a silent one never.
one = wsd.probe(wsd.DEVICE, to=(base + "5", 3702), wait=0.6)
check(who(one) == [base + "5"], "unicast probe to .105: %s" % who(one))
check(wsd.probe(to=(base + "7", 3702), wait=0.6) == [], "the silent device answered a unicast probe")

# The second network (scripts/lab --lab2 second.lab): its device answers a
# probe sent out of the second interface, and only that one.
second = wsd.probe(wsd.NVT, interface="10.78.0.2", wait=0.6)
check(who(second) == ["10.78.16.1"], "probe on the second network: %s" % who(second))
check("10.78.16.1" not in who(wsd.probe(wsd.NVT, interface="10.77.0.2", wait=0.6)),
      "the second network's device answered on the first")

print("raw probes: %d failures" % len(failures))
sys.exit(1 if failures else 0)
