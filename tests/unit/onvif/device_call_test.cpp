// The authentication strategy and the information read after a login,
// against a fake device service: which method is tried, how often, with
// which clock, and what the user is told.
#include "fake_transport.h"
#include "fixtures.h"
#include "onvif/device_info.h"

#include <gtest/gtest.h>

using namespace onvif;

namespace {

constexpr int64_t kNow = 1796756400; // 2026-12-08T19:00:00Z
const std::string kUrl = "http://10.0.1.5/onvif/device_service";

OnvifCredentials Admin(bool allowPlainText = false) {
    OnvifCredentials credentials;
    credentials.user = "admin";
    credentials.password = "secret";
    credentials.allowPlainText = allowPlainText;
    return credentials;
}

OnvifFacts Facts(int64_t clockOffset) {
    OnvifFacts facts;
    facts.deviceServiceUrl = kUrl;
    facts.clockOffsetSeconds = clockOffset;
    facts.clockKnown = true;
    return facts;
}

// A device that accepts only WS-Security tokens created within a minute of
// its own clock (kNow + offset); it refuses HTTP digest with 401.
SoapReply TokenOnlyDevice(const SentRequest& request, int64_t offset, const std::string& body) {
    if (!HasToken(request)) {
        return Reply(401, "");
    }
    const std::string created = "<wsu:Created>" + FormatUtc(kNow + offset) + "</wsu:Created>";
    if (request.envelope.find(created) == std::string::npos) {
        return Reply(400, fixtures::Fault("ter:NotAuthorized"));
    }
    return Reply(200, body);
}

} // namespace

TEST(DeviceCall, DigestRefusedThenTokenOnTheDevicesClockAndRemembered) {
    const int64_t offset = -3725;
    FakeTransport transport([&](const SentRequest& request) {
        return TokenOnlyDevice(request, offset, fixtures::Response(fixtures::kDeviceInformation));
    });
    AuthMemory memory;
    const DeviceTarget target{kUrl, offset};
    const CallResult first =
        CallAuthenticated(transport, memory, target, Admin(), DeviceAction("GetDeviceInformation"),
                          kGetDeviceInformation, kNow);
    EXPECT_EQ(first.outcome, CallOutcome::Ok);
    EXPECT_EQ(first.attempts, 2);
    auto sent = transport.Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].auth, HttpAuth::Digest); // digest first, never Basic
    EXPECT_FALSE(HasToken(sent[0]));
    EXPECT_EQ(sent[1].auth, HttpAuth::None);
    EXPECT_EQ(sent[1].password, ""); // the token carries a digest only
    EXPECT_EQ(sent[1].envelope.find("secret"), std::string::npos);
    EXPECT_EQ(sent[1].action, "http://www.onvif.org/ver10/device/wsdl/GetDeviceInformation");
    EXPECT_EQ(memory.Get(kUrl), AuthMethod::UsernameToken);

    // Next time the remembered method goes first: one request.
    const CallResult second =
        CallAuthenticated(transport, memory, target, Admin(), DeviceAction("GetUsers"), kGetUsers, kNow);
    EXPECT_EQ(second.outcome, CallOutcome::Ok);
    EXPECT_EQ(second.attempts, 1);
    EXPECT_EQ(transport.Sent().size(), 3u);
}

TEST(DeviceCall, AWrongPasswordCostsTwoAttemptsForTheWholeRead) {
    FakeTransport transport([](const SentRequest& request) {
        return HasToken(request) ? Reply(400, fixtures::Fault("ter:NotAuthorized")) : Reply(401, "");
    });
    AuthMemory memory;
    const OnvifInfoResult result = ReadOnvifInfo(Facts(0), Admin(), memory, transport, kNow);
    EXPECT_EQ(result.outcome, InfoOutcome::WrongPassword);
    EXPECT_EQ(result.errorKey, "info.login_password_err");
    EXPECT_EQ(transport.Sent().size(), 2u);
    EXPECT_EQ(memory.Get(kUrl), AuthMethod::Unknown);
}

TEST(DeviceCall, LockedUnreachableAndPlainTextSwitch) {
    FakeTransport locked([](const SentRequest&) { return Reply(403, ""); });
    AuthMemory memory;
    OnvifInfoResult result = ReadOnvifInfo(Facts(0), Admin(), memory, locked, kNow);
    EXPECT_EQ(result.errorKey, "info.login_user_lock");
    EXPECT_EQ(locked.Sent().size(), 1u);

    FakeTransport down([](const SentRequest&) { return SoapReply{TransportResult::Unreachable, 0, ""}; });
    result = ReadOnvifInfo(Facts(0), Admin(), memory, down, kNow);
    EXPECT_EQ(result.errorKey, "info.login_con_host");
    EXPECT_EQ(down.Sent().size(), 1u);

    FakeTransport basic(
        [](const SentRequest&) { return Reply(200, fixtures::Response(fixtures::kDeviceInformation)); });
    CallAuthenticated(basic, memory, {kUrl}, Admin(true), DeviceAction("GetDeviceInformation"),
                      kGetDeviceInformation, kNow);
    EXPECT_EQ(basic.Sent().at(0).auth, HttpAuth::DigestOrBasic);
}

TEST(DeviceCall, ReadsEveryItemAndFallsBackToCapabilities) {
    FakeTransport transport([](const SentRequest& request) {
        const auto is = [&](const char* name) { return request.action == DeviceAction(name); };
        if (request.auth != HttpAuth::Digest || is("GetNetworkDefaultGateway")) {
            return Reply(401, ""); // the gateway: for administrators only
        }
        if (is("GetDeviceInformation")) {
            return Reply(200, fixtures::Response(fixtures::kDeviceInformation));
        }
        if (is("GetNetworkInterfaces")) {
            return Reply(200, fixtures::Response(R"(<tds:GetNetworkInterfacesResponse>
              <tds:NetworkInterfaces token="eth0"><tt:Enabled>true</tt:Enabled>
              <tt:Info><tt:HwAddress>00:0F:7C:1A:2B:3C</tt:HwAddress></tt:Info>
              <tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Config><tt:Manual><tt:Address>10.0.1.5</tt:Address>
              <tt:PrefixLength>16</tt:PrefixLength></tt:Manual><tt:DHCP>false</tt:DHCP></tt:Config></tt:IPv4>
              </tds:NetworkInterfaces></tds:GetNetworkInterfacesResponse>)"));
        }
        if (is("GetNetworkProtocols")) {
            return Reply(200, fixtures::Response(R"(<tds:GetNetworkProtocolsResponse><tds:NetworkProtocols>
              <tt:Name>RTSP</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>8554</tt:Port>
              </tds:NetworkProtocols></tds:GetNetworkProtocolsResponse>)"));
        }
        if (is("GetCapabilities")) {
            return Reply(200, fixtures::Response(R"(<tds:GetCapabilitiesResponse><tds:Capabilities>
              <tt:Media><tt:XAddr>http://10.0.1.5/onvif/media</tt:XAddr></tt:Media>
              </tds:Capabilities></tds:GetCapabilitiesResponse>)"));
        }
        return Reply(500, fixtures::Fault("ter:ActionNotSupported", "Optional Action Not Implemented"));
    });
    AuthMemory memory;
    const OnvifInfoResult result = ReadOnvifInfo(Facts(0), Admin(), memory, transport, kNow);
    ASSERT_EQ(result.outcome, InfoOutcome::Ok);
    EXPECT_EQ(result.method, AuthMethod::HttpDigest);
    EXPECT_EQ(result.info.device.serialNumber, "SN0042");
    EXPECT_EQ(result.info.network.mac, "00-0F-7C-1A-2B-3C");
    EXPECT_EQ(result.info.network.mask, "255.255.0.0");
    EXPECT_FALSE(result.info.network.dhcp);
    EXPECT_EQ(result.info.protocols.rtsp, 8554);
    EXPECT_TRUE(result.info.gateways.empty()); // not allowed: left empty, the read goes on
    ASSERT_EQ(result.info.services.size(), 1u);
    EXPECT_EQ(result.info.services[0].xaddr, "http://10.0.1.5/onvif/media");
    // Seven actions, each once but the refused one (twice): an unsupported
    // one is not retried with the other method.
    EXPECT_EQ(transport.Sent().size(), 8u);
}
