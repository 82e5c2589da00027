// The four conditions that make a datagram the reply to a CFG.V3 request,
// and the echo check that decides whether the change is confirmed.
#include "discovery/datagrams.h"

#include <gtest/gtest.h>

namespace {

NetworkConfig Sample() {
    NetworkConfig config;
    config.mac = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    config.ip = 0x0A4D1005;
    config.gateway = 0x0A4D0001;
    config.mask = 0xFFFF0000;
    config.dns1 = 0x0A4D0002;
    config.dns2 = 0x08080808;
    config.dhcpMode = 2;
    config.password = "pw";
    return config;
}

class ConfigV3Match : public ::testing::Test {
protected:
    Datagram m_request = BuildConfigV3Request(Sample());
    Datagram m_reply = BuildConfigV3Reply(Sample(), 1);
};

TEST_F(ConfigV3Match, AGoodReplyConfirms) {
    EXPECT_EQ(MatchConfigV3Reply(m_reply, m_request), ConfigV3ReplyMatch::Confirmed);
    // The magic is compared without regard to case.
    for (int i = 0; i < 13; ++i) {
        m_reply[i] = static_cast<uint8_t>(std::tolower(m_reply[i]));
    }
    EXPECT_EQ(MatchConfigV3Reply(m_reply, m_request), ConfigV3ReplyMatch::Confirmed);
}

TEST_F(ConfigV3Match, EachBrokenConditionMeansNotAReply) {
    // 1. length and magic
    Datagram longer = m_reply;
    longer.push_back(0);
    EXPECT_EQ(MatchConfigV3Reply(longer, m_request), ConfigV3ReplyMatch::NotAReply);
    EXPECT_EQ(MatchConfigV3Reply(std::span(m_reply).first(284), m_request), ConfigV3ReplyMatch::NotAReply);
    Datagram magic = m_reply;
    magic[12] = '2';
    EXPECT_EQ(MatchConfigV3Reply(magic, m_request), ConfigV3ReplyMatch::NotAReply);
    // 2. direction byte (body 2) must be 1: the request's own echo is not a reply
    EXPECT_EQ(MatchConfigV3Reply(m_request, m_request), ConfigV3ReplyMatch::NotAReply);
    Datagram direction = m_reply;
    direction[15] = 2;
    EXPECT_EQ(MatchConfigV3Reply(direction, m_request), ConfigV3ReplyMatch::NotAReply);
    // 3. each of the six MAC bytes (body 4..9)
    for (std::size_t i = 17; i < 23; ++i) {
        Datagram mac = m_reply;
        mac[i] ^= 0x01;
        EXPECT_EQ(MatchConfigV3Reply(mac, m_request), ConfigV3ReplyMatch::NotAReply) << "mac byte " << i;
    }
    // 4. the command (body 12..15)
    for (std::size_t i = 25; i < 29; ++i) {
        Datagram command = m_reply;
        command[i] ^= 0x10;
        EXPECT_EQ(MatchConfigV3Reply(command, m_request), ConfigV3ReplyMatch::NotAReply)
            << "command byte " << i;
    }
}

TEST_F(ConfigV3Match, BytesOutsideTheConditionsDoNotMatter) {
    for (std::size_t i : {13u, 14u, 16u, 23u, 24u, 30u, 100u, 200u, 262u, 284u}) {
        Datagram other = m_reply;
        other[i] ^= 0x5A;
        EXPECT_EQ(MatchConfigV3Reply(other, m_request), ConfigV3ReplyMatch::Confirmed) << i;
    }
}

TEST_F(ConfigV3Match, ResultZeroIsARefusal) {
    const Datagram refused = BuildConfigV3Reply(Sample(), 0);
    EXPECT_EQ(MatchConfigV3Reply(refused, m_request), ConfigV3ReplyMatch::Refused);
    // Refused whatever it echoes.
    NetworkConfig other = Sample();
    other.gateway = 1;
    EXPECT_EQ(MatchConfigV3Reply(BuildConfigV3Reply(other, 0), m_request), ConfigV3ReplyMatch::Refused);
    Datagram anyResult = m_reply;
    anyResult[29] = 0x7F;
    EXPECT_EQ(MatchConfigV3Reply(anyResult, m_request), ConfigV3ReplyMatch::Confirmed);
}

TEST_F(ConfigV3Match, AnyDifferentEchoedByteFailsTheChange) {
    // Body 228..248: address, gateway, mask, both DNS servers, DHCP mode.
    for (std::size_t i = 241; i <= 261; ++i) {
        Datagram echo = m_reply;
        echo[i] ^= 0x01;
        EXPECT_EQ(MatchConfigV3Reply(echo, m_request), ConfigV3ReplyMatch::EchoMismatch) << "echo byte " << i;
    }
}

TEST_F(ConfigV3Match, ShortRequestNeverMatches) {
    EXPECT_EQ(MatchConfigV3Reply(m_reply, std::span(m_request).first(100)), ConfigV3ReplyMatch::NotAReply);
    EXPECT_EQ(MatchConfigV3Reply({}, {}), ConfigV3ReplyMatch::NotAReply);
}

} // namespace
