// CFG.V2 and CFG.V3 exchanges on a scripted network.
#include "discovery/config_sender.h"
#include "discovery/datagrams.h"
#include "fake_network.h"

#include <gtest/gtest.h>

namespace {

const std::string kAdminPassword = "admin-pw";

const MacBytes kTarget{0x00, 0xAB, 0xCD, 0xEF, 0x01, 0x23};

DeviceEntry Change() {
    DeviceEntry entry;
    entry.mac = "00-ab-cd-ef-01-23"; // lower case: still found
    entry.ip = "10.1.2.3";
    entry.gateway = "10.1.2.1";
    entry.mask = "255.255.255.0";
    entry.dns1 = "10.1.2.2";
    entry.dns2 = "8.8.4.4";
    entry.dhcpMode = 2;
    entry.capabilities = 0x08;
    return entry;
}

Datagram ReplyOf(const MacBytes& mac) {
    DiscoveryFields fields;
    fields.mac = mac;
    return BuildV1Reply(fields);
}

class ConfigSenderTest : public ::testing::Test {
protected:
    ConfigSenderOptions Options() {
        ConfigSenderOptions options;
        options.socketFactory = m_net.Factory();
        options.clock = &m_net;
        return options;
    }
    // Answers a CFG.V3 request with a reply built from the request.
    void AnswerV3(uint8_t result, std::function<void(NetworkConfig&)> alter = {}) {
        m_net.onSend = [this, result, alter](const Datagram& request) {
            auto parsed = ParseConfigV3Request(request);
            if (!parsed) {
                return;
            }
            if (alter) {
                alter(*parsed);
            }
            m_net.Deliver(m_net.now + 200, BuildConfigV3Reply(*parsed, result));
        };
    }
    FakeNetwork m_net;
};

TEST_F(ConfigSenderTest, V2WaitsForTheTargetsV1ReplyThenSendsOnce) {
    m_net.onSend = [this](const Datagram& sent) {
        if (ParseSearchRequest(sent) == SearchVersion::V1 && m_net.sent.size() == 2) {
            m_net.Deliver(m_net.now + 10, ReplyOf({0x00, 0xAB, 0xCD, 0xEF, 0x01, 0x99})); // another device
            m_net.Deliver(m_net.now + 20, ReplyOf(kTarget));
        }
    };
    EXPECT_EQ(SendNetworkConfigV2(Change(), Options()), 1);
    EXPECT_EQ(m_net.open, 0);
    ASSERT_EQ(m_net.sent.size(), 3u);
    const Datagram& request = m_net.sent.back().bytes;
    const auto parsed = ParseConfigV2Request(request);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->mac, kTarget);
    EXPECT_EQ(parsed->ip, 0x0A010203u);
    EXPECT_EQ(parsed->gateway, 0x0A010201u);
    EXPECT_EQ(parsed->mask, 0xFFFFFF00u);
    EXPECT_EQ(m_net.sent.back().to, (net::Ipv4Endpoint{0xFFFFFFFF, 5000}));
}

TEST_F(ConfigSenderTest, V2TargetThatNeverAnswersGetsSixProbesThenFails) {
    m_net.onSend = [this](const Datagram&) { m_net.Deliver(m_net.now + 1, ReplyOf({1, 2, 3, 4, 5, 6})); };
    const int64_t start = m_net.now;
    EXPECT_EQ(SendNetworkConfigV2(Change(), Options()), -1);
    ASSERT_EQ(m_net.sent.size(), 6u);
    for (const auto& sent : m_net.sent) {
        EXPECT_EQ(ParseSearchRequest(sent.bytes), SearchVersion::V1);
    }
    EXPECT_GE(m_net.now - start, 3000);
    EXPECT_LT(m_net.now - start, 3100);
}

TEST_F(ConfigSenderTest, V2SendFailures) {
    m_net.failSends = true;
    EXPECT_EQ(SendNetworkConfigV2(Change(), Options()), -8);
    FakeNetwork resendFails;
    resendFails.failSendsAfter = 1;
    ConfigSenderOptions options;
    options.socketFactory = resendFails.Factory();
    options.clock = &resendFails;
    EXPECT_EQ(SendNetworkConfigV2(Change(), options), -1);
    FakeNetwork noSockets;
    noSockets.failAt = FailStep::BindReceive;
    options.socketFactory = noSockets.Factory();
    options.clock = &noSockets;
    EXPECT_EQ(SendNetworkConfigV2(Change(), options), -1);
    EXPECT_EQ(SendNetworkConfigV3(Change(), kAdminPassword, options), -1);
}

TEST_F(ConfigSenderTest, V3ConfirmedByAMatchingEcho) {
    AnswerV3(1);
    EXPECT_EQ(SendNetworkConfigV3(Change(), kAdminPassword, Options()), 1);
    ASSERT_EQ(m_net.sent.size(), 1u); // sent once, not repeated
    const auto request = ParseConfigV3Request(m_net.sent[0].bytes);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->password, "admin-pw");
    EXPECT_EQ(request->user, "admin");
    EXPECT_EQ(request->dns2, 0x08080404u);
    EXPECT_EQ(m_net.open, 0);
}

TEST_F(ConfigSenderTest, V3RefusedOrWrongEchoFails) {
    AnswerV3(0);
    EXPECT_EQ(SendNetworkConfigV3(Change(), kAdminPassword, Options()), -1);
    m_net.sent.clear();
    AnswerV3(1, [](NetworkConfig& echo) { echo.gateway = 0x0A0102FE; });
    EXPECT_EQ(SendNetworkConfigV3(Change(), kAdminPassword, Options()), -1);
    m_net.sent.clear();
    AnswerV3(1, [](NetworkConfig& echo) { echo.dhcpMode = 1; });
    EXPECT_EQ(SendNetworkConfigV3(Change(), kAdminPassword, Options()), -1);
}

TEST_F(ConfigSenderTest, V3OtherDatagramsAreSkippedUntilTimeOut) {
    m_net.onSend = [this](const Datagram& request) {
        auto parsed = ParseConfigV3Request(request);
        ASSERT_TRUE(parsed);
        m_net.Deliver(m_net.now + 10, request); // the request's own echo: direction 0
        parsed->mac[5] ^= 1;
        m_net.Deliver(m_net.now + 20, BuildConfigV3Reply(*parsed, 1)); // another device
        m_net.Deliver(m_net.now + 30, ReplyOf(kTarget));
    };
    const int64_t start = m_net.now;
    EXPECT_EQ(SendNetworkConfigV3(Change(), kAdminPassword, Options()), -3);
    EXPECT_GE(m_net.now - start, 3000);
    EXPECT_LT(m_net.now - start, 3100);
}

TEST_F(ConfigSenderTest, V3FirstSendFailureIsMinus8) {
    m_net.failSends = true;
    EXPECT_EQ(SendNetworkConfigV3(Change(), kAdminPassword, Options()), -8);
}

TEST_F(ConfigSenderTest, CapabilityBit3ChoosesTheExchange) {
    AnswerV3(1);
    EXPECT_EQ(SendNetworkConfig(Change(), kAdminPassword, Options()), 1);
    EXPECT_TRUE(ParseConfigV3Request(m_net.sent[0].bytes));
    DeviceEntry v2 = Change();
    v2.capabilities = 0x01;
    FakeNetwork net;
    net.onSend = [&net](const Datagram& sent) {
        if (ParseSearchRequest(sent)) {
            net.Deliver(net.now, ReplyOf(kTarget));
        }
    };
    ConfigSenderOptions options;
    options.socketFactory = net.Factory();
    options.clock = &net;
    EXPECT_EQ(SendNetworkConfig(v2, kAdminPassword, options), 1);
    EXPECT_TRUE(ParseConfigV2Request(net.sent.back().bytes));
}

} // namespace
