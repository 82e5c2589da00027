// WS-Discovery matching of the simulated devices: probe types are matched
// by namespace, whatever prefix the prober bound; scopes by the RFC 3986
// rule; the probe faults; and broken probes.
#include "onvif/wsd_messages.h"

#include <gtest/gtest.h>

namespace {

using onvifsim::ParseProbe;

std::string ProbeText(const std::string& probeBody, const std::string& messageId = "urn:uuid:1") {
    return "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\""
           " xmlns:w=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\"><e:Header><w:MessageID>" +
           messageId +
           "</w:MessageID><w:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</w:Action></"
           "e:Header>"
           "<e:Body><p:Probe xmlns:p=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\">" +
           probeBody + "</p:Probe></e:Body></e:Envelope>";
}

const std::string kNvt =
    "<p:Types xmlns:x=\"http://www.onvif.org/ver10/network/wsdl\">x:NetworkVideoTransmitter</p:Types>";
const std::string kDevice = "<p:Types xmlns:y=\"http://www.onvif.org/ver10/device/wsdl\">y:Device</p:Types>";
// Right local name, wrong namespace: not the type.
const std::string kWrongNs = "<p:Types xmlns:dn=\"urn:other\">dn:NetworkVideoTransmitter</p:Types>";

bool Answers(const SimDevice& device, const std::string& body) {
    const auto probe = ParseProbe(ProbeText(body));
    EXPECT_TRUE(probe.has_value());
    return probe && onvifsim::DeviceAnswersProbe(device, *probe);
}

SimDevice Device(OnvifKind kind, ProbeAnswers probe) {
    SimDevice device;
    device.name = "gate 1";
    device.onvif.family = LabFamily::Onvif;
    device.onvif.kind = kind;
    device.onvif.probe = probe;
    return device;
}

TEST(WsDiscovery, TypesByNamespaceAndTheProbeFaults) {
    struct Case {
        OnvifKind kind;
        ProbeAnswers probe;
        bool nvt, device, untyped;
    };
    const Case cases[] = {
        {OnvifKind::Camera, ProbeAnswers::Both, true, false, true},
        {OnvifKind::Recorder, ProbeAnswers::Both, true, true, true},
        {OnvifKind::Recorder, ProbeAnswers::Nvt, true, false, false},
        {OnvifKind::Camera, ProbeAnswers::Device, false, true, false},
        {OnvifKind::Recorder, ProbeAnswers::UntypedOnly, false, false, true},
        {OnvifKind::Recorder, ProbeAnswers::None, false, false, false},
    };
    for (const Case& c : cases) {
        const SimDevice device = Device(c.kind, c.probe);
        const int at = static_cast<int>(&c - cases);
        EXPECT_EQ(Answers(device, kNvt), c.nvt) << at;
        EXPECT_EQ(Answers(device, kDevice), c.device) << at;
        EXPECT_EQ(Answers(device, ""), c.untyped) << at;
        EXPECT_FALSE(Answers(device, kWrongNs)) << at;
    }
}

TEST(WsDiscovery, ScopesMatchBySegments) {
    const SimDevice device = Device(OnvifKind::Camera, ProbeAnswers::Both);
    EXPECT_TRUE(Answers(device, "<p:Scopes>onvif://www.onvif.org/name/gate%201</p:Scopes>"));
    EXPECT_TRUE(
        Answers(device, "<p:Scopes>ONVIF://WWW.ONVIF.ORG/type/ onvif://www.onvif.org/location</p:Scopes>"));
    EXPECT_FALSE(Answers(device, "<p:Scopes>onvif://www.onvif.org/name/gate</p:Scopes>"));
    EXPECT_FALSE(Answers(device, "<p:Scopes>onvif://www.onvif.org/type/Recorder</p:Scopes>"));
    EXPECT_FALSE(Answers(device, "<p:Scopes MatchBy=\"urn:unknown\">onvif://www.onvif.org/name</p:Scopes>"));
}

TEST(WsDiscovery, OnlyWellFormedProbes) {
    EXPECT_FALSE(ParseProbe(""));
    EXPECT_FALSE(ParseProbe("<x"));
    EXPECT_FALSE(ParseProbe(ProbeText("", ""))); // no MessageID
    EXPECT_FALSE(ParseProbe(std::string(onvifsim::kMaxProbeBytes + 1, ' ')));
    std::string hello = ProbeText("");
    hello.replace(hello.find("/Probe<"), 6, "/Hello");
    EXPECT_FALSE(ParseProbe(hello));
}

} // namespace
