// WS-Discovery messages: our probe, and the matches, hellos and byes of the
// standard's examples; bounds on what is accepted; which address a device
// is shown at.
#include "fixtures.h"
#include "onvif/ws_discovery.h"

#include <gtest/gtest.h>

using namespace onvif;

namespace {
constexpr uint32_t kSource = 0x0A000105; // 10.0.1.5
}

TEST(WsDiscovery, ProbeCarriesTypeAndFreshMessageId) {
    const std::string first = NewMessageId();
    const std::string second = NewMessageId();
    EXPECT_NE(first, second);
    ASSERT_EQ(first.size(), 45u);
    EXPECT_EQ(first.substr(0, 9), "urn:uuid:");
    EXPECT_EQ(first[23], '4'); // version 4 (random)

    for (const ProbeType type : {ProbeType::NetworkVideoTransmitter, ProbeType::Device}) {
        const std::string probe = BuildProbe(type, first);
        const auto parsed = ParseWsdMessage(probe);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->kind, WsdKind::Probe);
        EXPECT_EQ(parsed->messageId, first);
        const bool transmitter = type == ProbeType::NetworkVideoTransmitter;
        EXPECT_NE(probe.find(
                      transmitter
                          ? "xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\">dn:NetworkVideoTransmitter<"
                          : "xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\">tds:Device<"),
                  std::string::npos);
    }
}

TEST(WsDiscovery, ProbeMatchesGiveTheRecordFacts) {
    const std::string text =
        fixtures::ProbeMatches("urn:uuid:0a6dc791-2be6-4991-9af1-454778a1917a", "uuid:e32e6863",
                               "urn:uuid:98190dc2-0890-4ef8-ac9a-5940995e6119",
                               "http://10.0.1.5/onvif/device_service http://[fe80::1]/onvif/device_service",
                               fixtures::kCameraScopes);
    const auto message = ParseWsdMessage(text);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->kind, WsdKind::ProbeMatches);
    EXPECT_EQ(message->relatesTo, "urn:uuid:0a6dc791-2be6-4991-9af1-454778a1917a");
    ASSERT_EQ(message->matches.size(), 1u);
    const WsdMatch& match = message->matches[0];
    EXPECT_EQ(match.metadataVersion, 75965u);
    EXPECT_EQ(match.types, (std::vector<std::string>{"dn:NetworkVideoTransmitter", "tds:Device"}));
    EXPECT_EQ(match.xaddrs.size(), 2u);

    const OnvifFacts facts = FactsFromMatch(match, kSource);
    EXPECT_EQ(facts.endpointReference, "urn:uuid:98190dc2-0890-4ef8-ac9a-5940995e6119");
    EXPECT_EQ(facts.name, "Lobby Cam 01");
    EXPECT_EQ(facts.hardware, "IPC-4M");
    EXPECT_EQ(facts.location, "country/Norway/city/Bergen");
    EXPECT_EQ(facts.deviceType, OnvifDeviceType::Camera);
    EXPECT_EQ(facts.deviceServiceUrl, "http://10.0.1.5/onvif/device_service");
    EXPECT_EQ(facts.httpPort, 80);
}

TEST(WsDiscovery, HelloByeAndRecorderScopes) {
    const std::string hello = R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"
        xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing"
        xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery"><s:Header>
        <a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Hello</a:Action>
        <a:MessageID>urn:uuid:h1</a:MessageID>
        <a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To></s:Header>
      <s:Body><d:Hello><a:EndpointReference><a:Address>urn:uuid:nvr-1</a:Address></a:EndpointReference>
        <d:Types>tds:Device</d:Types>
        <d:Scopes>onvif://www.onvif.org/type/Network_Video_Storage onvif://www.onvif.org/name/NVR%2016</d:Scopes>
        <d:XAddrs>http://10.0.1.9:8080/onvif/device_service</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion>
      </d:Hello></s:Body></s:Envelope>)";
    const auto parsed = ParseWsdMessage(hello);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->kind, WsdKind::Hello);
    const OnvifFacts facts = FactsFromMatch(parsed->matches.at(0), 0x0A000109);
    EXPECT_EQ(facts.deviceType, OnvifDeviceType::Recorder);
    EXPECT_EQ(facts.name, "NVR 16");
    EXPECT_EQ(facts.httpPort, 8080);

    std::string bye = hello;
    bye.replace(bye.find("d:Hello>"), 8, "d:Bye>");
    bye.replace(bye.find("d:Hello>"), 8, "d:Bye>");
    const auto byeMessage = ParseWsdMessage(bye);
    ASSERT_TRUE(byeMessage);
    EXPECT_EQ(byeMessage->kind, WsdKind::Bye);
    EXPECT_EQ(byeMessage->matches.at(0).endpointReference, "urn:uuid:nvr-1");
}

TEST(WsDiscovery, RefusesWhatIsNotABoundedWellFormedMessage) {
    const std::string good = fixtures::ProbeMatches("urn:uuid:r", "urn:uuid:m", "urn:uuid:d",
                                                    "http://10.0.1.5/onvif/device_service", "");
    ASSERT_TRUE(ParseWsdMessage(good));
    EXPECT_FALSE(ParseWsdMessage(good.substr(0, good.size() / 2))); // cut short
    EXPECT_FALSE(ParseWsdMessage(""));
    EXPECT_FALSE(ParseWsdMessage("not xml at all"));
    std::string padded = good;
    padded.insert(padded.find("<s:Body>"), std::string(64 * 1024, ' '));
    EXPECT_FALSE(ParseWsdMessage(padded)); // over the size limit
    std::string unrelated = good;
    unrelated.erase(unrelated.find("<a:RelatesTo>"),
                    std::string("<a:RelatesTo>urn:uuid:r</a:RelatesTo>").size());
    EXPECT_FALSE(ParseWsdMessage(unrelated)); // ProbeMatches must relate to a probe
    // A match without an endpoint reference is left out, the others kept.
    const auto noAddress = ParseWsdMessage(fixtures::ProbeMatches("urn:uuid:r", "urn:uuid:m", "", "", ""));
    ASSERT_TRUE(noAddress);
    EXPECT_TRUE(noAddress->matches.empty());
    // An entity bomb is not expanded.
    const std::string bomb =
        R"(<!DOCTYPE s [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;">]>)" + good;
    const auto parsed = ParseWsdMessage(bomb);
    EXPECT_TRUE(!parsed || parsed->matches.at(0).endpointReference == "urn:uuid:d");
}

TEST(WsDiscovery, ShownAddressIsTheReplysWhenXAddrsNameAnother) {
    // An XAddr on the reply's address is used as it stands.
    auto service =
        ChooseDeviceService({"http://192.168.0.10/a", "http://10.0.1.5:8000/onvif/device_service"}, kSource);
    ASSERT_TRUE(service);
    EXPECT_EQ(service->url, "http://10.0.1.5:8000/onvif/device_service");
    // Link-local and stale addresses: the reply's address, the XAddr's port
    // and path; a routable XAddr is preferred over the link-local one.
    service = ChooseDeviceService({"http://169.254.3.4:81/x", "http://192.168.0.10:82/onvif/device_service"},
                                  kSource);
    ASSERT_TRUE(service);
    EXPECT_EQ(service->address, "10.0.1.5");
    EXPECT_EQ(service->url, "http://10.0.1.5:82/onvif/device_service");
    service = ChooseDeviceService({"https://169.254.3.4/onvif/device_service"}, kSource);
    ASSERT_TRUE(service);
    EXPECT_EQ(service->url, "https://10.0.1.5/onvif/device_service");
    EXPECT_EQ(service->httpPort, 443);
    EXPECT_FALSE(ChooseDeviceService({"ftp://10.0.1.5/", "http://10.0.1.5:0/", "http://:80/"}, kSource));
}
