"""A small WS-Discovery client of the tests' own: probes built by hand from
the 2005/04 message layout, answers read with the standard library."""
import socket
import struct
import time
import uuid
import xml.etree.ElementTree as ET

GROUP = ("239.255.255.250", 3702)
NS = {
    "env": "http://www.w3.org/2003/05/soap-envelope",
    "wsa": "http://schemas.xmlsoap.org/ws/2004/08/addressing",
    "d": "http://schemas.xmlsoap.org/ws/2005/04/discovery",
}
NVT = "dn:NetworkVideoTransmitter"
DEVICE = "tds:Device"


def probe_text(message_id, types=""):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>'
        '<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"'
        ' xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing"'
        ' xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery"'
        ' xmlns:dn="http://www.onvif.org/ver10/network/wsdl"'
        ' xmlns:tds="http://www.onvif.org/ver10/device/wsdl">'
        "<s:Header><a:MessageID>%s</a:MessageID>"
        "<a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"
        "<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action></s:Header>"
        "<s:Body><d:Probe>%s</d:Probe></s:Body></s:Envelope>"
        % (message_id, "<d:Types>%s</d:Types>" % types if types else "")
    ).encode()


def parse(data):
    """The fields of a Hello, Bye or ProbeMatches as a dict."""
    root = ET.fromstring(data)
    header = root.find("env:Header", NS)
    body = root.find("env:Body", NS)
    kind = body[0].tag.split("}")[1]
    item = body[0].find("d:ProbeMatch", NS) if kind == "ProbeMatches" else body[0]
    sequence = header.find("d:AppSequence", NS)

    def text(node, path):
        found = node.find(path, NS)
        return found.text if found is not None else None

    return {
        "kind": kind,
        "message_id": text(header, "wsa:MessageID"),
        "relates_to": text(header, "wsa:RelatesTo"),
        "number": int(sequence.get("MessageNumber")) if sequence is not None else None,
        "endpoint": text(item, "wsa:EndpointReference/wsa:Address"),
        "types": (text(item, "d:Types") or "").split(),
        "xaddrs": text(item, "d:XAddrs"),
    }


def probe(types="", to=GROUP, wait=0.7, interface="0.0.0.0"):
    """Sends one probe (multicast ones out of the interface with that
    address) and returns [(source address, parsed answer)]."""
    message_id = "urn:uuid:%s" % uuid.uuid4()
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((interface, 0))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(interface))
    sock.sendto(probe_text(message_id, types), to)
    answers = []
    end = time.monotonic() + wait
    while time.monotonic() < end:
        sock.settimeout(max(end - time.monotonic(), 0.01))
        try:
            data, source = sock.recvfrom(65536)
        except socket.timeout:
            break
        answer = parse(data)
        answer["probe_id"] = message_id
        answers.append((source[0], answer))
    sock.close()
    return answers


def listener():
    """A socket on port 3702 in the discovery group, to hear Hello and Bye."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("0.0.0.0", 3702))
    membership = struct.pack("4s4s", socket.inet_aton(GROUP[0]), socket.inet_aton("0.0.0.0"))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, membership)
    return sock


def hear(sock, kind, seconds=3.0, source=None):
    """The first message of this kind (from source, when given) heard
    within seconds, else None."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        sock.settimeout(max(end - time.monotonic(), 0.01))
        try:
            data, sender = sock.recvfrom(65536)
        except socket.timeout:
            return None
        try:
            message = parse(data)
        except (ET.ParseError, IndexError):
            continue
        if message["kind"] == kind and sender[0] == (source or sender[0]):
            return sender[0], message
    return None


# What a test found wrong, and the senders of a list of answers.
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def who(answers):
    return sorted(source for source, _ in answers)
