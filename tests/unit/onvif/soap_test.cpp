// The device service's envelopes: the UsernameToken digest against a value
// computed independently (openssl sha1 | base64), and the responses and
// faults as the device service documents them.
#include "fixtures.h"
#include "onvif/device_responses.h"
#include "onvif/soap.h"

#include <gtest/gtest.h>

using namespace onvif;

TEST(Soap, UsernameTokenDigestAndEnvelope) {
    Nonce nonce{};
    for (std::size_t i = 0; i < nonce.size(); ++i) {
        nonce[i] = static_cast<uint8_t>(i);
    }
    // 1796756400 is 2026-12-08T19:00:00Z.
    const UsernameToken token = MakeUsernameToken("ad<min", "pass word&1", 1796756400, nonce);
    EXPECT_EQ(token.created, "2026-12-08T19:00:00Z");
    EXPECT_EQ(token.nonce, "AAECAwQFBgcICQoLDA0ODw==");
    EXPECT_EQ(token.passwordDigest, "EiOiJKgTmp69vIBVyCpk7wAAxN0=");

    const std::string envelope = BuildSoapEnvelope(kGetDeviceInformation, &token);
    const auto document = ParseSoapResponse(envelope); // well formed, user name escaped
    ASSERT_TRUE(document);
    EXPECT_EQ(std::string(document->content.name()), "tds:GetDeviceInformation");
    EXPECT_NE(envelope.find("<wsse:Username>ad&lt;min</wsse:Username>"), std::string::npos);
    EXPECT_EQ(envelope.find("pass word"), std::string::npos);
    EXPECT_EQ(BuildSoapEnvelope(kGetUsers).find("Security"), std::string::npos);

    EXPECT_EQ(FormatUtc(951868799), "2000-02-29T23:59:59Z");
    EXPECT_EQ(UtcSeconds(2000, 2, 29, 23, 59, 59), 951868799);
}

TEST(Soap, FaultsNameTheirInnermostSubcode) {
    const auto fault = ParseSoapResponse(fixtures::Fault("ter:NotAuthorized"));
    ASSERT_TRUE(fault && fault->fault);
    EXPECT_EQ(fault->fault->code, "Sender");
    EXPECT_EQ(fault->fault->subcode, "NotAuthorized");
    EXPECT_EQ(fault->fault->reason, "Sender not authorized");
    EXPECT_TRUE(IsAuthenticationFault(*fault->fault));
    const auto nested = ParseSoapResponse(fixtures::Response(
        R"(<SOAP-ENV:Fault><SOAP-ENV:Code><SOAP-ENV:Value>SOAP-ENV:Receiver</SOAP-ENV:Value>
        <SOAP-ENV:Subcode><SOAP-ENV:Value>ter:ActionNotSupported</SOAP-ENV:Value>
        <SOAP-ENV:Subcode><SOAP-ENV:Value>ter:NoSuchService</SOAP-ENV:Value></SOAP-ENV:Subcode>
        </SOAP-ENV:Subcode></SOAP-ENV:Code></SOAP-ENV:Fault>)"));
    ASSERT_TRUE(nested && nested->fault);
    EXPECT_EQ(nested->fault->subcode, "NoSuchService");
    EXPECT_FALSE(IsAuthenticationFault(*nested->fault));
    // A fault is no response of any kind.
    EXPECT_FALSE(ParseDeviceInformation(fixtures::Fault("ter:NotAuthorized")));
    EXPECT_FALSE(ParseSoapResponse("<a><b/></a>"));
    EXPECT_FALSE(ParseSoapResponse(fixtures::Response("")));
}

TEST(Soap, DateTimeAndDeviceInformation) {
    const auto time = ParseSystemDateAndTime(fixtures::DateAndTime(2026, 12, 8, 19, 0, 0));
    ASSERT_TRUE(time);
    EXPECT_EQ(time->utcSeconds, 1796756400);
    EXPECT_EQ(time->localTime, "2026-12-08 20:00:00");
    EXPECT_FALSE(ParseSystemDateAndTime(fixtures::DateAndTime(2026, 13, 8, 19, 0, 0)));
    EXPECT_FALSE(ParseSystemDateAndTime(fixtures::Response(fixtures::kDeviceInformation)));

    const auto info = ParseDeviceInformation(fixtures::Response(fixtures::kDeviceInformation));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->manufacturer, "Example");
    EXPECT_EQ(info->model, "IPC-4M");
    EXPECT_EQ(info->firmwareVersion, "V5.6.1 build 240101");
    EXPECT_EQ(info->serialNumber, "SN0042");
    EXPECT_EQ(info->hardwareId, "HW-7");
}

TEST(Soap, NetworkSettings) {
    const auto interfaces = ParseNetworkInterfaces(fixtures::Response(R"(<tds:GetNetworkInterfacesResponse>
      <tds:NetworkInterfaces token="eth1"><tt:Enabled>false</tt:Enabled></tds:NetworkInterfaces>
      <tds:NetworkInterfaces token="eth0"><tt:Enabled>true</tt:Enabled>
        <tt:Info><tt:Name>eth0</tt:Name><tt:HwAddress>00:0f:7c:1a:2b:3c</tt:HwAddress><tt:MTU>1500</tt:MTU></tt:Info>
        <tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Config>
          <tt:Manual><tt:Address>10.0.1.5</tt:Address><tt:PrefixLength>20</tt:PrefixLength></tt:Manual>
          <tt:FromDHCP><tt:Address>10.0.1.77</tt:Address><tt:PrefixLength>24</tt:PrefixLength></tt:FromDHCP>
          <tt:DHCP>true</tt:DHCP></tt:Config></tt:IPv4>
      </tds:NetworkInterfaces></tds:GetNetworkInterfacesResponse>)"));
    ASSERT_TRUE(interfaces);
    EXPECT_EQ(interfaces->name, "eth0");
    EXPECT_EQ(interfaces->mac, "00-0F-7C-1A-2B-3C");
    EXPECT_TRUE(interfaces->dhcp);
    EXPECT_EQ(interfaces->address, "10.0.1.77");
    EXPECT_EQ(interfaces->mask, "255.255.255.0");
    EXPECT_EQ(PrefixToMask(20), "255.255.240.0");
    EXPECT_EQ(PrefixToMask(0), "0.0.0.0");
    EXPECT_EQ(PrefixToMask(33), "");
    EXPECT_EQ(NormalizeMac("00:0f:7c:1a:2b"), "");

    const auto gateway = ParseDefaultGateway(fixtures::Response(R"(<tds:GetNetworkDefaultGatewayResponse>
      <tds:NetworkGateway><tt:IPv4Address>10.0.0.1</tt:IPv4Address></tds:NetworkGateway>
      </tds:GetNetworkDefaultGatewayResponse>)"));
    ASSERT_TRUE(gateway);
    EXPECT_EQ(*gateway, std::vector<std::string>{"10.0.0.1"});

    const auto dns = ParseDns(fixtures::Response(R"(<tds:GetDNSResponse><tds:DNSInformation>
      <tt:FromDHCP>false</tt:FromDHCP>
      <tt:DNSFromDHCP><tt:Type>IPv4</tt:Type><tt:IPv4Address>10.0.0.53</tt:IPv4Address></tt:DNSFromDHCP>
      <tt:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>1.1.1.1</tt:IPv4Address></tt:DNSManual>
      <tt:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>8.8.8.8</tt:IPv4Address></tt:DNSManual>
      </tds:DNSInformation></tds:GetDNSResponse>)"));
    ASSERT_TRUE(dns);
    EXPECT_FALSE(dns->fromDhcp);
    EXPECT_EQ(dns->servers, (std::vector<std::string>{"1.1.1.1", "8.8.8.8"}));

    const auto protocols = ParseNetworkProtocols(fixtures::Response(R"(<tds:GetNetworkProtocolsResponse>
      <tds:NetworkProtocols><tt:Name>HTTP</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>8080</tt:Port><tt:Port>80</tt:Port></tds:NetworkProtocols>
      <tds:NetworkProtocols><tt:Name>HTTPS</tt:Name><tt:Enabled>false</tt:Enabled><tt:Port>443</tt:Port></tds:NetworkProtocols>
      <tds:NetworkProtocols><tt:Name>RTSP</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>554</tt:Port></tds:NetworkProtocols>
      </tds:GetNetworkProtocolsResponse>)"));
    ASSERT_TRUE(protocols);
    EXPECT_EQ(protocols->http, 8080);
    EXPECT_EQ(protocols->https, 0); // disabled
    EXPECT_EQ(protocols->rtsp, 554);
}

TEST(Soap, ServicesCapabilitiesAndUsers) {
    const auto services = ParseServices(fixtures::Response(R"(<tds:GetServicesResponse>
      <tds:Service><tds:Namespace>http://www.onvif.org/ver10/device/wsdl</tds:Namespace>
        <tds:XAddr>http://10.0.1.5/onvif/device_service</tds:XAddr>
        <tds:Version><tt:Major>2</tt:Major><tt:Minor>60</tt:Minor></tds:Version></tds:Service>
      <tds:Service><tds:Namespace>http://www.onvif.org/ver20/media/wsdl</tds:Namespace>
        <tds:XAddr>http://10.0.1.5/onvif/media2</tds:XAddr></tds:Service>
      </tds:GetServicesResponse>)"));
    ASSERT_TRUE(services);
    ASSERT_EQ(services->size(), 2u);
    EXPECT_EQ((*services)[1].ns, "http://www.onvif.org/ver20/media/wsdl");
    EXPECT_EQ((*services)[1].xaddr, "http://10.0.1.5/onvif/media2");

    const auto capabilities = ParseCapabilities(fixtures::Response(R"(<tds:GetCapabilitiesResponse>
      <tds:Capabilities><tt:Device><tt:XAddr>http://10.0.1.5/onvif/device_service</tt:XAddr></tt:Device>
        <tt:Media><tt:XAddr>http://10.0.1.5/onvif/media</tt:XAddr></tt:Media></tds:Capabilities>
      </tds:GetCapabilitiesResponse>)"));
    ASSERT_TRUE(capabilities);
    ASSERT_EQ(capabilities->size(), 2u);
    EXPECT_EQ((*capabilities)[1].ns, "http://www.onvif.org/ver10/media/wsdl");

    const auto users = ParseUsers(fixtures::Response(R"(<tds:GetUsersResponse>
      <tds:User><tt:Username>admin</tt:Username><tt:UserLevel>Administrator</tt:UserLevel></tds:User>
      <tds:User><tt:Username>viewer</tt:Username><tt:UserLevel>User</tt:UserLevel></tds:User>
      </tds:GetUsersResponse>)"));
    ASSERT_TRUE(users);
    ASSERT_EQ(users->size(), 2u);
    EXPECT_EQ((*users)[1].name, "viewer");
    EXPECT_EQ((*users)[0].level, "Administrator");
}
