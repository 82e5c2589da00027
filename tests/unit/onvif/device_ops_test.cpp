// The setting operations against a fake device service: the requests each
// sends (read back as XML, not compared as text), their order, what the
// answers (written as the ONVIF documents show them) make of them, and the
// refusals that must end an operation at once.
#include "fake_transport.h"
#include "fixtures.h"
#include "onvif/device_ops.h"
#include "onvif/find_again.h"
#include "onvif/onvif_link.h"
#include "onvif/ops_requests.h"
#include "onvif/time_zone.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <pugixml.hpp>

using namespace onvif;

namespace {

constexpr int64_t kNow = 1796756400; // 2026-12-08T19:00:00Z
const DeviceTarget kTarget{"http://10.0.1.5/onvif/device_service", 0, 5000};

// The request's body element, with the prefixes our envelope binds.
struct Parsed {
    pugi::xml_document document;
    pugi::xml_node body;
    std::string Value(const char* path) const { return body.first_element_by_path(path).text().as_string(); }
};
std::unique_ptr<Parsed> Body(const std::string& envelope) {
    auto parsed = std::make_unique<Parsed>();
    EXPECT_TRUE(parsed->document.load_string(envelope.c_str()));
    parsed->body = parsed->document.first_element_by_path("s:Envelope/s:Body").first_child();
    return parsed;
}
std::unique_ptr<Parsed> Fragment(const std::string& body) {
    return Body(BuildSoapEnvelope(body));
}

// A device that answers each action from a table (digest accepted), with
// the empty response for any Set* not listed and a fault for the rest.
class Device {
public:
    std::map<std::string, SoapReply> answers;
    FakeTransport transport{[this](const SentRequest& request) { return Answer(request); }};
    AuthMemory memory;
    OnvifCredentials credentials;

    Device() {
        credentials.user = "operator";
        credentials.password = "old";
    }
    OnvifSession Session() { return {transport, memory, kTarget, credentials, kNow}; }
    std::vector<std::string> Actions() {
        std::vector<std::string> names;
        for (const SentRequest& sent : transport.Sent()) {
            names.push_back(sent.action.substr(sent.action.rfind('/') + 1));
        }
        return names;
    }
    std::unique_ptr<Parsed> Request(const std::string& name) {
        for (const SentRequest& sent : transport.Sent()) {
            if (sent.action == DeviceAction(name)) {
                return Body(sent.envelope);
            }
        }
        ADD_FAILURE() << name << " not sent";
        return Body(BuildSoapEnvelope("<none/>"));
    }

private:
    SoapReply Answer(const SentRequest& request) {
        const std::string name = request.action.substr(request.action.rfind('/') + 1);
        if (const auto found = answers.find(name); found != answers.end()) {
            return found->second;
        }
        if (name == "GetDeviceInformation") {
            return Reply(200, fixtures::Response(fixtures::kDeviceInformation));
        }
        if (name.rfind("Set", 0) == 0 || name == "SystemReboot") {
            return Reply(200, fixtures::Response("<tds:" + name + "Response/>"));
        }
        return Reply(500, fixtures::Fault("ter:ActionNotSupported", "Optional Action Not Implemented"));
    }
};

const char* kInterfaces = R"(<tds:GetNetworkInterfacesResponse>
  <tds:NetworkInterfaces token="if-7"><tt:Enabled>true</tt:Enabled>
  <tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Config><tt:Manual><tt:Address>10.0.1.5</tt:Address>
  <tt:PrefixLength>16</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP></tt:Config></tt:IPv4>
  </tds:NetworkInterfaces></tds:GetNetworkInterfacesResponse>)";

} // namespace

TEST(OpsRequests, BodiesCarryTheValuesEscaped) {
    EXPECT_EQ(MaskToPrefix("255.255.255.0"), 24);
    EXPECT_EQ(MaskToPrefix("255.255.255.255"), 32);
    EXPECT_EQ(MaskToPrefix("0.0.0.0"), 0);
    EXPECT_EQ(MaskToPrefix("255.0.255.0"), std::nullopt);
    EXPECT_EQ(MaskToPrefix("255.255.0"), std::nullopt);

    auto manual = Fragment(SetInterfaceRequest("if-7", false, "10.0.2.9", 23));
    EXPECT_EQ(manual->Value("tds:InterfaceToken"), "if-7");
    EXPECT_EQ(manual->Value("tds:NetworkInterface/tt:IPv4/tt:Manual/tt:Address"), "10.0.2.9");
    EXPECT_EQ(manual->Value("tds:NetworkInterface/tt:IPv4/tt:Manual/tt:PrefixLength"), "23");
    EXPECT_EQ(manual->Value("tds:NetworkInterface/tt:IPv4/tt:DHCP"), "false");
    auto dhcp = Fragment(SetInterfaceRequest("if-7", true, "", 0));
    EXPECT_EQ(dhcp->Value("tds:NetworkInterface/tt:IPv4/tt:DHCP"), "true");
    EXPECT_FALSE(dhcp->body.first_element_by_path("tds:NetworkInterface/tt:IPv4/tt:Manual"));

    auto user = Fragment(SetUserRequest("op&1", "<p\"w'>", "Operator"));
    EXPECT_EQ(user->Value("tds:User/tt:Username"), "op&1");
    EXPECT_EQ(user->Value("tds:User/tt:Password"), "<p\"w'>");

    auto ntp = Fragment(SetNtpRequest({"10.0.0.1", "", "pool.example.org"}));
    pugi::xml_node first = ntp->body.child("tds:NTPManual");
    EXPECT_STREQ(first.child_value("tt:Type"), "IPv4");
    EXPECT_STREQ(first.child_value("tt:IPv4Address"), "10.0.0.1");
    EXPECT_STREQ(first.next_sibling("tds:NTPManual").child_value("tt:DNSname"), "pool.example.org");
    EXPECT_FALSE(first.next_sibling("tds:NTPManual").next_sibling("tds:NTPManual"));

    // 2026-12-08T19:00:00Z as the schema's date and time fields.
    auto manualTime = Fragment(SetDateTimeRequest(false, true, "CET-1CEST,M3.5.0,M10.5.0/3", kNow));
    EXPECT_EQ(manualTime->Value("tds:DateTimeType"), "Manual");
    EXPECT_EQ(manualTime->Value("tds:TimeZone/tt:TZ"), "CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(manualTime->Value("tds:UTCDateTime/tt:Date/tt:Day"), "8");
    EXPECT_EQ(manualTime->Value("tds:UTCDateTime/tt:Time/tt:Hour"), "19");
    EXPECT_FALSE(Fragment(SetDateTimeRequest(true, false, "UTC0", kNow))->body.child("tds:UTCDateTime"));
}

TEST(OpsRequests, ResponsesParsedWithBounds) {
    const auto protocols = ParseProtocolSettings(fixtures::Response(R"(<tds:GetNetworkProtocolsResponse>
      <tds:NetworkProtocols><tt:Name>HTTP</tt:Name><tt:Enabled>true</tt:Enabled>
        <tt:Port>80</tt:Port><tt:Port>8080</tt:Port></tds:NetworkProtocols>
      <tds:NetworkProtocols><tt:Name>HTTPS</tt:Name><tt:Enabled>false</tt:Enabled><tt:Port>99999</tt:Port>
      </tds:NetworkProtocols></tds:GetNetworkProtocolsResponse>)"));
    ASSERT_TRUE(protocols);
    ASSERT_EQ(protocols->size(), 2u);
    EXPECT_EQ((*protocols)[0].ports, (std::vector<uint16_t>{80, 8080}));
    EXPECT_FALSE((*protocols)[1].enabled);
    EXPECT_TRUE((*protocols)[1].ports.empty()); // out of range: dropped
    EXPECT_EQ(ParseRebootNeeded(fixtures::Response(
                  "<tds:SetNetworkInterfacesResponse><tds:RebootNeeded>true</tds:RebootNeeded>"
                  "</tds:SetNetworkInterfacesResponse>")),
              true);
    EXPECT_EQ(ParseRebootNeeded(fixtures::Fault("ter:InvalidArgVal")), std::nullopt);
    EXPECT_EQ(ParseRebootNeeded("<tds:SetNetworkInterfacesResponse>"), std::nullopt);
}

TEST(DeviceOps, NetworkChangeInOrderAndRebootOnlyWhenNeeded) {
    for (const bool rebootNeeded : {false, true}) {
        Device device;
        device.answers["GetNetworkInterfaces"] = Reply(200, fixtures::Response(kInterfaces));
        device.answers["SetNetworkInterfaces"] = Reply(
            200, fixtures::Response(std::string("<tds:SetNetworkInterfacesResponse><tds:RebootNeeded>") +
                                    (rebootNeeded ? "true" : "false") +
                                    "</tds:RebootNeeded></tds:SetNetworkInterfacesResponse>"));
        const NetworkChangeResult result = ChangeOnvifNetwork(
            device.Session(), {false, "10.0.2.9", "255.255.254.0", "10.0.2.1", "10.0.0.53", ""});
        EXPECT_EQ(result.outcome, OpsOutcome::Ok);
        EXPECT_EQ(result.rebooted, rebootNeeded);
        EXPECT_TRUE(result.mayHaveMoved);
        std::vector<std::string> expected{"GetNetworkInterfaces", "SetDNS", "SetNetworkDefaultGateway",
                                          "SetNetworkInterfaces"};
        if (rebootNeeded) {
            expected.push_back("SystemReboot");
        }
        EXPECT_EQ(device.Actions(), expected);
        EXPECT_EQ(device.Request("SetNetworkInterfaces")->Value("tds:InterfaceToken"), "if-7");
        EXPECT_EQ(device.Request("SetNetworkInterfaces")
                      ->Value("tds:NetworkInterface/tt:IPv4/tt:Manual/tt:PrefixLength"),
                  "23");
        EXPECT_EQ(device.Request("SetDNS")->Value("tds:DNSManual/tt:IPv4Address"), "10.0.0.53");
    }
    // Bad values never reach the device; a wrong password ends it at once.
    Device device;
    EXPECT_EQ(ChangeOnvifNetwork(device.Session(), {false, "10.0.2.9", "255.0.255.0", "", "", ""}).outcome,
              OpsOutcome::NotAllowed);
    EXPECT_TRUE(device.Actions().empty());
    device.answers["GetNetworkInterfaces"] = Reply(401, "");
    const NetworkChangeResult refused =
        ChangeOnvifNetwork(device.Session(), {true, "", "", "10.0.2.1", "", ""});
    EXPECT_EQ(refused.outcome, OpsOutcome::WrongPassword);
    EXPECT_FALSE(refused.mayHaveMoved);
    EXPECT_LE(device.transport.Sent().size(), 2u);
    // No answer to the change itself: the device may have moved at once.
    device.answers["GetNetworkInterfaces"] = Reply(200, fixtures::Response(kInterfaces));
    device.answers["SetNetworkInterfaces"] = {TransportResult::Timeout, 0, {}};
    const NetworkChangeResult silent = ChangeOnvifNetwork(device.Session(), {true, "", "", "", "", ""});
    EXPECT_EQ(silent.outcome, OpsOutcome::Timeout);
    EXPECT_TRUE(silent.mayHaveMoved);
}

TEST(DeviceOps, PasswordKeepsTheLevelAndMapsOutcomes) {
    Device device;
    device.answers["GetUsers"] = Reply(200, fixtures::Response(R"(<tds:GetUsersResponse>
      <tds:User><tt:Username>admin</tt:Username><tt:UserLevel>Administrator</tt:UserLevel></tds:User>
      <tds:User><tt:Username>operator</tt:Username><tt:UserLevel>Operator</tt:UserLevel></tds:User>
      </tds:GetUsersResponse>)"));
    EXPECT_EQ(ChangeOnvifPassword(device.Session(), "new-pass"), 1);
    EXPECT_EQ(device.Request("SetUser")->Value("tds:User/tt:UserLevel"), "Operator");
    EXPECT_EQ(device.Request("SetUser")->Value("tds:User/tt:Password"), "new-pass");

    device.answers["SetUser"] = Reply(400, fixtures::Fault("ter:FixedUser", "Username may not be updated"));
    EXPECT_EQ(ChangeOnvifPassword(device.Session(), "new-pass"), 0);
    device.credentials.user = "nobody";
    EXPECT_EQ(ChangeOnvifPassword(device.Session(), "new-pass"), 0);
    device.answers["GetUsers"] = Reply(400, fixtures::Fault("ter:NotAuthorized")); // an operator's login
    EXPECT_EQ(ChangeOnvifPassword(device.Session(), "new-pass"), 0);
    device.answers["GetDeviceInformation"] = Reply(401, "");
    const std::size_t before = device.transport.Sent().size();
    EXPECT_EQ(ChangeOnvifPassword(device.Session(), "new-pass"), -1);
    EXPECT_EQ(device.transport.Sent().size() - before, 2u); // digest, then WS-Security: no more
}

TEST(DeviceOps, PortsKeepWhatIsNotChanged) {
    Device device;
    device.answers["GetNetworkProtocols"] = Reply(200, fixtures::Response(R"(<tds:GetNetworkProtocolsResponse>
      <tds:NetworkProtocols><tt:Name>HTTP</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>80</tt:Port>
        <tt:Port>8000</tt:Port></tds:NetworkProtocols>
      <tds:NetworkProtocols><tt:Name>HTTPS</tt:Name><tt:Enabled>false</tt:Enabled><tt:Port>443</tt:Port>
        </tds:NetworkProtocols>
      <tds:NetworkProtocols><tt:Name>RTSP</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>554</tt:Port>
        </tds:NetworkProtocols></tds:GetNetworkProtocolsResponse>)"));
    ASSERT_EQ(ChangeOnvifPorts(device.Session(), {8081, 0, 8554}), OpsOutcome::Ok);
    const auto set = device.Request("SetNetworkProtocols");
    std::vector<std::string> sent;
    for (pugi::xml_node protocol : set->body.children("tds:NetworkProtocols")) {
        sent.push_back(std::string(protocol.child_value("tt:Name")) + protocol.child_value("tt:Enabled"));
        for (pugi::xml_node port : protocol.children("tt:Port")) {
            sent.back() += ":" + std::string(port.text().as_string());
        }
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"HTTPtrue:8081:8000", "HTTPSfalse:443", "RTSPtrue:8554"}));
}

TEST(DeviceOps, TimeByNtpOrFromThisComputer) {
    Device device;
    ASSERT_EQ(SetOnvifTime(device.Session(), {true, {"ntp.example.org"}}), OpsOutcome::Ok);
    EXPECT_EQ(device.Actions(),
              (std::vector<std::string>{"GetDeviceInformation", "SetNTP", "SetSystemDateAndTime"}));
    EXPECT_EQ(device.Request("SetSystemDateAndTime")->Value("tds:DateTimeType"), "NTP");
    EXPECT_EQ(SetOnvifTime(device.Session(), {true, {""}}), OpsOutcome::NotAllowed);

    Device manual;
    manual.answers["SetSystemDateAndTime"] = Reply(400, fixtures::Fault("ter:InvalidTimeZone", "Bad zone"));
    EXPECT_EQ(SetOnvifTime(manual.Session(), {}), OpsOutcome::NotAllowed);
    EXPECT_EQ(manual.Request("SetSystemDateAndTime")->Value("tds:UTCDateTime/tt:Date/tt:Year"), "2026");
}

TEST(TimeZone, RuleFromZoneFileOrVariable) {
    std::string tzif = "TZif2";
    tzif.resize(44, '\0');
    EXPECT_EQ(TzifRule(tzif + "\nCET-1CEST,M3.5.0,M10.5.0/3\n"), "CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(TzifRule(tzif + "\n\n"), std::nullopt);
    EXPECT_EQ(TzifRule("TZif\0" + tzif.substr(5) + "\nUTC0\n"), std::nullopt); // version 1: no rule
    EXPECT_TRUE(HasDaylightPart("<+0530>-5:30IST,M3.5.0,M10.5.0"));
    EXPECT_FALSE(HasDaylightPart("<+0530>-5:30"));
    EXPECT_FALSE(HasDaylightPart("UTC0"));
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    EXPECT_EQ(PosixTimeZoneNow(), "EST5EDT,M3.2.0,M11.1.0");
    EXPECT_TRUE(PosixZone().daylight);
    unsetenv("TZ");
}

TEST(FindAgain, ProbesUntilTheEndpointAnswersOrTriesRunOut) {
    int probes = 0;
    std::vector<int> pauses;
    const AddressProbe thirdTime = [&probes](uint32_t address) {
        EXPECT_EQ(address, 0x0A000209u);
        return ++probes < 3 ? std::vector<std::string>{"urn:uuid:other"}
                            : std::vector<std::string>{"urn:uuid:other", "urn:uuid:cam"};
    };
    const auto pause = [&pauses](int ms) { pauses.push_back(ms); };
    EXPECT_TRUE(FindAtAddress(thirdTime, pause, "urn:uuid:cam", 0x0A000209u, {3, 1500}));
    EXPECT_EQ(pauses, (std::vector<int>{1500, 1500}));
    probes = 0;
    EXPECT_FALSE(FindAtAddress(thirdTime, pause, "urn:uuid:cam", 0x0A000209u, {2, 10}));
    EXPECT_EQ(probes, 2);

    // A device on DHCP: wherever the segment's search hears it.
    probes = 0;
    const SegmentProbe segment = [&probes] {
        return ++probes < 2 ? std::vector<std::pair<std::string, uint32_t>>{{"urn:uuid:other", 1u}}
                            : std::vector<std::pair<std::string, uint32_t>>{{"urn:uuid:cam", 0x0A000277u}};
    };
    EXPECT_EQ(FindOnSegment(segment, pause, "urn:uuid:cam", {3, 10}), 0x0A000277u);
    EXPECT_EQ(probes, 2);
    EXPECT_FALSE(FindOnSegment(segment, pause, "urn:uuid:gone", {2, 10}));
    EXPECT_FALSE(FindOnSegment(segment, pause, "", {2, 10})); // no endpoint: nothing to match
}

TEST(OnvifLink, LoginsHaveHandlesAndPortsMoveTheService) {
    Device device;
    device.answers["GetNetworkInterfaces"] = Reply(200, fixtures::Response(kInterfaces));
    device.answers["GetNetworkProtocols"] = Reply(200, fixtures::Response(R"(<tds:GetNetworkProtocolsResponse>
      <tds:NetworkProtocols><tt:Name>HTTP</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>80</tt:Port>
      </tds:NetworkProtocols><tds:NetworkProtocols><tt:Name>RTSP</tt:Name><tt:Enabled>true</tt:Enabled>
      <tt:Port>554</tt:Port></tds:NetworkProtocols></tds:GetNetworkProtocolsResponse>)"));
    OnvifLink link(std::shared_ptr<SoapTransport>(&device.transport, [](SoapTransport*) {}),
                   [] { return kNow; });
    DeviceEntry entry;
    entry.onvif.endpointReference = "urn:uuid:cam";
    entry.onvif.deviceServiceUrl = kTarget.url;
    DeviceLogin first, second;
    int error = 0;
    ASSERT_TRUE(link.Login(entry, "admin", "secret", first, error));
    ASSERT_TRUE(link.Login(entry, "admin", "secret", second, error));
    EXPECT_NE(first.handle, second.handle);
    const std::optional<OnvifDeviceInfo> info = link.TakeInfo(DeviceKey(entry));
    ASSERT_TRUE(info);
    EXPECT_TRUE(LoginOperations(*info).Has(DeviceOperation::Network));
    EXPECT_TRUE(LoginOperations(*info).Has(DeviceOperation::Password));
    EXPECT_TRUE(LoginOperations(*info).Has(DeviceOperation::ConfigImport));
    EXPECT_FALSE(LoginOperations(OnvifDeviceInfo{}).Has(DeviceOperation::Network));

    const PortChangeResult ports = link.ChangePorts(entry, first, {8080, 34567, 554});
    EXPECT_EQ(ports.written, 1);
    EXPECT_TRUE(ports.restarted);
    EXPECT_EQ(entry.onvif.deviceServiceUrl, "http://10.0.1.5:8080/onvif/device_service");
    EXPECT_TRUE(link.Reboot(first));
    EXPECT_EQ(device.transport.Sent().back().url, "http://10.0.1.5:8080/onvif/device_service");
    link.Logout(first);
    const std::size_t sent = device.transport.Sent().size();
    EXPECT_FALSE(link.Reboot(first)); // forgotten: nothing is sent
    EXPECT_EQ(device.transport.Sent().size(), sent);
    EXPECT_EQ(ServiceUrlAt("http://[fe80::1]:81/x", "10.0.0.2"), "http://10.0.0.2:81/x");
}
